// zentab-bench-fetch: the baseline of the data-comparison benchmark. It runs what zentab-batch
// runs for a comparison (connecting, object lists, columns) but replaces the table data phase by
// a bare fetch: the same two ordered statements, executed and read with the same ODBC calls as
// the data comparison, the sides alternating as in a merge of equal rows, and nothing done with
// the values. The difference between the two programs' times is the cost of the comparison.
//
//   zentab-bench-fetch --db1 CONNECT --db2 CONNECT [--set KEY=VALUE ...] [--statements]
//
// Prints the rows read per side and the seconds spent executing and fetching; --statements
// prints the statements on standard error.

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "compare/data/data_statement.h"
#include "compare/phases.h"
#include "db/database_source.h"
#include "engine/quiet_host.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "settings/settings_keys.h"

namespace {

using namespace zentab;

// The buffer size the data comparison passes to SQLGetData (values are cut to 9,999 bytes).
constexpr SQLLEN kValueBuffer = 10000;

// A host that shows nothing but messages, and answers so that the run goes on. Main thread and
// worker; messages are single calls to stderr.
class StderrHost : public QuietHost {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "zentab-bench-fetch: %s\n", text.c_str());
    }
};

struct Totals {
    long long rows1 = 0;
    long long rows2 = 0;
    double seconds = 0;
    bool failed = false;
};

// One row of an executed statement, read value by value as the data comparison reads it.
bool fetchRow(SQLHSTMT statement, SQLSMALLINT columns, std::vector<char>& buffer) {
    if (SQLFetch(statement) != SQL_SUCCESS) {
        return false;
    }
    for (SQLSMALLINT column = 1; column <= columns; ++column) {
        SQLLEN indicator = 0;
        SQLGetData(statement, static_cast<SQLUSMALLINT>(column), SQL_C_CHAR, buffer.data(),
                   kValueBuffer, &indicator);
    }
    return true;
}

// The table data phase of this program: worker thread of the run.
void fetchTables(Session& session, Totals& totals, bool printStatements) {
    std::vector<char> buffer(static_cast<std::size_t>(kValueBuffer));
    const auto start = std::chrono::steady_clock::now();
    for (const ObjectEntry* object : session.commonTables) {
        if (!object->compareData) {
            continue;
        }
        const BuiltStatement statement1 = buildObjectStatement(session, *object, true);
        const BuiltStatement statement2 = buildObjectStatement(session, *object, false);
        if (statement1.selectList.empty()) {
            continue;
        }
        if (printStatements) {
            std::fprintf(stderr, "1: %s\n2: %s\n", statement1.text.c_str(),
                         statement2.text.c_str());
        }
        OdbcStatement handle1;
        OdbcStatement handle2;
        std::string error;
        if (!session.side1->ExecuteStatement(statement1.text, handle1, error) ||
            !session.side2->ExecuteStatement(statement2.text, handle2, error)) {
            std::fprintf(stderr, "zentab-bench-fetch: %s: %s\n", object->nameInDb1.c_str(),
                         error.c_str());
            totals.failed = true;
            continue;
        }
        auto* raw1 = static_cast<SQLHSTMT>(handle1.get());
        auto* raw2 = static_cast<SQLHSTMT>(handle2.get());
        SQLSMALLINT columns1 = 0;
        SQLSMALLINT columns2 = 0;
        SQLNumResultCols(raw1, &columns1);
        SQLNumResultCols(raw2, &columns2);
        bool more1 = true;
        bool more2 = true;
        while (more1 || more2) {
            if (more1 && (more1 = fetchRow(raw1, columns1, buffer))) {
                ++totals.rows1;
            }
            if (more2 && (more2 = fetchRow(raw2, columns2, buffer))) {
                ++totals.rows2;
            }
        }
    }
    totals.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool openSide(Session& session, int number, const std::string& connect) {
    auto& side = number == 1 ? session.side1 : session.side2;
    side = DatabaseSource::ConnectStored(session.host(), connect, "", "0",
                                         session.preferences.specialCharacters);
    if (!side || side->notUsable) {
        std::fprintf(stderr, "zentab-bench-fetch: Database %d could not be opened.\n", number);
        return false;
    }
    (number == 1 ? session.sideDefined1 : session.sideDefined2) = true;
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: zentab-bench-fetch --db1 CONNECT --db2 CONNECT [--set KEY=VALUE "
                         "...] [--statements]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // As zentab-batch: text in the code page of the user's locale.
    std::setlocale(LC_CTYPE, "");
    std::string db1;
    std::string db2;
    std::vector<std::string> sets;
    bool printStatements = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--statements") {
            printStatements = true;
        } else if (i + 1 < argc && option == "--db1") {
            db1 = argv[++i];
        } else if (i + 1 < argc && option == "--db2") {
            db2 = argv[++i];
        } else if (i + 1 < argc && option == "--set") {
            sets.emplace_back(argv[++i]);
        } else {
            return usage();
        }
    }
    if (db1.empty() || db2.empty()) {
        return usage();
    }

    StderrHost host;
    Session session(host, standardPhases());
    for (const std::string& item : sets) {
        const std::size_t equals = item.find('=');
        std::string error;
        if (equals == std::string::npos ||
            !setByKey(session.settings, item.substr(0, equals), item.substr(equals + 1), error)) {
            std::fprintf(stderr, "zentab-bench-fetch: --set %s: %s\n", item.c_str(), error.c_str());
            return 2;
        }
    }
    if (!openSide(session, 1, db1) || !openSide(session, 2, db2)) {
        return 2;
    }

    Totals totals;
    session.phases.tableData = [&totals, printStatements](Session& s) {
        fetchTables(s, totals, printStatements);
    };
    RunDriver driver(session);
    session.settings.b_SnapshotOnly = false;
    driver.startRun();
    while (driver.workerActive()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    driver.join();
    if (session.lastOutcome != RunOutcome::Finished || totals.failed) {
        std::fprintf(stderr, "zentab-bench-fetch: the run did not finish.\n");
        return 3;
    }
    std::printf("rows1=%lld rows2=%lld fetch_seconds=%.3f\n", totals.rows1, totals.rows2,
                totals.seconds);
    return 0;
}

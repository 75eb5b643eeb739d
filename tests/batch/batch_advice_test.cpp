// What zentab-batch tells a user whose options cannot do what they seem meant to (warnings and
// hints on standard error, the run going on), and --pref, the per-user values of one run.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

// The lines of standard error that are the program's own (not captions or run messages).
std::vector<std::string> ownLines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("zentab-batch: ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

const std::vector<std::string> kOrders = {
    "CREATE TABLE Orders (id INTEGER, \"my col\" INTEGER)",
    "CREATE VIEW Recent AS SELECT id, \"my col\" FROM Orders",
};

std::string sqliteSides(const TempDir& dir, const std::vector<std::string>& rows1,
                        const std::vector<std::string>& rows2) {
    std::vector<std::string> one = kOrders, two = kOrders;
    one.insert(one.end(), rows1.begin(), rows1.end());
    two.insert(two.end(), rows2.begin(), rows2.end());
    executeSql(sqliteConnectString(dir.file("one.db")), one);
    executeSql(sqliteConnectString(dir.file("two.db")), two);
    return "--db1 " + shellQuoted(sqliteConnectString(dir.file("one.db"))) + " --db2 " +
           shellQuoted(sqliteConnectString(dir.file("two.db")));
}

TEST(BatchAdvice, WarnsAboutEntriesAndConditionsThatCannotApplyAndRunsOn) {
    TempDir dir;
    const std::string sides = sqliteSides(dir, {}, {});
    const std::string snapshotOut = "--db1 " +
                                    shellQuoted(sqliteConnectString(dir.file("one.db"))) +
                                    " --snapshot-out " + dir.file("out.zsn");
    const std::string lowerId =
        "zentab-batch: warning: the Ignore Columns entry \"id\" holds lower-case letters and "
        "matches no column, since column names are matched in upper case; write it as \"ID\".";
    struct Case {
        std::string arguments;
        std::vector<std::string> lines;
    } cases[] = {
        {sides + " --add 'Ignore Columns=id' --add 'Ignore Columns=ID'", {lowerId}},
        {sides + " --add 'Ignore Columns=%_at'",
         {"zentab-batch: warning: the Ignore Columns entry \"%_at\" holds lower-case letters and "
          "matches no column, since column names are matched in upper case; write it as "
          "\"%_AT\"."}},
        // Names of every other kind may be spelled in any case: types are matched as the
        // driver spells them, the exclusions without regard to case.
        {sides + " --add 'Ignore Columns=MY%' --add 'Ignore Data Types=integer' --add 'Ignore "
                 "Tables=orders' --add 'Ignore Views=recent' --add 'Ignore Procs=p'",
         {}},
        {sides + " --where 'Orders=id > 0' --where 'Recent=id > 0' --where 'orders='", {}},
        {sides + " --where 'orders=id > 0' --where 'orders=id > 1'",
         {"zentab-batch: warning: --where names \"orders\", but Database 1 has no table or view "
          "of that name (names are matched exactly: it has \"Orders\"); the condition is not "
          "used."}},
        {sides + " --where 'Recent=id > 0' --set b_DoViewStruct=0 --set b_DoViewData=0",
         {"zentab-batch: warning: --where names \"Recent\", but Database 1 has no table of that "
          "name; the condition is not used."}},
        {snapshotOut + " --where 'gone=1 = 1' --add 'Ignore Columns=id'",
         {lowerId, "zentab-batch: warning: --where names \"gone\", but Database 1 has no table "
                   "or view of that name; the condition is not used."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(dir.file("out.zsn"));
        const BatchResult r = runZentabBatch(dir, c.arguments);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ownLines(r.err), c.lines) << r.err;
    }
}

// The preference file the desktop program keeps, pointed at a folder of the test.
class PreferenceFolder {
public:
    explicit PreferenceFolder(const std::string& folder) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            old_ = old;
        }
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~PreferenceFolder() {
        if (old_) {
            setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    PreferenceFolder(const PreferenceFolder&) = delete;
    PreferenceFolder& operator=(const PreferenceFolder&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(BatchPreferences, QuoteStringsReachTheStatementAndNoPreferenceFileIsTouched) {
    TempDir dir;
    const std::string sides = sqliteSides(dir, {"INSERT INTO Orders VALUES (1, 2)"},
                                          {"INSERT INTO Orders VALUES (1, 3)"});
    std::filesystem::create_directories(dir.file("config/Orvane"));
    const std::string stored = "[Settings]\nspecObjStringOpen=<\nspecObjStringClose=>\n";
    writeFile(dir.file("config/Orvane/Zentab.conf"), stored);
    std::filesystem::create_directories(dir.file("empty"));
    const std::string report = " --report " + dir.file("report.txt");

    struct Case {
        std::string folder;
        std::string prefs;
        int status;
        std::string inReport;
    } cases[] = {
        // The stored quotes would break the statement: a run does not read them.
        {"config", "", 1, "Differences found in table Orders"},
        {"config", " --pref specObjStringOpen=[ --pref SPECOBJSTRINGCLOSE=]", 1,
         "Differences found in table Orders"},
        {"empty", " --pref 'specObjStringOpen=<' --pref 'specObjStringClose=>'", 2, "near \"<\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefs);
        const PreferenceFolder folder(dir.file(c.folder));
        const BatchResult r = runZentabBatch(dir, sides + c.prefs + report);
        EXPECT_EQ(r.status, c.status) << r.err;
        const std::string text = readFile(dir.file("report.txt"));
        EXPECT_NE(text.find(c.inReport), std::string::npos) << text;
    }
    EXPECT_EQ(readFile(dir.file("config/Orvane/Zentab.conf")), stored);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("empty")));
}

TEST(BatchPreferences, BracketsReachThePostgresStatement) {
    ZENTAB_REQUIRE_POSTGRES(server);
    const std::optional<std::string> log = postgresLogPath();
    if (!log) {
        GTEST_SKIP() << "no statement log: set ZENTAB_TEST_PG_LOG";
    }
    const std::string schema = testObjectName(40);
    executeSql(server, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema,
                        "CREATE TABLE " + schema + ".quoted (id integer, \"my col\" integer)"});
    TempDir dir;
    const std::string side = shellQuoted(server);
    const BatchResult r = runZentabBatch(
        dir, "--db1 " + side + " --db2 " + side + " --owner1 " + schema + " --owner2 " + schema +
                 " --set b_DoProcStruct=0 --set "
                 "b_DoViewStruct=0 --set b_DoViewData=0 --pref "
                 "'specObjStringOpen=[' --pref 'specObjStringClose=]'");
    executeSql(server, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
    // PostgreSQL takes no brackets: the statement fails, as sent.
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(readFile(*log).find("select id, [my col] from " + schema +
                                  ".quoted order by id, "
                                  "[my col]"),
              std::string::npos);
}

// A database of the test server for one test, so that an unqualified list holds its schemas
// alone.
class PostgresDatabase {
public:
    explicit PostgresDatabase(std::string server)
        : server_(std::move(server)), name_(testObjectName(50)) {
        executeSql(server_, {"DROP DATABASE IF EXISTS " + name_, "CREATE DATABASE " + name_});
    }
    ~PostgresDatabase() {
        try {
            executeSql(server_, {"DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)"});
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    std::string connect() const { return withDatabase(server_, name_); }

private:
    std::string server_;
    std::string name_;
};

TEST(BatchAdvice, SideWithoutOwnerOverSeveralSchemasGetsAHint) {
    ZENTAB_REQUIRE_POSTGRES(server);
    const PostgresDatabase database(server);
    std::vector<std::string> sql = {"CREATE TABLE public.t (id integer)"};
    for (const char* schema : {"sales", "staff", "zeta"}) {
        sql.push_back(std::string("CREATE SCHEMA ") + schema);
        sql.push_back(std::string("CREATE TABLE ") + schema + ".t (id integer)");
    }
    executeSql(database.connect(), sql);
    const std::string sides = "--db1 " + shellQuoted(database.connect()) + " --db2 " +
                              shellQuoted(database.connect()) +
                              " --set b_DoProcStruct=0 --set b_DoTabData=0";
    auto hint = [](int number) {
        const std::string side = std::to_string(number);
        return "zentab-batch: hint: Database " + side +
               " lists tables of 4 schemas (public, sales, staff, ...); give --owner" + side +
               " SCHEMA to compare one of them.";
    };
    struct Case {
        std::string owners;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {hint(1), hint(2)}},
        {" --owner1 sales", {hint(2)}},
        {" --owner1 sales --owner2 staff", {}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.owners);
        const BatchResult r = runZentabBatch(dir, sides + c.owners);
        EXPECT_LE(r.status, 1) << r.err;
        EXPECT_EQ(ownLines(r.err), c.lines) << r.err;
    }
}

class BatchAdviceMariaDb : public MariaDbDatabaseTest {};

// Without an owner that the driver takes, MariaDB lists the tables of every database (catalog)
// of the server.
TEST_F(BatchAdviceMariaDb, SideListingSeveralCatalogsGetsAHint) {
    execute({"CREATE TABLE t (id integer)"});
    const std::string side = shellQuoted(connectString());
    const std::string run = "--db1 " + side + " --db2 " + side +
                            " --set b_DoTabStruct=0 --set b_DoTabData=0 --set b_DoViewStruct=0 "
                            "--set b_DoViewData=0 --set b_DoProcStruct=0";
    TempDir dir;
    const BatchResult unqualified = runZentabBatch(dir, run);
    const std::vector<std::string> lines = ownLines(unqualified.err);
    ASSERT_EQ(lines.size(), 2u) << unqualified.err;
    for (int number : {1, 2}) {
        const std::string& line = lines[static_cast<std::size_t>(number - 1)];
        const std::string n = std::to_string(number);
        EXPECT_EQ(line.rfind("zentab-batch: hint: Database " + n + " lists tables of ", 0), 0u)
            << line;
        EXPECT_NE(line.find(" catalogs ("), std::string::npos) << line;
        EXPECT_TRUE(line.ends_with("); give --owner" + n + " CATALOG to compare one of them."))
            << line;
    }
    const BatchResult qualified =
        runZentabBatch(dir, run + " --owner1 " + database() + " --owner2 " + database());
    EXPECT_EQ(qualified.status, 0) << qualified.err;
    EXPECT_EQ(ownLines(qualified.err), std::vector<std::string>{}) << qualified.err;
}

} // namespace
} // namespace zentab::test

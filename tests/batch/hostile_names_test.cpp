// zentab-batch against databases whose names try to make it run statements of their own: a full
// comparison must leave every table and row in place and send only the statements it builds.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

// A column that turned the data statement into "select user; DROP TABLE victim; --, id ...".
const std::string kColumnDrop = "user;DROP\tTABLE\tvictim;--";
// A table that did the same from the from clause.
const std::string kTableDrop = "q;DROP\tTABLE\tvictim2;SELECT\t1\tAS\tid\tFROM\tvictim";
const std::string kViewDrop = "v;DROP\tTABLE\tvictim2;--";
// PostgreSQL keeps the first 63 bytes of a longer name.
const std::string kLongTable = "long;" + std::string(295, 'n');
const std::string kLongColumn = "wide;" + std::string(295, 'w');

struct Column {
    std::string name;
    std::string type;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::string> rows1; // value lists of Database 1
    std::vector<std::string> rows2;
};

// The targets of the injections, and the tables whose names carry them or other characters
// that a bare name cannot hold. The two injection tables and "Genre" differ in one row.
const std::vector<Table>& victims() {
    static const std::vector<Table> tables = {
        {"victim", {{"id", "integer"}}, {"(1)", "(2)", "(3)"}, {"(1)", "(2)", "(3)"}},
        {"victim2", {{"id", "integer"}}, {"(1)", "(2)"}, {"(1)", "(2)"}},
    };
    return tables;
}

const std::vector<Table>& hostileTables() {
    static const std::vector<Table> tables = {
        {"t3",
         {{"id", "integer"}, {kColumnDrop, "integer"}},
         {"(1, 10)", "(2, 20)"},
         {"(1, 10)", "(2, 21)"}},
        {kTableDrop, {{"id", "integer"}}, {"(1)", "(2)"}, {"(1)", "(3)"}},
        {"say \"hi\"", {{"a\"b", "varchar(20)"}}, {"('x\"y')"}, {"('x\"y')"}},
        {"[br]acket]", {{"x]y[", "integer"}}, {"(1)"}, {"(1)"}},
        {"it's", {{"o'clock", "varchar(20)"}}, {"('noon')"}, {"('noon')"}},
        {"two\nlines", {{"a\nb", "integer"}}, {"(1)"}, {"(1)"}},
        {kLongTable, {{kLongColumn, "integer"}}, {"(1)"}, {"(1)"}},
        {"Café", {{"表", "varchar(20)"}, {"naïve", "integer"}}, {"('x', 1)"}, {"('x', 1)"}},
        {"Genre",
         {{"GenreId", "integer"}, {"Name", "varchar(20)"}},
         {"(1, 'Rock')", "(2, 'Jazz')"},
         {"(1, 'Rock')", "(2, 'Blues')"}},
    };
    return tables;
}

// The test's own quoting: every name in double quotes, a double quote inside doubled.
std::string sqlName(const std::string& name) {
    std::string text = "\"";
    for (char c : name) {
        text += c;
        if (c == '"') {
            text += '"';
        }
    }
    return text + "\"";
}

std::string columnList(const std::vector<Column>& columns, bool withTypes) {
    std::string text;
    for (const Column& column : columns) {
        text += (text.empty() ? "" : ", ") + sqlName(column.name);
        if (withTypes) {
            text += " " + column.type;
        }
    }
    return text;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

// The statements that create `tables` (prefix: the owner and "." in front of each name, or
// nothing) for Database `number`.
std::vector<std::string> creating(const std::vector<Table>& tables, const std::string& prefix,
                                  int number) {
    std::vector<std::string> sql;
    for (const Table& table : tables) {
        const std::string name = prefix + sqlName(table.name);
        sql.push_back("CREATE TABLE " + name + " (" + columnList(table.columns, true) + ")");
        sql.push_back("INSERT INTO " + name + " VALUES " +
                      joined(number == 1 ? table.rows1 : table.rows2));
    }
    return sql;
}

// The hostile tables with an index and a view over the injection column, in `prefix`'s owner.
std::vector<std::string> hostileDatabase(const std::string& prefix, int number) {
    std::vector<std::string> sql = creating(hostileTables(), prefix, number);
    sql.push_back("CREATE INDEX " + sqlName("i;DROP\tTABLE\tvictim;--") + " ON " + prefix + "t3 (" +
                  sqlName(kColumnDrop) + ")");
    sql.push_back("CREATE VIEW " + prefix + sqlName(kViewDrop) + " AS SELECT id, " +
                  sqlName(kColumnDrop) + " FROM " + prefix + "t3");
    return sql;
}

// Every table still holds the rows it was created with.
void expectIntact(const std::string& connectString, const std::vector<Table>& tables,
                  const std::string& prefix, int number) {
    for (const Table& table : tables) {
        SCOPED_TRACE("Database " + std::to_string(number) + ", table " + table.name);
        const auto& rows = number == 1 ? table.rows1 : table.rows2;
        std::string count;
        try {
            count =
                queryValue(connectString, "SELECT COUNT(*) FROM " + prefix + sqlName(table.name));
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(count, std::to_string(rows.size()));
    }
}

struct Result {
    bool exited = false; // ended by itself, not by a signal
    std::string out;
    std::string err;
};

// Runs zentab-batch with `arguments` (already quoted for the shell) after `environment`
// assignments.
Result runBatch(const TempDir& dir, const std::string& arguments,
                const std::string& environment = "") {
    const std::string command = environment + " " + ZENTAB_BATCH_EXE + " " + arguments + " >" +
                                dir.file("out") + " 2>" + dir.file("err") + " </dev/null";
    const int raw = std::system(command.c_str());
    Result result;
    result.exited = raw != -1 && WIFEXITED(raw);
    result.out = readFile(dir.file("out"));
    result.err = readFile(dir.file("err"));
    return result;
}

std::string dataHeader(const std::string& kind, const std::string& name) {
    return "\r\n\r\n\r\nDifferences found in " + kind + " " + name + "\r\n";
}

// The report holds a difference block for each of `tables`.
void expectCompared(const std::string& report, const std::vector<std::string>& tables) {
    for (const std::string& table : tables) {
        EXPECT_NE(report.find(dataHeader("table", table)), std::string::npos) << table;
    }
}

TEST(BatchSafety, HostileNamesOnSqliteDestroyNothingAndAreCompared) {
    TempDir dir;
    const std::string one = sqliteConnectString(dir.file("one.db"));
    const std::string two = sqliteConnectString(dir.file("two.db"));
    for (int number : {1, 2}) {
        std::vector<std::string> sql = creating(victims(), "", number);
        for (std::string& statement : hostileDatabase("", number)) {
            sql.push_back(std::move(statement));
        }
        executeSql(number == 1 ? one : two, sql);
    }

    const Result r = runBatch(dir, "--db1 " + shellQuoted(one) + " --db2 " + shellQuoted(two));
    // The 300-character names are cut when listed and their statements fail; the run goes on.
    EXPECT_TRUE(r.exited) << r.err;
    for (int number : {1, 2}) {
        expectIntact(number == 1 ? one : two, victims(), "", number);
        expectIntact(number == 1 ? one : two, hostileTables(), "", number);
    }
    expectCompared(r.out, {"t3", kTableDrop, "Genre"});
    EXPECT_NE(r.out.find(dataHeader("view", kViewDrop)), std::string::npos) << r.out;
    for (const char* name : {"say \"hi\"", "[br]acket]", "it's", "two\nlines", "Café"}) {
        EXPECT_NE(r.out.find(std::string("No data differences were found in table ") + name),
                  std::string::npos)
            << name;
    }
}

// Databases of the test server that belong to one test, created empty and dropped at the end:
// the injections aim at tables of the public schema, which the shared database must not risk.
class PostgresDatabases {
public:
    PostgresDatabases(std::string server, const std::string& base) : server_(std::move(server)) {
        for (int number : {1, 2}) {
            names_.push_back("zt_" + base + "_" + std::to_string(getpid()) + "_" +
                             std::to_string(number));
            executeSql(server_, {"DROP DATABASE IF EXISTS " + names_.back(),
                                 "CREATE DATABASE " + names_.back()});
        }
    }
    ~PostgresDatabases() {
        for (const std::string& name : names_) {
            try {
                executeSql(server_, {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
    PostgresDatabases(const PostgresDatabases&) = delete;
    PostgresDatabases& operator=(const PostgresDatabases&) = delete;

    const std::string& name(int number) const { return names_.at(number - 1); }
    std::string connect(int number) const { return withDatabase(server_, name(number)); }

private:
    std::string server_;
    std::vector<std::string> names_;
};

// The two faults the injection names found, on PostgreSQL: the victims survive, and both tables
// are compared. (Procedures are left out: without an owner psqlODBC lists every built-in
// function, which costs time and tells nothing here.)
TEST(BatchSafety, InjectionNamesOnPostgresAreComparedAsNames) {
    ZENTAB_REQUIRE_POSTGRES(server);
    PostgresDatabases databases(server, "inject");
    const std::vector<Table> tables(hostileTables().begin(), hostileTables().begin() + 2);
    for (int number : {1, 2}) {
        std::vector<std::string> sql = creating(victims(), "", number);
        for (std::string& statement : creating(tables, "", number)) {
            sql.push_back(std::move(statement));
        }
        executeSql(databases.connect(number), sql);
    }

    TempDir dir;
    const Result r =
        runBatch(dir, "--db1 " + shellQuoted(databases.connect(1)) + " --db2 " +
                          shellQuoted(databases.connect(2)) + " --set b_DoProcStruct=0");
    EXPECT_TRUE(r.exited) << r.err;
    for (int number : {1, 2}) {
        expectIntact(databases.connect(number), victims(), "", number);
        expectIntact(databases.connect(number), tables, "", number);
    }
    expectCompared(r.out, {"t3", kTableDrop});
    EXPECT_EQ(r.out.find("The following error was received"), std::string::npos) << r.out;
}

// PostgreSQL folds unquoted names to lower case: "Genre" and its column "Name" are found only
// when quoted, which the program must do without being told.
TEST(BatchSafety, MixedCaseTableOnPostgresIsComparedWithDefaultSettings) {
    ZENTAB_REQUIRE_POSTGRES(server);
    PostgresDatabases databases(server, "mixed");
    const std::vector<Table> tables(hostileTables().end() - 1, hostileTables().end());
    for (int number : {1, 2}) {
        executeSql(databases.connect(number), creating(tables, "", number));
    }
    TempDir dir;
    const Result r = runBatch(dir, "--db1 " + shellQuoted(databases.connect(1)) + " --db2 " +
                                       shellQuoted(databases.connect(2)));
    EXPECT_TRUE(r.exited) << r.err;
    expectCompared(r.out, {"Genre"});
    EXPECT_EQ(r.out.find("The following error was received"), std::string::npos) << r.out;
}

// One record of the server log: the database it concerns and its message.
struct LogRecord {
    std::string database;
    std::string severity; // LOG, ERROR, ...
    std::string message;  // "statement: ..." for a statement
};

// The records of the server log from byte `from` on. A record starts with the prefix
// "<time> <zone> [<pid>] <database> <SEVERITY>:  "; the server puts a tab in front of each
// further line of a message.
std::vector<LogRecord> logRecords(const std::string& path, std::uintmax_t from) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<LogRecord> records;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '\t') {
            if (!records.empty()) {
                records.back().message += "\n" + line.substr(1);
            }
            continue;
        }
        const std::size_t pidEnd = line.find("] ");
        const std::size_t severityEnd = line.find(":  ", pidEnd == std::string::npos ? 0 : pidEnd);
        if (pidEnd == std::string::npos || severityEnd == std::string::npos) {
            continue;
        }
        const std::string middle = line.substr(pidEnd + 2, severityEnd - pidEnd - 2);
        const std::size_t blank = middle.rfind(' ');
        LogRecord record;
        record.database = blank == std::string::npos ? std::string() : middle.substr(0, blank);
        record.severity = middle.substr(blank == std::string::npos ? 0 : blank + 1);
        record.message = line.substr(severityEnd + 3);
        records.push_back(std::move(record));
    }
    return records;
}

// What psqlODBC sends by itself: its session settings, and the catalog queries behind the ODBC
// catalog functions, which read pg_catalog and carry names only as string literals.
bool isDriverStatement(const std::string& text) {
    static const std::vector<std::string> own = {
        "select oid, typbasetype from pg_type where typname = 'lo'",
        "select NULL, NULL, NULL",
    };
    return text.rfind("SET DateStyle = 'ISO';", 0) == 0 ||
           std::find(own.begin(), own.end(), text) != own.end() ||
           text.find("pg_catalog.") != std::string::npos;
}

// The whole fixture in a schema whose name is itself hostile, every phase on. Afterwards every
// table is intact, and the server's log shows, for the two databases, the driver's own
// statements and exactly one data statement per table and view on each side: the ones the
// program means to send, every name in quotes.
TEST(BatchSafety, HostileNamesOnPostgresSendOnlyTheProgramsStatements) {
    ZENTAB_REQUIRE_POSTGRES(server);
    const std::optional<std::string> log = postgresLogPath();
    if (!log) {
        if (postgresRequired()) {
            FAIL() << "no server log: set ZENTAB_TEST_PG_LOG to the test server's statement log";
        }
        GTEST_SKIP() << "no server log: set ZENTAB_TEST_PG_LOG to the test server's statement log";
    }
    PostgresDatabases databases(server, "hostile");
    const std::string schema = "Sch\"ema;DROP\tTABLE\tvictim;--";
    const std::string prefix = sqlName(schema) + ".";
    for (int number : {1, 2}) {
        std::vector<std::string> sql = creating(victims(), "", number);
        sql.push_back("CREATE SCHEMA " + sqlName(schema));
        for (std::string& statement : hostileDatabase(prefix, number)) {
            sql.push_back(std::move(statement));
        }
        sql.push_back("CREATE FUNCTION " + prefix + sqlName("f;DROP\tTABLE\tvictim") +
                      "(x integer) RETURNS integer LANGUAGE sql AS 'SELECT 1'");
        executeSql(databases.connect(number), sql);
    }

    // The data statements: every name quoted but the column "id", the owner in front.
    std::multiset<std::string> expected;
    auto add = [&](const std::string& object, const std::vector<Column>& columns) {
        std::vector<std::string> names;
        for (const Column& column : columns) {
            names.push_back(column.name == "id" ? column.name : sqlName(column.name.substr(0, 63)));
        }
        expected.insert("select " + joined(names) + " from " + prefix +
                        (object == "t3" ? object : sqlName(object.substr(0, 63))) + " order by " +
                        joined(names));
    };
    for (const Table& table : hostileTables()) {
        add(table.name, table.columns);
    }
    add(kViewDrop, hostileTables().front().columns);

    ASSERT_TRUE(std::filesystem::exists(*log)) << *log;
    const std::uintmax_t logStart = std::filesystem::file_size(*log);
    TempDir dir;
    const std::string owner =
        " --owner1 " + shellQuoted(schema) + " --owner2 " + shellQuoted(schema);
    const Result r = runBatch(dir, "--db1 " + shellQuoted(databases.connect(1)) + " --db2 " +
                                       shellQuoted(databases.connect(2)) + owner);
    // Read before the test counts the rows with statements of its own.
    const std::vector<LogRecord> records = logRecords(*log, logStart);
    EXPECT_TRUE(r.exited) << r.err;
    for (int number : {1, 2}) {
        expectIntact(databases.connect(number), victims(), "", number);
        expectIntact(databases.connect(number), hostileTables(), prefix, number);
    }
    expectCompared(r.out, {"t3", kTableDrop, "Genre"});
    EXPECT_NE(r.out.find(dataHeader("view", kViewDrop)), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("The following error was received"), std::string::npos) << r.out;

    std::map<std::string, std::multiset<std::string>> sent; // by database
    const std::string statement = "statement: ";
    for (const LogRecord& record : records) {
        if (record.database != databases.name(1) && record.database != databases.name(2)) {
            continue;
        }
        // No statement failed, and none was refused.
        EXPECT_EQ(record.severity, "LOG") << record.database << ": " << record.message;
        if (record.severity != "LOG" || record.message.rfind(statement, 0) != 0) {
            continue;
        }
        const std::string text = record.message.substr(statement.size());
        if (!isDriverStatement(text)) {
            sent[record.database].insert(text);
        }
    }
    for (int number : {1, 2}) {
        std::multiset<std::string>& got = sent[databases.name(number)];
        for (const std::string& text : got) {
            EXPECT_EQ(expected.count(text), 1u) << "Database " << number << " was sent " << text;
        }
        for (const std::string& text : expected) {
            EXPECT_EQ(got.count(text), 1u) << "Database " << number << " was not sent " << text;
        }
    }
}

// The program asks each side for read-only access; the driver manager's trace shows the
// request, whatever the driver then does with it.
TEST(BatchSafety, BothSidesAreAskedForReadOnlyAccess) {
    TempDir dir;
    const std::string one = sqliteConnectString(dir.file("one.db"));
    const std::string two = sqliteConnectString(dir.file("two.db"));
    executeSql(one, {"CREATE TABLE t (id integer)"});
    executeSql(two, {"CREATE TABLE t (id integer)"});

    // The system's driver list with tracing switched on, read through ODBCSYSINI.
    std::string drivers;
    if (FILE* pipe = popen("odbcinst -j", "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            std::string text = line;
            if (text.rfind("DRIVERS", 0) == 0) {
                drivers = text.substr(text.find(": ") + 2);
                drivers.erase(drivers.find_last_not_of("\r\n") + 1);
            }
        }
        pclose(pipe);
    }
    ASSERT_FALSE(drivers.empty()) << "odbcinst -j names no driver list";
    const std::string trace = dir.file("trace.log");
    writeFile(dir.file("odbcinst.ini"),
              readFile(drivers) + "\n[ODBC]\nTrace=Yes\nTraceFile=" + trace + "\n");

    const Result r = runBatch(dir, "--db1 " + shellQuoted(one) + " --db2 " + shellQuoted(two),
                              "ODBCSYSINI=" + shellQuoted(dir.path().string()));
    EXPECT_TRUE(r.exited) << r.err;
    const std::string log = readFile(trace);
    int requests = 0;
    const std::string request = "Attribute = SQL_ATTR_ACCESS_MODE\n\t\t\tValue = 0x1\n";
    for (std::size_t at = log.find(request); at != std::string::npos;
         at = log.find(request, at + 1)) {
        ++requests;
    }
    EXPECT_EQ(requests, 2) << log.substr(0, 2000);
}

} // namespace
} // namespace zentab::test

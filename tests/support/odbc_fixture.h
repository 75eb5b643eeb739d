#pragma once
// Databases for tests, created by executing SQL through ODBC with the real drivers: SQLite3 in a
// temporary folder, and the PostgreSQL server named by ZENTAB_TEST_PG. Test thread only.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zentab::test {

// "Driver=SQLite3;Database=<path>;": the file is created on first connection.
std::string sqliteConnectString(const std::string& dbPath);
// The same with StepAPI=1, which makes the driver stream rows instead of reading the whole result
// at execute time: for large tables.
std::string sqliteStreamingConnectString(const std::string& dbPath);
// A PostgreSQL connect string with cursor-based fetching (UseDeclareFetch=1;Fetch=1000), the
// streaming form for large tables.
std::string postgresStreamingConnectString(const std::string& connectString);

// Executes each statement on one connection (autocommit). Throws std::runtime_error naming the
// statement and the driver's message when connecting or a statement fails.
void executeSql(const std::string& connectString, const std::vector<std::string>& statements);

// The first column of the first row `sql` returns, as text (empty for NULL). Throws like
// executeSql, and when no row comes.
std::string queryValue(const std::string& connectString, const std::string& sql);

// The connect string of the test server (environment variable ZENTAB_TEST_PG), when set.
std::optional<std::string> postgresConnectString();
// The same connect string naming another database of the server.
std::string withDatabase(const std::string& connectString, const std::string& database);
// The server's log of every statement (environment variable ZENTAB_TEST_PG_LOG), when set.
std::optional<std::string> postgresLogPath();
// Under CI (environment variable CI set) a missing server fails the test instead of skipping it.
bool postgresRequired();

inline constexpr const char* kPostgresMissing =
    "no PostgreSQL server: set ZENTAB_TEST_PG to its ODBC connect string";

// Binds `var` to the server's connect string, or skips (fails under CI) the current test.
#define ZENTAB_REQUIRE_POSTGRES(var)                                                               \
    std::string var;                                                                               \
    if (auto zentabPostgres_ = ::zentab::test::postgresConnectString()) {                          \
        var = *zentabPostgres_;                                                                    \
    } else if (::zentab::test::postgresRequired()) {                                               \
        FAIL() << ::zentab::test::kPostgresMissing;                                                \
    } else {                                                                                       \
        GTEST_SKIP() << ::zentab::test::kPostgresMissing;                                          \
    }

// The connect string of the MariaDB test server (environment variable ZENTAB_TEST_MARIADB), when
// set; it names the database "zentab".
std::optional<std::string> mariadbConnectString();

inline constexpr const char* kMariaDbMissing =
    "no MariaDB server: set ZENTAB_TEST_MARIADB to its ODBC connect string";

// Binds `var` to the MariaDB server's connect string, or skips (fails under CI) the current test.
#define ZENTAB_REQUIRE_MARIADB(var)                                                                \
    std::string var;                                                                               \
    if (auto zentabMariaDb_ = ::zentab::test::mariadbConnectString()) {                            \
        var = *zentabMariaDb_;                                                                     \
    } else if (::zentab::test::postgresRequired()) {                                               \
        FAIL() << ::zentab::test::kMariaDbMissing;                                                 \
    } else {                                                                                       \
        GTEST_SKIP() << ::zentab::test::kMariaDbMissing;                                           \
    }

// A lower-case name for what the current test creates on a shared server: "zt_", the test's
// names and the process id (two builds may run the same test at once), at most `limit` bytes.
std::string testObjectName(std::size_t limit);

// A fixture for tests on the shared PostgreSQL database: each test gets a schema of its own,
// named from the test and the process, dropped with everything in it before and after.
class PostgresSchemaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& connectString() const { return connectString_; }
    const std::string& schema() const { return schema_; }
    // schema.name, for building statements.
    std::string qualified(const std::string& name) const { return schema_ + "." + name; }
    void execute(const std::vector<std::string>& statements) const {
        executeSql(connectString_, statements);
    }

private:
    std::string connectString_;
    std::string schema_;
};

// A fixture for tests on the MariaDB server: each test gets a database of its own (in MariaDB a
// database is the catalog that qualifies names), dropped with everything in it before and after.
// The connect string names that database.
class MariaDbDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& connectString() const { return connectString_; }
    const std::string& database() const { return database_; }
    void execute(const std::vector<std::string>& statements) const {
        executeSql(connectString_, statements);
    }

private:
    std::string serverString_;
    std::string connectString_;
    std::string database_;
};

} // namespace zentab::test

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

} // namespace zentab::test

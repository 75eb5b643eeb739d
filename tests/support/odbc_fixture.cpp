#include "support/odbc_fixture.h"

#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "db/diagnostics.h"
#include "db/odbc_handles.h"

namespace zentab::test {

namespace {

std::string diagnostic(SQLSMALLINT type, void* handle) {
    DiagnosticHandles handles;
    (type == SQL_HANDLE_STMT ? handles.statement : handles.connection) = handle;
    return allDiagnostics(handles);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string sqliteConnectString(const std::string& dbPath) {
    return "Driver=SQLite3;Database=" + dbPath + ";";
}

std::string sqliteStreamingConnectString(const std::string& dbPath) {
    return sqliteConnectString(dbPath) + "StepAPI=1;";
}

std::string postgresStreamingConnectString(const std::string& connectString) {
    std::string text = connectString;
    if (!text.empty() && text.back() != ';') {
        text += ';';
    }
    return text + "UseDeclareFetch=1;Fetch=1000;";
}

namespace {

// Environment and connection, connected to `connectString` or throwing.
struct TestConnection {
    explicit TestConnection(const std::string& connectString) {
        if (!environment.allocate() || !connection.allocate(environment)) {
            throw std::runtime_error("cannot allocate ODBC handles");
        }
        std::string input = connectString;
        SQLCHAR out[1024];
        SQLSMALLINT outLength = 0;
        SQLRETURN rc = SQLDriverConnect(static_cast<SQLHDBC>(connection.get()), nullptr,
                                        reinterpret_cast<SQLCHAR*>(input.data()), SQL_NTS, out,
                                        sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
            throw std::runtime_error("cannot connect to " + connectString + ": " +
                                     diagnostic(SQL_HANDLE_DBC, connection.get()));
        }
        connection.markConnected();
    }

    OdbcEnvironment environment;
    OdbcConnection connection;
};

} // namespace

void executeSql(const std::string& connectString, const std::vector<std::string>& statements) {
    TestConnection test(connectString);
    OdbcConnection& connection = test.connection;
    for (const std::string& text : statements) {
        OdbcStatement statement;
        if (!statement.allocate(connection)) {
            throw std::runtime_error("executeSql: cannot allocate a statement: " +
                                     diagnostic(SQL_HANDLE_DBC, connection.get()));
        }
        std::string sql = text;
        SQLRETURN rc = SQLExecDirect(static_cast<SQLHSTMT>(statement.get()),
                                     reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
        // Notices (DROP ... IF EXISTS) and statements that touch no rows are fine here.
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO && rc != SQL_NO_DATA) {
            throw std::runtime_error("executeSql: " + text + ": " +
                                     diagnostic(SQL_HANDLE_STMT, statement.get()));
        }
    }
}

std::string queryValue(const std::string& connectString, const std::string& sql) {
    TestConnection test(connectString);
    OdbcStatement statement;
    if (!statement.allocate(test.connection)) {
        throw std::runtime_error("queryValue: cannot allocate a statement");
    }
    SQLHSTMT handle = static_cast<SQLHSTMT>(statement.get());
    std::string text = sql;
    SQLRETURN rc = SQLExecDirect(handle, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        throw std::runtime_error("queryValue: " + sql + ": " +
                                 diagnostic(SQL_HANDLE_STMT, statement.get()));
    }
    rc = SQLFetch(handle);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        throw std::runtime_error("queryValue: " + sql + ": no row");
    }
    std::array<char, 4096> value{};
    SQLLEN indicator = 0;
    rc = SQLGetData(handle, 1, SQL_C_CHAR, value.data(), static_cast<SQLLEN>(value.size()),
                    &indicator);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        throw std::runtime_error("queryValue: " + sql + ": " +
                                 diagnostic(SQL_HANDLE_STMT, statement.get()));
    }
    return indicator == SQL_NULL_DATA ? std::string() : std::string(value.data());
}

std::optional<std::string> postgresConnectString() {
    std::string value = environment("ZENTAB_TEST_PG");
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

std::string withDatabase(const std::string& connectString, const std::string& database) {
    const std::string key = "Database=";
    const std::size_t at = connectString.find(key);
    if (at == std::string::npos) {
        return connectString + (connectString.empty() || connectString.back() == ';' ? "" : ";") +
               key + database + ";";
    }
    const std::size_t start = at + key.size();
    const std::size_t end = std::min(connectString.find(';', start), connectString.size());
    return connectString.substr(0, start) + database + connectString.substr(end);
}

std::optional<std::string> postgresLogPath() {
    std::string value = environment("ZENTAB_TEST_PG_LOG");
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

bool postgresRequired() {
    return std::getenv("CI") != nullptr;
}

std::optional<std::string> mariadbConnectString() {
    std::string value = environment("ZENTAB_TEST_MARIADB");
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

// Lower case so that the name needs no quoting and means the same on every system.
std::string testObjectName(std::size_t limit) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::string cleaned;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        cleaned += std::isalnum(u) ? static_cast<char>(std::tolower(u)) : '_';
    }
    std::string suffix = "_" + std::to_string(getpid());
    const std::size_t room = limit - 3 - suffix.size();
    if (cleaned.size() > room) {
        std::string hash = std::to_string(std::hash<std::string>{}(cleaned) % 100000);
        cleaned = cleaned.substr(0, room - hash.size() - 1) + "_" + hash;
    }
    return "zt_" + cleaned + suffix;
}

void PostgresSchemaTest::SetUp() {
    std::optional<std::string> server = postgresConnectString();
    if (!server) {
        if (postgresRequired()) {
            FAIL() << kPostgresMissing;
        }
        GTEST_SKIP() << kPostgresMissing;
    }
    connectString_ = *server;

    schema_ = testObjectName(63); // PostgreSQL names hold 63 bytes
    execute({"DROP SCHEMA IF EXISTS " + schema_ + " CASCADE", "CREATE SCHEMA " + schema_});
}

void PostgresSchemaTest::TearDown() {
    if (!schema_.empty()) {
        execute({"DROP SCHEMA IF EXISTS " + schema_ + " CASCADE"});
    }
}

void MariaDbDatabaseTest::SetUp() {
    std::optional<std::string> server = mariadbConnectString();
    if (!server) {
        if (postgresRequired()) {
            FAIL() << kMariaDbMissing;
        }
        GTEST_SKIP() << kMariaDbMissing;
    }
    serverString_ = *server;
    database_ = testObjectName(64); // MariaDB names hold 64 characters
    executeSql(serverString_,
               {"DROP DATABASE IF EXISTS " + database_, "CREATE DATABASE " + database_});
    connectString_ = withDatabase(serverString_, database_);
}

void MariaDbDatabaseTest::TearDown() {
    if (!database_.empty()) {
        executeSql(serverString_, {"DROP DATABASE IF EXISTS " + database_});
    }
}

} // namespace zentab::test

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "db/database_source.h"
#include "db/odbc_handles.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

// The data types the driver reports for the result columns of `query`.
std::vector<int> resultTypes(const std::string& connectString, const std::string& query) {
    test::RecordingHost host;
    auto side = DatabaseSource::ConnectStored(host, connectString, "", "", " ");
    EXPECT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    OdbcStatement statement;
    std::string error;
    EXPECT_TRUE(side->ExecuteStatement(query, statement, error)) << error;
    std::vector<int> types;
    SQLSMALLINT count = 0;
    SQLNumResultCols(static_cast<SQLHSTMT>(statement.get()), &count);
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        SQLSMALLINT type = 0;
        SQLCHAR name[64];
        SQLSMALLINT nameLength = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeCol(static_cast<SQLHSTMT>(statement.get()), column, name, sizeof name,
                       &nameLength, &type, &size, &digits, &nullable);
        types.push_back(type);
    }
    return types;
}

// The type table of the column comparison expects the ODBC 2 codes 9, 10 and 11; an ODBC 3
// environment would make the drivers report 91, 92 and 93.
TEST(OdbcEnvironment, SqliteReportsOdbc2DateTimeCodes) {
    test::TempDir dir;
    const std::string sqlite = test::sqliteConnectString(dir.file("dates.db"));
    test::executeSql(sqlite, {"CREATE TABLE t (d date, t time, ts timestamp)"});
    EXPECT_EQ(resultTypes(sqlite, "SELECT d, t, ts FROM t"), (std::vector<int>{9, 10, 11}));
}

TEST(OdbcEnvironment, PostgresReportsOdbc2DateTimeCodes) {
    ZENTAB_REQUIRE_POSTGRES(postgres);
    EXPECT_EQ(resultTypes(postgres, "SELECT current_date, localtime, localtimestamp"),
              (std::vector<int>{9, 10, 11}));
}

// psqlODBC refuses to execute on a statement whose cursor is still open, so it shows whether
// close() really closed the cursor while keeping the handle.
TEST(OdbcStatement, CloseKeepsTheHandleForTheNextStatement) {
    ZENTAB_REQUIRE_POSTGRES(postgres);
    test::RecordingHost host;
    auto side = DatabaseSource::ConnectStored(host, postgres, "", "", " ");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());

    OdbcStatement statement;
    std::string error;
    ASSERT_TRUE(side->ExecuteStatement("SELECT 1", statement, error)) << error;
    void* handle = statement.get();
    statement.close();
    ASSERT_EQ(statement.get(), handle);
    SQLCHAR query[] = "SELECT 2";
    EXPECT_EQ(SQLExecDirect(static_cast<SQLHSTMT>(statement.get()), query, SQL_NTS), SQL_SUCCESS);
    std::string row;
    ASSERT_EQ(side->FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, "2");

    OdbcStatement moved = std::move(statement);
    EXPECT_FALSE(statement);
    EXPECT_EQ(moved.get(), handle);
    side->FreeStatement(moved);
    EXPECT_FALSE(moved);
}

} // namespace
} // namespace zentab

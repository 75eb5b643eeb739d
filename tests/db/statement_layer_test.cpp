#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/database_source.h"
#include "db/row_text.h"
#include "db/sha256.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

using test::RecordingHost;

// Creates `table` with the rows the checks below expect; `longValue` is the SQL of a text of
// 9999 'a' followed by 2001 'b'.
std::vector<std::string> rowFixture(const std::string& table, const std::string& longValue) {
    return {
        "CREATE TABLE " + table + " (id integer, a varchar(20), b varchar(20), c text)",
        "INSERT INTO " + table + " VALUES (1, 'first', NULL, 'third')",
        "INSERT INTO " + table + " VALUES (2, '', NULL, '')",
        "INSERT INTO " + table + " VALUES (3, 'x', 'after', " + longValue + ")",
        "INSERT INTO " + table + " VALUES (4, 'reused storage', 'row', NULL)",
        "INSERT INTO " + table + " VALUES (5, NULL, NULL, NULL)",
    };
}

void checkRowTexts(DatabaseSource& side, const std::string& table) {
    OdbcStatement statement;
    std::string error;
    ASSERT_TRUE(
        side.ExecuteStatement("SELECT a, b, c FROM " + table + " ORDER BY id", statement, error))
        << error;
    EXPECT_EQ(error, "");
    std::string row = "stale";
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, "first \t  \t third"); // NULL in the middle
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, " \t  \t "); // empty and NULL read alike
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    // Cut for the report, the whole value read and kept as its digest after the mark.
    Sha256 whole;
    whole.update(std::string(9999, 'a') + std::string(2001, 'b'));
    EXPECT_EQ(row, "x \t after \t " + std::string(9999, 'a') + kLongValueMark + whole.hexDigest());
    // The caller's text is reused: a shorter row needs no new storage.
    const char* storage = row.data();
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, "reused storage \t row \t ");
    EXPECT_EQ(row.data(), storage);
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, " \t  \t ");
    EXPECT_EQ(side.FetchRowText(statement, row), FetchResult::End);
    EXPECT_EQ(row, "");
    EXPECT_EQ(side.FetchRowText(statement, row), FetchResult::End);
    // Executed again, the statement reads as many values as its new result has.
    ASSERT_TRUE(side.ExecuteStatement("SELECT id FROM " + table + " ORDER BY id", statement, error))
        << error;
    ASSERT_EQ(side.FetchRowText(statement, row), FetchResult::Row);
    EXPECT_EQ(row, "1");
    side.FreeStatement(statement);
    EXPECT_FALSE(statement);
}

void checkFailedStatement(DatabaseSource& side, const std::string& text,
                          const std::string& expectedPart) {
    OdbcStatement statement;
    std::string error;
    std::string row = "stale";
    EXPECT_FALSE(side.ExecuteStatement(text, statement, error));
    EXPECT_NE(error.find(expectedPart), std::string::npos) << error;
    EXPECT_LT(error.size(), 200u);
    EXPECT_EQ(side.lastError, error);
    EXPECT_FALSE(statement); // freed: nothing to fetch from
    EXPECT_EQ(side.FetchRowText(statement, row), FetchResult::End);
    EXPECT_EQ(row, "");
}

TEST(StatementLayer, SqliteRowsErrorsAndColumns) {
    test::TempDir dir;
    const std::string connectString = test::sqliteConnectString(dir.file("rows.db"));
    test::executeSql(connectString,
                     rowFixture("t", "substr(replace(hex(zeroblob(5000)), '0', 'a'), 1, 9999) || "
                                     "substr(replace(hex(zeroblob(1001)), '0', 'b'), 1, 2001)"));
    RecordingHost host;
    auto side = DatabaseSource::ConnectStored(host, connectString, "", "", " ");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());

    checkRowTexts(*side, "t");
    checkFailedStatement(*side, "SELECT * FROM no_such_table", "no such table: no_such_table");

    OdbcStatement statement;
    std::string error;
    ASSERT_TRUE(side->ExecuteStatement("SELECT a AS first, id FROM t", statement, error));
    std::vector<ResultColumn> columns = {{"kept", 1}};
    side->DescribeResultColumns(statement, columns);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].name, "kept");
    EXPECT_EQ(columns[1].name, "first");
    EXPECT_EQ(columns[1].size, 20);
    EXPECT_EQ(columns[2].name, "id");
    EXPECT_EQ(columns[2].size, 10);
    EXPECT_TRUE(host.messages().empty());
}

class PostgresStatements : public test::PostgresSchemaTest {};

TEST_F(PostgresStatements, RowsErrorsAndColumns) {
    execute(rowFixture(qualified("t"), "repeat('a', 9999) || repeat('b', 2001)"));
    RecordingHost host;
    auto side = DatabaseSource::ConnectStored(host, connectString(), "", "", " ");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());

    checkRowTexts(*side, qualified("t"));
    checkFailedStatement(*side, "SELECT * FROM " + qualified("no_such_table"),
                         "relation \"" + qualified("no_such_table") + "\" does not exist");
    // Success with information is still a failure of the statement; the notice is its text.
    checkFailedStatement(*side, "DO $$BEGIN RAISE NOTICE 'look here'; END$$", "look here");

    OdbcStatement statement;
    std::string error;
    ASSERT_TRUE(side->ExecuteStatement(
        "SELECT CAST('x' AS varchar(20)) AS name, CAST(42 AS integer) AS n", statement, error));
    std::vector<ResultColumn> columns;
    side->DescribeResultColumns(statement, columns);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].name, "name");
    EXPECT_EQ(columns[0].size, 20);
    EXPECT_EQ(columns[1].name, "n");
    EXPECT_EQ(columns[1].size, 10);
    EXPECT_TRUE(host.messages().empty());
}

} // namespace
} // namespace zentab

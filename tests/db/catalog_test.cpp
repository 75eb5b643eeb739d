// The catalog queries and the diagnostics reader on a real SQLite3 driver: typed rows, NULL and
// cut names, search-pattern escaping, and messages cut to the buffer the caller gives.

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/catalog.h"
#include "db/database_source.h"
#include "db/diagnostics.h"
#include "db/search_pattern.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

using test::RecordingHost;
using test::TempDir;

class SqliteCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string connect = test::sqliteConnectString(dir.file("catalog.db"));
        test::executeSql(connect, {
                                      "CREATE TABLE a_b (id INTEGER NOT NULL, "
                                      "a_rather_long_column_name VARCHAR(20))",
                                      "CREATE TABLE axb (other INTEGER)",
                                      "CREATE UNIQUE INDEX a_b_id ON a_b (id)",
                                      "CREATE INDEX a_b_name ON a_b (a_rather_long_column_name)",
                                  });
        side = DatabaseSource::ConnectStored(host, connect, "", "", " ");
        ASSERT_FALSE(side->notUsable);
    }

    std::vector<ColumnRow> columns(const std::string& table, std::size_t nameBuffer) {
        CatalogQuery query(*side, CatalogFunction::Columns, nameBuffer);
        EXPECT_TRUE(query.open(table, searchPatternEscape(*side)));
        EXPECT_TRUE(query.bind());
        std::vector<ColumnRow> rows;
        while (query.fetch() == FetchResult::Row) {
            rows.push_back(query.columnRow());
        }
        return rows;
    }

    TempDir dir;
    RecordingHost host;
    std::unique_ptr<DatabaseSource> side;
};

TEST_F(SqliteCatalog, ColumnRowsAreTypedAndTheUnderscoreMatchesOnlyItself) {
    const std::vector<ColumnRow> rows = columns("a_b", 128);
    ASSERT_EQ(rows.size(), 2u); // not axb's column
    EXPECT_EQ(rows[0].name.text, "id");
    EXPECT_FALSE(rows[0].name.cut);
    EXPECT_EQ(rows[0].nullable, 0);
    EXPECT_EQ(rows[1].name.text, "a_rather_long_column_name");
    EXPECT_EQ(rows[1].typeName.text, "VARCHAR(20)"); // SQLite names the type as declared
    EXPECT_EQ(rows[1].columnSize, 20);
    EXPECT_EQ(rows[1].nullable, 1);
}

TEST_F(SqliteCatalog, NamesLongerThanTheBufferAreCutAndMarked) {
    const std::vector<ColumnRow> rows = columns("a_b", 8);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name.text, "id");
    EXPECT_FALSE(rows[0].name.cut);
    EXPECT_EQ(rows[1].name.text, "a_rathe");
    EXPECT_TRUE(rows[1].name.cut);
}

TEST_F(SqliteCatalog, StatisticsRowsGiveUniquenessAndColumnPerIndex) {
    CatalogQuery query(*side, CatalogFunction::Statistics);
    ASSERT_TRUE(query.open("a_b"));
    ASSERT_TRUE(query.bind());
    std::vector<std::string> seen;
    while (query.fetch() == FetchResult::Row) {
        const StatisticsRow& row = query.statisticsRow();
        if (row.type == kTableStatistics) {
            continue;
        }
        ASSERT_TRUE(row.nonUnique.has_value());
        seen.push_back(row.indexName.text + ":" + std::to_string(*row.nonUnique) + ":" +
                       row.columnName.text);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"a_b_id:0:id", "a_b_name:1:a_rather_long_column_name"}));
}

TEST_F(SqliteCatalog, DiagnosticsAreCutToTheCallersBufferAndJoinedWhole) {
    OdbcStatement statement;
    ASSERT_TRUE(statement.allocate(side->connection()));
    const DiagnosticHandles handles{nullptr, side->connection().get(), statement.get()};
    EXPECT_EQ(firstDiagnosticMessage(handles, 200), ""); // nothing to say yet
    std::string sql = "SELECT * FROM no_such_table";
    ASSERT_FALSE(odbcSucceeded(SQLExecDirect(static_cast<SQLHSTMT>(statement.get()),
                                             reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));

    const std::string whole = firstDiagnosticMessage(handles, 1024);
    EXPECT_NE(whole.find("no_such_table"), std::string::npos) << whole;
    const std::string cut = firstDiagnosticMessage(handles, 10);
    EXPECT_EQ(cut, whole.substr(0, 9));
    // Every record with its state; reading does not use them up.
    const std::string all = allDiagnostics(handles);
    EXPECT_EQ(all.find(": "), 5u) << all; // the five-character state first
    EXPECT_NE(all.find(whole), std::string::npos) << all;
    EXPECT_EQ(firstDiagnosticMessage(handles, 1024), whole);

    // The side's own reader keeps the first record, cut to its 200-byte buffer.
    std::string error;
    OdbcStatement failed;
    ASSERT_FALSE(side->ExecuteStatement("SELECT * FROM " + std::string(300, 'x'), failed, error));
    EXPECT_EQ(error.size(), 199u) << error;
    EXPECT_EQ(allDiagnostics({}), "");
}

} // namespace
} // namespace zentab

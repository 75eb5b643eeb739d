#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "structure/column_fixture.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

using Records = std::vector<std::string>;
const std::string kEnd(snapshot::kEndMarker);

class ColumnSnapshot : public ColumnFixture {
protected:
    // Runs the table and view column phases of a snapshot run over Database 1 into `path`.
    void takeSnapshot(const std::string& path) {
        session.settings.b_SnapshotOnly = true;
        session.settings.s_SnapshotFile = path;
        ASSERT_TRUE(session.writer.openOutputFile());
        compareTableColumns(session);
        compareViewColumns(session);
        session.writer.closeOutputFile();
        session.settings.b_SnapshotOnly = false;
    }

    const std::string shop = "shop.db";
    const std::vector<std::string> shopSql = {
        "create table orders(id integer not null, note text, pic blob, qty smallint(5))",
        "create table lines(id int, sku varchar(12))",
        "create view big_orders as select id, qty from orders where qty > 10",
    };
};

TEST_F(ColumnSnapshot, ASnapshotRunWritesTheColumnSectionsOfDatabase1) {
    session.side1 = sqlite(shop, shopSql, "shop.db");
    session.settings.b_AutoSave = true;
    session.settings.b_DoTabStruct = false; // the phase writes its section whatever it shows
    session.settings.ignoreColumns = {"NOTE"};
    listForSnapshot(ObjectKind::Tables, {"orders", "lines"});
    listForSnapshot(ObjectKind::Views, {"big_orders"});
    const std::string path = dir.file("shop.zsn");
    writeFile(path, std::string(10000, 'x')); // an earlier file is replaced

    takeSnapshot(path);

    EXPECT_FALSE(session.settings.b_AutoSave);
    EXPECT_EQ(session.writer.snapshotWriter(), nullptr);
    // clang-format off
    const Records expected = {
        "Version 5.0",
        "<<<START COLUMNS",
        "orders",
        "id", "NOT NULL INTEGER(9)", "INTEGER", "Y", "11",
        "pic", "    NULL BINARY", "BLOB", "N", "510",
        "qty", "    NULL SMALLINT(5)", "smallint(5)", "Y", "6",
        kEnd,
        "lines",
        "id", "    NULL INTEGER(9)", "INT", "Y", "11",
        "sku", "    NULL VARCHAR(12)", "varchar(12)", "Y", "12",
        kEnd,
        "<<<START VIEW COLUMNS",
        "big_orders",
        "id", "    NULL INTEGER(9)", "INTEGER", "Y", "11",
        "qty", "    NULL SMALLINT(5)", "smallint(5)", "Y", "6",
        kEnd,
    };
    // clang-format on
    EXPECT_EQ(readSnapshotRecords(path), expected);

    // Nothing reaches the report, and only Database 1 is read.
    EXPECT_EQ(report(), "");
    for (const std::string& call : host.calls()) {
        EXPECT_EQ(call.find("Comparing"), std::string::npos) << call;
    }
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(ColumnSnapshot, ASnapshotFileThatCannotBeCreatedIsReported) {
    const std::string blocker = dir.file("not-a-folder");
    writeFile(blocker, "x");
    session.settings.b_SnapshotOnly = true;
    session.settings.b_OnlyToFile = true;
    session.settings.b_AutoSave = true;
    session.settings.s_SnapshotFile = blocker + "/shop.zsn";
    EXPECT_FALSE(session.writer.openOutputFile());
    EXPECT_EQ(host.messages(), std::vector<std::string>{"Could not open file " + blocker +
                                                        "/shop.zsn: \n\nNot a directory"});
    EXPECT_FALSE(session.settings.b_OnlyToFile);
    EXPECT_TRUE(session.settings.b_AutoSave);
    EXPECT_EQ(session.writer.snapshotWriter(), nullptr);
}

// A snapshot keeps finished descriptions: compared with the database it was taken from, it
// differs exactly where today's options would describe a column otherwise.
TEST_F(ColumnSnapshot, ASnapshotSideAgainstTheOnlineDatabase) {
    session.side1 = sqlite(shop, shopSql, "shop.db");
    listForSnapshot(ObjectKind::Tables, {"orders", "lines"});
    const std::string path = dir.file("shop.zsn");
    takeSnapshot(path);

    for (bool ignoreLength : {false, true}) {
        SCOPED_TRACE(ignoreLength ? "lengths ignored now" : "same options");
        session.clearCommonLists();
        session.report.clear();
        session.side1 = snapshotSide(path, "shop.zsn");
        session.side2 = sqlite(shop, {}, "shop.db");
        session.longestName[0] = 0;
        pair(ObjectKind::Tables, {{"orders", "orders"}, {"lines", "lines"}});
        session.settings.b_IgnoreColLen = ignoreLength;
        session.settings.b_NoDiffCol = false;

        compareTableColumns(session);

        const std::string expected =
            !ignoreLength
                ? ""
                : columnHeader("tables", 8, "shop.zsn", "shop.db", 114) +
                      objectLines("orders", 8,
                                  {{"id", "NOT NULL INTEGER(9)", "NOT NULL INTEGER"},
                                   {"qty", "    NULL SMALLINT(5)", "    NULL SMALLINT"}}) +
                      objectLines("lines", 8,
                                  {{"id", "    NULL INTEGER(9)", "    NULL INTEGER"},
                                   {"sku", "    NULL VARCHAR(12)", "    NULL VARCHAR"}});
        EXPECT_EQ(report(), expected);
        EXPECT_TRUE(session.commonTables[0]->compareData);
        EXPECT_TRUE(host.messages().empty());
    }
}

TEST_F(ColumnSnapshot, BlocksAreFoundByAForwardSearch) {
    const std::string path = dir.file("hand.zsn");
    // clang-format off
    writeSnapshotRecords(path, {
        "Version 5.0",
        "<<<START TABLES", "ORDERS", "STOCK", kEnd,
        "<<<START COLUMNS",
        "EARLIER", "x", "    NULL INTEGER(9)", "INT", "Y", "11", kEnd,
        "ORDERS",
        "ID", "INTEGER(9)", "INTEGER", "Y", "11",                   // nullability unknown
        "SKU", "    NULL VARCHAR(12)", "varchar(12)", "yes", "12", // only "Y" is orderable
        kEnd,
        "STOCK",
        "a", "    NULL INTEGER(9)", "INT", "Y", "11",
        "b", "    NULL INTEGER(9)", // the file ends inside this entry
    });
    // clang-format on
    struct Case {
        const char* what;
        bool ignoreTableCase;
        NamePairs objects;
        std::size_t rule;
        std::string lines;
    };
    const auto line = [](const std::string& object, const std::string& column,
                         const std::string& d1, const std::string& d2) {
        return "\r\n" + cell(object, 8) + cell(column, 30) + cell(d1, 32) + d2;
    };
    const Case cases[] = {
        {"names ignoring case, blocks in file order",
         true,
         {{"orders", "orders"}, {"stock", "stock"}},
         114,
         line("orders", "ID", "INTEGER(9)", "    NULL INTEGER(9)") + "\r\n" +
             line("stock", "b", "Not Found", "    NULL INTEGER(9)") + "\r\n"},
        {"names with case: nothing is found",
         false,
         {{"orders", "orders"}, {"stock", "stock"}},
         109,
         line("orders", "id", "Not Found", "    NULL INTEGER(9)") +
             line("", "sku", "Not Found", "    NULL VARCHAR(12)") + "\r\n" +
             line("stock", "a", "Not Found", "    NULL INTEGER(9)") +
             line("", "b", "Not Found", "    NULL INTEGER(9)") + "\r\n"},
        {"a block behind the reader is not found",
         true,
         {{"stock", "stock"}, {"orders", "orders"}},
         109,
         line("stock", "b", "Not Found", "    NULL INTEGER(9)") + "\r\n" +
             line("orders", "id", "Not Found", "    NULL INTEGER(9)") +
             line("", "sku", "Not Found", "    NULL VARCHAR(12)") + "\r\n"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.clearCommonLists();
        session.report.clear();
        session.longestName[0] = 0;
        session.settings.b_IgnoreTabCase = c.ignoreTableCase;
        session.settings.b_NoDiffCol = false;
        session.side1 = snapshotSide(path, "hand.zsn");
        session.side2 = sqlite("db" + std::to_string(++number) + ".db",
                               {"create table orders(id integer, sku varchar(12))",
                                "create table stock(a int, b int)"},
                               "db.db");
        pair(ObjectKind::Tables, c.objects);

        compareTableColumns(session);

        EXPECT_EQ(report(), columnHeader("tables", 8, "hand.zsn", "db.db", c.rule) + c.lines);
        if (c.ignoreTableCase && c.objects[0].first == "orders") {
            const std::vector<ColumnEntry>& columns = session.commonTables[0]->columns;
            ASSERT_EQ(columns.size(), 2u);
            EXPECT_EQ(columns[0].name, "ID");
            EXPECT_TRUE(columns[0].orderable);
            EXPECT_FALSE(columns[1].orderable);
            EXPECT_EQ(columns[1].displayWidth, 12);
        }
    }
}

TEST_F(ColumnSnapshot, ASnapshotOfASnapshotCopiesTheBlocksItFinds) {
    const std::string source = dir.file("source.zsn");
    // clang-format off
    writeSnapshotRecords(source, {
        "Version 5.0",
        "<<<START COLUMNS",
        "ORDERS",
        "ID", "INTEGER(9)", "INTEGER", "Y", "11",
        "NOTE", "    NULL TEXT", "TEXT", "N", "0",
        kEnd,
        "STOCK", "A", "    NULL INTEGER(9)", "INT", "Y", "11", kEnd,
        "<<<START VIEW COLUMNS", kEnd,
    });
    // clang-format on
    session.side1 = snapshotSide(source, "source.zsn");
    session.settings.ignoreColumns = {"NOTE"};
    listForSnapshot(ObjectKind::Tables, {"ORDERS", "MISSING"});
    const std::string copy = dir.file("copy.zsn");
    takeSnapshot(copy);
    const Records expected = {
        "Version 5.0", "<<<START COLUMNS",      "ORDERS", "ID", "INTEGER(9)", "INTEGER", "Y", "11",
        kEnd,          "<<<START VIEW COLUMNS",
    };
    EXPECT_EQ(readSnapshotRecords(copy), expected);
}

} // namespace
} // namespace zentab::test

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/search_pattern.h"
#include "structure/column_fixture.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

using Sql = std::vector<std::string>;

class SqliteColumns : public ColumnFixture {
protected:
    void sides(const Sql& sql1, const Sql& sql2) {
        session.side1 = sqlite("one.db", sql1, "one.db");
        session.side2 = sqlite("two.db", sql2, "two.db");
    }

    std::string tagged() const { return colourTagged(session.report); }
};

// One line of the section for the table "orders" (W = 8).
std::string line(bool first, const std::string& column, const std::string& d1,
                 const std::string& d2) {
    return "\r\n" + cell(first ? "orders" : "", 8) + cell(column, 30) + cell(d1, 32) + d2;
}

const std::string kNoDifferences =
    "\r\n" + cell("orders", 8) + "No Structural Differences Found\r\n";

TEST_F(SqliteColumns, OneTableCases) {
    struct Case {
        const char* what;
        Sql sql1;
        Sql sql2;
        std::function<void(CompareSettings&)> options;
        std::size_t rule; // 0: no section at all
        std::string lines;
        bool structureDiffers;
        bool compareData;
    };
    auto none = [](CompareSettings&) {};
    auto noDiffColOff = [](CompareSettings& s) { s.b_NoDiffCol = false; };
    const Case cases[] = {
        // The SQLite3 driver gives INTEGER a size of 9 and keeps the declared size of SMALLINT(5).
        {"a type difference",
         {"create table orders(id integer not null, qty integer not null)"},
         {"create table orders(id integer not null, qty smallint(5) not null)"},
         none,
         114,
         line(true, "qty", "NOT NULL INTEGER(9)", "NOT NULL SMALLINT(5)") + "\r\n",
         true,
         true},
        {"columns in another order",
         {"create table orders(id integer not null, qty integer not null)"},
         {"create table orders(qty integer not null, id integer not null)"},
         none,
         114,
         kNoDifferences,
         false,
         true},
        {"no differences and no line asked for",
         {"create table orders(id integer not null)"},
         {"create table orders(id integer not null)"},
         noDiffColOff,
         0,
         "",
         false,
         true},
        {"lengths differ",
         {"create table orders(name varchar(50))"},
         {"create table orders(name varchar(60))"},
         none,
         114,
         line(true, "name", "    NULL VARCHAR(50)", "    NULL VARCHAR(60)") + "\r\n",
         true,
         true},
        {"lengths ignored",
         {"create table orders(name varchar(50))"},
         {"create table orders(name varchar(60))"},
         [](CompareSettings& s) { s.b_IgnoreColLen = true; },
         114,
         kNoDifferences,
         false,
         true},
        {"a column only in Database 2 stops the data comparison",
         {"create table orders(id int)"},
         {"create table orders(id int, note text)"},
         none,
         109,
         line(true, "note", "Not Found", "    NULL LONG VARCHAR") + "\r\n",
         true,
         false},
        {"so does a column only in Database 1",
         {"create table orders(id int, note text)"},
         {"create table orders(id int)"},
         none,
         109,
         line(true, "note", "    NULL LONG VARCHAR", "Not Found") + "\r\n",
         true,
         false},
        {"Database 2's order first, then Database 1's missing columns",
         {"create table orders(a int, b int, c int)"},
         {"create table orders(d int, b text, a int)"},
         none,
         109,
         line(true, "d", "Not Found", "    NULL INTEGER(9)") +
             line(false, "b", "    NULL INTEGER(9)", "    NULL LONG VARCHAR") +
             line(false, "c", "    NULL INTEGER(9)", "Not Found") + "\r\n",
         true,
         false},
        {"column names ignoring case: one column, named as Database 1 writes it",
         {"create table orders(CustId integer)"},
         {"create table orders(CUSTID bigint)"},
         none,
         114,
         line(true, "CustId", "    NULL INTEGER(9)", "    NULL BIGINT(19)") + "\r\n",
         true,
         true},
        {"column names with case: two one-sided columns",
         {"create table orders(CustId integer)"},
         {"create table orders(CUSTID integer)"},
         [](CompareSettings& s) { s.b_IgnoreColCase = false; },
         109,
         line(true, "CUSTID", "Not Found", "    NULL INTEGER(9)") +
             line(false, "CustId", "    NULL INTEGER(9)", "Not Found") + "\r\n",
         true,
         false},
        {"type names differing in case differ, whatever the column name option",
         {"create table orders(name VARCHAR(10))"},
         {"create table orders(name varchar(10))"},
         [](CompareSettings& s) { s.b_DataType = 0; },
         114,
         line(true, "name", "    NULL VARCHAR(10)(10)", "    NULL varchar(10)(10)") + "\r\n",
         true,
         true},
        {"ignored names on both sides",
         {"create table orders(id int, note1 text)"},
         {"create table orders(id int, note2 int)"},
         [](CompareSettings& s) { s.ignoreColumns = {"NOTE%"}; },
         114,
         kNoDifferences,
         false,
         true},
        {"name entries must be in upper case",
         {"create table orders(id int)"},
         {"create table orders(id int, note2 int)"},
         [](CompareSettings& s) { s.ignoreColumns = {"note%"}; },
         109,
         line(true, "note2", "Not Found", "    NULL INTEGER(9)") + "\r\n",
         true,
         false},
        {"a lone % leaves no column to compare",
         {"create table orders(id int, qty int)"},
         {"create table orders(id text, x int)"},
         [](CompareSettings& s) { s.ignoreColumns = {"%"}; },
         114,
         kNoDifferences,
         false,
         true},
        {"ignored data type, in the driver's spelling",
         {"create table orders(id int, memo text)"},
         {"create table orders(id int)"},
         [](CompareSettings& s) { s.ignoreDataTypes = {"TEXT"}; },
         114,
         kNoDifferences,
         false,
         true},
        {"a column found on Database 1 is compared even when its type is ignored",
         {"create table orders(id int)"},
         {"create table orders(id text)"},
         [](CompareSettings& s) { s.ignoreDataTypes = {"TEXT"}; },
         114,
         line(true, "id", "    NULL INTEGER(9)", "    NULL LONG VARCHAR") + "\r\n",
         true,
         true},
        {"structure output off: flags without text",
         {"create table orders(id int)"},
         {"create table orders(id int, extra int)"},
         [](CompareSettings& s) { s.b_DoTabStruct = false; },
         0,
         "",
         true,
         false},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.side1.reset();
        session.side2.reset();
        session.clearCommonLists();
        session.report.clear();
        session.differencesFound = false;
        session.settings = CompareSettings{};
        c.options(session.settings);
        ++number;
        session.side1 = sqlite("one" + std::to_string(number) + ".db", c.sql1, "one.db");
        session.side2 = sqlite("two" + std::to_string(number) + ".db", c.sql2, "two.db");
        pair(ObjectKind::Tables, {{"orders", "orders"}});

        compareTableColumns(session);

        const std::string expected =
            c.rule == 0 ? c.lines : columnHeader("tables", 8, "one.db", "two.db", c.rule) + c.lines;
        EXPECT_EQ(report(), expected);
        const ObjectEntry& entry = *session.commonTables[0];
        EXPECT_EQ(entry.structureDiffers, c.structureDiffers);
        EXPECT_EQ(entry.compareData, c.compareData);
        EXPECT_EQ(session.differencesFound, c.structureDiffers && session.settings.b_DoTabStruct);
        EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
    }
}

TEST_F(SqliteColumns, ColumnEntriesForTheDataComparison) {
    sides({"create table orders(id integer not null, name varchar(10), pic1 blob, pic2 int, "
           "gone int)"},
          {"create table orders(ID bigint not null, name varchar(40), pic1 int, pic2 blob, "
           "added date)"});
    pair(ObjectKind::Tables, {{"orders", "orders"}});
    compareTableColumns(session);

    struct Expected {
        const char* name;
        const char* description1;
        const char* description2;
        int width;
        bool matched;
        bool orderable;
    };
    const Expected expected[] = {
        {"id", "NOT NULL INTEGER(9)", "NOT NULL BIGINT(19)", 20, true, true},
        {"name", "    NULL VARCHAR(10)", "    NULL VARCHAR(40)", 40, true, true},
        {"pic1", "    NULL BINARY", "    NULL INTEGER(9)", 510, true, false},
        {"pic2", "    NULL INTEGER(9)", "    NULL BINARY", 510, true, false},
        {"gone", "    NULL INTEGER(9)", "Not Found", 11, false, true},
        {"added", "Not Found", "    NULL DATE", 10, true, true},
    };
    const std::vector<ColumnEntry>& columns = session.commonTables[0]->columns;
    ASSERT_EQ(columns.size(), std::size(expected));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(columns[i].name, expected[i].name);
        EXPECT_EQ(columns[i].description1, expected[i].description1);
        EXPECT_EQ(columns[i].description2, expected[i].description2);
        EXPECT_EQ(columns[i].displayWidth, expected[i].width);
        EXPECT_EQ(columns[i].matched, expected[i].matched);
        EXPECT_EQ(columns[i].orderable, expected[i].orderable);
    }

    // A second run rebuilds the lists instead of adding to them.
    session.report.clear();
    compareTableColumns(session);
    EXPECT_EQ(session.commonTables[0]->columns.size(), std::size(expected));
}

TEST_F(SqliteColumns, SeveralTablesShareOneHeaderAndTheObjectColumn) {
    sides({"create table orders(id int, qty int)", "create table order_lines(id int, sku text)",
           "create table Stock(id int)"},
          {"create table ORDERS(id int, qty text)", "create table order_lines(id int, sku text)",
           "create table stock(id int, bin int)"});
    pair(ObjectKind::Tables,
         {{"orders", "ORDERS"}, {"order_lines", "order_lines"}, {"Stock", "stock"}});

    compareTableColumns(session);

    // W is the longest name (order_lines) plus 2; the report names each object as Database 1
    // writes it.
    const std::size_t w = 13;
    EXPECT_EQ(report(), columnHeader("tables", w, "one.db", "two.db", 114) + "\r\n" +
                            cell("orders", w) + cell("qty", 30) + cell("    NULL INTEGER(9)", 32) +
                            "    NULL LONG VARCHAR\r\n" + "\r\n" + cell("order_lines", w) +
                            "No Structural Differences Found\r\n" + "\r\n" + cell("Stock", w) +
                            cell("bin", 30) + cell("Not Found", 32) + "    NULL INTEGER(9)\r\n");

    // Each pass finds the objects in the control panel's list in turn and steps the progress.
    std::vector<std::string> progress;
    for (const std::string& call : host.calls()) {
        if (call.rfind("panel select", 0) == 0 || call.rfind("progress", 0) == 0 ||
            call.rfind("caption", 0) == 0 || call.rfind("panel caption", 0) == 0) {
            progress.push_back(call);
        }
    }
    const std::vector<std::string> expectedProgress = {
        "panel caption: Analyzing Structures ...",
        "progress range: 0..3",
        "caption: Analyzing Structures - Zentab",
        "panel select: 0",
        "progress step it",
        "panel select: 1",
        "progress step it",
        "panel select: 2",
        "progress step it",
        "panel caption: Comparing Structures ...",
        "progress range: 0..3",
        "caption: Comparing Structures - Zentab",
        "panel select: 0",
        "progress step it",
        "panel select: 1",
        "progress step it",
        "panel select: 2",
        "progress step it",
        "progress pos: 3",
    };
    EXPECT_EQ(progress, expectedProgress);
}

TEST_F(SqliteColumns, LinesAreColouredBySide) {
    sides({"create table orders(a int, b int)"}, {"create table orders(b text, c int)"});
    pair(ObjectKind::Tables, {{"orders", "orders"}});
    compareTableColumns(session);

    const std::string header =
        "[T]\r\n\r\n\r\nThe following are the structural differences between COMMON tables\r\n\r\n"
        "[1]" +
        std::string(38, ' ') + cell("one.db", 32) + "[2]" + cell("two.db", 32) + "[T]\r\n" +
        cell("TABLE", 8) + cell("COLUMN", 30) + cell("TYPE", 32) + cell("TYPE", 27) + "\r\n" +
        std::string(114, '-');
    EXPECT_EQ(tagged(), header + "[C]\r\n" + cell("orders", 8) + cell("b", 30) + "[1]" +
                            cell("    NULL INTEGER(9)", 32) + "[2]    NULL LONG VARCHAR" +
                            "[C]\r\n" + cell("", 8) + "[2]" + cell("c", 30) + "[T]" +
                            cell("Not Found", 32) + "[2]    NULL INTEGER(9)" + "[C]\r\n" +
                            cell("", 8) + "[1]" + cell("a", 30) + cell("    NULL INTEGER(9)", 32) +
                            "[T]Not Found\r\n");
}

TEST_F(SqliteColumns, LongNamesAndDescriptionsAreCut) {
    const std::string longName(40, 'c');
    sides({"create table orders(" + longName + " character varying(123456))"},
          {"create table orders(" + longName + " character varying(654321))"});
    session.settings.b_DataType = 0;
    pair(ObjectKind::Tables, {{"orders", "orders"}});
    compareTableColumns(session);
    // Database 2's description is never cut.
    EXPECT_EQ(report(), columnHeader("tables", 8, "one.db", "two.db", 114) +
                            line(true, longName.substr(0, 30), "    NULL character varying(12345",
                                 "    NULL character varying(654321)(654321)") +
                            "\r\n");
}

TEST_F(SqliteColumns, ViewsHaveTheirOwnTextsAndOptions) {
    sides({"create table orders(id int not null, qty int)",
           "create view open_orders as select id, qty from orders"},
          {"create table orders(id int not null, qty int)",
           "create view open_orders as select id from orders"});
    session.settings.b_DoViewStruct = false;
    pair(ObjectKind::Views, {{"open_orders", "open_orders"}});
    compareViewColumns(session);
    EXPECT_EQ(report(), "");
    EXPECT_TRUE(session.commonViews[0]->structureDiffers);
    EXPECT_FALSE(session.differencesFound);
    // The view variant shows its comparing caption even without view structure output.
    const std::vector<std::string> calls = host.calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "panel caption: Comparing View Structures ..."),
              calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "caption: Analyzing View Structures - Zentab"),
              calls.end());

    session.report.clear();
    session.settings.b_DoViewStruct = true;
    compareViewColumns(session);
    EXPECT_EQ(report(), columnHeader("views", 13, "one.db", "two.db", 109) + "\r\n" +
                            cell("open_orders", 13) + cell("qty", 30) +
                            cell("    NULL INTEGER(9)", 32) + "Not Found\r\n");
    EXPECT_TRUE(session.differencesFound);
}

TEST_F(SqliteColumns, TableStructureOffKeepsItsComparingCaptionOff) {
    sides({"create table orders(id int)"}, {"create table orders(id int)"});
    session.settings.b_DoTabStruct = false;
    pair(ObjectKind::Tables, {{"orders", "orders"}});
    compareTableColumns(session);
    const std::vector<std::string> calls = host.calls();
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "panel caption: Comparing Structures ..."),
              calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "caption: Comparing Structures - Zentab"),
              calls.end());
    EXPECT_EQ(session.commonTables[0]->columns.size(), 1u);
}

TEST_F(SqliteColumns, ExecutiveSummaryCountsTheDifferencesItDoesNotShow) {
    sides({"create table orders(id int)"}, {"create table orders(id text)"});
    pair(ObjectKind::Tables, {{"orders", "orders"}});
    session.writer.summaryOnly = true;
    compareTableColumns(session);
    EXPECT_EQ(report(), "");
    EXPECT_TRUE(session.commonTables[0]->structureDiffers);
    EXPECT_TRUE(session.differencesFound);
}

// Catalog arguments are patterns; a name's '_' must not match other tables.
TEST_F(SqliteColumns, UnderscoresInNamesAreNotWildcards) {
    sides({"create table order_lines(a int)", "create table orderxlines(b int)"},
          {"create table order_lines(a int)", "create table orderxlines(c int)"});
    pair(ObjectKind::Tables, {{"order_lines", "order_lines"}});
    session.settings.b_NoDiffCol = false;
    compareTableColumns(session);
    EXPECT_EQ(report(), "");
    ASSERT_EQ(session.commonTables[0]->columns.size(), 1u);
    EXPECT_EQ(session.commonTables[0]->columns[0].name, "a");
}

TEST(SearchPattern, EscapesTheWildcardsOfANameOnly) {
    EXPECT_EQ(escapeSearchPattern("order_lines%x\\y", "\\"), "order\\_lines\\%x\\y");
    EXPECT_EQ(escapeSearchPattern("order_lines", ""), "order_lines");
}

// Stops the run when the progress bar has been stepped `at` times.
class StoppingHost : public RecordingHost {
public:
    void progressStepIt() override {
        RecordingHost::progressStepIt();
        if (++steps == at) {
            if (pauseFirst) {
                control->paused = true;
            }
            control->running = false;
        }
    }
    RunControl* control = nullptr;
    int steps = 0;
    int at = 0;
    bool pauseFirst = false;
};

TEST(ColumnStop, AStopDuringThePassEndsTheRunWithTheStopLine) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "while paused" : "running");
        TempDir dir;
        StoppingHost host;
        Session session{host, standardPhases()};
        session.control.running = true;
        host.control = &session.control;
        host.at = 4; // the second object of Database 2's pass
        host.pauseFirst = paused;
        const std::string db1 = dir.file("one.db");
        const std::string db2 = dir.file("two.db");
        executeSql(sqliteConnectString(db1), {"create table a(x int)", "create table b(y int)"});
        executeSql(sqliteConnectString(db2), {"create table a(x text)", "create table b(y text)"});
        session.side1 = DatabaseSource::ConnectStored(host, sqliteConnectString(db1), "", "", "");
        session.side2 = DatabaseSource::ConnectStored(host, sqliteConnectString(db2), "", "", "");
        session.side1->displayName = "one.db";
        session.side2->displayName = "two.db";
        for (const char* name : {"a", "b"}) {
            ObjectEntry entry;
            entry.nameInDb1 = name;
            entry.matched = true;
            session.side1->tables.push_back(entry);
            entry.nameInDb2 = name;
            session.side2->tables.push_back(entry);
        }
        session.longestName[0] = 1;
        for (ObjectEntry& entry : session.side2->tables) {
            entry.compareData = true;
            session.commonTables.push_back(&entry);
        }

        EXPECT_THROW(compareTableColumns(session), RunStopped);
        finishRun(session, RunEnd::Stopped); // as the worker does

        EXPECT_EQ(session.report.text(), columnHeader("tables", 3, "one.db", "two.db", 114) +
                                             "\r\n" + cell("a", 3) + cell("x", 30) +
                                             cell("    NULL INTEGER(9)", 32) +
                                             "    NULL LONG VARCHAR\r\n\r\n\r\nZentab Stopped ...");
        EXPECT_FALSE(session.control.paused);
        EXPECT_EQ(host.lastMainCaption(), "Ready - Zentab");
        // Database 2's rows for b were not reached; Database 1's entries stay.
        EXPECT_EQ(session.commonTables[1]->columns.size(), 1u);
        EXPECT_EQ(session.commonTables[1]->columns[0].description2, "Not Found");
    }
}

} // namespace
} // namespace zentab::test

// The SQL Compare on real SQLite databases: the report of two statements' results, execution
// errors, run control during the row walk, and the commands that start it.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "compare/data/statement_compare.h"
#include "data/data_fixture.h"

namespace zentab {
namespace {

// Both databases hold the same three rows of T, inserted in another order on Database 2, so
// that a statement without ORDER BY returns them in another order.
class StatementRun : public test::DataRun {
protected:
    void SetUp() override {
        const std::string create = "CREATE TABLE T (id integer, name varchar(8))";
        sqliteSides({create, "INSERT INTO T VALUES (1, 'one')", "INSERT INTO T VALUES (2, 'two')",
                     "INSERT INTO T VALUES (3, 'three')"},
                    {create, "INSERT INTO T VALUES (3, 'three')", "INSERT INTO T VALUES (1, 'one')",
                     "INSERT INTO T VALUES (2, 'two')"});
    }

    void compare(const std::string& statement1, const std::string& statement2) {
        session.settings.s_GlobalPassSql1 = statement1;
        session.settings.s_GlobalPassSql2 = statement2;
        ASSERT_TRUE(driver->startSqlCompareRun());
        waitForEnd();
    }

    std::string header() const {
        return "< DATABASE 1:  " + session.side1->displayName +
               "\r\n> DATABASE 2:  " + session.side2->displayName;
    }

    // The report between the header and the end line of a finished comparison.
    std::string body() const {
        const std::string report = session.report.text();
        const std::string head = header();
        const std::string end = test::kEndLine;
        if (report.size() < head.size() + end.size() || report.rfind(head, 0) != 0 ||
            report.compare(report.size() - end.size(), end.size(), end) != 0) {
            ADD_FAILURE() << "unexpected report:\n" << report;
            return report;
        }
        return report.substr(head.size(), report.size() - head.size() - end.size());
    }

    static std::string differencesHeader(const std::string& statement1,
                                         const std::string& statement2,
                                         const std::string& columns) {
        return "\r\n\r\n\r\nDifferences found in statements \r\n\r\n\r\n< " + statement1 +
               "\r\n\r\n> " + statement2 + "\r\n\r\n\r\n" + columns + "\r\n";
    }
};

constexpr const char* kUnordered = "SELECT id, name FROM T";
constexpr const char* kOrdered = "SELECT id, name FROM T ORDER BY id";
// SQLite describes an integer column as 10 wide and a varchar(8) as 8.
constexpr const char* kColumns = "  id        _name    _";

TEST_F(StatementRun, ReportsTheRowsWithoutAnEqualInTheOtherResult) {
    struct Case {
        const char* what;
        std::string statement1;
        std::string statement2;
        bool noDiffData;
        std::string body;
        bool sortRows = false;
    } cases[] = {
        {"same rows in two orders, no ORDER BY", kUnordered, kUnordered, true,
         differencesHeader(kUnordered, kUnordered, kColumns) + "\r\n< 1          one      "
                                                               "\r\n< 2          two      "
                                                               "\r\n> 1          one      "
                                                               "\r\n> 2          two      "},
        {"matching ORDER BY", kOrdered, kOrdered, true,
         "\r\n\r\n\r\nNo data differences were found. "},
        {"same rows in two orders, sorted by the program", kUnordered, kUnordered, true,
         "\r\n\r\n\r\nNo data differences were found. ", true},
        {"matching ORDER BY, b_NoDiffData off", kOrdered, kOrdered, false, ""},
        {"another statement on Database 2", kOrdered,
         "SELECT id, name FROM T WHERE id <> 2 ORDER BY id", false,
         differencesHeader(kOrdered, "SELECT id, name FROM T WHERE id <> 2 ORDER BY id", kColumns) +
             "\r\n< 2          two      "},
        // Row texts are compared whatever their columns; the header is Database 1's.
        {"fewer columns on Database 2", kOrdered, "SELECT id FROM T ORDER BY id", false,
         differencesHeader(kOrdered, "SELECT id FROM T ORDER BY id", kColumns) +
             "\r\n> 1          "
             "\r\n< 1          one      "
             "\r\n> 2          "
             "\r\n< 2          two      "
             "\r\n> 3          "
             "\r\n< 3          three    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.settings.b_NoDiffData = c.noDiffData;
        session.settings.b_SortRows = c.sortRows;
        compare(c.statement1, c.statement2);
        EXPECT_EQ(body(), c.body);
        EXPECT_EQ(session.differencesFound, c.body.find("Differences") != std::string::npos);
        EXPECT_FALSE(session.troubleFound);
        EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    }
}

TEST_F(StatementRun, StatementsAreColouredByTheirSide) {
    compare(kOrdered, "SELECT id, name FROM T WHERE id = 1");
    const std::string report = session.report.text();
    EXPECT_EQ(test::colourTagged(session.report, header().size(), report.find(kColumns)),
              "[T]\r\n\r\n\r\nDifferences found in statements [1]\r\n\r\n\r\n< " +
                  std::string(kOrdered) +
                  "[2]\r\n\r\n> SELECT id, name FROM T WHERE id = 1\r\n[C]\r\n\r\n");
}

// Every difference is written, whatever the summary option says; CSV-ready rows are written as
// CSV, as those of tables and views.
TEST_F(StatementRun, ExecutiveSummaryAndCsvOptionsDoNotHideRows) {
    session.settings.b_SummaryReportOnly = true;
    session.settings.b_DataAsCSV = true;
    compare("SELECT id, name FROM T WHERE id = 1", "SELECT id, 'x\"y' FROM T WHERE id = 1");
    const std::string body1 = body();
    const std::string columns = "\r\n\r\n\"Direction\",\"id\",\"name\"";
    ASSERT_NE(body1.find(columns), std::string::npos) << body1;
    EXPECT_EQ(body1.substr(body1.find(columns) + columns.size()),
              "\r\n\"<\",\"1\",\"one\"\r\n\">\",\"1\",\"x\"\"y\"");
}

TEST_F(StatementRun, AStatementThatCannotBeExecutedIsReportedWithTheDriversMessage) {
    struct Case {
        const char* what;
        std::string statement1;
        std::string statement2;
        bool database1;
    } cases[] = {
        {"on Database 1", "SELECT id FROM missing1", kOrdered, true},
        {"on Database 2", kOrdered, "SELECT id FROM missing2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.troubleFound = false;
        compare(c.statement1, c.statement2);
        const std::string name =
            c.database1 ? session.side1->displayName : session.side2->displayName;
        const std::string side = c.database1 ? "[1]" : "[2]";
        const std::string missing = c.database1 ? "missing1" : "missing2";
        const std::string tagged =
            test::colourTagged(session.report, header().size(),
                               session.report.text().size() - std::string(test::kEndLine).size());
        const std::string prefix =
            "[E]\r\n\r\n\r\nThe following error was received while processing statement in "
            "database " +
            side + name + " :\r\n[E]";
        ASSERT_EQ(tagged.rfind(prefix, 0), 0u) << tagged;
        EXPECT_NE(tagged.find("no such table: " + missing, prefix.size()), std::string::npos)
            << tagged;
        EXPECT_EQ(tagged.substr(tagged.size() - 4), "\r\n\r\n");
        EXPECT_TRUE(session.troubleFound);
        EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    }
}

TEST_F(StatementRun, ASnapshotSideCannotExecuteTheStatement) {
    test::writeEmptySnapshot(dir.file("empty.zsn"));
    useSide(2, snapshotSide(dir.file("empty.zsn")));
    compare(kOrdered, kOrdered);
    EXPECT_EQ(body(), "\r\n\r\n\r\nThe following error was received while processing statement "
                      "in database " +
                          session.side2->displayName +
                          " :\r\nA snapshot file cannot execute statements: choose an on-line "
                          "database for this side.\r\n\r\n");
    EXPECT_TRUE(session.troubleFound);
}

// A run started without Database 2 (as from the file of a snapshot run) is not a comparison
// that found the results equal.
TEST_F(StatementRun, AMissingSideEndsTheRunUnfinished) {
    session.side2.reset();
    compare(kOrdered, kOrdered);
    EXPECT_EQ(session.lastOutcome, RunOutcome::SideNotUsable);
    EXPECT_EQ(session.report.text().find("No data differences"), std::string::npos)
        << session.report.text();
}

TEST_F(StatementRun, StartSqlCompareCommand) {
    // The dialog opens with the current statements; cancelling it changes nothing.
    session.settings.s_GlobalPassSql1 = "first";
    session.settings.s_GlobalPassSql2 = "second";
    session.settings.b_SnapshotOnly = true;
    driver->startSqlCompare([](std::string& one, std::string& two) {
        EXPECT_EQ(one, "first");
        EXPECT_EQ(two, "second");
        one = "changed";
        return false;
    });
    EXPECT_FALSE(driver->workerActive());
    EXPECT_EQ(session.settings.s_GlobalPassSql1, "first");
    EXPECT_FALSE(session.settings.b_SnapshotOnly);
    EXPECT_FALSE(driver->canRerunLastSqlCompare());

    // "Start" stores both statements and compares them, without a control panel of its own.
    driver->startSqlCompare([](std::string& one, std::string& two) {
        one = two = kOrdered;
        return true;
    });
    waitForEnd();
    EXPECT_EQ(session.settings.s_GlobalPassSql1, kOrdered);
    EXPECT_EQ(session.settings.s_GlobalPassSql2, kOrdered);
    EXPECT_EQ(body(), "\r\n\r\n\r\nNo data differences were found. ");
    EXPECT_TRUE(hostCalled("panel closed"));
    EXPECT_FALSE(hostCalled("panel opened"));
    EXPECT_EQ(host.mainCaptions(),
              (std::vector<std::string>{"Comparing Statements - Zentab", "Finished - Zentab",
                                        "Ready - Zentab"}));
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"Zentab has finished comparing the databases"});
    EXPECT_TRUE(driver->canRerunLastSqlCompare());

    // The report is unsaved now: Cancel starts nothing.
    const std::string report = session.report.text();
    host.answerYesNoCancel(Answer::Cancel);
    driver->startSqlCompare([](std::string&, std::string&) {
        ADD_FAILURE() << "the dialog opened";
        return false;
    });
    EXPECT_FALSE(driver->workerActive());
    EXPECT_EQ(session.report.text(), report);
}

TEST_F(StatementRun, StartSqlCompareRefusesWhileARunIsInProgress) {
    std::atomic<bool> release{false};
    session.phases.statementCompare = [&release](Session&) {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    ASSERT_TRUE(driver->startSqlCompareRun());
    driver->startSqlCompare([](std::string&, std::string&) {
        ADD_FAILURE() << "the dialog opened";
        return false;
    });
    EXPECT_FALSE(driver->canRerunLastSqlCompare());
    release = true;
    waitForEnd();
    EXPECT_EQ(host.messages().front(),
              "You cannot start another Zentab before the previous one ends.\n"
              "Press the <stop> icon to terminate the current Zentab");
}

TEST_F(StatementRun, RerunLastSqlCompareNeedsTwoUsableSides) {
    compare(kOrdered, "SELECT id, name FROM T WHERE id = 3");
    const std::string first = body();
    ASSERT_TRUE(driver->canRerunLastSqlCompare());

    session.side1->notUsable = true;
    driver->rerunLastSqlCompare();
    EXPECT_FALSE(driver->workerActive());
    EXPECT_EQ(host.messages().back(), "You must have 2 database sources before you can begin.");

    // The same statements again, without a question about the unsaved report.
    session.side1->notUsable = false;
    session.settings.b_SnapshotOnly = true;
    const std::size_t questions = host.messages().size();
    driver->rerunLastSqlCompare();
    waitForEnd();
    EXPECT_EQ(body(), first);
    EXPECT_EQ(host.messages().size(), questions + 1); // the finishing message only
}

TEST(CheckStatements, RefusesAnEmptyStatementAndNamesItsBox) {
    struct Case {
        const char* one;
        const char* two;
        int box;
    } cases[] = {
        {"SELECT 1", "SELECT 2", 0},
        {"", "SELECT 2", 1},
        {" \r\n\t", "", 1},
        {"SELECT 1", "  \r\n", 2},
        {"  SELECT 1", "SELECT 2\r\n", 0},
    };
    for (const Case& c : cases) {
        const StatementRefusal refusal = checkStatements(c.one, c.two);
        EXPECT_EQ(refusal.box, c.box) << c.one << "|" << c.two;
        EXPECT_EQ(refusal.message,
                  c.box == 1   ? "Please enter a statement to be executed on the first database."
                  : c.box == 2 ? "Please enter a statement to be executed on the second database."
                               : "");
    }
}

// Tens of thousands of rows, Database 2 changing every hundredth.
class LargeStatementRun : public StatementRun {
protected:
    void SetUp() override {
        auto big = [](const std::string& text) {
            return "INSERT INTO BIG WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM "
                   "c WHERE x < 30000) SELECT x, " +
                   text + " FROM c";
        };
        const std::string create = "CREATE TABLE BIG (id integer, txt varchar(20))";
        sqliteSides(
            {create, big("'row ' || x")},
            {create, big("CASE WHEN x % 100 = 0 THEN 'changed ' || x ELSE 'row ' || x END")}, true);
        session.settings.s_GlobalPassSql1 = session.settings.s_GlobalPassSql2 = kBig;
    }

    // Acts once, right after Database 1's row 300 is written.
    void afterRow300(std::function<void()> action) {
        host.onReport(
            [action, fired = std::make_shared<std::atomic<bool>>(false)](const std::string& text) {
                if (text.find("row 300 ") != std::string::npos && !fired->exchange(true)) {
                    action();
                }
            });
    }

    // The differences up to that row: ids 100, 200 and 300.
    std::string soFar() const {
        std::string text = differencesHeader(kBig, kBig, "  id        _txt                 _");
        for (const std::string id : {"100", "200", "300"}) {
            const std::string changed = "changed " + id;
            const std::string row = "row " + id;
            text += "\r\n> " + id + std::string(11 - id.size(), ' ') + changed +
                    std::string(21 - changed.size(), ' ');
            text += "\r\n< " + id + std::string(11 - id.size(), ' ') + row +
                    std::string(21 - row.size(), ' ');
        }
        return header() + text;
    }

    static constexpr const char* kBig = "SELECT id, txt FROM BIG ORDER BY id";
};

TEST_F(LargeStatementRun, SkipEndsTheComparisonWithoutTheNoDifferencesLine) {
    session.settings.b_NoDiffData = true;
    afterRow300([this] { driver->skip(); });
    ASSERT_TRUE(driver->startSqlCompareRun());
    waitForEnd();
    EXPECT_EQ(session.report.text(), soFar() + "\r\nStatement Skipped ..." + test::kEndLine);
    EXPECT_FALSE(session.control.skipRequested);
    EXPECT_FALSE(session.control.skipAllowed);
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
}

TEST_F(LargeStatementRun, PausedComparisonWaitsAndAStopEndsItAndReleasesTheStatements) {
    afterRow300([this] { session.control.paused = true; });
    ASSERT_TRUE(driver->startSqlCompareRun());
    ASSERT_TRUE(waitUntil([this] { return session.report.text() == soFar(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(session.report.text(), soFar());

    driver->stop(false);
    waitForEnd(std::chrono::seconds(2));
    EXPECT_EQ(session.report.text(), soFar() + "\r\n\r\nZentab Stopped ...");
    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
    EXPECT_FALSE(session.control.paused);
    // An open read statement would keep the writer out (the driver waits this long, then
    // gives up with "database is locked").
    for (const std::string& connect : {sqlite1(), sqlite2()}) {
        EXPECT_NO_THROW(
            test::executeSql(connect + "Timeout=500;", {"INSERT INTO BIG VALUES (0, 'new')"}));
    }
}

} // namespace
} // namespace zentab

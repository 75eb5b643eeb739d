// The list phases as a user sees them through a whole run: counts, one-sided objects, the
// "exist in both" and "not processed" sections, the common lists the later phases walk, the
// control panel and the stop. Only the three list phases are switched on.

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

using Names = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>; // nameInDb1, nameInDb2

const std::string kEndLine = "\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:00 ---";
const std::string kStopLine = "\r\n\r\nZentab Stopped ...";

// The report of the worked example: A, B and C against B, C and D.
const std::string kWorkedExample = "\r\n\r\n\r\n3 tables were found in {1}"
                                   "\r\n3 tables were found in {2}"
                                   "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n"
                                   "\r\n\t\tD"
                                   "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n"
                                   "\r\n\t\tA"
                                   "\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                                   "\r\n\t\tB\r\n\t\tC";

std::vector<std::string> createTables(const Names& names) {
    std::vector<std::string> statements;
    for (const std::string& name : names) {
        statements.push_back("CREATE TABLE \"" + name + "\" (a int)");
    }
    return statements;
}

std::vector<std::string> createViews(const Names& names) {
    std::vector<std::string> statements;
    for (const std::string& name : names) {
        statements.push_back("CREATE VIEW \"" + name + "\" AS SELECT 1 AS a");
    }
    return statements;
}

std::vector<std::string> createFunctions(const std::string& schema, const Names& names) {
    std::vector<std::string> statements;
    for (const std::string& name : names) {
        statements.push_back("CREATE FUNCTION " + schema + "." + name +
                             "() RETURNS int LANGUAGE sql AS 'SELECT 1'");
    }
    return statements;
}

Pairs pairsOf(const std::vector<ObjectEntry*>& common) {
    Pairs pairs;
    for (const ObjectEntry* entry : common) {
        pairs.emplace_back(entry->nameInDb1, entry->nameInDb2);
    }
    return pairs;
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

class ListCompareTest : public RunFixture {
protected:
    ListCompareTest() { onlyListPhases(); }

    void onlyListPhases() {
        session.settings = CompareSettings{};
        allPhasesOff();
        session.phases = PhaseTable{};
        session.phases.tableList = compareTableList;
        session.phases.viewList = compareViewList;
        session.phases.procList = compareProcedureList;
    }

    std::unique_ptr<DatabaseSource> sqliteSide(const std::string& file,
                                               const std::vector<std::string>& statements) {
        const std::string connect = sqliteConnectString(dir.file(file));
        executeSql(connect, statements);
        return connectSide(connect);
    }

    void run() {
        ASSERT_TRUE(driver->startRun());
        waitForEnd();
    }

    // `text` with {1} and {2} standing for the sides' display names.
    std::string expand(const std::string& text) const {
        return replaced(replaced(text, "{1}", session.side1->displayName), "{2}",
                        session.side2->displayName);
    }
    std::string header() const { return expand("< DATABASE 1:  {1}\r\n> DATABASE 2:  {2}"); }
    // What the phases wrote between the header and the end line of a finished run.
    std::string body() const {
        const std::string text = session.report.text();
        const std::string head = header();
        if (text.compare(0, head.size(), head) != 0 ||
            text.size() < head.size() + kEndLine.size() ||
            text.compare(text.size() - kEndLine.size(), kEndLine.size(), kEndLine) != 0) {
            ADD_FAILURE() << "not a finished run's report: " << testing::PrintToString(text);
            return text;
        }
        return text.substr(head.size(), text.size() - head.size() - kEndLine.size());
    }
    // The report with each run of one colour tagged [1], [2], [C], [E] or [T].
    std::string colouredReport() const {
        const ReportColours colours;
        const std::string text = session.report.text();
        std::string out;
        for (const ReportRun& run : session.report.runs()) {
            const Rgb c = run.colour;
            out += c == colours.database1   ? "[1]"
                   : c == colours.database2 ? "[2]"
                   : c == colours.common    ? "[C]"
                   : c == colours.error     ? "[E]"
                                            : "[T]";
            out += text.substr(run.start, run.length);
        }
        return out;
    }
    // The control panel and progress bar calls of the run, without the end of run's.
    std::vector<std::string> panelCalls() const {
        std::vector<std::string> calls;
        for (const std::string& call : host.calls()) {
            if (call.rfind("panel", 0) == 0 || call.rfind("progress", 0) == 0) {
                calls.push_back(call);
            }
        }
        return calls;
    }
};

struct ListCase {
    const char* name;
    bool views; // the objects are views, compared by the view phase
    Names db1, db2;
    std::function<void(CompareSettings&)> set;
    std::string body;
    Pairs common;
    bool differences;
};

TEST_F(ListCompareTest, ReportAndCommonListOnSqlite) {
    const ListCase cases[] = {
        {"worked example",
         false,
         {"A", "B", "C"},
         {"B", "C", "D"},
         [](CompareSettings&) {},
         kWorkedExample,
         {{"B", "B"}, {"C", "C"}},
         true},
        {"one object is singular, none plural",
         false,
         {"Only"},
         {},
         [](CompareSettings&) {},
         "\r\n\r\n\r\n1 table was found in {1}\r\n0 tables were found in {2}"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n\r\n\t\tOnly",
         {},
         true},
        {"names differing in case are different objects without the case option",
         false,
         {"Orders"},
         {"ORDERS"},
         [](CompareSettings& s) { s.b_IgnoreTabCase = false; },
         "\r\n\r\n\r\n1 table was found in {1}\r\n1 table was found in {2}"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n\r\n\t\tORDERS"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n\r\n\t\tOrders",
         {},
         true},
        {"with the case option they pair, keeping both spellings",
         false,
         {"Orders"},
         {"ORDERS"},
         [](CompareSettings& s) { s.b_IgnoreTabCase = true; },
         "\r\n\r\n\r\n1 table was found in {1}\r\n1 table was found in {2}"
         "\r\n\r\n\r\nThe following tables exist in both databases\r\n\r\n\t\tORDERS",
         {{"Orders", "ORDERS"}},
         false},
        {"excluded names, whatever their case, are only not processed",
         false,
         {"A", "Skip"},
         {"A", "SKIP", "Z"},
         [](CompareSettings& s) {
             s.b_IgnoreTabCase = false;
             s.ignoreTables = {"skip"};
         },
         "\r\n\r\n\r\n2 tables were found in {1}\r\n3 tables were found in {2}"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n\r\n\t\tZ"
         "\r\n\r\n\r\nThe following tables exist in both databases\r\n\r\n\t\tA"
         "\r\n\r\n\r\nThe following tables were not processed in {1}\r\n\r\n\t\tSkip"
         "\r\n\r\n\r\nThe following tables were not processed in {2}\r\n\r\n\t\tSKIP",
         {{"A", "A"}},
         true},
        {"an object in both but excluded is not listed as in both, whichever list is shorter",
         false,
         {"A"},
         {"A", "B"},
         [](CompareSettings& s) { s.ignoreTables = {"a"}; },
         "\r\n\r\n\r\n1 table was found in {1}\r\n2 tables were found in {2}"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n\r\n\t\tB"
         "\r\n\r\n\r\nThe following tables were not processed in {1}\r\n\r\n\t\tA"
         "\r\n\r\n\r\nThe following tables were not processed in {2}\r\n\r\n\t\tA",
         {},
         true},
        {"an excluded object is no difference",
         false,
         {"A", "Gone"},
         {"A"},
         [](CompareSettings& s) {
             s.ignoreTables = {"GONE"};
             s.b_DoTabSkipped = false;
         },
         "\r\n\r\n\r\n2 tables were found in {1}\r\n1 table was found in {2}"
         "\r\n\r\n\r\nThe following tables exist in both databases\r\n\r\n\t\tA",
         {{"A", "A"}},
         false},
        {"without the common and not-processed options only the missing sections",
         false,
         {"A", "B", "C", "X"},
         {"B", "C", "D", "X"},
         [](CompareSettings& s) {
             s.b_DoTabCommon = false;
             s.b_DoTabSkipped = false;
             s.ignoreTables = {"x"};
         },
         "\r\n\r\n\r\n4 tables were found in {1}\r\n4 tables were found in {2}"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n\r\n\t\tD"
         "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n\r\n\t\tA",
         {{"B", "B"}, {"C", "C"}},
         true},
        {"data only: the common list and the count header, no section",
         false,
         {"A", "B", "C"},
         {"B", "C", "D"},
         [](CompareSettings& s) {
             s.b_DoTabStruct = false;
             s.b_DoTabData = true;
         },
         "\r\n\r\n\r\n3 tables were found in {1}\r\n3 tables were found in {2}",
         {{"B", "B"}, {"C", "C"}},
         false},
        {"executive summary: no line, the common list all the same",
         false,
         {"A", "B", "C"},
         {"B", "C", "D"},
         [](CompareSettings& s) { s.b_SummaryReportOnly = true; },
         "",
         {{"B", "B"}, {"C", "C"}},
         true},
        {"views have their own texts and options",
         true,
         {"V1"},
         {"V1", "V2"},
         [](CompareSettings& s) {
             s.b_DoViewStruct = true;
             s.b_DoTabStruct = true; // no tables on either side
             s.b_DoViewCommon = true;
         },
         "\r\n\r\n\r\n0 tables were found in {1}\r\n0 tables were found in {2}"
         "\r\n\r\n\r\n1 view was found in {1}\r\n2 views were found in {2}"
         "\r\n\r\n\r\nThe following views DO NOT exist in {1}\r\n\r\n\t\tV2"
         "\r\n\r\n\r\nThe following views exist in both databases\r\n\r\n\t\tV1",
         {{"V1", "V1"}},
         true},
    };
    int number = 0;
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        ++number;
        onlyListPhases();
        session.settings.b_DoTabStruct = true;
        c.set(session.settings);
        auto create = c.views ? createViews : createTables;
        useSide(1, sqliteSide(std::to_string(number) + "-1.db", create(c.db1)));
        useSide(2, sqliteSide(std::to_string(number) + "-2.db", create(c.db2)));
        run();
        EXPECT_EQ(body(), expand(c.body));
        EXPECT_EQ(pairsOf(c.views ? session.commonViews : session.commonTables), c.common);
        for (const ObjectEntry* entry : c.views ? session.commonViews : session.commonTables) {
            EXPECT_TRUE(entry->matched && entry->compareData) << entry->nameInDb2;
        }
        const int kind = static_cast<int>(c.views ? ObjectKind::Views : ObjectKind::Tables);
        EXPECT_EQ(session.objectCount1[kind], static_cast<int>(c.db1.size()));
        EXPECT_EQ(session.objectCount2[kind], static_cast<int>(c.db2.size()));
        EXPECT_EQ(session.differencesFound, c.differences);
        Names panel;
        for (const auto& pair : c.common) {
            panel.push_back((c.views ? "VIEW." : "") + pair.second);
        }
        EXPECT_EQ(host.panelObjects(), panel);
        EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    }
}

TEST_F(ListCompareTest, WorkedExampleColoursPanelAndProgress) {
    useSide(1, sqliteSide("one.db", createTables({"A", "B", "C"})));
    useSide(2, sqliteSide("two.db", createTables({"B", "C", "D"})));
    session.settings.b_DoTabStruct = true;
    run();
    EXPECT_EQ(colouredReport(),
              expand("[T]< DATABASE 1:  [1]{1}[T]\r\n> DATABASE 2:  [2]{2}"
                     "[1]\r\n\r\n\r\n3[T] tables were found in [1]{1}"
                     "[2]\r\n3[T] tables were found in [2]{2}"
                     "[T]\r\n\r\n\r\nThe following tables DO NOT exist in [1]{1}\r\n[2]\r\n\t\tD"
                     "[T]\r\n\r\n\r\nThe following tables DO NOT exist in [2]{2}\r\n[1]\r\n\t\tA"
                     "[T]\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                     "[C]\r\n\t\tB\r\n\t\tC[E]" +
                     kEndLine));
    EXPECT_EQ(panelCalls(),
              (std::vector<std::string>{
                  "panel opened", "panel caption: Analyzing Databases ...", "progress step: 1",
                  "progress range: 0..18",
                  // Database 2's list: the pairs are added (and so selected)
                  "panel add: B", "progress step it", "panel add: C", "progress step it",
                  // Database 1's list: A is not in the panel
                  "panel select: -1", "progress step it", "panel select: 0", "progress step it",
                  "panel select: 1", "progress step it",
                  // "exist in both" walks Database 2's list: the counts are equal
                  "panel select: 0", "progress step it", "panel select: 1", "progress step it",
                  "panel select: -1", "progress step it",
                  // "not processed" walks both lists, though nothing is excluded
                  "panel select: -1", "progress step it", "panel select: 0", "progress step it",
                  "panel select: 1", "progress step it", "panel select: 0", "progress step it",
                  "panel select: 1", "progress step it", "panel select: -1", "progress step it",
                  "progress pos: 18",
                  // the end of the run
                  "progress range: 0..100", "progress pos: 100"}));
    EXPECT_EQ(host.mainCaptions(),
              (std::vector<std::string>{"Retrieving Database Information - Zentab",
                                        "Analyzing Databases - Zentab", "Finished - Zentab",
                                        "Ready - Zentab"}));
    EXPECT_EQ(session.longestName[static_cast<int>(ObjectKind::Tables)], 1u);
    // The common list refers to Database 2's own entries.
    ASSERT_EQ(session.commonTables.size(), 2u);
    EXPECT_EQ(session.commonTables[0], &session.side2->tables[0]);
    EXPECT_EQ(session.commonTables[1], &session.side2->tables[1]);
    EXPECT_TRUE(session.side1->tables[1].matched && session.side1->tables[2].matched);
    EXPECT_FALSE(session.side1->tables[0].matched || session.side2->tables[2].matched);
}

TEST_F(ListCompareTest, SnapshotSideAgainstOnlineSideReadsItsSectionsInTurn) {
    writeSnapshot(dir.file("old.zsn"), {{snapshot::kTables, {"A", "B", "C"}},
                                        {snapshot::kColumns, {}},
                                        {snapshot::kViews, {"V"}}});
    useSide(1, snapshotSide(dir.file("old.zsn")));
    useSide(2, sqliteSide("new.db", createTables({"B", "C", "D"})));
    executeSql(sqliteConnectString(dir.file("new.db")), createViews({"V"}));
    session.settings.b_DoTabStruct = true;
    session.settings.b_DoViewStruct = true;
    run();
    EXPECT_EQ(body(), expand(kWorkedExample +
                             "\r\n\r\n\r\n1 view was found in {1}\r\n1 view was found in {2}"
                             "\r\n\r\n\r\nThe following views exist in both databases\r\n"
                             "\r\n\t\tV"));
    EXPECT_EQ(host.panelObjects(), (Names{"B", "C", "VIEW.V"}));
}

TEST_F(ListCompareTest, SnapshotRunReadsOnlyDatabase1AndWritesNothing) {
    useSide(1, sqliteSide("one.db", createTables({"A", "B", "C"})));
    useSide(2, sqliteSide("two.db", createTables({"D"})));
    session.settings.b_SnapshotOnly = true;
    session.control.running = true;
    compareTableList(session);
    EXPECT_EQ(session.report.text(), "");
    EXPECT_EQ(session.objectCount1[0], 3);
    EXPECT_EQ(session.objectCount2[0], 0);
    EXPECT_EQ(session.side1->tables.size(), 3u);
    EXPECT_TRUE(session.side2->tables.empty()) << "Database 2 is not read";
    EXPECT_TRUE(session.commonTables.empty());
    EXPECT_EQ(panelCalls(), (std::vector<std::string>{"panel caption: Analyzing Databases ...",
                                                      "progress range: 0..3"}));

    // A snapshot run may have no Database 2 at all.
    session.side2.reset();
    compareViewList(session);
    EXPECT_EQ(session.objectCount1[1], 0);
    session.control.running = false;
}

TEST_F(ListCompareTest, ListsReadByTheSelectionPageAreReusedAsFreshlyRead) {
    useSide(1, sqliteSide("one.db", createTables({"A", "B", "C"})));
    useSide(2, sqliteSide("two.db", createTables({"B", "C", "D"})));
    session.settings.b_DoTabStruct = true;
    // What the Tables page does before the run.
    session.side1->ListTables(true, true);
    session.side2->ListTables(true, false);
    session.listsLoaded[0] = true;
    session.longestName[0] = 7;
    executeSql(sqliteConnectString(dir.file("two.db")), createTables({"Late"}));

    run();
    EXPECT_EQ(body(), expand(kWorkedExample)) << "the lists are not read again";
    EXPECT_EQ(session.longestName[0], 7u);

    // A second run on the same lists with B excluded: nothing of the first run's pairing stays.
    session.settings.ignoreTables = {"B"};
    run();
    EXPECT_EQ(body(), expand("\r\n\r\n\r\n3 tables were found in {1}"
                             "\r\n3 tables were found in {2}"
                             "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n"
                             "\r\n\t\tD"
                             "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n"
                             "\r\n\t\tA"
                             "\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                             "\r\n\t\tC"
                             "\r\n\r\n\r\nThe following tables were not processed in {1}\r\n"
                             "\r\n\t\tB"
                             "\r\n\r\n\r\nThe following tables were not processed in {2}\r\n"
                             "\r\n\t\tB"));
    EXPECT_EQ(pairsOf(session.commonTables), (Pairs{{"C", "C"}}));

    // Read anew once the page's lists are forgotten.
    session.listsLoaded[0] = false;
    session.settings.ignoreTables.clear();
    run();
    EXPECT_EQ(session.objectCount2[0], 4);
    EXPECT_EQ(session.longestName[0], 4u);
}

TEST_F(ListCompareTest, StopEndsTheRunInsideTheListPhase) {
    struct Case {
        const char* name;
        std::string stopAt; // the host call after which the stop is requested
        std::string body;
        std::size_t listed1, common;
    } cases[] = {
        {"while Database 1 is read", "panel caption: Analyzing Databases ...", "", 0, 0},
        {"while the lists are paired", "panel add: T2",
         "\r\n\r\n\r\n5 tables were found in {1}\r\n5 tables were found in {2}", 5, 2},
    };
    const Names names{"T1", "T2", "T3", "T4", "T5"};
    writeSnapshot(dir.file("five.zsn"), {{snapshot::kTables, names}});
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++number;
        onlyListPhases();
        session.settings.b_DoTabStruct = true;
        useSide(1, sqliteSide(std::to_string(number) + ".db", createTables(names)));
        useSide(2, snapshotSide(dir.file("five.zsn")));
        host.onCall([this, stopAt = c.stopAt](const std::string& call) {
            if (call == stopAt) {
                session.control.running = false;
            }
        });
        run();
        host.onCall(nullptr);
        EXPECT_EQ(session.report.text(), header() + expand(c.body) + kStopLine);
        EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
        EXPECT_EQ(session.side1->tables.size(), c.listed1);
        EXPECT_EQ(session.commonTables.size(), c.common);
        auto captions = host.mainCaptions();
        ASSERT_GE(captions.size(), 2u);
        EXPECT_EQ(captions[captions.size() - 2], "Stopped - Zentab");
        EXPECT_EQ(captions.back(), "Ready - Zentab");
    }
    EXPECT_TRUE(host.messages().empty()) << "a stopped run ends without a message";
}

TEST_F(ListCompareTest, ProgressRangeIsTakenAsA16BitValue) {
    Names names;
    for (int i = 0; i < 5500; ++i) {
        names.push_back("T" + std::to_string(i));
    }
    writeSnapshot(dir.file("one.zsn"), {{snapshot::kTables, names}});
    writeSnapshot(dir.file("two.zsn"), {{snapshot::kTables, names}});
    useSide(1, snapshotSide(dir.file("one.zsn")));
    useSide(2, snapshotSide(dir.file("two.zsn")));
    session.settings.b_DoTabData = true; // no section: only the pairing walks the lists
    run();
    EXPECT_EQ(session.commonTables.size(), 5500u);
    auto calls = panelCalls();
    // (5500 + 5500) * 3 = 33000, which 16 bits hold as -32536.
    EXPECT_NE(std::find(calls.begin(), calls.end(), "progress range: 0..-32536"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "progress pos: 33000"), calls.end());
}

// Two schemas of the test server, dropped with everything in them before and after.
class PostgresListCompare : public ListCompareTest {
protected:
    void SetUp() override {
        auto server = postgresConnectString();
        if (!server) {
            if (postgresRequired()) {
                FAIL() << kPostgresMissing;
            }
            GTEST_SKIP() << kPostgresMissing;
        }
        pg = *server;
        const std::string suffix = "_" + std::to_string(getpid());
        schema1 = "zt_lists_one" + suffix;
        schema2 = "zt_lists_two" + suffix;
        dropSchemas();
        executeSql(pg, {"CREATE SCHEMA " + schema1, "CREATE SCHEMA " + schema2});
    }
    void TearDown() override {
        if (!pg.empty()) {
            dropSchemas();
        }
    }
    void dropSchemas() {
        executeSql(pg, {"DROP SCHEMA IF EXISTS " + schema1 + " CASCADE",
                        "DROP SCHEMA IF EXISTS " + schema2 + " CASCADE"});
    }
    std::vector<std::string> quotedTables(const std::string& schema, const Names& names) {
        std::vector<std::string> statements;
        for (const std::string& name : names) {
            statements.push_back("CREATE TABLE " + schema + ".\"" + name + "\" (a int)");
        }
        return statements;
    }

    std::string pg, schema1, schema2;
};

TEST_F(PostgresListCompare, SeveralObjectsOfOneSidePairWithOneOfTheOther) {
    // Quoted names keep their case, so one schema holds both spellings.
    executeSql(pg, quotedTables(schema1, {"Orders"}));
    executeSql(pg, quotedTables(schema2, {"Orders", "ORDERS"}));
    useSide(1, connectSide(pg, schema1));
    useSide(2, connectSide(pg, schema2));
    session.settings.b_DoTabStruct = true;
    run();
    // Both of Database 2's objects are common, carrying the one name of Database 1.
    Pairs common;
    for (const ObjectEntry& entry : session.side2->tables) {
        common.emplace_back("Orders", entry.nameInDb2);
    }
    EXPECT_EQ(pairsOf(session.commonTables), common);
    EXPECT_EQ(body(), expand("\r\n\r\n\r\n1 table was found in {1}\r\n2 tables were found in {2}"
                             "\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                             "\r\n\t\tOrders"));
    EXPECT_FALSE(session.differencesFound);

    // The other way round the second object of Database 1 finds no partner.
    useSide(1, connectSide(pg, schema2));
    useSide(2, connectSide(pg, schema1));
    run();
    ASSERT_EQ(session.side1->tables.size(), 2u);
    const std::string first = session.side1->tables[0].nameInDb1;
    const std::string second = session.side1->tables[1].nameInDb1;
    EXPECT_EQ(pairsOf(session.commonTables), (Pairs{{first, "Orders"}}));
    EXPECT_EQ(body(), expand("\r\n\r\n\r\n2 tables were found in {1}\r\n1 table was found in {2}"
                             "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n\r\n\t\t" +
                             second +
                             "\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                             "\r\n\t\tOrders"));
    EXPECT_TRUE(session.differencesFound);
}

TEST_F(PostgresListCompare, ProceduresArePairedWithTheirOwnTexts) {
    executeSql(pg, createFunctions(schema1, {"p_a", "p_b"}));
    executeSql(pg, createFunctions(schema2, {"p_b", "p_c"}));
    useSide(1, connectSide(pg, schema1));
    useSide(2, connectSide(pg, schema2));
    session.settings.b_DoProcStruct = true;
    run();
    EXPECT_EQ(body(), expand("\r\n\r\n\r\n2 procedures were found in {1}"
                             "\r\n2 procedures were found in {2}"
                             "\r\n\r\n\r\nThe following procedures DO NOT exist in {1}\r\n"
                             "\r\n\t\tp_c"
                             "\r\n\r\n\r\nThe following procedures DO NOT exist in {2}\r\n"
                             "\r\n\t\tp_a"
                             "\r\n\r\n\r\nThe following procedures exist in both databases\r\n"
                             "\r\n\t\tp_b"));
    EXPECT_EQ(pairsOf(session.commonProcedures), (Pairs{{"p_b", "p_b"}}));
    EXPECT_EQ(host.panelObjects(), Names{"PROC.p_b"});
    EXPECT_EQ(host.mainCaptions()[1], "Retrieving Procedures - Zentab");
}

TEST_F(PostgresListCompare, SqliteAgainstPostgres) {
    // Unquoted names fold to lower case on PostgreSQL; the case option pairs them.
    executeSql(pg,
               {"CREATE TABLE " + schema2 + ".B (a int)", "CREATE TABLE " + schema2 + ".C (a int)",
                "CREATE TABLE " + schema2 + ".D (a int)"});
    useSide(1, sqliteSide("one.db", createTables({"A", "B", "C"})));
    useSide(2, connectSide(pg, schema2));
    session.settings.b_DoTabStruct = true;
    run();
    EXPECT_EQ(body(), expand("\r\n\r\n\r\n3 tables were found in {1}"
                             "\r\n3 tables were found in {2}"
                             "\r\n\r\n\r\nThe following tables DO NOT exist in {1}\r\n"
                             "\r\n\t\td"
                             "\r\n\r\n\r\nThe following tables DO NOT exist in {2}\r\n"
                             "\r\n\t\tA"
                             "\r\n\r\n\r\nThe following tables exist in both databases\r\n"
                             "\r\n\t\tb\r\n\t\tc"));
    EXPECT_EQ(pairsOf(session.commonTables), (Pairs{{"B", "b"}, {"C", "c"}}));
}

} // namespace
} // namespace zentab::test

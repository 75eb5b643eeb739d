#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "engine/run_driver.h"
#include "structure/column_fixture.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

using Records = std::vector<std::string>;
const std::string kEnd(snapshot::kEndMarker);

// The same four functions in two schemas, one per side, differing as a real change would: a
// parameter made INOUT (which drops the declared return value), parameters reordered, a result
// column added, an OUT parameter retyped.
class PostgresParameters : public PostgresSchemaTest, protected ColumnTools {
protected:
    void SetUp() override {
        PostgresSchemaTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        execute({"DROP SCHEMA IF EXISTS " + schema2() + " CASCADE", "CREATE SCHEMA " + schema2()});
        schema2Created_ = true;
        const std::string s1 = schema() + ".";
        const std::string s2 = schema2() + ".";
        // Bodies are never run: only the declarations matter.
        const std::string body = " language sql as 'select null'";
        execute({
            "set check_function_bodies = off",
            "create function " + s1 + "calc(a integer, b varchar) returns integer" + body,
            "create function " + s2 + "calc(a integer, inout b varchar)" + body,
            "create function " + s1 + "reorder(x integer, y text, u uuid) returns void" + body,
            "create function " + s2 + "reorder(u uuid, y text, x integer) returns void" + body,
            "create function " + s1 +
                "report_rows(p_from date) returns table(id integer, label varchar(30))" + body,
            "create function " + s2 +
                "report_rows(p_from date) returns table(id integer, label varchar(30), "
                "extra bigint)" +
                body,
            "create function " + s1 + "totals(a integer, out s bigint, out n integer)" + body,
            "create function " + s2 + "totals(a integer, out s numeric, out n integer)" + body,
        });
    }

    void TearDown() override {
        if (schema2Created_) {
            execute({"DROP SCHEMA IF EXISTS " + schema2() + " CASCADE"});
        }
        PostgresSchemaTest::TearDown();
    }

    // Database 2's schema: the first one's name with another prefix, and as unique.
    std::string schema2() const { return "zu" + schema().substr(2); }

    // Each side qualified by its schema, so that the catalog reports only these functions.
    std::unique_ptr<DatabaseSource> side(int number) {
        return online(connectString(), number == 1 ? schema() : schema2(),
                      "pg" + std::to_string(number));
    }

    const NamePairs procedures = {{"calc", "calc"},
                                  {"reorder", "reorder"},
                                  {"report_rows", "report_rows"},
                                  {"totals", "totals"}};
    static constexpr std::size_t kWidth = 13; // "report_rows" and 2

    // The report with every option at its default. PostgreSQL keeps no length for the types of
    // parameters and result columns, so psqlODBC reports every varchar as 255 characters.
    static std::string defaultReport(const std::string& name1) {
        return columnHeader("procedures", kWidth, name1, "pg2", 114) +
               objectLines("calc", kWidth,
                           {{"b", "IN     VARCHAR(255)", "IN/OUT VARCHAR(255)"},
                            {"", "RETURN INTEGER(10)", "Not Found"}}) +
               "\r\n" + cell("reorder", kWidth) + "No Parameter Differences Found\r\n" +
               objectLines("report_rows", kWidth, {{"extra", "Not Found", "RESULT BIGINT(19)"}}) +
               objectLines("totals", kWidth, {{"s", "   OUT BIGINT(19)", "   OUT NUMERIC(28)"}});
    }

    void takeSnapshot(const std::string& path) {
        session.settings.b_SnapshotOnly = true;
        session.settings.s_SnapshotFile = path;
        ASSERT_TRUE(session.writer.openOutputFile());
        compareProcedureParameters(session);
        session.writer.closeOutputFile();
        session.settings.b_SnapshotOnly = false;
    }

private:
    bool schema2Created_ = false;
};

TEST_F(PostgresParameters, ParametersOfCommonProcedures) {
    struct Case {
        const char* what;
        std::function<void(CompareSettings&)> options;
        std::string report;
        bool reportRowsComparable;
    };
    const Case cases[] = {
        {"defaults", [](CompareSettings&) {}, defaultReport("pg1"), false},
        {"ignored names; the type list never applies",
         [](CompareSettings& s) {
             s.b_NoDiffProc = false;
             s.ignoreColumns = {"B", "EXTRA"};
             s.ignoreDataTypes = {"%"};
         },
         columnHeader("procedures", kWidth, "pg1", "pg2", 109) +
             objectLines("calc", kWidth, {{"", "RETURN INTEGER(10)", "Not Found"}}) +
             objectLines("totals", kWidth, {{"s", "   OUT BIGINT(19)", "   OUT NUMERIC(28)"}}),
         true},
        {"the sources' own names, lengths ignored",
         [](CompareSettings& s) {
             s.b_NoDiffProc = false;
             s.b_DataType = 0;
             s.b_IgnoreColLen = true;
         },
         columnHeader("procedures", kWidth, "pg1", "pg2", 114) +
             objectLines(
                 "calc", kWidth,
                 {{"b", "IN     varchar", "IN/OUT varchar"}, {"", "RETURN int4", "Not Found"}}) +
             objectLines("report_rows", kWidth, {{"extra", "Not Found", "RESULT int8"}}) +
             objectLines("totals", kWidth, {{"s", "   OUT int8", "   OUT numeric"}}),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.clearCommonLists();
        session.report.clear();
        session.longestName[2] = 0;
        session.settings = CompareSettings{};
        c.options(session.settings);
        session.side1 = side(1);
        session.side2 = side(2);
        pair(ObjectKind::Procedures, procedures);

        compareProcedureParameters(session);

        EXPECT_EQ(report(), c.report);
        const std::vector<ObjectEntry*>& common = session.commonProcedures;
        ASSERT_EQ(common.size(), 4u);
        EXPECT_TRUE(common[0]->structureDiffers);
        EXPECT_FALSE(common[1]->structureDiffers);
        EXPECT_EQ(common[2]->structureDiffers, !c.reportRowsComparable);
        EXPECT_TRUE(common[3]->structureDiffers);
        // Only a parameter that Database 1 lacks makes the procedure incomparable.
        EXPECT_TRUE(common[0]->compareData);
        EXPECT_EQ(common[2]->compareData, c.reportRowsComparable);
        EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
    }
}

// Database 1's parameters written to a snapshot, then read back against Database 2: the same
// report as on-line, and the entries keep what the snapshot stored.
TEST_F(PostgresParameters, ASnapshotSideComparesLikeItsDatabase) {
    session.side1 = side(1);
    listForSnapshot(ObjectKind::Procedures, {"calc", "reorder", "report_rows", "totals"});
    const std::string path = dir.file("pg1.zsn");
    takeSnapshot(path);

    // clang-format off
    const Records expected = {
        "Version 5.0",
        "<<<START PROC COLUMNS",
        "calc",
        "", "RETURN INTEGER(10)", "Y", "11",
        "a", "IN     INTEGER(10)", "Y", "11",
        "b", "IN     VARCHAR(255)", "Y", "255",
        kEnd,
        "reorder",
        "x", "IN     INTEGER(10)", "Y", "11",
        "y", "IN     LONG VARCHAR(8190)", "N", "8190",
        // A type outside the table is still orderable for a parameter.
        "u", "IN     UNKNOWN(37)", "Y", "16",
        kEnd,
        "report_rows",
        "p_from", "IN     DATE(10)", "Y", "10",
        "id", "RESULT INTEGER(10)", "Y", "11",
        "label", "RESULT VARCHAR(255)", "Y", "255",
        kEnd,
        "totals",
        "a", "IN     INTEGER(10)", "Y", "11",
        "s", "   OUT BIGINT(19)", "Y", "20",
        "n", "   OUT INTEGER(10)", "Y", "11",
        kEnd,
    };
    // clang-format on
    EXPECT_EQ(readSnapshotRecords(path), expected);
    EXPECT_EQ(report(), "");

    session.clearCommonLists();
    session.longestName[2] = 0;
    session.side1 = snapshotSide(path, "pg1.zsn");
    session.side2 = side(2);
    pair(ObjectKind::Procedures, procedures);

    compareProcedureParameters(session);

    EXPECT_EQ(report(), defaultReport("pg1.zsn"));
    const std::vector<ColumnEntry>& reorder = session.commonProcedures[1]->columns;
    ASSERT_EQ(reorder.size(), 3u);
    EXPECT_EQ(reorder[2].name, "u");
    EXPECT_TRUE(reorder[2].orderable);
    EXPECT_FALSE(reorder[1].orderable);
    EXPECT_EQ(reorder[1].displayWidth, 8190);
    EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
}

// A whole run: the procedure-list phase pairs the functions, then the parameter phase follows.
TEST_F(PostgresParameters, ARunComparesTheParametersAfterTheProcedureList) {
    CompareSettings& s = session.settings;
    s.b_DoTabStruct = s.b_DoIndex = s.b_DoTabData = false;
    s.b_DoViewStruct = s.b_DoViewData = false;
    s.b_DoProcStruct = true;
    for (auto* slot : {&session.side1, &session.side2}) {
        *slot = side(slot == &session.side1 ? 1 : 2);
    }
    session.sideDefined1 = session.sideDefined2 = true;
    RunDriver driver(session);
    driver.setClock([] { return std::time_t{1000}; });

    ASSERT_TRUE(driver.startRun());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (driver.workerActive() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(driver.workerActive()) << "the worker did not end";
    driver.join();

    const std::string text = report();
    const std::size_t begin = text.find("\r\n\r\n\r\nThe following are the parameter");
    const std::size_t end = text.rfind("\r\n\r\n--- End of Zentab");
    ASSERT_NE(begin, std::string::npos) << text;
    ASSERT_NE(end, std::string::npos) << text;
    EXPECT_EQ(text.substr(begin, end - begin), defaultReport("pg1"));
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    EXPECT_TRUE(session.differencesFound);

    // Both passes name themselves and show each procedure in the control panel as they read it.
    const std::vector<std::string> panel = host.panelObjects();
    std::vector<std::string> expected;
    for (const std::string step : {"Analyzing", "Comparing"}) {
        expected.push_back("panel caption: " + step + " Procedure Parameters ...");
        expected.push_back("progress range: 0..4");
        expected.push_back("caption: " + step + " Procedure Parameters - Zentab");
        for (const ObjectEntry* procedure : session.commonProcedures) {
            const auto shown =
                std::find(panel.begin(), panel.end(), "PROC." + procedure->nameInDb2);
            ASSERT_NE(shown, panel.end()) << procedure->nameInDb2;
            expected.push_back("panel select: " + std::to_string(shown - panel.begin()));
            expected.push_back("progress step it");
        }
    }
    expected.push_back("progress pos: 4");
    const std::vector<std::string> calls = host.calls();
    const auto from = std::find(calls.begin(), calls.end(), expected.front());
    ASSERT_LE(expected.size(), static_cast<std::size_t>(calls.end() - from));
    EXPECT_EQ(std::vector<std::string>(from, from + static_cast<long>(expected.size())), expected);
}

} // namespace
} // namespace zentab::test

// The executive summary tables of tables, views and procedures, printed by comparison runs in
// summary mode over snapshot sides that hold only object lists.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

using Names = std::vector<std::string>;

const std::string kHeader = "< DATABASE 1:  one.zsn\r\n> DATABASE 2:  two.zsn";
const std::string kEndLine = "\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:00 ---";
const std::string kX = "X             ";
const std::string kBlank(14, ' ');

std::string dashes(std::size_t columns) {
    return "\r\n" + std::string(60 + 14 * columns, '-');
}

std::string field(const std::string& text, std::size_t width) {
    std::string padded = text.substr(0, width);
    padded.resize(width, ' ');
    return padded;
}

// One row: the name column is L + 7 wide, then DATABASE 1, DATABASE 2 and the differences.
std::string row(const std::string& name, std::size_t longest, bool in1, bool in2,
                std::vector<bool> differences) {
    std::string text =
        "\r\n" + field(name, longest + 7) + (in1 ? kX : kBlank) + (in2 ? kX : kBlank);
    for (bool set : differences) {
        text += set ? kX : kBlank;
    }
    return text + dashes(differences.size());
}

std::string notProcessed(const std::string& name, std::size_t longest, std::size_t columns) {
    return "\r\n" + field(name, longest + 7) + "Not processed" + dashes(columns);
}

std::string tableHeading(std::size_t longest, bool structure, bool index, bool data) {
    std::string text = "\r\n\r\n\r\n\r\nThe following is a summary report of the differences found "
                       "in the tables\r\n\r\n" +
                       std::string(longest + 30, ' ');
    text += structure ? "Structural    " : "";
    text += index ? "   Index      " : "";
    text += data ? "   Data       " : "";
    text += "\r\n" + std::string(longest + 3, ' ') + "DATABASE 1    DATABASE 2   ";
    text += structure ? "differences   " : "";
    text += index ? "differences   " : "";
    text += data ? "differences" : "";
    return text + dashes(structure + index + data);
}

// Runs whose phases are the list phases, markers of differences and the summaries. Test thread.
class SummaryRun : public RunFixture {
protected:
    SummaryRun() {
        allPhasesOff();
        session.settings.b_SummaryReportOnly = true;
        // The list phases and the summaries; the phases between them only mark differences.
        PhaseTable& p = session.phases;
        p = PhaseTable{};
        p.tableList = compareTableList;
        p.tableStructure = [this](Session& s) { markDifferences(s.commonTables); };
        p.tableSummary = tableSummary;
        p.viewList = compareViewList;
        p.viewStructure = [this](Session& s) { markDifferences(s.commonViews); };
        p.viewSummary = viewSummary;
        p.procList = compareProcedureList;
        p.procParameters = [this](Session& s) { markDifferences(s.commonProcedures); };
        p.procSummary = procedureSummary;
    }

    // Both sides as snapshots holding these lists of tables, views and procedures.
    void lists(const std::vector<Names>& side1, const std::vector<Names>& side2) {
        for (int number : {1, 2}) {
            const std::vector<Names>& names = number == 1 ? side1 : side2;
            const std::string path = dir.file(number == 1 ? "one.zsn" : "two.zsn");
            writeSnapshot(path, {{snapshot::kTables, names[0]},
                                 {snapshot::kColumns, {}},
                                 {snapshot::kIndex, {}},
                                 {snapshot::kData, {}},
                                 {snapshot::kViews, names[1]},
                                 {snapshot::kViewColumns, {}},
                                 {snapshot::kViewData, {}},
                                 {snapshot::kProcs, names[2]},
                                 {snapshot::kProcColumns, {}}});
            useSide(number, snapshotSide(path));
        }
    }

    void markDifferences(const std::vector<ObjectEntry*>& common) {
        for (ObjectEntry* entry : common) {
            for (const auto& [name, flag] : differences) {
                if (entry->nameInDb2 == name) {
                    entry->*flag = true;
                }
            }
        }
    }

    void run() {
        ASSERT_TRUE(driver->startRun());
        waitForEnd();
    }

    // Between the run's header and its end line.
    std::string body() const {
        const std::string text = session.report.text();
        if (text.rfind(kHeader, 0) != 0 || text.size() < kHeader.size() + kEndLine.size() ||
            text.compare(text.size() - kEndLine.size(), kEndLine.size(), kEndLine) != 0) {
            ADD_FAILURE() << "not a finished run:\n" << text;
            return text;
        }
        return text.substr(kHeader.size(), text.size() - kHeader.size() - kEndLine.size());
    }

    std::string tagged() const { return colourTagged(session.report); }

    std::vector<std::pair<std::string, bool ObjectEntry::*>> differences;
};

const std::vector<Names> kSide1{{"alpha", "beta", "gamma"}, {}, {}};
const std::vector<Names> kSide2{{"beta", "gamma", "delta_long"}, {}, {}};

TEST_F(SummaryRun, TableCases) {
    const std::size_t L = 10; // "delta_long"
    struct Case {
        const char* what;
        std::function<void(CompareSettings&)> options;
        std::string expected;
    } cases[] = {
        {"rows alternate between the lists; each difference under its own column",
         [](CompareSettings& s) { s.b_DoTabStruct = s.b_DoIndex = s.b_DoTabData = true; },
         tableHeading(L, true, true, true) + row("beta", L, true, true, {true, false, false}) +
             row("alpha", L, true, false, {false, false, false}) +
             row("gamma", L, true, true, {false, false, true}) +
             row("delta_long", L, false, true, {false, false, false})},
        {"an excluded table is \"Not processed\" with its option",
         [](CompareSettings& s) {
             s.b_DoTabStruct = s.b_DoIndex = true;
             s.ignoreTables = {"GAMMA"};
             s.b_DoTabSkipped = true;
         },
         tableHeading(L, true, true, false) + row("beta", L, true, true, {true, false}) +
             row("alpha", L, true, false, {false, false}) + notProcessed("gamma", L, 2) +
             row("delta_long", L, false, true, {false, false})},
        {"and has no row without it",
         [](CompareSettings& s) {
             s.b_DoTabStruct = s.b_DoIndex = true;
             s.ignoreTables = {"GAMMA"};
             s.b_DoTabSkipped = false;
         },
         tableHeading(L, true, true, false) + row("beta", L, true, true, {true, false}) +
             row("alpha", L, true, false, {false, false}) +
             row("delta_long", L, false, true, {false, false})},
        {"only the data option: one column, 74 dashes",
         [](CompareSettings& s) { s.b_DoTabData = true; },
         tableHeading(L, false, false, true) + row("beta", L, true, true, {false}) +
             row("alpha", L, true, false, {false}) + row("gamma", L, true, true, {true}) +
             row("delta_long", L, false, true, {false})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        allPhasesOff();
        session.settings.ignoreTables.clear();
        c.options(session.settings);
        lists(kSide1, kSide2);
        differences = {{"beta", &ObjectEntry::structureDiffers},
                       {"gamma", &ObjectEntry::dataDiffers}};
        run();
        // Nothing of the list phase: only the summary lifts the summary mode.
        EXPECT_EQ(body(), c.expected);
    }
}

TEST_F(SummaryRun, ColoursTellWhereEachObjectIs) {
    session.settings.b_DoTabData = true;
    lists({{"a", "b"}, {}, {}}, {{"b", "d"}, {}, {}});
    differences = {{"b", &ObjectEntry::dataDiffers}};
    run();
    const std::string rule = dashes(1);
    EXPECT_EQ(tagged(),
              "[T]< DATABASE 1:  [1]one.zsn[T]\r\n> DATABASE 2:  [2]two.zsn"
              "[T]\r\n\r\n\r\n\r\nThe following is a summary report of the differences found in "
              "the tables\r\n\r\n[C]" +
                  std::string(31, ' ') +
                  "   Data       [1]\r\n    DATABASE 1    [2]DATABASE 2   "
                  "[C]differences[T]" +
                  rule + "[C]\r\nb       [1]" + kX + "[2]" + kX + "[E]" + kX + "[T]" + rule +
                  "[1]\r\na       " + kX + "[2]" + kBlank + "[E]" + kBlank + "[T]" + rule +
                  "[2]\r\nd       [1]" + kBlank + "[2]" + kX + "[E]" + kBlank + "[T]" + rule +
                  "[E]" + kEndLine);
}

TEST_F(SummaryRun, ViewsAndProcedures) {
    session.settings.b_DoViewStruct = true;
    session.settings.b_DoProcStruct = true;
    lists({{}, {"v_one", "v_two"}, {"p_a", "p_only1"}}, {{}, {"v_two"}, {"p_a"}});
    differences = {{"v_two", &ObjectEntry::structureDiffers},
                   {"p_a", &ObjectEntry::structureDiffers}};
    run();
    EXPECT_EQ(
        body(),
        "\r\n\r\n\r\n\r\nThe following is a summary report of the differences found in the "
        "views\r\n\r\n" +
            std::string(35, ' ') + "Structural    \r\n" + std::string(8, ' ') +
            "DATABASE 1    DATABASE 2   differences   " + dashes(1) +
            row("v_two", 5, true, true, {true}) + row("v_one", 5, true, false, {false}) +
            "\r\n\r\n\r\n\r\nThe following is a summary report of the differences found in the "
            "procedures\r\n\r\n" +
            std::string(37, ' ') + "Parameter           \r\n" + std::string(10, ' ') +
            "DATABASE 1    DATABASE 2   differences " + dashes(1) +
            row("p_a", 7, true, true, {true}) + row("p_only1", 7, true, false, {false}));
}

TEST_F(SummaryRun, WithoutObjectsOnDatabase2TheRowsHaveNoHeading) {
    session.settings.b_DoTabStruct = true;
    lists({{"alone"}, {}, {}}, {{}, {}, {}});
    run();
    EXPECT_EQ(body(), row("alone", 5, true, false, {false}));
}

TEST_F(SummaryRun, AStopBeforeTheSummaryPrintsNoneOfIt) {
    session.settings.b_DoTabStruct = true;
    lists(kSide1, kSide2);
    session.phases.tableStructure = [](Session& s) { s.control.running = false; };
    run();
    EXPECT_EQ(session.report.text(), kHeader + "\r\n\r\nZentab Stopped ...");
    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
}

} // namespace
} // namespace zentab::test

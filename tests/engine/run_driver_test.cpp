// The comparison run from start to end: header, phase order and gating, end line, output file,
// autosave, sides that cannot be opened, and the Start / Rerun Last commands.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_fixture.h"

namespace zentab::test {
namespace {

const std::string kHeader = "< DATABASE 1:  one.zsn\r\n> DATABASE 2:  two.zsn";
const std::string kEndLine = "\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:00 ---";

TEST(FormatElapsed, HoursMinutesSecondsWithHoursBeyondTwoDigits) {
    struct Case {
        long long seconds;
        const char* text;
    } cases[] = {{0, "00:00:00"}, {59, "00:00:59"}, {3725, "01:02:05"}, {360000, "100:00:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(formatElapsed(c.seconds), c.text) << c.seconds;
    }
}

using RunDriverTest = RunFixture;

TEST_F(RunDriverTest, RunWithNoPhaseWritesHeaderAndEndLine) {
    allPhasesOff();
    ASSERT_TRUE(driver->startRun());
    waitForEnd();

    EXPECT_EQ(session.report.text(), kHeader + kEndLine);
    EXPECT_EQ(host.mirroredReport(), kHeader + kEndLine);
    EXPECT_EQ(host.mainCaptions(),
              (std::vector<std::string>{"Retrieving Database Information - Zentab",
                                        "Finished - Zentab", "Ready - Zentab"}));
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"Zentab has finished comparing the databases"});
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    EXPECT_FALSE(session.control.running);
    EXPECT_TRUE(session.hasRun);
    EXPECT_FALSE(session.writer.reportSaved);
}

// The configuration file and the snapshots are read by the run: an output file that is one of
// them refuses the run before anything is written.
TEST_F(RunDriverTest, ARunThatWouldWriteOverWhatItReadsDoesNotStart) {
    allPhasesOff();
    const std::string configuration = dir.file("saved.zcf");
    writeFile(configuration, "[Settings]\r\n");
    session.configurationPath = configuration;
    const std::string snapshot = session.side2->s_SnapshotFile;
    const std::string snapshotBytes = readFile(snapshot);
    std::size_t refusals = 0;
    for (const std::string& output : {configuration, snapshot}) {
        SCOPED_TRACE(output);
        session.settings.b_OnlyToFile = true;
        session.settings.s_AutoSaveFile = output;
        EXPECT_FALSE(driver->startRun());
        ASSERT_EQ(host.messages().size(), ++refusals);
        EXPECT_NE(host.messages().back().find("Zentab never writes over a file that it reads"),
                  std::string::npos);
        EXPECT_FALSE(session.control.running);
    }
    EXPECT_EQ(readFile(configuration), "[Settings]\r\n");
    EXPECT_EQ(readFile(snapshot), snapshotBytes);
}

TEST_F(RunDriverTest, ElapsedTimeComesFromTheClock) {
    allPhasesOff();
    std::time_t times[] = {1000, 4725};
    int call = 0;
    driver->setClock([&] { return times[call++ < 1 ? 0 : 1]; });
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(session.report.text(),
              kHeader + "\r\n\r\n--- End of Zentab --- Elapsed Time: 01:02:05 ---");
}

TEST_F(RunDriverTest, PhasesRunInOrderWhenTheirOptionsSaySo) {
    struct Case {
        const char* name;
        void (*set)(CompareSettings&);
        std::vector<std::string> expected;
    } cases[] = {
        {"defaults",
         [](CompareSettings&) {},
         {"tableList", "tableStructure", "indexes", "tableData", "viewList", "viewStructure",
          "viewData+skip", "procList", "procParameters"}},
        {"index only", [](CompareSettings& s) { s.b_DoIndex = true; }, {"tableList", "indexes"}},
        {"table data only",
         [](CompareSettings& s) { s.b_DoTabData = true; },
         {"tableList", "tableStructure", "tableData"}},
        {"view structure only",
         [](CompareSettings& s) { s.b_DoViewStruct = true; },
         {"viewList", "viewStructure"}},
        {"summary of tables and procedures",
         [](CompareSettings& s) {
             s.b_SummaryReportOnly = true;
             s.b_DoTabStruct = true;
             s.b_DoProcStruct = true;
         },
         {"tableList", "tableStructure", "tableSummary", "viewSummary", "procList",
          "procParameters", "procSummary"}},
        {"nothing", [](CompareSettings&) {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.settings = CompareSettings{};
        if (std::string(c.name) != "defaults") {
            allPhasesOff();
        }
        c.set(session.settings);
        std::vector<std::string> called;
        auto record = [&called](const char* name) {
            return [&called, name](Session& s) {
                called.push_back(std::string(name) + (s.control.skipAllowed ? "+skip" : ""));
            };
        };
        PhaseTable& p = session.phases;
        p.tableList = record("tableList");
        p.tableStructure = record("tableStructure");
        p.indexes = record("indexes");
        p.tableData = record("tableData");
        p.tableSummary = record("tableSummary");
        p.viewList = record("viewList");
        p.viewStructure = record("viewStructure");
        p.viewData = record("viewData");
        p.viewSummary = record("viewSummary");
        p.procList = record("procList");
        p.procParameters = record("procParameters");
        p.procSummary = record("procSummary");
        driver->startRun();
        waitForEnd();
        EXPECT_EQ(called, c.expected);
        EXPECT_FALSE(session.control.skipAllowed);
    }
}

TEST_F(RunDriverTest, ExecutiveSummaryDropsPhaseLinesButKeepsHeaderAndEndLine) {
    allPhasesOff();
    session.settings.b_DoTabStruct = true;
    session.settings.b_SummaryReportOnly = true;
    session.phases.tableList = [](Session& s) {
        s.writer.append("\r\ndetail line", ReportColour::Text, false, true);
    };
    session.phases.tableSummary = [](Session& s) {
        s.writer.summaryOnly = false;
        s.writer.append("\r\nsummary", ReportColour::Text, false, true);
        s.writer.summaryOnly = true;
    };
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(session.report.text(), kHeader + "\r\nsummary" + kEndLine);
}

TEST_F(RunDriverTest, OutputOnlyToFileShowsTheFileLineAndWritesTheReportToTheFile) {
    allPhasesOff();
    const std::string path = dir.file("report.txt");
    session.settings.b_OnlyToFile = true;
    session.settings.s_AutoSaveFile = path;
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(session.report.text(),
              "Output of this report is being written to file: " + path + "\r\n\r\n");
    EXPECT_EQ(readFile(path), kHeader + kEndLine);
    EXPECT_TRUE(session.writer.reportSaved);
    EXPECT_FALSE(session.writer.outputFileOpen());
}

TEST_F(RunDriverTest, AutosaveAtTheEndWritesTheWholeReport) {
    allPhasesOff();
    const std::string path = dir.file("auto.txt");
    session.settings.b_AutoSave = true;
    session.settings.s_AutoSaveFile = path;
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(readFile(path), kHeader + kEndLine);
    EXPECT_TRUE(session.writer.reportSaved);
    EXPECT_FALSE(session.writer.autoSaveCreated);
}

TEST_F(RunDriverTest, SideThatCannotBeOpenedEndsTheRunAfterTheHeader) {
    session.phases.tableList = [](Session&) { FAIL() << "no phase may run"; };
    std::filesystem::remove(dir.file("two.zsn"));
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(session.report.text(), kHeader);
    EXPECT_EQ(session.lastOutcome, RunOutcome::SideNotUsable);
    EXPECT_TRUE(session.side2->notUsable);
    EXPECT_EQ(host.lastMainCaption(), "Ready - Zentab");
    auto messages = host.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Could not open snapshot file: \n\n", 0), 0u) << messages[0];
}

TEST_F(RunDriverTest, AutomaticRunToFileEndsTheProgramWithoutMessage) {
    allPhasesOff();
    session.autoStartPath = "job.zcf";
    session.settings.b_OnlyToFile = true;
    session.settings.s_AutoSaveFile = dir.file("report.txt");
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(host.endedWith(), 0);
    EXPECT_TRUE(host.messages().empty());
    EXPECT_TRUE(session.autoStartPath.empty());
}

TEST_F(RunDriverTest, AutomaticRunToScreenMaximisesAndTellsTheUser) {
    allPhasesOff();
    session.autoStartPath = "job.zcf";
    driver->startRun();
    waitForEnd();
    EXPECT_FALSE(host.endedWith());
    auto calls = host.calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "maximise"), calls.end());
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"Zentab has finished comparing the databases"});
}

TEST_F(RunDriverTest, CaptionsCarryTheTitleSuffix) {
    allPhasesOff();
    session.titleSuffix = " - nightly";
    driver->startRun();
    waitForEnd();
    EXPECT_EQ(host.lastMainCaption(), "Ready - Zentab - nightly");
}

TEST_F(RunDriverTest, StartCommand) {
    allPhasesOff();
    auto accept = [](CompareSettings&) { return true; };

    // While a run is in progress nothing changes.
    std::atomic<bool> release{false};
    session.settings.b_DoTabStruct = true;
    session.phases.tableList = [&release](Session&) {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    driver->startRun();
    driver->start(accept);
    release = true;
    waitForEnd();
    EXPECT_EQ(host.messages().front(),
              "You cannot start another Zentab before the previous one ends.\n"
              "Press the <stop> icon to terminate the current Zentab");
    const std::string finished = session.report.text();

    // The report is unsaved: Cancel, or a cancelled file dialog after Yes, starts nothing.
    ASSERT_FALSE(session.writer.reportSaved);
    host.answerYesNoCancel(Answer::Cancel);
    driver->start(accept);
    host.answerYesNoCancel(Answer::Yes);
    host.answerFile(std::nullopt);
    driver->start(accept);
    EXPECT_FALSE(driver->workerActive());
    EXPECT_EQ(session.report.text(), finished);

    // No: the dialog edits the settings; cancelling it changes nothing.
    session.settings.b_SnapshotOnly = true;
    host.answerYesNoCancel(Answer::No);
    driver->start([](CompareSettings& s) {
        s.b_DoIndex = true;
        return false;
    });
    EXPECT_FALSE(session.settings.b_DoIndex);
    EXPECT_FALSE(session.settings.b_SnapshotOnly);

    host.answerYesNoCancel(Answer::No);
    driver->start([](CompareSettings& s) {
        s.b_DoTabStruct = false;
        return true;
    });
    waitForEnd();
    EXPECT_FALSE(session.settings.b_DoTabStruct);
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
}

TEST_F(RunDriverTest, RerunLastNeedsTwoUsableSides) {
    allPhasesOff();
    EXPECT_FALSE(driver->canRerunLast());
    driver->startRun();
    waitForEnd();
    ASSERT_TRUE(driver->canRerunLast());

    session.side2->notUsable = true;
    driver->rerunLast();
    EXPECT_FALSE(driver->workerActive());
    EXPECT_EQ(host.messages().back(), "You must have 2 database sources before you can begin.");

    session.side2->notUsable = false;
    driver->rerunLast();
    waitForEnd();
    EXPECT_EQ(session.report.text(), kHeader + kEndLine);
}

} // namespace
} // namespace zentab::test

// Pause, resume, skip and stop against a real worker whose phase polls the flags as every phase
// does. Repeated to shake out races; these tests also run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>

#include "support/run_fixture.h"

namespace zentab::test {
namespace {

// A phase that works in small steps until told to stop, checking the flags before each step
// as a data phase does between rows.
struct PollingPhase {
    std::atomic<int> steps{0};
    std::atomic<int> skips{0};
    std::atomic<bool> finish{false};
    std::atomic<bool> pastStop{false};
    std::atomic<bool> released{false};

    Phase phase() {
        return [this](Session& s) {
            // Stands for a statement or file the phase holds: unwinding must release it.
            struct Held {
                std::atomic<bool>& released;
                ~Held() { released = true; }
            } held{released};
            s.setMainCaption("Comparing Data - Zentab");
            s.control.skipAllowed = true;
            while (!finish) {
                s.pauseStopCheck();
                if (s.control.takeSkip()) {
                    ++skips;
                }
                ++steps;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            s.control.skipAllowed = false;
            pastStop = true;
        };
    }
};

class RunControlTest : public RunFixture {
protected:
    void startPolling() {
        allPhasesOff();
        session.settings.b_DoTabData = true;
        // Only the polling phase, so that the report holds nothing but what these tests expect.
        session.phases.tableList = nullptr;
        session.phases.tableStructure = nullptr;
        session.phases.tableData = polling.phase();
        session.phases.viewList = [this](Session&) { laterPhaseRan = true; };
        session.settings.b_DoViewStruct = true;
        ASSERT_TRUE(driver->startRun());
        ASSERT_TRUE(waitUntil([this] { return polling.steps > 0; }));
    }

    // True when the worker made no step for a while: it sleeps in the pause loop.
    bool standsStill() {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        int before = polling.steps;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        return polling.steps == before;
    }

    PollingPhase polling;
    std::atomic<bool> laterPhaseRan{false};
};

TEST_F(RunControlTest, EnableRulesFollowTheFlags) {
    struct Case {
        bool running, paused, skipAllowed;
        bool pause, resume, skip, stop;
    } cases[] = {
        {false, false, false, false, false, false, false},
        {true, false, false, true, false, false, true},
        {true, false, true, true, false, true, true},
        {true, true, true, false, true, false, true},
    };
    for (const auto& c : cases) {
        RunControl control;
        control.running = c.running;
        control.paused = c.paused;
        control.skipAllowed = c.skipAllowed;
        EXPECT_EQ(control.canPause(), c.pause);
        EXPECT_EQ(control.canResume(), c.resume);
        EXPECT_EQ(control.canSkip(), c.skip);
        EXPECT_EQ(control.canStop(), c.stop);
    }
}

TEST_F(RunControlTest, PauseResumeSkipThenFinish) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        polling.steps = 0;
        polling.skips = 0;
        polling.finish = false;
        startPolling();

        driver->pause();
        driver->pause(); // a second Pause keeps the first saved caption
        EXPECT_EQ(host.lastMainCaption(), "Paused - Zentab");
        EXPECT_FALSE(session.control.canSkip());
        EXPECT_TRUE(standsStill());

        driver->resume();
        EXPECT_EQ(host.lastMainCaption(), "Comparing Data - Zentab");
        int resumedAt = polling.steps;
        ASSERT_TRUE(waitUntil([&] { return polling.steps > resumedAt; }));

        driver->skip();
        ASSERT_TRUE(waitUntil([&] { return polling.skips == 1; }));
        EXPECT_FALSE(session.control.skipRequested);

        polling.finish = true;
        waitForEnd();
        EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
        EXPECT_TRUE(laterPhaseRan);
        laterPhaseRan = false;
    }
}

TEST_F(RunControlTest, StopAnsweredNoChangesNothing) {
    startPolling();
    host.answerYesNo(false);
    driver->stop();
    EXPECT_TRUE(session.control.running);
    int before = polling.steps;
    ASSERT_TRUE(waitUntil([&] { return polling.steps > before + 5; }));
    polling.finish = true;
    waitForEnd();
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
}

TEST_F(RunControlTest, StopEndsTheRunAtTheCheckAndReleasesWhatThePhaseHeld) {
    for (bool whilePaused : {false, true}) {
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(std::string(whilePaused ? "paused" : "running") + " round " +
                         std::to_string(round));
            polling.pastStop = false;
            polling.released = false;
            startPolling();
            if (whilePaused) {
                driver->pause();
            }
            host.answerYesNo(true);
            driver->stop();
            EXPECT_FALSE(session.writer.reportSaved);
            waitForEnd();

            EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
            EXPECT_TRUE(polling.released);
            EXPECT_FALSE(polling.pastStop);
            EXPECT_FALSE(laterPhaseRan);
            EXPECT_FALSE(session.control.paused);
            const std::string text = session.report.text();
            const std::string stopLine = "\r\n\r\nZentab Stopped ...";
            ASSERT_GE(text.size(), stopLine.size());
            EXPECT_EQ(text.substr(text.size() - stopLine.size()), stopLine);
            EXPECT_EQ(text.find("End of Zentab"), std::string::npos);
            auto captions = host.mainCaptions();
            ASSERT_GE(captions.size(), 2u);
            EXPECT_EQ(captions[captions.size() - 2], "Stopped - Zentab");
            EXPECT_EQ(captions.back(), "Ready - Zentab");
            for (const auto& message : host.messages()) {
                EXPECT_NE(message, "Zentab has finished comparing the databases");
            }
        }
    }
}

TEST_F(RunControlTest, StopInExecutiveSummaryStillWritesTheStopLine) {
    session.settings.b_SummaryReportOnly = true;
    startPolling();
    driver->stop(false);
    waitForEnd();
    const std::string text = session.report.text();
    EXPECT_EQ(text.substr(text.find("\r\n\r\nZentab")), "\r\n\r\nZentab Stopped ...");
    EXPECT_FALSE(session.writer.summaryOnly);
}

TEST_F(RunControlTest, StopWithAutosaveWritesTheReportToTheFile) {
    const std::string path = dir.file("auto.txt");
    session.settings.b_AutoSave = true;
    session.settings.s_AutoSaveFile = path;
    startPolling();
    driver->stop(false);
    waitForEnd();
    EXPECT_EQ(readFile(path),
              "< DATABASE 1:  one.zsn\r\n> DATABASE 2:  two.zsn\r\n\r\nZentab Stopped ...");
    EXPECT_FALSE(session.writer.autoSaveCreated);
}

TEST_F(RunControlTest, ControlPanelCannotCloseDuringARun) {
    startPolling();
    EXPECT_FALSE(driver->closeControlPanel());
    EXPECT_EQ(host.messages().back(),
              "Please wait until Zentab is finished to close the control panel.");
    polling.finish = true;
    waitForEnd();
    EXPECT_TRUE(driver->closeControlPanel());
}

} // namespace
} // namespace zentab::test

// The window's commands as a user meets them: the context menu's entries and their enabling,
// the window placement kept between sessions, the font and colours applied to the whole
// report, saving, printing, the recent configuration files, the save question on closing, and
// closing during each kind of run.

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db/database_source.h"
#include "settings/preferences.h"
#include "settings/profile_file.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/report_view.h"
#include "ui_fixture.h"

namespace zentab::test {
namespace {

class WindowCommands : public ::testing::Test {
protected:
    WindowCommands() {
        writeEmptySnapshot(dir.file("one.zsn"));
        writeEmptySnapshot(dir.file("two.zsn"));
    }

    std::unique_ptr<MainWindow> newWindow() {
        auto window = std::make_unique<MainWindow>();
        window->setPreferencePath(dir.file("prefs.conf"));
        auto owned = std::make_unique<ScriptedPrompts>();
        prompts = owned.get();
        window->host().setPrompts(std::move(owned));
        for (int number = 1; number <= 2; ++number) {
            const std::string path = dir.file(number == 1 ? "one.zsn" : "two.zsn");
            window->setSide(number, DatabaseSource::ConnectInteractive(window->host(), true, path,
                                                                       nullptr, " -#/$%&*"));
        }
        window->session().phases = PhaseTable{};
        window->show();
        return window;
    }

    // Runs a comparison whose only phase writes `text` and waits for its end.
    void runWriting(MainWindow& window, const std::string& text) {
        window.session().phases.tableList = [text](Session& s) {
            s.writer.append(text, ReportColour::Database1, false, true);
        };
        ASSERT_TRUE(window.startRun());
        ASSERT_TRUE(turnEventLoopUntil([&] { return !window.driver().workerActive(); }));
        window.refreshCommands();
    }

    // A phase that keeps the worker busy until the run is stopped.
    static Phase pollUntilStopped(std::atomic<bool>& inPhase) {
        return [&inPhase](Session& s) {
            inPhase = true;
            for (;;) {
                s.pauseStopCheck();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
    }

    std::string preference(const std::string& section, const std::string& key) {
        std::string error;
        ProfileFile file;
        EXPECT_TRUE(file.load(dir.file("prefs.conf"), error)) << error;
        return file.read(section, key).value_or("<absent>");
    }

    TempDir dir;
    ScriptedPrompts* prompts = nullptr;
};

// Each entry of the context menu with whether it is enabled; "-" for a separator.
using MenuState = std::vector<std::pair<QString, bool>>;

MenuState contextMenuOf(MainWindow& window) {
    QMenu menu;
    window.buildContextMenu(menu);
    MenuState state;
    for (QAction* action : menu.actions()) {
        state.emplace_back(action->isSeparator() ? QString("-") : action->text(),
                           action->isSeparator() || action->isEnabled());
    }
    return state;
}

TEST_F(WindowCommands, ContextMenuFollowsTheRunTheReportAndTheSelection) {
    auto window = newWindow();
    Session& session = window->session();

    struct Case {
        const char* name;
        std::function<void()> arrange;
        // Copy, CSV, Start, Rerun, Start SQL, Rerun SQL, Save Report, Open, Save, Save As,
        // Snapshot, Find, Font, Colors, Print.
        std::vector<bool> enabled;
    };
    std::atomic<bool> inPhase{false};
    const Case cases[] = {
        {"no report yet",
         [] {},
         {false, false, true, false, true, false, false, true, false, false, true, false, true,
          true, false}},
        {"after a run, nothing selected",
         [&] { runWriting(*window, "alpha beta\r\ngamma\r\n"); },
         {false, false, true, true, true, false, true, true, false, true, true, true, true, true,
          true}},
        {"text selected, CSV output off",
         [&] { window->reportView().selectAll(); },
         {true, false, true, true, true, false, true, true, false, true, true, true, true, true,
          true}},
        {"text selected, CSV output on",
         [&] { session.settings.b_DataAsCSV = true; },
         {true, true, true, true, true, false, true, true, false, true, true, true, true, true,
          true}},
        {"a configuration file is known",
         [&] { session.configurationPath = dir.file("known.zcf"); },
         {true, true, true, true, true, false, true, true, true, true, true, true, true, true,
          true}},
        {"running",
         [&] {
             session.phases.tableList = pollUntilStopped(inPhase);
             ASSERT_TRUE(window->startRun());
             ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));
         },
         // The run's new report has nothing selected.
         {false, false, false, false, false, false, true, false, true, true, false, true, true,
          true, true}},
    };
    const QString texts[] = {"Copy",
                             "Save Selection as CSV ...",
                             "-",
                             "Start Zentab",
                             "Rerun Compare",
                             "Start SQL Compare",
                             "Rerun SQL Compare",
                             "-",
                             "Save Report",
                             "-",
                             "Open Configuration",
                             "Save Configuration",
                             "Save Configuration As",
                             "-",
                             "Snapshot",
                             "-",
                             "Find",
                             "-",
                             "Font",
                             "Colors",
                             "Print"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        if (HasFatalFailure()) {
            return;
        }
        window->refreshCommands();
        MenuState expected;
        std::size_t next = 0;
        for (const QString& text : texts) {
            expected.emplace_back(text, text == "-" || c.enabled[next]);
            next += text == "-" ? 0 : 1;
        }
        EXPECT_EQ(contextMenuOf(*window), expected);
        // The Edit menu's entry follows the same rule.
        EXPECT_EQ(window->action(CommandId::SaveCsv)->isEnabled(), c.enabled[1]);
    }
    prompts->yesNoAnswers = {true};
    window->driver().stop(true);
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));
}

TEST_F(WindowCommands, PlacementIsBoundedOnStartAndWrittenOnClose) {
    writeFile(dir.file("prefs.conf"),
              "[Settings]\nBigWidth=150\nBigHeight=50\nLocX=2500\nLocY=100\n");
    auto window = newWindow();
    PreferenceStore(dir.file("prefs.conf"))
        .load(window->session().settings, window->session().preferences);
    window->move(40, 50);
    window->applyPreferences();
    EXPECT_EQ(window->width(), 800);
    EXPECT_EQ(window->height(), 600);
    EXPECT_NE(window->pos().x(), 2500); // a position off every screen is not used

    window->resize(900, 700);
    window->move(120, 130);
    prompts->yesNoCancelAnswers = {Answer::No};
    ASSERT_TRUE(window->close());
    EXPECT_EQ(preference("Settings", "BigWidth"), "900");
    EXPECT_EQ(preference("Settings", "BigHeight"), "700");
    EXPECT_EQ(preference("Settings", "BigMaximized"), "0");
    EXPECT_EQ(preference("Settings", "LocX"), std::to_string(window->x()));
    EXPECT_EQ(preference("Settings", "LocY"), std::to_string(window->y()));
    // The settings in force become the next session's defaults.
    EXPECT_EQ(preference("Settings", "dst"), "1");
}

TEST_F(WindowCommands, ChosenFontReachesThePreferencesAndTheWholeReport) {
    auto window = newWindow();
    runWriting(*window, "first line\r\nsecond line\r\n");
    QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chosen.setPointSizeF(12.0);
    chosen.setBold(true);
    prompts->fontAnswer = chosen;

    window->action(CommandId::Font)->trigger();
    const ReportFont& font = window->session().preferences.font;
    EXPECT_EQ(font.height, 240);
    EXPECT_EQ(font.faceName, toReportText(chosen.family()));
    EXPECT_EQ(preference("Settings", "yHeight"), "240");
    EXPECT_EQ(preference("Settings", "szFaceName"), font.faceName);
    // Text already in the report takes the font too: nothing in it sets a size of its own.
    QTextDocument* document = window->reportView().document();
    EXPECT_DOUBLE_EQ(document->defaultFont().pointSizeF(), 12.0);
    QTextCursor cursor(document->firstBlock());
    cursor.movePosition(QTextCursor::Right);
    EXPECT_FALSE(cursor.charFormat().hasProperty(QTextFormat::FontPointSize));

    // Cancelled: nothing changes.
    prompts->fontAnswer.reset();
    window->action(CommandId::Font)->trigger();
    EXPECT_EQ(window->session().preferences.font.height, 240);
}

TEST_F(WindowCommands, ChosenColoursReachThePreferencesThePanesAndLaterText) {
    auto window = newWindow();
    ReportColours colours = window->session().preferences.colours;
    colours.database1 = makeRgb(0, 255, 0);
    colours.database2 = makeRgb(255, 0, 0);
    prompts->coloursAnswer = colours;
    window->action(CommandId::Colors)->trigger();

    EXPECT_EQ(window->session().writer.colours().database1, colours.database1);
    EXPECT_EQ(preference("Settings", "ColDatabase1"), std::to_string(colours.database1));
    EXPECT_EQ(preference("Settings", "ColDatabase2"), std::to_string(colours.database2));
    auto* pane1 = window->findChild<QLabel*>("side1Pane");
    auto* pane2 = window->findChild<QLabel*>("side2Pane");
    ASSERT_NE(pane1, nullptr);
    ASSERT_NE(pane2, nullptr);
    EXPECT_TRUE(pane1->styleSheet().contains("#00ff00")) << pane1->styleSheet().toStdString();
    EXPECT_TRUE(pane2->styleSheet().contains("#ff0000")) << pane2->styleSheet().toStdString();
    EXPECT_EQ(pane1->text(), "Database 1:    one.zsn");
}

TEST_F(WindowCommands, SaveReportAndPrintWriteTheirFiles) {
    auto window = newWindow();
    runWriting(*window, "report line\r\n");
    prompts->fileAnswers = {QString::fromStdString(dir.file("saved.txt"))};
    window->action(CommandId::SaveReport)->trigger();
    EXPECT_EQ(readFile(dir.file("saved.txt")), window->session().report.text());
    EXPECT_TRUE(window->session().writer.reportSaved);
    EXPECT_EQ(window->host().savingWindow(), nullptr); // the Saving... window has gone

    const std::size_t shown = prompts->shown.size();
    prompts->printTo = QString::fromStdString(dir.file("report.pdf"));
    window->action(CommandId::Print)->trigger();
    EXPECT_TRUE(readFile(dir.file("report.pdf")).starts_with("%PDF"));
    EXPECT_EQ(prompts->shown.size(), shown);

    prompts->printTo = QString("/dev/full");
    window->action(CommandId::Print)->trigger();
    ASSERT_EQ(prompts->shown.size(), shown + 1);
    EXPECT_EQ(prompts->shown.back(),
              "The print spooler is out of disk space, free up some disk space and try again.");
}

TEST_F(WindowCommands, SavedConfigurationsAreListedNewestFirstAndReopen) {
    auto window = newWindow();
    runWriting(*window, "x\r\n");
    std::vector<std::string> saved;
    for (const char* name : {"a.zcf", "b.zcf", "c.zcf", "d.zcf", "e.zcf", "b.zcf"}) {
        prompts->fileAnswers = {QString::fromStdString(dir.file(name))};
        window->action(CommandId::SaveConfigurationAs)->trigger();
    }
    const std::vector<std::string> expected{dir.file("b.zcf"), dir.file("e.zcf"), dir.file("d.zcf"),
                                            dir.file("c.zcf")};
    EXPECT_EQ(window->recentFiles(), expected);
    EXPECT_EQ(preference("Recent File List", "File1"), dir.file("b.zcf"));
    EXPECT_EQ(preference("Recent File List", "File4"), dir.file("c.zcf"));
    EXPECT_EQ(window->windowTitle(), "Ready - Zentab - b");

    window->session().settings.b_DoTabData = false;
    window->saveConfigurationToCurrentFile(); // b.zcf, now without table data
    window->session().settings.b_DoTabData = true;
    window->openConfigurationFile(dir.file("b.zcf"));
    EXPECT_FALSE(window->session().settings.b_DoTabData);

    // A file that has gone leaves the list.
    std::remove(dir.file("e.zcf").c_str());
    window->openConfigurationFile(dir.file("e.zcf"));
    EXPECT_EQ(window->recentFiles().size(), 3u);
}

TEST_F(WindowCommands, ClosingWithAnUnsavedReportAsksFirst) {
    auto window = newWindow();
    runWriting(*window, "unsaved\r\n");
    ASSERT_FALSE(window->session().writer.reportSaved);
    prompts->shown.clear();

    prompts->yesNoCancelAnswers = {Answer::Cancel};
    EXPECT_FALSE(window->close());
    // Yes, then the file dialog cancelled: the report stays.
    prompts->yesNoCancelAnswers = {Answer::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts->shown, (std::vector<QString>{kReportNotSaved, kReportNotSaved}));
    EXPECT_TRUE(window->isVisible());

    prompts->yesNoCancelAnswers = {Answer::Yes};
    prompts->fileAnswers = {QString::fromStdString(dir.file("kept.rtf"))};
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(readFile(dir.file("kept.rtf")).starts_with("{\\rtf1"));
}

TEST_F(WindowCommands, ViewMenuHidesAndShowsTheBars) {
    auto window = newWindow();
    for (CommandId id : {CommandId::ToggleToolbar, CommandId::ToggleStatusBar}) {
        QAction* toggle = window->action(id);
        SCOPED_TRACE(toggle->text().toStdString());
        ASSERT_TRUE(toggle->isChecked());
        toggle->trigger();
        EXPECT_FALSE(toggle->isChecked());
        EXPECT_FALSE(id == CommandId::ToggleToolbar ? window->toolBarShown()
                                                    : window->statusBarShown());
        toggle->trigger();
        EXPECT_TRUE(toggle->isChecked());
        EXPECT_TRUE(id == CommandId::ToggleToolbar ? window->toolBarShown()
                                                   : window->statusBarShown());
    }
    // The shortcuts still reach a window whose toolbar is hidden.
    window->toggleToolBar();
    window->session().hasRun = true;
    window->refreshCommands();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+F"));
    EXPECT_NE(window->findDialog(), nullptr);
}

TEST_F(WindowCommands, HelpOpensTheContentsOrTheTopicOfADialog) {
    ::setenv("ZENTAB_HELP_DIR", ZENTAB_BUILD_HELP_DIR, 1);
    auto window = newWindow();
    window->action(CommandId::HelpTopics)->trigger();
    HelpWindow* help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage(), "index.md");
    window->services().help(window.get(), "ParametersDialog");
    EXPECT_EQ(help->currentPage(), "parameters.md");
    EXPECT_TRUE(prompts->shown.empty());
    help->close();
    ::unsetenv("ZENTAB_HELP_DIR");
}

TEST_F(WindowCommands, AboutNamesTheVersion) {
    auto window = newWindow();
    window->action(CommandId::About)->trigger();
    ASSERT_FALSE(prompts->shown.empty());
    EXPECT_TRUE(prompts->shown.back().contains("Version 5.01"));
}

TEST_F(WindowCommands, ClosingDuringASnapshotOrStatementRunStopsItAndCloses) {
    for (const bool snapshot : {true, false}) {
        SCOPED_TRACE(snapshot ? "snapshot run" : "statement comparison");
        auto window = newWindow();
        std::atomic<bool> inPhase{false};
        Session& session = window->session();
        if (snapshot) {
            session.phases.snapshotRun = pollUntilStopped(inPhase);
            session.settings.b_SnapshotOnly = true;
            ASSERT_TRUE(window->startRun());
        } else {
            session.phases.statementCompare = pollUntilStopped(inPhase);
            ASSERT_TRUE(window->driver().startSqlCompareRun());
        }
        ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));

        prompts->yesNoAnswers = {true};
        prompts->yesNoCancelAnswers = {Answer::No};
        window->close();
        ASSERT_TRUE(turnEventLoopUntil([&] { return !window->isVisible(); }));
        EXPECT_FALSE(window->driver().workerActive());
    }
}

} // namespace
} // namespace zentab::test

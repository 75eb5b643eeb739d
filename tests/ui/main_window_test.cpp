// A run in the real window under a real event loop: the worker's report pieces, captions and
// panel updates reach the window in order, the commands of the menus and the toolbar follow the
// run, a paused run can be stopped, and closing or destroying the window during a run ends the
// worker without a deadlock.

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db/database_source.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"
#include "ui/dialogs/control_panel.h"
#include "ui/main_window.h"
#include "ui/report_view.h"
#include "ui_fixture.h"

namespace zentab::test {
namespace {

const QString kStopQuestion =
    "You won't be able to resume this Zentab if you stop it.\nAre you sure you want to stop?";
const QString kPanelRefused = "Please wait until Zentab is finished to close the control panel.";

std::string withoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

QString lastBlock(const ReportView& view) {
    return view.document()->lastBlock().text();
}

class WindowRun : public ::testing::Test {
protected:
    WindowRun() {
        writeEmptySnapshot(dir.file("one.zsn"));
        writeEmptySnapshot(dir.file("two.zsn"));
    }

    // A shown window with both sides and no phases; the test sets the ones it needs.
    std::unique_ptr<MainWindow> newWindow() {
        auto window = std::make_unique<MainWindow>();
        auto prompts = std::make_unique<ScriptedPrompts>();
        this->prompts = prompts.get();
        window->host().setPrompts(std::move(prompts));
        for (int number = 1; number <= 2; ++number) {
            const std::string path = dir.file(number == 1 ? "one.zsn" : "two.zsn");
            window->setSide(number, DatabaseSource::ConnectInteractive(window->host(), true, path,
                                                                       nullptr, " -#/$%&*"));
        }
        window->session().phases = PhaseTable{};
        window->show();
        return window;
    }

    // A table-list phase that polls the run-control flags until the run is stopped, keeping
    // the worker busy with calls into the window meanwhile.
    void pollUntilStopped(MainWindow& window) {
        inPhase = false;
        window.session().phases.tableList = [this](Session& s) {
            struct Leaving {
                std::atomic<int>& count;
                ~Leaving() { ++count; }
            } leaving{phasesLeft};
            ++phasesEntered;
            s.setPanelCaption("Analyzing Databases ...");
            s.host().panelAddObject("T1");
            s.host().progressSetRange(0, 10);
            s.host().progressSetStep(1);
            inPhase = true;
            for (;;) {
                s.pauseStopCheck();
                s.host().progressStepIt();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
    }

    TempDir dir;
    ScriptedPrompts* prompts = nullptr; // owned by the window's host
    std::atomic<bool> inPhase{false};
    std::atomic<int> phasesEntered{0};
    std::atomic<int> phasesLeft{0};
};

TEST_F(WindowRun, WorkerPiecesReachTheViewInOrderWithTheirColours) {
    auto window = newWindow();
    Session& session = window->session();
    const int pieces = 600;
    session.phases.tableList = [](Session& s) {
        for (int i = 0; i < pieces; ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "piece %04d", i);
            // Every form of line break, including a CR LF split over two pieces.
            std::string text;
            switch (i % 4) {
            case 0:
                text = std::string("\r\n\r\n") + number + ' ';
                break;
            case 1:
                text = std::string(number) + '\r';
                break;
            case 2:
                text = std::string("\n") + number + ' ';
                break;
            default:
                text = std::string(number) + '\n';
                break;
            }
            s.writer.append(text, static_cast<ReportColour>(i % 5), i % 7 == 0, true);
        }
    };
    ASSERT_TRUE(window->startRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));

    const ReportView& view = window->reportView();
    const std::string text = session.report.text();
    ASSERT_NE(text.find("piece 0599"), std::string::npos);
    EXPECT_EQ(toReportText(view.toPlainText()), withoutCr(text));
    EXPECT_EQ(view.document()->blockCount(), session.report.lineCount());
    EXPECT_TRUE(lastBlock(view).startsWith("--- End of Zentab --- Elapsed Time: "));

    for (int i = 0; i < pieces; i += 37) {
        const QString marker = QString("piece %1").arg(i, 4, 10, QChar('0'));
        QTextCursor found = view.document()->find(marker);
        ASSERT_FALSE(found.isNull()) << i;
        const Rgb rgb = session.writer.colours().of(static_cast<ReportColour>(i % 5));
        EXPECT_EQ(found.charFormat().foreground().color(),
                  QColor(static_cast<int>(redOf(rgb)), static_cast<int>(greenOf(rgb)),
                         static_cast<int>(blueOf(rgb))))
            << i;
        EXPECT_EQ(found.charFormat().fontUnderline(), i % 7 == 0) << i;
    }
    EXPECT_EQ(prompts->shown, std::vector<QString>{"Zentab has finished comparing the databases"});
    EXPECT_EQ(window->windowTitle(), "Ready - Zentab");
}

TEST_F(WindowRun, ProgressPositionsArriveWithoutHoldingUpTheWorker) {
    auto window = newWindow();
    std::atomic<bool> sent{false};
    std::atomic<bool> release{false};
    const int last = 50000;
    window->session().phases.tableList = [&](Session& s) {
        s.host().progressSetRange(0, last);
        for (int pos = 1; pos <= last; ++pos) {
            s.host().progressSetPos(pos);
        }
        sent = true;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    ASSERT_TRUE(window->startRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return sent.load(); }));
    ControlPanel* panel = window->controlPanel();
    ASSERT_NE(panel, nullptr);
    // However many positions were merged on the way, the newest one is shown.
    EXPECT_TRUE(turnEventLoopUntil([&] { return panel->progressBar()->value() == last; }));
    release = true;
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));
}

// A menu as the user reads it: each entry's text and shortcuts ("; " between several), "-"
// for a separator.
struct MenuLook {
    QString title;
    std::vector<std::pair<QString, QString>> entries;
};

const MenuLook kMenus[] = {
    {"&Zentab",
     {{"&Start Zentab", "Ctrl+N"},
      {"&Rerun Last", "Ctrl+L"},
      {"Start S&QL Compare", "Ctrl+J"},
      {"R&erun Last SQL Compare", "Ctrl+M"},
      {"-", ""},
      {"S&ave Report", "Ctrl+S"},
      {"-", ""},
      {"&Open Configuration", "Ctrl+O"},
      {"&Save Configuration", ""},
      {"Save &Configuration as...", ""},
      {"-", ""},
      {"Create Database Snapshot", ""},
      {"-", ""},
      {"-", ""}, // the recent files go between these two
      {"E&xit", ""}}},
    {"&Action",
     {{"S&kip...", "Ctrl+K"},
      {"&Resume...", "Ctrl+R"},
      {"&Pause...", "Ctrl+P"},
      {"&Stop...", "Ctrl+T"}}},
    {"&Edit",
     {{"&Copy", "Ctrl+C; Ctrl+Ins"},
      {"Save selection as CSV ...", ""},
      {"&Find", "Ctrl+F"},
      {"-", ""},
      {"Font", ""},
      {"Colors", ""},
      {"-", ""},
      {"Print", ""}}},
    {"&View", {{"&Toolbar", ""}, {"&Status Bar", ""}}},
    {"&Help", {{"&Help Topics", ""}, {"-", ""}, {"&About Zentab...", ""}}},
};

// The toolbar from the left: each button's tooltip, "|" for a separator.
const QString kToolBar[] = {
    "Start Zentab (Ctrl+N)",
    "Rerun last (Ctrl+L)",
    "|",
    "Start SQL (Ctrl+J)",
    "Rerun SQL (Ctrl+M)",
    "|",
    "Save Report (Ctrl+S)",
    "|",
    "Open Configuration (Ctrl+O)",
    "Save Configuration",
    "Save Configuration As",
    "|",
    "Snapshot",
    "|",
    "Copy (Ctrl+C)",
    "Find (Ctrl+F)",
    "|",
    "Print",
    "|",
    "About",
    "Help",
    "|",
    "Skip to next table",
    "Resume",
    "Pause",
    "Stop",
};

QString shortcutsOf(const QAction& action) {
    QStringList keys;
    for (const QKeySequence& key : action.shortcuts()) {
        keys << key.toString(QKeySequence::PortableText);
    }
    return keys.join("; ");
}

QToolBar* toolBarOf(MainWindow& window) {
    const QList<QToolBar*> bars = window.findChildren<QToolBar*>();
    return bars.size() == 1 ? bars.front() : nullptr;
}

QMenu* actionMenu(MainWindow& window) {
    for (QAction* menu : window.menuBar()->actions()) {
        if (menu->text() == "&Action") {
            return menu->menu();
        }
    }
    return nullptr;
}

TEST_F(WindowRun, MenusAndToolbarHoldEveryCommandInOrder) {
    auto window = newWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), std::ssize(kMenus));
    for (qsizetype m = 0; m < menus.size(); ++m) {
        const MenuLook& expected = kMenus[m];
        SCOPED_TRACE(expected.title.toStdString());
        EXPECT_EQ(menus[m]->text(), expected.title);
        const QList<QAction*> entries = menus[m]->menu()->actions();
        ASSERT_EQ(entries.size(), std::ssize(expected.entries));
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const auto& [text, keys] = expected.entries[static_cast<std::size_t>(i)];
            EXPECT_EQ(entries[i]->isSeparator() ? QString("-") : entries[i]->text(), text);
            EXPECT_EQ(shortcutsOf(*entries[i]), keys) << text.toStdString();
        }
    }

    QToolBar* bar = toolBarOf(*window);
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> buttons = bar->actions();
    ASSERT_EQ(buttons.size(), std::ssize(kToolBar));
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const QString& expected = kToolBar[i];
        SCOPED_TRACE(expected.toStdString());
        if (expected == "|") {
            EXPECT_TRUE(buttons[i]->isSeparator());
            continue;
        }
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(buttons[i]));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), expected);
        // Every button has a picture: the theme's, or our own drawing.
        EXPECT_FALSE(button->icon().pixmap(24, 24).isNull());
        EXPECT_FALSE(buttons[i]->statusTip().isEmpty());

        // The prompt replaces "Ready" while the pointer is on the button.
        QTest::mouseMove(button);
        EXPECT_TRUE(turnEventLoopUntil([&] {
            return window->statusBar()->currentMessage() == buttons[i]->statusTip();
        })) << window->statusBar()->currentMessage().toStdString();
        QTest::mouseMove(window->statusBar());
    }
    EXPECT_EQ(window->action(CommandId::Stop)->statusTip(), "Stop the current run");
    EXPECT_EQ(window->action(CommandId::SaveCsv)->statusTip(), "Save selected text as a CSV file.");
}

TEST_F(WindowRun, CommandsAreEnabledByTheirRulesThroughoutARun) {
    auto window = newWindow();
    Session& session = window->session();
    pollUntilStopped(*window);
    QMenu* menu = actionMenu(*window);
    ASSERT_NE(menu, nullptr);
    QToolBar* bar = toolBarOf(*window);
    ASSERT_NE(bar, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    using Enabled = std::array<bool, 4>; // Skip, Resume, Pause, Stop
    auto menuState = [&] {
        Enabled state{};
        for (std::size_t i = 0; i < state.size(); ++i) {
            state[i] = menu->actions()[static_cast<qsizetype>(i)]->isEnabled();
        }
        return state;
    };
    const qsizetype firstRunControl = bar->actions().size() - 4;
    auto barState = [&] {
        Enabled state{};
        for (std::size_t i = 0; i < state.size(); ++i) {
            const qsizetype at = firstRunControl + static_cast<qsizetype>(i);
            state[i] = bar->widgetForAction(bar->actions()[at])->isEnabled();
        }
        return state;
    };
    auto barButton = [&](int index) {
        return qobject_cast<QToolButton*>(
            bar->widgetForAction(bar->actions()[firstRunControl + index]));
    };

    struct Step {
        const char* name;
        std::function<void()> act;
        Enabled expected;
        QString title; // empty: not looked at
    } steps[] = {
        {"idle", [] {}, {false, false, false, false}, "Ready - Zentab"},
        {"running a list phase",
         [&] {
             ASSERT_TRUE(window->startRun());
             ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));
         },
         {false, false, true, true},
         ""},
        // The worker allows Skip behind the window's back: only the refresh can notice.
        {"a data phase allows Skip",
         [&] { session.control.skipAllowed = true; },
         {true, false, true, true},
         ""},
        {"Skip from the menu",
         [&] {
             menu->actions()[0]->trigger();
             EXPECT_TRUE(session.control.skipRequested);
             session.control.skipRequested = false;
         },
         {true, false, true, true},
         ""},
        {"Pause from the toolbar",
         [&] { barButton(2)->click(); },
         {false, true, false, true},
         "Paused - Zentab"},
        {"Resume by its shortcut",
         [&] { QTest::keySequence(window.get(), QKeySequence("Ctrl+R")); },
         {true, false, true, true},
         "Retrieving Database Information - Zentab"},
        {"Pause by its shortcut",
         [&] { QTest::keySequence(window.get(), QKeySequence("Ctrl+P")); },
         {false, true, false, true},
         "Paused - Zentab"},
        {"Resume from the menu",
         [&] { menu->actions()[1]->trigger(); },
         {true, false, true, true},
         ""},
        {"the data phase ends",
         [&] { session.control.skipAllowed = false; },
         {false, false, true, true},
         ""},
        {"Stop from the toolbar, answered Yes",
         [&] {
             prompts->yesNoAnswers = {true};
             barButton(3)->click();
             ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));
         },
         {false, false, false, false},
         "Ready - Zentab"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
        // No explicit refresh: the window's own timer has to catch up with the worker.
        EXPECT_TRUE(turnEventLoopUntil([&] { return menuState() == step.expected; }));
        EXPECT_EQ(menuState(), step.expected);
        EXPECT_EQ(barState(), step.expected);
        if (!step.title.isEmpty()) {
            EXPECT_EQ(window->windowTitle(), step.title);
        }
    }
    EXPECT_EQ(lastBlock(window->reportView()), "Zentab Stopped ...");
}

TEST_F(WindowRun, StopWhilePausedEndsTheRunWithTheStopLine) {
    auto window = newWindow();
    Session& session = window->session();
    pollUntilStopped(*window);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        prompts->shown.clear();
        inPhase = false;
        ASSERT_TRUE(window->startRun());
        ControlPanel* panel = window->controlPanel();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));
        EXPECT_EQ(panel->caption(), "Analyzing Databases ...");
        EXPECT_EQ(panel->findObject(0, "T1"), 0);

        // The panel refuses to close while the run goes on.
        EXPECT_FALSE(panel->close());
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(prompts->shown, std::vector<QString>{kPanelRefused});

        panel->button(ControlPanel::Button::Pause)->click();
        window->refreshCommands();
        EXPECT_EQ(window->windowTitle(), "Paused - Zentab");
        EXPECT_TRUE(panel->button(ControlPanel::Button::Resume)->isEnabled());
        EXPECT_FALSE(panel->button(ControlPanel::Button::Pause)->isEnabled());
        EXPECT_FALSE(panel->button(ControlPanel::Button::Skip)->isEnabled());
        EXPECT_TRUE(window->action(CommandId::Resume)->isEnabled());
        EXPECT_FALSE(window->action(CommandId::Pause)->isEnabled());

        prompts->yesNoAnswers = {true};
        panel->button(ControlPanel::Button::Stop)->click();
        ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));

        EXPECT_EQ(prompts->shown, (std::vector<QString>{kPanelRefused, kStopQuestion}));
        EXPECT_EQ(lastBlock(window->reportView()), "Zentab Stopped ...");
        EXPECT_TRUE(session.report.text().ends_with("\r\n\r\nZentab Stopped ..."));
        EXPECT_EQ(window->windowTitle(), "Ready - Zentab");
        EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
        window->refreshCommands();
        for (CommandId id :
             {CommandId::Skip, CommandId::Resume, CommandId::Pause, CommandId::Stop}) {
            QAction* action = window->action(id);
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
        }
        // After the run the panel may close.
        EXPECT_TRUE(panel->close());
    }
}

// A statement comparison has no control panel of its own: the panel of the run before goes away,
// without the refusal that closing it during a run would give.
TEST_F(WindowRun, AStatementComparisonPutsAwayThePanelOfTheRunBefore) {
    auto window = newWindow();
    ASSERT_TRUE(window->startRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));
    ControlPanel* panel = window->controlPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    prompts->shown.clear();

    ASSERT_TRUE(window->driver().startSqlCompareRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window->driver().workerActive(); }));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(prompts->shown, std::vector<QString>{"Zentab has finished comparing the databases"});
}

TEST_F(WindowRun, ClosingDuringARunAsksThenStopsTheWorkerAndCloses) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        auto window = newWindow();
        pollUntilStopped(*window);
        ASSERT_TRUE(window->startRun());
        ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));
        if (round % 2 == 1) {
            window->driver().pause();
        }

        prompts->yesNoAnswers = {false};
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->session().control.running);

        // Once stopped, the report is unsaved: keeping it open is the user's choice.
        prompts->yesNoAnswers = {true};
        prompts->yesNoCancelAnswers = {Answer::No};
        window->close();
        ASSERT_TRUE(turnEventLoopUntil([&] { return !window->isVisible(); }));
        EXPECT_FALSE(window->driver().workerActive());
        EXPECT_EQ(prompts->shown,
                  (std::vector<QString>{kStopQuestion, kStopQuestion, kReportNotSaved}));
        EXPECT_EQ(lastBlock(window->reportView()), "Zentab Stopped ...");
    }
}

TEST_F(WindowRun, DestroyingTheWindowDuringARunLeavesNoWorker) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        auto window = newWindow();
        pollUntilStopped(*window);
        ASSERT_TRUE(window->startRun());
        if (round % 2 == 1) {
            ASSERT_TRUE(turnEventLoopUntil([&] { return inPhase.load(); }));
            window->driver().pause();
        }
        window.reset(); // returns only once the worker has ended
        EXPECT_EQ(phasesLeft.load(), phasesEntered.load());
    }
}

TEST_F(WindowRun, AutomaticRunToAFileEndsTheProgramOnceTheWorkerHasEnded) {
    auto window = newWindow();
    Session& session = window->session();
    session.autoStartPath = dir.file("nightly.zcf");
    session.settings.b_OnlyToFile = true;
    session.settings.s_AutoSaveFile = dir.file("report.txt");
    session.phases.tableList = [](Session& s) {
        s.writer.append("\r\nthe table list", ReportColour::Text, false, true);
    };
    // The elapsed time in the file must not depend on crossing a second of the wall clock.
    window->driver().setClock([] { return std::time_t{1000}; });
    ASSERT_TRUE(window->startRun());

    // The program's event loop: ending the program leaves it with the status.
    QTimer::singleShot(30000, window.get(), [] { QCoreApplication::exit(99); }); // a hang
    EXPECT_EQ(QCoreApplication::exec(), 0);

    EXPECT_FALSE(window->driver().workerActive());
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_FALSE(session.side1 || session.side2);
    EXPECT_EQ(readFile(dir.file("report.txt")),
              "< DATABASE 1:  one.zsn\r\n> DATABASE 2:  two.zsn\r\nthe table list"
              "\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:00 ---");
}

} // namespace
} // namespace zentab::test

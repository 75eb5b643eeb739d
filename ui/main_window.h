#pragma once
// The program's main window: owns the session (settings, sides, report), the run driver, the
// report view, the host through which runs reach the window, and the control panel of the
// current run. Window thread only.

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

#include "engine/run_driver.h"
#include "engine/session.h"
#include "ui/command_table.h"
#include "ui/qt_host.h"

class QAction;
class QLabel;
class QPoint;

namespace zentab {

class CommandSet;
class ControlPanel;
class ReportView;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    // Never leaves a worker behind: a run still going is stopped without asking, and the window
    // keeps serving the worker's calls until it has ended.
    ~MainWindow() override;

    Session& session() { return session_; }
    const Session& session() const { return session_; }
    RunDriver& driver() { return driver_; }
    QtHost& host() { return host_; }
    ReportView& reportView() { return *view_; }
    // The control panel of the last run; nullptr before the first.
    ControlPanel* controlPanel() const { return panel_.get(); }

    // Takes the colours and font of the session's preferences.
    void applyPreferences();
    // Sets a side (1 or 2); nullptr leaves it undefined. Refused while a worker exists.
    bool setSide(int number, std::unique_ptr<DatabaseSource> side);
    // Starts a comparison run with the current settings and sides.
    bool startRun();

    // Enables the commands and the control panel's buttons by their rules; also done every
    // 100 ms, since the worker moves the run-control flags on its own.
    void refreshCommands();
    void refreshSidePanes();

    // The action of a command, shared by the menu bar and the toolbar.
    QAction* action(CommandId id) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ControlPanel* newControlPanel();
    void showContextMenu(const QPoint& pos);
    // Runs every 100 ms: commands, and what waits for the worker to end.
    void tick();

    QtHost host_;
    Session session_;
    RunDriver driver_;
    ReportView* view_ = nullptr;
    std::unique_ptr<ControlPanel> panel_;
    CommandSet* commands_ = nullptr;
    QLabel* side1Pane_ = nullptr;
    QLabel* side2Pane_ = nullptr;
    QTimer timer_;
    // The user asked to close during a run and said Yes to stopping it.
    bool closeWhenIdle_ = false;
    // The Stop question of a close is on screen; a second close waits for its answer.
    bool askingToClose_ = false;
    // An automatic run asked the program to end with this status.
    std::optional<int> exitWhenIdle_;
};

} // namespace zentab

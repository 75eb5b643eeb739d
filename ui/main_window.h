#pragma once
// The program's main window: owns the session (settings, sides, report), the run driver, the
// report view, the host through which runs reach the window, and the control panel of the
// current run. Window thread only.

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/run_driver.h"
#include "engine/session.h"
#include "ui/command_table.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/qt_host.h"

class QAction;
class QLabel;
class QMenu;
class QPoint;
class QToolBar;

namespace zentab {

class CommandSet;
class ControlPanel;
class HelpKeyFilter;
class HelpWindow;
class ReportView;

inline constexpr const char* kReportNotSaved =
    "The report has not been saved. Do you wish to save it?";
inline constexpr const char* kAboutText = "Zentab\nVersion 5.01";

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
    const RunDriver& driver() const { return driver_; }
    QtHost& host() { return host_; }
    ReportView& reportView() { return *view_; }
    // The control panel of the last run; nullptr before the first.
    ControlPanel* controlPanel() const { return panel_.get(); }

    // Takes the colours and font of the session's preferences.
    void applyPreferences();
    // Size, position and maximized state from the preferences, with their bounds.
    void applyPlacement();
    // Where the per-user preferences live; the window writes them when it closes.
    void setPreferencePath(std::string path) { preferencePath_ = std::move(path); }
    const std::string& preferencePath() const { return preferencePath_; }
    // Writes the settings, the window placement and the recent files to the preferences.
    void storePreferences();

    // The dialogs one dialog opens from another.
    const DialogServices& services() const { return services_; }

    // Commands, each as its menu item does it.
    void startComparison();
    void startStatementComparison();
    void saveReport();
    void openConfiguration();
    void openConfigurationFile(const std::string& path);
    void saveConfigurationToCurrentFile();
    void saveConfigurationAs();
    void createSnapshot();
    void copySelection();
    void saveSelectionAsCsv();
    void findInReport();
    void chooseFont();
    void chooseColours();
    void printReport();
    void toggleToolBar();
    void toggleStatusBar();
    // The help of a dialog or a command; the contents when `topic` is empty or missing.
    void showHelp(const std::string& topic);
    void showAbout();
    void enterContextHelp();

    // A comparison, snapshot or statement comparison is in progress (or still ending).
    bool running() const { return driver_.workerActive(); }
    bool selectionIsText() const;
    bool toolBarShown() const;
    bool statusBarShown() const;
    // The lines (0-based, inclusive) that hold the selection's first and last characters;
    // {-1, -1} without a selection.
    std::pair<int, int> selectedLines() const;

    // The recent configuration files, newest first.
    const std::vector<std::string>& recentFiles() const { return recentFiles_; }
    void setRecentFiles(std::vector<std::string> paths);
    // The find dialog while it is open.
    QDialog* findDialog() const { return find_; }
    HelpWindow* helpWindow() const { return help_; }
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
    // The report's context menu as a right click now builds it.
    void buildContextMenu(QMenu& menu);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The save question before closing or starting; false when the user cancelled (or the
    // report could not be saved).
    bool offerToSaveReport();
    void rememberFile(const std::string& path);
    void fillServices();
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
    QToolBar* toolBar_ = nullptr;
    QPointer<QDialog> find_;     // modeless, owned by the window
    HelpWindow* help_ = nullptr; // owned by the window
    std::unique_ptr<HelpKeyFilter> helpKeys_;
    DialogServices services_;
    std::string preferencePath_;
    std::vector<std::string> recentFiles_;
    QTimer timer_;
    // The user asked to close during a run and said Yes to stopping it.
    bool closeWhenIdle_ = false;
    // The Stop question of a close is on screen; a second close waits for its answer.
    bool askingToClose_ = false;
    // An automatic run asked the program to end with this status.
    std::optional<int> exitWhenIdle_;
};

} // namespace zentab

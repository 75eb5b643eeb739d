#pragma once
// The desktop program's RunHost. Lives on the window thread; a call that arrives on the worker
// runs on the window thread while the worker waits, so report pieces appear in the order
// written and the worker never holds anything the window thread wants.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/run_host.h"

class QPrinter;
class QWidget;

namespace zentab {

class ControlPanel;
class ReportView;

// The modal boxes and file dialogs; tests replace them to answer without a user.
// Window thread.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(QWidget* parent, const QString& text);
    virtual bool yesNo(QWidget* parent, const QString& text);
    virtual Answer yesNoCancel(QWidget* parent, const QString& text);
    // The chosen path, or nullopt when cancelled.
    virtual std::optional<QString> chooseFile(QWidget* parent, const FileRequest& request);
    // The system font dialog opened on `current`; nullopt when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& current);
    // The "Colors" dialog opened on `current`; nullopt when cancelled.
    virtual std::optional<ReportColours> chooseColours(QWidget* parent,
                                                       const ReportColours& current);
    // The system print dialog for `printer` (no page range, no selection); false when
    // cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer);
    // The program's name and version.
    virtual void about(QWidget* parent, const QString& text);
};

// "RTF Format (*.rtf) | *.rtf|Text Format (*.txt) | *.txt||" as Qt name filters:
// {"RTF Format (*.rtf)", "Text Format (*.txt)"}.
QStringList qtNameFilters(const std::string& filter);

// Report text and names are 8-bit in the locale's code page.
QString fromReportText(std::string_view text);
std::string toReportText(const QString& text);

class QtHost : public QObject, public RunHost {
    Q_OBJECT
public:
    explicit QtHost(QObject* parent = nullptr);
    ~QtHost() override;

    // Wiring, done by the main window on the window thread before any run.
    void setWindow(QWidget* window);
    void setReportView(ReportView* view);
    // Replaces the control panel by a new one and returns it.
    void setPanelFactory(std::function<ControlPanel*()> factory) {
        panelFactory_ = std::move(factory);
    }
    void setPrompts(std::unique_ptr<Prompts> prompts);
    // Told on the window thread when the worker reports the end of its run, and when an
    // automatic run wants the program to end; the worker may still be returning then.
    void setRunEndedHandler(std::function<void()> handler) {
        runEndedHandler_ = std::move(handler);
    }
    void setEndProgramHandler(std::function<void(int)> handler) {
        endProgramHandler_ = std::move(handler);
    }
    // The window is going away: from now on every call returns at once without touching a
    // window (messages dropped, questions answered No / Cancel), so the worker can no longer
    // wait for the window thread. Any thread.
    void detach() { detached_ = true; }

    void setMainCaption(const std::string& caption) override;
    void setPanelCaption(const std::string& caption) override;
    bool openControlPanel() override;
    void closeControlPanel() override;
    void panelClearObjects() override;
    void panelAddObject(const std::string& text) override;
    int panelFindObject(int from, const std::string& text) override;
    void panelSelectObject(int index) override;
    void progressSetRange(int low, int high) override;
    void progressSetPos(int pos) override;
    void progressSetStep(int step) override;
    void progressStepIt() override;
    void reportAppended(const std::string& text, Rgb colour, bool underline) override;
    void reportCleared() override;
    void savingStarted(int lineCount) override;
    void savingStep() override;
    void savingFinished() override;
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void maximiseMainWindow() override;
    void runEnded() override;
    void endProgram(int status) override;

private:
    // Runs `fn` on the window thread and returns its result; `fallback` when detached.
    template <typename R, typename F> R onWindowThread(R fallback, F&& fn);
    template <typename F> void onWindowThread(F&& fn);

    QPointer<QWidget> window_;
    QPointer<ReportView> view_;
    QPointer<ControlPanel> panel_;
    std::function<ControlPanel*()> panelFactory_;
    std::unique_ptr<Prompts> prompts_;
    std::function<void()> runEndedHandler_;
    std::function<void(int)> endProgramHandler_;
    std::atomic<bool> detached_{false};
    // The data phases move the progress bar every few dozen rows: the worker leaves the newest
    // position here and posts at most one update at a time instead of waiting for each.
    std::atomic<int> pendingPos_{0};
    std::atomic<bool> posQueued_{false};
    // The "Saving..." window; a save steps it once a line, from either thread, and the window
    // is moved on at most once per queued update.
    QPointer<QProgressDialog> saving_;
    std::atomic<int> savedLines_{0};
    std::atomic<bool> savingQueued_{false};
    bool waitCursor_ = false;

public:
    // The "Saving..." window while one is shown (tests look at it).
    QProgressDialog* savingWindow() const;
    // Prompts in use (the window's own commands ask through them too).
    Prompts& prompts() { return *prompts_; }
};

} // namespace zentab

#pragma once
// Everything a run asks of the user interface. The Qt window, the batch front end and the
// tests each implement it. Called from the worker thread during a run and from the
// user-interface thread by commands; implementations marshal to their own thread.

#include <optional>
#include <string>

#include "base/report_colour.h"
#include "db/side_host.h"

namespace zentab {

enum class Answer { Yes, No, Cancel };

class RunHost : public SideHost {
public:
    virtual ~RunHost() = default;

    // Captions. The texts arrive complete, title suffix included.
    virtual void setMainCaption(const std::string& caption) = 0;
    virtual void setPanelCaption(const std::string& caption) = 0;

    // Replaces any control panel by a new one showing the initial caption and an empty object
    // list; false when it could not be shown.
    virtual bool openControlPanel() = 0;
    // Closes the control panel of an earlier run, if one is shown (a statement comparison has
    // none of its own).
    virtual void closeControlPanel() {}

    // Control panel object list.
    virtual void panelClearObjects() = 0;
    virtual void panelAddObject(const std::string& text) = 0; // appended at the end, then selected
    // Index of the first entry at or after `from` whose text equals `text`, or -1.
    virtual int panelFindObject(int from, const std::string& text) = 0;
    virtual void panelSelectObject(int index) = 0;

    // Control panel progress bar.
    virtual void progressSetRange(int low, int high) = 0;
    virtual void progressSetPos(int pos) = 0;
    virtual void progressSetStep(int step) = 0;
    virtual void progressStepIt() = 0;

    // Report view: mirror of the engine's report document.
    virtual void reportAppended(const std::string& text, Rgb colour, bool underline) = 0;
    virtual void reportCleared() = 0;

    // The "Saving..." window shown while a report is written to a file.
    virtual void savingStarted(int lineCount) { (void)lineCount; }
    virtual void savingStep() {}
    virtual void savingFinished() {}

    // Questions; message boxes and file dialogs are a side's needs too, declared by SideHost. An
    // unattended host answers so that the run goes on.
    virtual bool askYesNo(const std::string& text) = 0;
    virtual Answer askYesNoCancel(const std::string& text) = 0;

    // An automatic run whose report stayed on screen brings the window back to full size.
    virtual void maximiseMainWindow() {}

    // The run has ended (finished or stopped); the worker is about to return.
    virtual void runEnded() {}
    // An automatic run ends the program with this status.
    virtual void endProgram(int status) = 0;
};

} // namespace zentab

#pragma once
// The headless front end's RunHost: report text to a stream, everything else to standard
// error, and questions answered so that an unattended run goes on. Called from the main thread
// and the worker; one lock keeps their lines whole.

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "engine/run_host.h"

namespace zentab {

class BatchHost : public RunHost {
public:
    explicit BatchHost(bool verbose);
    // `report` receives the report text from now on; `colour` adds ANSI colours (for a
    // terminal). Until it is set no report text is expected.
    void setReport(std::FILE* report, bool colour);

    void setMainCaption(const std::string& caption) override;
    void setPanelCaption(const std::string& caption) override;
    bool openControlPanel() override;
    void panelClearObjects() override {}
    void panelAddObject(const std::string& text) override;
    int panelFindObject(int from, const std::string& text) override;
    void panelSelectObject(int) override {}
    void progressSetRange(int, int) override {}
    void progressSetPos(int) override {}
    void progressSetStep(int) override {}
    void progressStepIt() override {}
    void reportAppended(const std::string& text, Rgb colour, bool underline) override;
    void reportCleared() override {}
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void endProgram(int status) override;

    // Ends the colouring and flushes; false when any report text could not be written.
    bool finishReport();
    int writeError() const { return writeError_; }
    // The program ends without waiting for the worker: flushes what the report holds (waiting a
    // moment for a worker that is writing it) and says why on standard error.
    void abandon(const std::string& why);

private:
    void note(const std::string& line);

    std::timed_mutex mutex_;
    std::FILE* report_ = nullptr;
    bool colour_ = false;
    bool verbose_ = false;
    std::optional<Rgb> currentColour_;
    bool underline_ = false;
    int writeError_ = 0;
    int panelEntries_ = 0;
    std::string panelCaption_;
};

} // namespace zentab

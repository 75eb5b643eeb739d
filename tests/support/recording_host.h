#pragma once
// A RunHost for tests: records every call as a line of text and answers questions from a
// script. Safe to call from the worker and the test thread at once.

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/run_host.h"

namespace zentab::test {

class RecordingHost : public RunHost {
public:
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
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void maximiseMainWindow() override;
    void runEnded() override;
    void endProgram(int status) override;

    // Scripted answers, used in order; when none is left: Yes, Yes, and a cancelled dialog.
    void answerYesNo(bool answer);
    void answerYesNoCancel(Answer answer);
    void answerFile(std::optional<std::string> path);

    // Called with each recorded line, under the host's lock (so it must not call the host):
    // lets a test act at an exact point of a run, e.g. request a stop. Set it before the run.
    void onCall(std::function<void(const std::string&)> hook) { hook_ = std::move(hook); }
    // The same for each piece of text appended to the report.
    void onReport(std::function<void(const std::string&)> hook) { reportHook_ = std::move(hook); }

    std::vector<std::string> calls() const;
    // The file dialogs' requests, whose filter and default extension the user sees.
    std::vector<FileRequest> fileRequests() const;
    std::vector<std::string> messages() const; // texts of message boxes and questions
    std::vector<std::string> mainCaptions() const;
    std::string lastMainCaption() const;
    std::string mirroredReport() const; // what the view would show
    std::vector<std::string> panelObjects() const;
    std::optional<int> endedWith() const;
    int runsEnded() const;

private:
    void record(std::string line);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<std::string> messages_;
    std::vector<std::string> mainCaptions_;
    std::vector<std::string> panelObjects_;
    std::vector<FileRequest> fileRequests_;
    std::string report_;
    std::deque<bool> yesNo_;
    std::deque<Answer> yesNoCancel_;
    std::deque<std::optional<std::string>> files_;
    std::optional<int> endedWith_;
    std::function<void(const std::string&)> hook_;
    std::function<void(const std::string&)> reportHook_;
    int runsEnded_ = 0;
};

} // namespace zentab::test

#include "support/recording_host.h"

namespace zentab::test {

void RecordingHost::record(std::string line) {
    calls_.push_back(std::move(line));
    if (hook_) {
        hook_(calls_.back());
    }
}

void RecordingHost::setMainCaption(const std::string& caption) {
    std::lock_guard lock(mutex_);
    mainCaptions_.push_back(caption);
    record("caption: " + caption);
}

void RecordingHost::setPanelCaption(const std::string& caption) {
    std::lock_guard lock(mutex_);
    record("panel caption: " + caption);
}

bool RecordingHost::openControlPanel() {
    std::lock_guard lock(mutex_);
    panelObjects_.clear();
    record("panel opened");
    return true;
}

void RecordingHost::closeControlPanel() {
    std::lock_guard lock(mutex_);
    record("panel closed");
}

void RecordingHost::panelClearObjects() {
    std::lock_guard lock(mutex_);
    panelObjects_.clear();
    record("panel clear");
}

void RecordingHost::panelAddObject(const std::string& text) {
    std::lock_guard lock(mutex_);
    panelObjects_.push_back(text);
    record("panel add: " + text);
}

int RecordingHost::panelFindObject(int from, const std::string& text) {
    std::lock_guard lock(mutex_);
    for (int i = from < 0 ? 0 : from; i < static_cast<int>(panelObjects_.size()); ++i) {
        if (panelObjects_[static_cast<std::size_t>(i)] == text) {
            return i;
        }
    }
    return -1;
}

void RecordingHost::panelSelectObject(int index) {
    std::lock_guard lock(mutex_);
    record("panel select: " + std::to_string(index));
}

void RecordingHost::progressSetRange(int low, int high) {
    std::lock_guard lock(mutex_);
    record("progress range: " + std::to_string(low) + ".." + std::to_string(high));
}

void RecordingHost::progressSetPos(int pos) {
    std::lock_guard lock(mutex_);
    record("progress pos: " + std::to_string(pos));
}

void RecordingHost::progressSetStep(int step) {
    std::lock_guard lock(mutex_);
    record("progress step: " + std::to_string(step));
}

void RecordingHost::progressStepIt() {
    std::lock_guard lock(mutex_);
    record("progress step it");
}

void RecordingHost::reportAppended(const std::string& text, Rgb, bool) {
    std::lock_guard lock(mutex_);
    report_ += text;
    if (reportHook_) {
        reportHook_(text);
    }
}

void RecordingHost::reportCleared() {
    std::lock_guard lock(mutex_);
    report_.clear();
    record("report cleared");
}

void RecordingHost::showMessage(const std::string& text) {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    record("message: " + text);
}

bool RecordingHost::askYesNo(const std::string& text) {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    record("ask: " + text);
    if (yesNo_.empty()) {
        return true;
    }
    bool answer = yesNo_.front();
    yesNo_.pop_front();
    return answer;
}

Answer RecordingHost::askYesNoCancel(const std::string& text) {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    record("ask3: " + text);
    if (yesNoCancel_.empty()) {
        return Answer::Yes;
    }
    Answer answer = yesNoCancel_.front();
    yesNoCancel_.pop_front();
    return answer;
}

std::optional<std::string> RecordingHost::chooseFile(const FileRequest& request) {
    std::lock_guard lock(mutex_);
    record("choose file: " + request.filter);
    fileRequests_.push_back(request);
    if (files_.empty()) {
        return std::nullopt;
    }
    auto answer = files_.front();
    files_.pop_front();
    return answer;
}

void RecordingHost::maximiseMainWindow() {
    std::lock_guard lock(mutex_);
    record("maximise");
}

void RecordingHost::runEnded() {
    std::lock_guard lock(mutex_);
    ++runsEnded_;
    record("run ended");
}

void RecordingHost::endProgram(int status) {
    std::lock_guard lock(mutex_);
    endedWith_ = status;
    record("end program: " + std::to_string(status));
}

void RecordingHost::answerYesNo(bool answer) {
    std::lock_guard lock(mutex_);
    yesNo_.push_back(answer);
}

void RecordingHost::answerYesNoCancel(Answer answer) {
    std::lock_guard lock(mutex_);
    yesNoCancel_.push_back(answer);
}

void RecordingHost::answerFile(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    files_.push_back(std::move(path));
}

std::vector<FileRequest> RecordingHost::fileRequests() const {
    std::lock_guard lock(mutex_);
    return fileRequests_;
}

std::vector<std::string> RecordingHost::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingHost::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> RecordingHost::mainCaptions() const {
    std::lock_guard lock(mutex_);
    return mainCaptions_;
}

std::string RecordingHost::lastMainCaption() const {
    std::lock_guard lock(mutex_);
    return mainCaptions_.empty() ? std::string() : mainCaptions_.back();
}

std::string RecordingHost::mirroredReport() const {
    std::lock_guard lock(mutex_);
    return report_;
}

std::vector<std::string> RecordingHost::panelObjects() const {
    std::lock_guard lock(mutex_);
    return panelObjects_;
}

std::optional<int> RecordingHost::endedWith() const {
    std::lock_guard lock(mutex_);
    return endedWith_;
}

int RecordingHost::runsEnded() const {
    std::lock_guard lock(mutex_);
    return runsEnded_;
}

} // namespace zentab::test

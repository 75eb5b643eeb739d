#include "batch/batch_host.h"

#include <cerrno>
#include <chrono>

namespace zentab {

BatchHost::BatchHost(bool verbose) : verbose_(verbose) {}

void BatchHost::setReport(std::FILE* report, bool colour) {
    std::lock_guard lock(mutex_);
    report_ = report;
    colour_ = colour;
}

void BatchHost::abandon(const std::string& why) {
    // A worker stuck in a driver call holds no lock; one in the middle of a write gets a moment.
    std::unique_lock lock(mutex_, std::chrono::seconds(1));
    if (report_ != nullptr) {
        if (colour_ && currentColour_) {
            std::fputs("\x1b[0m\n", report_);
        }
        std::fflush(report_);
    }
    note(why);
    std::fflush(stderr);
}

void BatchHost::note(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
}

void BatchHost::setMainCaption(const std::string& caption) {
    std::lock_guard lock(mutex_);
    note("[" + caption + "]");
}

void BatchHost::setPanelCaption(const std::string& caption) {
    std::lock_guard lock(mutex_);
    if (verbose_ && caption != panelCaption_) {
        note("  " + caption);
    }
    panelCaption_ = caption;
}

bool BatchHost::openControlPanel() {
    std::lock_guard lock(mutex_);
    panelEntries_ = 0;
    return true;
}

void BatchHost::panelAddObject(const std::string& text) {
    std::lock_guard lock(mutex_);
    ++panelEntries_;
    if (verbose_) {
        note("  object: " + text);
    }
}

int BatchHost::panelFindObject(int from, const std::string&) {
    // No list is kept; the position only has to move on.
    std::lock_guard lock(mutex_);
    return from < panelEntries_ ? from : -1;
}

void BatchHost::reportAppended(const std::string& text, Rgb colour, bool underline) {
    std::lock_guard lock(mutex_);
    if (report_ == nullptr) {
        return;
    }
    if (colour_ && (currentColour_ != colour || underline_ != underline)) {
        std::fprintf(report_, "\x1b[0;38;2;%u;%u;%um%s", redOf(colour), greenOf(colour),
                     blueOf(colour), underline ? "\x1b[4m" : "");
        currentColour_ = colour;
        underline_ = underline;
    }
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), report_) != text.size() &&
        writeError_ == 0) {
        writeError_ = errno != 0 ? errno : EIO;
    }
}

bool BatchHost::finishReport() {
    std::lock_guard lock(mutex_);
    if (report_ == nullptr) {
        return true;
    }
    if (colour_ && currentColour_) {
        std::fputs("\x1b[0m\n", report_);
    }
    if (std::fflush(report_) != 0 && writeError_ == 0) {
        writeError_ = errno != 0 ? errno : EIO;
    }
    return writeError_ == 0;
}

void BatchHost::showMessage(const std::string& text) {
    std::lock_guard lock(mutex_);
    note(text);
}

bool BatchHost::askYesNo(const std::string& text) {
    std::lock_guard lock(mutex_);
    note(text + " [Yes]");
    return true;
}

Answer BatchHost::askYesNoCancel(const std::string& text) {
    std::lock_guard lock(mutex_);
    note(text + " [No]");
    return Answer::No;
}

std::optional<std::string> BatchHost::chooseFile(const FileRequest&) {
    return std::nullopt;
}

void BatchHost::endProgram(int) {}

} // namespace zentab

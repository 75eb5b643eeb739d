#include "engine/report_writer.h"

#include "base/text.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "db/snapshot_file.h"
#include "engine/run_host.h"
#include "settings/compare_settings.h"
#include "settings/preferences.h"

namespace zentab {

namespace {

constexpr std::size_t kLineBufferSize = 5000;
constexpr std::size_t kMaxSystemText = 255;

const char* const kReportFilter = "RTF Format (*.rtf) | *.rtf|Text Format (*.txt) | *.txt||";
const char* const kCsvFilter = "CSV Files (*.csv) | *.csv|All Files (*.*) | *.*||";

bool takeLineBuffer(std::vector<char>& buffer) {
    try {
        buffer.resize(kLineBufferSize);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Gathers lines in the line buffer and hands the file whole buffers, so that a report of short
// lines costs few system calls. A line longer than the buffer goes to the file whole rather
// than cut. Lives inside one save, on the thread that saves.
class BufferedLines {
public:
    BufferedLines(ReportFile& file, std::vector<char>& buffer) : file_(file), buffer_(buffer) {}

    bool put(std::string_view bytes) {
        if (bytes.size() > buffer_.size() - used_ && !flush()) {
            return false;
        }
        if (bytes.size() > buffer_.size()) {
            return file_.write(bytes);
        }
        std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
        return true;
    }

    bool flush() {
        const std::size_t used = used_;
        used_ = 0;
        return file_.write(std::string_view(buffer_.data(), used));
    }

private:
    ReportFile& file_;
    std::vector<char>& buffer_;
    std::size_t used_ = 0;
};

int countLines(std::string_view text) {
    int lines = 1;
    for (std::size_t brk = text.find_first_of("\r\n"); brk != std::string_view::npos;
         brk = text.find_first_of("\r\n", ReportDocument::lineEnd(text, brk))) {
        ++lines;
    }
    return lines;
}

bool hasRtfExtension(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() != 4) {
        return false;
    }
    const char* rtf = ".rtf";
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(extension[i])) != rtf[i]) {
            return false;
        }
    }
    return true;
}

std::string_view trimTrailingWhiteSpace(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

} // namespace

ReportWriter::ReportWriter(ReportDocument& document, CompareSettings& settings, RunHost& host)
    : document_(document), settings_(settings), host_(host) {
    setColours(ReportColours{});
}

void ReportWriter::setColours(const ReportColours& colours) {
    for (int c = 0; c < 5; ++c) {
        colours_[c] = colours.of(static_cast<ReportColour>(c));
    }
}

ReportColours ReportWriter::colours() const {
    ReportColours colours;
    colours.database1 = colours_[static_cast<int>(ReportColour::Database1)];
    colours.database2 = colours_[static_cast<int>(ReportColour::Database2)];
    colours.common = colours_[static_cast<int>(ReportColour::Common)];
    colours.error = colours_[static_cast<int>(ReportColour::Error)];
    colours.text = colours_[static_cast<int>(ReportColour::Text)];
    return colours;
}

ReportWriter::~ReportWriter() = default;

void ReportWriter::setFont(const ReportFont& font) {
    fontFace_ = font.faceName;
    fontHeight_ = font.height;
}

void ReportWriter::append(std::string_view text, ReportColour colour, bool underline, bool count) {
    // A snapshot run writes its own file; executive-summary mode silences the phases.
    if (settings_.b_SnapshotOnly || summaryOnly) {
        return;
    }
    if (settings_.b_OnlyToFile && writeLineToOutputFile(text)) {
        return;
    }

    const int index = static_cast<int>(colour);
    const Rgb rgb = index >= 0 && index < 5 ? colours_[index].load() : makeRgb(255, 255, 255);
    document_.append(text, rgb, underline);
    if (!text.empty()) {
        host_.reportAppended(std::string(text), rgb, underline);
    }

    if (settings_.b_AutoSave && count && !autoSaveFailed &&
        document_.lineCount() > settings_.i_AutoSaveLines) {
        if (autosave()) {
            document_.clear();
            host_.reportCleared();
        }
    }
}

std::string ReportWriter::pad(std::string_view text, std::size_t width, bool truncate) {
    // Widths count characters, so that UTF-8 names and values line up and are never cut
    // inside a character.
    const std::size_t columns = textWidth(text);
    if (columns < width) {
        std::string result(text);
        result.append(width - columns, ' ');
        return result;
    }
    if (truncate && columns > width) {
        return std::string(leftColumns(text, width));
    }
    return std::string(text);
}

void ReportWriter::resetReport() {
    document_.clear();
    host_.reportCleared();
    outputFailed = false;
    autoSaveFailed = false;
}

bool ReportWriter::openOutputFile() {
    if (settings_.b_SnapshotOnly) {
        return openSnapshotFile();
    }
    const std::string path = settings_.s_AutoSaveFile;
    if (!outputFile_.create(path)) {
        host_.showMessage("Could not open file " + path + ": \n\n" +
                          systemErrorText(outputFile_.error()) +
                          "\n\nOutput will be sent to the screen.");
        settings_.b_OnlyToFile = false;
        outputFailed = true;
        return false;
    }
    // The whole report goes to the file, so there is nothing left to autosave.
    settings_.b_AutoSave = false;
    return true;
}

bool ReportWriter::openSnapshotFile() {
    const std::string path = settings_.s_SnapshotFile;
    std::string error;
    snapshotWriter_ = SnapshotFile::createForWriting(path, error);
    if (!snapshotWriter_) {
        host_.showMessage("Could not open file " + path + ": \n\n" +
                          error.substr(0, kMaxSystemText));
        settings_.b_OnlyToFile = false;
        outputFailed = true;
        return false;
    }
    snapshotWriter_->PutRecord(snapshot::kVersion);
    settings_.b_AutoSave = false;
    return true;
}

bool ReportWriter::writeLineToOutputFile(std::string_view text) {
    // Before the file is opened (and after it is closed) pieces simply stay on screen.
    if (!outputFile_.isOpen()) {
        return false;
    }
    if (outputFile_.write(text)) {
        return true;
    }
    settings_.b_OnlyToFile = false;
    outputFile_.close();
    reportSaved = false;
    outputFailed = true;
    host_.showMessage("Could not save line to file. Output will continue on the screen.");
    return false;
}

void ReportWriter::closeOutputFile() {
    // A late write error (reported by close) or one the snapshot writer met on the way means
    // the file does not hold what the run wrote.
    if (outputFile_.isOpen() && !outputFile_.close()) {
        outputFailed = true;
    }
    if (snapshotWriter_) {
        if (!snapshotWriter_->close()) {
            outputFailed = true;
        }
        snapshotWriter_.reset();
    }
    reportSaved = true;
}

void ReportWriter::appendFileError(const std::string& line) {
    append(line, ReportColour::Database2, false, false);
}

ReportWriter::WriteResult ReportWriter::writeLines(ReportFile& file, std::string_view text) {
    const int lines = countLines(text);
    host_.savingStarted(lines);
    std::vector<char> buffer;
    if (!takeLineBuffer(buffer)) {
        host_.savingFinished();
        return WriteResult::NoMemory;
    }
    BufferedLines out(file, buffer);
    bool written = true;
    for (std::size_t pos = 0; pos < text.size() && written;) {
        const std::size_t next = ReportDocument::lineEnd(text, pos);
        written = out.put(text.substr(pos, next - pos));
        host_.savingStep();
        pos = next;
    }
    written = written && out.flush() && file.close();
    host_.savingFinished();
    return written ? WriteResult::Written : WriteResult::WriteError;
}

bool ReportWriter::autosave() {
    if (!autosaveOnce()) {
        autoSaveFailed = true;
        return false;
    }
    return true;
}

bool ReportWriter::autosaveOnce() {
    const std::string text = document_.text();
    if (text.empty()) {
        reportSaved = true;
        return true;
    }
    const std::string path = settings_.s_AutoSaveFile;
    ReportFile file;
    if (autoSaveCreated) {
        if (!file.openExisting(path)) {
            appendFileError("\r\n\r\nCould not auto save to file (open): " + path + "\r\n\r\n");
            return false;
        }
        if (!file.seekToEnd()) {
            appendFileError("\r\n\r\nCould not auto save to file (seek): " + path + "\r\n\r\n");
            return false;
        }
    } else {
        if (!file.create(path)) {
            appendFileError("\r\n\r\nCould not auto save to file (create): " + path + "\r\n\r\n");
            return false;
        }
        autoSaveCreated = true;
    }

    switch (writeLines(file, text)) {
    case WriteResult::Written:
        reportSaved = true;
        return true;
    case WriteResult::NoMemory:
        appendFileError("\r\n\r\nCould not allocate memory to save to file: " + path + "\r\n\r\n");
        return false;
    case WriteResult::WriteError:
        break;
    }
    if (file.error() == ENOSPC) {
        appendFileError("\r\n\r\nCould not auto save to file (write): " + path +
                        ": Disk is full.\r\n\r\n");
        host_.showMessage("The file could not be saved, the disk is full.\nPlease make some "
                          "space and press OK to continue.");
    } else {
        appendFileError("\r\n\r\nCould not auto save to file (write): " + path + "\r\n\r\n");
        host_.showMessage("Could not auto save to file (write): " + path);
    }
    return false;
}

void ReportWriter::saveReport() {
    if (reportSaved) {
        return;
    }
    if (document_.empty()) {
        reportSaved = true;
        return;
    }
    const std::optional<std::string> path = host_.chooseFile(FileRequest{kReportFilter, "rtf"});
    if (!path) {
        saveCancelled = true;
        return;
    }
    saveCancelled = false;
    saveReportTo(*path);
}

bool ReportWriter::saveReportTo(const std::string& path) {
    return hasRtfExtension(path) ? saveAsRtf(path) : saveAsText(path);
}

bool ReportWriter::saveAsRtf(const std::string& path) {
    ReportFile file;
    if (!file.create(path)) {
        host_.showMessage("Could not open file.");
        return false;
    }
    if (!file.write(reportToRtf(document_, fontFace_, fontHeight_) + "\n") || !file.close()) {
        host_.showMessage("ERROR: Could not save file.");
        return false;
    }
    reportSaved = true;
    return true;
}

bool ReportWriter::saveAsText(const std::string& path) {
    ReportFile file;
    if (!file.create(path)) {
        host_.showMessage("Could not open file.");
        return false;
    }
    switch (writeLines(file, document_.text())) {
    case WriteResult::Written:
        reportSaved = true;
        return true;
    case WriteResult::NoMemory:
        append("\r\n\r\nCould not allocate memory to save to file: " + path + "\r\n\r\n",
               ReportColour::Database2, false, true);
        return false;
    case WriteResult::WriteError:
        break;
    }
    host_.showMessage("ERROR: Could not save file.");
    return false;
}

void ReportWriter::saveSelectionAsCsv(int firstLine, int lastLine) {
    if (firstLine < 0 || lastLine < firstLine) {
        host_.showMessage("Please select a section to be saved as a CSV file.");
        return;
    }
    const std::optional<std::string> path = host_.chooseFile(FileRequest{kCsvFilter, "csv"});
    if (!path) {
        return;
    }
    saveLinesAsCsv(*path, firstLine, lastLine);
}

bool ReportWriter::saveLinesAsCsv(const std::string& path, int firstLine, int lastLine) {
    std::vector<char> buffer;
    if (!takeLineBuffer(buffer)) {
        append("\r\n\r\nCould not allocate memory to save to file: " + path + "\r\n\r\n",
               ReportColour::Database2, false, true);
        return false;
    }
    ReportFile file;
    if (!file.create(path)) {
        host_.showMessage("Could not open file " + path + ": \n\n" + systemErrorText(file.error()));
        return false;
    }
    BufferedLines out(file, buffer);
    bool written = true;
    const int last = std::min(lastLine, document_.lineCount() - 1);
    for (int n = std::max(firstLine, 0); n <= last && written; ++n) {
        const std::string line = document_.line(n);
        const std::string_view kept = trimTrailingWhiteSpace(line);
        if (!kept.empty()) {
            written = out.put(kept) && out.put("\r\n");
        }
    }
    if (!(written && out.flush() && file.close())) {
        host_.showMessage("ERROR: Could not save file.");
        return false;
    }
    return true;
}

std::optional<TextRange> ReportWriter::findNext(std::string_view what, bool matchCase,
                                                bool wholeWord, std::size_t selectionEnd) {
    if (!findFromTop_) {
        if (auto match = document_.find(what, selectionEnd, matchCase, wholeWord)) {
            return match;
        }
        if (!host_.askYesNo("Zentab has reached the end of the report. Do you wish to continue "
                            "from the top?")) {
            return std::nullopt;
        }
        findFromTop_ = true;
    }
    if (auto match = document_.find(what, 0, matchCase, wholeWord)) {
        findFromTop_ = false;
        return match;
    }
    host_.showMessage("Could not find specified text");
    return std::nullopt;
}

} // namespace zentab

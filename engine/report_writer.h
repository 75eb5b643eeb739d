#pragma once
// The one way report text is written: the document, the output file of "report only to a
// file", autosave, Save Report, Save selection as CSV and Find. Worker thread during a run (append,
// output file, autosave); window thread for the commands and their error lines.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/report_colour.h"
#include "engine/report_document.h"
#include "engine/report_file.h"

namespace zentab {

struct CompareSettings;
struct ReportFont;
class RunHost;
class SnapshotFile;

class ReportWriter {
public:
    ReportWriter(ReportDocument& document, CompareSettings& settings, RunHost& host);
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // The Colors command may change them while the worker appends: later pieces take the new
    // values. Any thread.
    void setColours(const ReportColours& colours);
    ReportColours colours() const;
    // The font written into a saved RTF report.
    void setFont(const ReportFont& font);

    void append(std::string_view text, ReportColour colour, bool underline, bool count);
    // Blanks up to `width`; a longer text is cut when `truncate`, else returned whole.
    static std::string pad(std::string_view text, std::size_t width, bool truncate);

    // Empties the report (the host reapplies the report font).
    void resetReport();

    // Creates s_AutoSaveFile for "report only to a file"; on success autosave is switched off,
    // on failure the user is told and b_OnlyToFile is switched off. In a snapshot run
    // (b_SnapshotOnly) it creates s_SnapshotFile instead, with its record writer holding the
    // version record; a failure then also means the run cannot go on.
    bool openOutputFile();
    // False when no output file is open or the write failed; a failure closes the file and
    // switches b_OnlyToFile off, so the piece belongs on screen.
    bool writeLineToOutputFile(std::string_view text);
    // End or stop of a run: closes the output file (flushing the snapshot writer) and marks the
    // report saved.
    void closeOutputFile();
    bool outputFileOpen() const { return outputFile_.isOpen(); }
    // The record writer of a snapshot run's file while it is open; nullptr otherwise.
    SnapshotFile* snapshotWriter() { return snapshotWriter_.get(); }

    // Writes the whole report to s_AutoSaveFile: created by the first autosave of a run,
    // appended to by the later ones (clear autoSaveCreated when the run ends). Failures become
    // report lines in the Database 2 colour; the document is left as it was.
    bool autosave();

    // Save Report: asks the host for a file unless the report is saved or empty.
    void saveReport();
    // Writes the report to `path`: RTF when its extension is "rtf" in any case, else plain text.
    bool saveReportTo(const std::string& path);
    // Save selection as CSV over the lines firstLine..lastLine (0-based, inclusive), as given by
    // document().lineOfOffset() of the selection's first and last character. A negative
    // firstLine (or lastLine < firstLine) stands for an empty selection.
    void saveSelectionAsCsv(int firstLine, int lastLine);
    bool saveLinesAsCsv(const std::string& path, int firstLine, int lastLine);

    // Find: starts a search (the dialog opened), then one call per "Find Next". Returns the
    // match to select, or nullopt. `selectionEnd` is where a forward search begins.
    void startFind() { findFromTop_ = true; }
    std::optional<TextRange> findNext(std::string_view what, bool matchCase, bool wholeWord,
                                      std::size_t selectionEnd);

    const ReportDocument& document() const { return document_; }

    // State shared with the commands.
    std::atomic<bool> reportSaved{true};
    std::atomic<bool> saveCancelled{false};
    std::atomic<bool> summaryOnly{false};
    std::atomic<bool> autoSaveCreated{false};
    // The run's output file could not be opened or written (the report went to the screen
    // instead), or an autosave failed (autosave then stops for the run: a full disk would only
    // fail again, slower each time, and repeat the message). Cleared when a run resets the report.
    std::atomic<bool> outputFailed{false};
    std::atomic<bool> autoSaveFailed{false};

private:
    enum class WriteResult { Written, NoMemory, WriteError };
    // Writes `text` line by line through the 5000-byte line buffer, stepping the "Saving..."
    // window once a line. The file receives the text unchanged.
    WriteResult writeLines(ReportFile& file, std::string_view text);
    bool openSnapshotFile();
    bool autosaveOnce();
    bool saveAsRtf(const std::string& path);
    bool saveAsText(const std::string& path);
    void appendFileError(const std::string& line);

    ReportDocument& document_;
    CompareSettings& settings_;
    RunHost& host_;
    // Database 1, Database 2, common, error, text, as ReportColour numbers them.
    std::atomic<Rgb> colours_[5];
    std::string fontFace_ = "Courier New";
    int fontHeight_ = 170; // twips
    ReportFile outputFile_;
    std::unique_ptr<SnapshotFile> snapshotWriter_;
    bool findFromTop_ = true;
};

// The report as Rich Text Format: colour table, font, underline runs.
std::string reportToRtf(const ReportDocument& document, const std::string& fontFace,
                        int fontHeightTwips);

} // namespace zentab

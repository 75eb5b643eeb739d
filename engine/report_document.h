#pragma once
// The report as a document: 8-bit text with CR LF line ends, cut into runs of one colour and
// underline. Any thread: the worker appends during a run while the window thread may read, so
// every operation takes the document's own lock (never held across a call into the host).

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/report_colour.h"

namespace zentab {

struct ReportRun {
    std::size_t start = 0;
    std::size_t length = 0;
    Rgb colour = 0;
    bool underline = false;
};

struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};

class ReportDocument {
public:
    // A piece with the colour and underline of the last run extends that run.
    void append(std::string_view text, Rgb colour, bool underline);
    void clear();

    bool empty() const;
    std::string text() const;
    std::vector<ReportRun> runs() const;
    // Text and runs taken under one lock, so that they agree with each other.
    void snapshot(std::string& text, std::vector<ReportRun>& runs) const;

    // Lines as the report view shows them: the text split at each line break (CR LF, or a lone
    // CR or LF as a rich-text view reads them), so an empty report has one (empty) line and
    // "a\r\nb" has two.
    int lineCount() const;
    // Line n (0-based) with its line break, as it stands in the text; empty when out of range.
    std::string line(int n) const;
    // The line that holds the character at `offset`; offsets past the end give the last line.
    int lineOfOffset(std::size_t offset) const;
    // Offset of the first character of line n; the text's size when out of range.
    std::size_t lineStart(int n) const;

    // First match at or after `from`; whole word means no letter, digit or underscore
    // touches the match on either side. Without match case, bytes compare by std::toupper.
    std::optional<TextRange> find(std::string_view what, std::size_t from, bool matchCase,
                                  bool wholeWord) const;

    // Where the line that begins at `from` ends in `text`, its line break included.
    static std::size_t lineEnd(std::string_view text, std::size_t from);

private:
    mutable std::mutex mutex_;
    std::string text_;
    std::vector<ReportRun> runs_;
    std::vector<std::size_t> lineStarts_{0};
};

} // namespace zentab

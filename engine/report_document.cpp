#include "engine/report_document.h"

#include <algorithm>
#include <cctype>

namespace zentab {

namespace {

bool isWordByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_';
}

bool sameByte(char a, char b, bool matchCase) {
    if (matchCase) {
        return a == b;
    }
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

} // namespace

std::size_t ReportDocument::lineEnd(std::string_view text, std::size_t from) {
    std::size_t pos = text.find_first_of("\r\n", from);
    if (pos == std::string_view::npos) {
        return text.size();
    }
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
        return pos + 2;
    }
    return pos + 1;
}

void ReportDocument::append(std::string_view text, Rgb colour, bool underline) {
    if (text.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    const std::size_t oldSize = text_.size();
    std::size_t scan = oldSize;
    // A CR that ended the previous piece and the LF that starts this one are a single break.
    if (text.front() == '\n' && oldSize > 0 && text_.back() == '\r') {
        lineStarts_.back() = oldSize + 1;
        scan = oldSize + 1;
    }
    text_.append(text);
    for (std::size_t brk = text_.find_first_of("\r\n", scan); brk != std::string::npos;
         brk = text_.find_first_of("\r\n", scan)) {
        scan = lineEnd(text_, brk);
        lineStarts_.push_back(scan);
    }

    if (!runs_.empty() && runs_.back().colour == colour && runs_.back().underline == underline) {
        runs_.back().length += text.size();
    } else {
        runs_.push_back(ReportRun{oldSize, text.size(), colour, underline});
    }
}

void ReportDocument::clear() {
    std::lock_guard lock(mutex_);
    text_.clear();
    runs_.clear();
    lineStarts_.assign(1, 0);
}

bool ReportDocument::empty() const {
    std::lock_guard lock(mutex_);
    return text_.empty();
}

std::string ReportDocument::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

std::vector<ReportRun> ReportDocument::runs() const {
    std::lock_guard lock(mutex_);
    return runs_;
}

void ReportDocument::snapshot(std::string& text, std::vector<ReportRun>& runs) const {
    std::lock_guard lock(mutex_);
    text = text_;
    runs = runs_;
}

int ReportDocument::lineCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(lineStarts_.size());
}

std::string ReportDocument::line(int n) const {
    std::lock_guard lock(mutex_);
    if (n < 0 || static_cast<std::size_t>(n) >= lineStarts_.size()) {
        return {};
    }
    std::size_t begin = lineStarts_[static_cast<std::size_t>(n)];
    std::size_t end = static_cast<std::size_t>(n) + 1 < lineStarts_.size()
                          ? lineStarts_[static_cast<std::size_t>(n) + 1]
                          : text_.size();
    return text_.substr(begin, end - begin);
}

int ReportDocument::lineOfOffset(std::size_t offset) const {
    std::lock_guard lock(mutex_);
    auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<int>(after - lineStarts_.begin()) - 1;
}

std::size_t ReportDocument::lineStart(int n) const {
    std::lock_guard lock(mutex_);
    if (n < 0 || static_cast<std::size_t>(n) >= lineStarts_.size()) {
        return text_.size();
    }
    return lineStarts_[static_cast<std::size_t>(n)];
}

std::optional<TextRange> ReportDocument::find(std::string_view what, std::size_t from,
                                              bool matchCase, bool wholeWord) const {
    std::lock_guard lock(mutex_);
    if (what.empty() || from > text_.size() || what.size() > text_.size() - from) {
        return std::nullopt;
    }
    const std::size_t last = text_.size() - what.size();
    for (std::size_t at = from; at <= last; ++at) {
        if (!sameByte(text_[at], what.front(), matchCase)) {
            continue;
        }
        std::size_t i = 1;
        while (i < what.size() && sameByte(text_[at + i], what[i], matchCase)) {
            ++i;
        }
        if (i < what.size()) {
            continue;
        }
        const std::size_t end = at + what.size();
        if (wholeWord && ((at > 0 && isWordByte(text_[at - 1])) ||
                          (end < text_.size() && isWordByte(text_[end])))) {
            continue;
        }
        return TextRange{at, end};
    }
    return std::nullopt;
}

} // namespace zentab

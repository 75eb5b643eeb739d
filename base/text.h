#pragma once
// Small text helpers shared by the phases. Any thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zentab {

// Upper-cases 8-bit text in the code page of the program's locale (LC_CTYPE): multi-byte
// characters are upper-cased whole; bytes that do not form a character stay as they are.
std::string upperCase(std::string_view text);
// The same into `out`, cleared first with its capacity kept: for loops over many rows.
void upperCaseInto(std::string_view text, std::string& out);

// Screen columns the text takes in the report: its characters when it is UTF-8 (continuation
// bytes take none), its bytes otherwise.
std::size_t textWidth(std::string_view text);

// The longest start of the text that takes at most `width` columns, never splitting a
// multi-byte character.
std::string_view leftColumns(std::string_view text, std::size_t width);

// Without blanks, tabs, CR and LF at both ends.
std::string trimmed(std::string_view text);

// Names to leave out (the ignore lists), matched without regard to case. Any thread.
class CaselessNames {
public:
    CaselessNames() = default;
    explicit CaselessNames(const std::vector<std::string>& names);
    bool contains(std::string_view name) const;

private:
    std::vector<std::string> upper_; // upper-cased once, not per lookup
};

} // namespace zentab

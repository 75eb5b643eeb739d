#pragma once
// Small text helpers shared by the phases. Any thread.

#include <string>
#include <string_view>

namespace zentab {

// Upper-cases 8-bit text in the code page of the program's locale (LC_CTYPE): multi-byte
// characters are upper-cased whole; bytes that do not form a character stay as they are.
std::string upperCase(std::string_view text);

// Without blanks, tabs, CR and LF at both ends.
std::string trimmed(std::string_view text);

} // namespace zentab

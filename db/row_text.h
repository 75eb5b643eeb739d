#pragma once
// The form of a row text that the data comparison walks: values joined by " \t ", NULL as an
// empty value, each value cut to the 9,999 characters the report shows. A longer value carries,
// after its first 9,999 characters, a NUL and the SHA-256 of its whole text (64 hexadecimal
// digits): NUL cannot occur in a value fetched as text, so the mark is unambiguous, and two
// values that differ only past the cut still compare different. Any thread.

#include <cstddef>
#include <string>
#include <string_view>

namespace zentab {

inline constexpr char kLongValueMark = '\0';
inline constexpr std::size_t kLongValueDigestLength = 64;
// What the report shows of a value cut at the mark.
inline constexpr std::string_view kLongValueEllipsis = "...";

// Removes the marks and digests, leaving each value cut as the report shows it (what a snapshot
// stores, and what an on-line row is compared as against a snapshot's).
inline void stripLongValueDigests(std::string& row) {
    std::size_t at = row.find(kLongValueMark);
    if (at == std::string::npos) {
        return;
    }
    std::size_t out = at;
    while (at < row.size()) {
        if (row[at] == kLongValueMark) {
            at += 1 + kLongValueDigestLength;
            continue;
        }
        row[out++] = row[at++];
    }
    row.resize(out);
}

} // namespace zentab

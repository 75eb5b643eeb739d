#include "base/text.h"

#include <cctype>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace zentab {

void upperCaseInto(std::string_view text, std::string& out) {
    out.clear();
    std::mbstate_t state{};
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out.push_back(byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A')
                                                     : static_cast<char>(byte));
            ++i;
            continue;
        }
        wchar_t wide = 0;
        const std::size_t used = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) ||
            used == 0) {
            // Not a character of this code page: the byte stays as it is.
            state = std::mbstate_t{};
            out.push_back(static_cast<char>(byte));
            ++i;
            continue;
        }
        char encoded[MB_LEN_MAX];
        std::mbstate_t outState{};
        const std::size_t written = std::wcrtomb(
            encoded, static_cast<wchar_t>(std::towupper(static_cast<wint_t>(wide))), &outState);
        if (written == static_cast<std::size_t>(-1)) {
            out.append(text.data() + i, used);
        } else {
            out.append(encoded, written);
        }
        i += used;
    }
}

std::string upperCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    upperCaseInto(text, out);
    return out;
}

std::string trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

namespace {
bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}
} // namespace

std::size_t textWidth(std::string_view text) {
    std::size_t width = 0;
    for (char c : text) {
        width += continuationByte(c) ? 0 : 1;
    }
    return width;
}

std::string_view leftColumns(std::string_view text, std::size_t width) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!continuationByte(text[i]) && columns++ == width) {
            return text.substr(0, i);
        }
    }
    return text;
}

CaselessNames::CaselessNames(const std::vector<std::string>& names) {
    upper_.reserve(names.size());
    for (const std::string& name : names) {
        upper_.push_back(upperCase(name));
    }
}

bool CaselessNames::contains(std::string_view name) const {
    if (upper_.empty()) {
        return false;
    }
    const std::string upper = upperCase(name);
    for (const std::string& entry : upper_) {
        if (entry == upper) {
            return true;
        }
    }
    return false;
}

} // namespace zentab

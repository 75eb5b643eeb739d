#include "settings/name_patterns.h"

#include <algorithm>

#include "base/text.h"
#include "settings/compare_settings.h"

namespace zentab {

namespace {

bool matchesAny(const std::vector<std::string>& entries, std::string_view text) {
    return std::any_of(entries.begin(), entries.end(), [text](const std::string& entry) {
        return namePatternMatches(entry, text);
    });
}

// The order of a sorting list control: letter case aside, then byte order so that the order
// is total.
bool listOrder(const std::string& a, const std::string& b) {
    const std::string upperA = upperCase(a);
    const std::string upperB = upperCase(b);
    return upperA != upperB ? upperA < upperB : a < b;
}

} // namespace

bool namePatternMatches(std::string_view entry, std::string_view text) {
    const std::size_t expander = entry.find('%');
    if (expander == std::string_view::npos) {
        return entry == text;
    }
    // Later '%' characters are ordinary characters of the suffix.
    const std::string_view prefix = entry.substr(0, expander);
    const std::string_view suffix = entry.substr(expander + 1);
    return text.starts_with(prefix) && text.ends_with(suffix);
}

bool IsIgnoredColumn(const CompareSettings& settings, std::string_view columnName,
                     std::string_view typeName) {
    // Only the name is upper-cased: name entries are meant to be written in upper case, while
    // type entries must match the driver's spelling.
    if (matchesAny(settings.ignoreColumns, upperCase(columnName))) {
        return true;
    }
    return !typeName.empty() && matchesAny(settings.ignoreDataTypes, typeName);
}

bool ignoreNameEntryMatchesNothing(std::string_view entry) {
    return upperCase(entry) != entry;
}

PatternListEditor::PatternListEditor(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        insertSorted(entry);
    }
}

void PatternListEditor::insertSorted(std::string text) {
    auto at = std::upper_bound(entries_.begin(), entries_.end(), text, listOrder);
    entries_.insert(at, std::move(text));
}

PatternListEditor::AddResult PatternListEditor::add() {
    if (entryText.empty()) {
        return AddResult::Nothing;
    }
    const std::size_t expander = entryText.find('%');
    if (expander != std::string::npos && entryText.find('%', expander + 1) != std::string::npos) {
        return AddResult::Refused;
    }
    insertSorted(std::move(entryText));
    entryText.clear();
    return AddResult::Added;
}

void PatternListEditor::remove(int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries_.size()) {
        return;
    }
    entries_.erase(entries_.begin() + selected);
}

bool PatternListEditor::accept(std::vector<std::string>& list, AddResult* pending) {
    if (!entryText.empty()) {
        AddResult result = add();
        if (pending != nullptr) {
            *pending = result;
        }
        return false;
    }
    list = entries_;
    return true;
}

} // namespace zentab

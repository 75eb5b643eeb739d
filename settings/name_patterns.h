#pragma once
// The ignore lists of columns by name and by data type: the test the column and parameter
// comparisons apply, and the editing rules of the two lists' option pages. Any thread.

#include <string>
#include <string_view>
#include <vector>

namespace zentab {

struct CompareSettings;

// True when `entry` matches `text`. An entry splits at its first '%' into a prefix and a suffix
// that are tested independently (they may overlap); an entry without '%' must equal the text.
// Byte comparisons only: neither side is upper-cased here.
bool namePatternMatches(std::string_view entry, std::string_view text);

// True when the column is to be left out: its upper-cased name matches an entry of the
// ignore-name list, or its type name (as the data source wrote it; may be empty, and then the
// type list is not consulted) matches an entry of the ignore-type list.
bool IsIgnoredColumn(const CompareSettings& settings, std::string_view columnName,
                     std::string_view typeName);

// True when an entry of the ignore-name list can match no column at all: the names are
// upper-cased before the test, so an entry holding a character that upper-casing changes (a
// lower-case letter) never equals them. Such an entry was most likely meant in upper case.
bool ignoreNameEntryMatchesNothing(std::string_view entry);

// One ignore list as its option page edits it: the entry field and the list, kept sorted as the
// page's list control shows it. Window thread.
class PatternListEditor {
public:
    static constexpr std::string_view kOneExpanderOnly =
        "You can have only one expander ('%') per string";

    enum class AddResult {
        Nothing, // the entry field was empty
        Added,   // the field's text is in the list and the field is empty
        Refused, // more than one '%': show kOneExpanderOnly; the text stays in the field
    };

    explicit PatternListEditor(const std::vector<std::string>& entries = {});

    // The entry field.
    std::string entryText;
    // The list in display order.
    const std::vector<std::string>& entries() const { return entries_; }

    AddResult add();
    // Removes the entry at `selected`; no selection (negative) or an index past the end does
    // nothing.
    void remove(int selected);
    // The page's acceptance. While the entry field holds text, add() runs instead (its result in
    // `pending`) and the page is refused (false); otherwise `list` is replaced by the entries in
    // display order.
    bool accept(std::vector<std::string>& list, AddResult* pending = nullptr);

private:
    void insertSorted(std::string text);

    std::vector<std::string> entries_;
};

} // namespace zentab

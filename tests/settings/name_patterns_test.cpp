#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/compare_settings.h"
#include "settings/name_patterns.h"

namespace zentab {
namespace {

using Strings = std::vector<std::string>;

TEST(NamePatterns, IgnoredColumnsByNameAndType) {
    struct Case {
        const char* what;
        Strings names;
        Strings types;
        const char* column;
        const char* type;
        bool ignored;
    };
    const Case cases[] = {
        {"a lone % ignores every name", {"%"}, {}, "anything", "", true},
        {"a lone % ignores even an empty name", {"%"}, {}, "", "", true},
        {"prefix", {"ABC%"}, {}, "abcdef", "", true},
        {"prefix alone is the whole name", {"ABC%"}, {}, "ABC", "", true},
        {"prefix not at the start", {"ABC%"}, {}, "XABC", "", false},
        {"suffix", {"%_ID"}, {}, "cust_id", "", true},
        {"underscore is an ordinary character", {"%_ID"}, {}, "CUSTID", "", false},
        {"no other wildcard", {"A_B", "*", "?"}, {}, "AXB", "", false},
        {"prefix and suffix", {"A%Z"}, {}, "abcz", "", true},
        {"prefix and suffix reversed", {"A%Z"}, {}, "ZA", "", false},
        {"prefix and suffix may overlap", {"AB%BC"}, {}, "ABC", "", true},
        {"entry longer than the name", {"ABCD%"}, {}, "ABC", "", false},
        {"suffix longer than the name", {"%XABC"}, {}, "ABC", "", false},
        {"literal against the upper-cased name", {"ID"}, {}, "Id", "", true},
        {"the entry itself is not upper-cased", {"id"}, {}, "id", "", false},
        {"literal must be the whole name", {"ID"}, {}, "IDX", "", false},
        {"a second % is part of the suffix", {"%DATE%"}, {}, "UPDATE", "", false},
        {"a second % matches only itself", {"%DATE%"}, {}, "XDATE%", "", true},
        {"any entry of the list", {"X", "Y%", "%Z"}, {}, "abcz", "", true},
        {"type entry against the driver's spelling", {}, {"VARCHAR"}, "c", "VARCHAR", true},
        {"type entries keep their case", {}, {"varchar"}, "c", "VARCHAR", false},
        {"type names are not upper-cased", {}, {"INT4"}, "c", "int4", false},
        {"type pattern", {}, {"%CHAR"}, "c", "VARCHAR", true},
        {"no type name: the type list is not consulted", {}, {"%"}, "c", "", false},
        {"the name list does not look at types", {"VARCHAR"}, {}, "c", "VARCHAR", false},
        {"the type list does not look at names", {}, {"C"}, "C", "int", false},
        {"empty lists", {}, {}, "c", "int", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CompareSettings settings;
        settings.ignoreColumns = c.names;
        settings.ignoreDataTypes = c.types;
        EXPECT_EQ(IsIgnoredColumn(settings, c.column, c.type), c.ignored);
    }
}

TEST(NamePatterns, NamesAreUpperCasedInTheLocalesCodePage) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    CompareSettings settings;
    settings.ignoreColumns = {"\xC3\x89T\xC3\x89%"}; // ÉTÉ%
    EXPECT_TRUE(IsIgnoredColumn(settings, "\xC3\xA9t\xC3\xA9_debut", ""));
    EXPECT_FALSE(IsIgnoredColumn(settings, "ete_debut", ""));
    std::setlocale(LC_CTYPE, saved.c_str());
}

using AddResult = PatternListEditor::AddResult;

TEST(PatternListEditor, AddKeepsTheListSortedAndRefusesASecondExpander) {
    PatternListEditor editor({"ZIP", "amount", "%_ID"});
    EXPECT_EQ(editor.entries(), (Strings{"%_ID", "amount", "ZIP"}));

    EXPECT_EQ(editor.add(), AddResult::Nothing);
    EXPECT_EQ(editor.entries().size(), 3u);

    editor.entryText = "%DATE%";
    EXPECT_EQ(editor.add(), AddResult::Refused);
    EXPECT_EQ(PatternListEditor::kOneExpanderOnly,
              "You can have only one expander ('%') per string");
    EXPECT_EQ(editor.entryText, "%DATE%");
    EXPECT_EQ(editor.entries().size(), 3u);

    // Stored as typed: no trimming, no case change; duplicates are allowed.
    for (const char* text : {" Note%", "AMOUNT", "ZIP", "MID%"}) {
        editor.entryText = text;
        EXPECT_EQ(editor.add(), AddResult::Added) << text;
        EXPECT_EQ(editor.entryText, "");
    }
    EXPECT_EQ(editor.entries(),
              (Strings{" Note%", "%_ID", "AMOUNT", "amount", "MID%", "ZIP", "ZIP"}));
}

TEST(PatternListEditor, RemoveDeletesOnlyTheSelectedEntry) {
    PatternListEditor editor({"A", "B", "C"});
    editor.remove(-1);
    editor.remove(3);
    EXPECT_EQ(editor.entries(), (Strings{"A", "B", "C"}));
    editor.remove(1);
    EXPECT_EQ(editor.entries(), (Strings{"A", "C"}));
}

TEST(PatternListEditor, AcceptanceAddsPendingTextInsteadOfClosing) {
    Strings stored{"OLD"};
    PatternListEditor editor({"B%"});

    editor.entryText = "A%";
    AddResult pending = AddResult::Nothing;
    EXPECT_FALSE(editor.accept(stored, &pending));
    EXPECT_EQ(pending, AddResult::Added);
    EXPECT_EQ(stored, Strings{"OLD"});

    editor.entryText = "%X%";
    EXPECT_FALSE(editor.accept(stored, &pending));
    EXPECT_EQ(pending, AddResult::Refused);
    EXPECT_EQ(editor.entryText, "%X%");

    editor.entryText.clear();
    EXPECT_TRUE(editor.accept(stored));
    EXPECT_EQ(stored, (Strings{"A%", "B%"}));

    PatternListEditor emptied({"C"});
    emptied.remove(0);
    EXPECT_TRUE(emptied.accept(stored));
    EXPECT_TRUE(stored.empty());
}

} // namespace
} // namespace zentab

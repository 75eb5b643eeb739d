#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "compare/data/row_comparator.h"
#include "engine/report_document.h"
#include "engine/report_writer.h"
#include "settings/compare_settings.h"
#include "support/recording_host.h"

namespace zentab {
namespace {

struct Case {
    const char* what;
    RowCompareOptions options;
    std::string row1;
    std::string row2;
    int expected;
    int reversed; // the result with the rows swapped
};

const RowCompareOptions kDefault{};

TEST(RowComparator, DecidesEqualityAndOrderUnderTheOptions) {
    const std::vector<Case> cases = {
        {"identical rows", kDefault, "1 \t abc \t ", "1 \t abc \t ", 0, 0},
        {"a NULL and an empty value read alike", kDefault, "1 \t  \t x", "1 \t  \t x", 0, 0},
        {"text orders byte-wise", kDefault, "1 \t B \t x", "1 \t a \t x", -1, 1},
        {"numbers order by value", kDefault, "9 \t x", "10 \t x", -1, 1},
        {"negative numbers", kDefault, "-5 \t x", "3 \t x", -1, 1},
        {"negative integers order by magnitude, reversed", kDefault, "-10 \t x", "-9 \t x", -1, 1},
        {"a longer integer is the greater", kDefault, "99 \t x", "100 \t x", -1, 1},
        {"leading zeros, by value", kDefault, "007 \t x", "7 \t x", 0, 0},
        {"minus zero is zero", kDefault, "-0 \t x", "0 \t x", 0, 0},
        {"an integer against a decimal", kDefault, "10 \t x", "9.5 \t x", 1, -1},
        {"numbers are compared exactly, past a double's precision too", kDefault,
         "12345678901234567 \t x", "12345678901234568 \t x", -1, 1},
        {"long fractions too", kDefault, "0.10000000000000000001 \t x", "0.1 \t x", 1, -1},
        {"trailing zeros of a fraction do not count", kDefault, "0.10 \t x", ".1 \t x", 0, 0},
        {"negative decimals", kDefault, "-1.5 \t x", "-1.25 \t x", -1, 1},
        {"dates are no numbers", kDefault, "2024-03-07 \t x", "2024-03-08 \t x", -1, 1},
        {"dates as the last field", kDefault, "x \t 2024-03-07", "x \t 2024-03-08", -1, 1},
        {"nor are codes with a dash", kDefault, "555-1234 \t x", "555-9999 \t x", -1, 1},
        {"an empty value is not zero", kDefault, "1 \t  \t x", "1 \t 0 \t x", -1, 1},
        {"integers as the last field", kDefault, "x \t -12", "x \t -3", -1, 1},
        {"one and a half, one and two decimals, by value", kDefault, "1.5 \t x", "1.50 \t x", 0, 0},
        {"the same as the last field", kDefault, "x \t 1.5", "x \t 1.50", 0, 0},
        {"by representation both orders say row 1 first",
         {.compareByValue = false},
         "1.5 \t x",
         "1.50 \t x",
         -1,
         -1},
        {"exponent notation is no number: byte-wise", kDefault, "1.5E0 \t x", "1.5 \t x", 1, -1},
        {"exponent notation as the last field: upper-cased text", kDefault, "x \t 1.5e0",
         "x \t 1.5", 1, -1},
        {"a tab inside a value makes it text", kDefault, "1\t5 \t x", "1.0\t7 \t x", -1, 1},
        {"letters differing in case", kDefault, "abc \t 1", "ABC \t 1", 1, -1},
        {"ignoring case", {.ignoreCase = true}, "abc \t 1", "ABC \t 1", 0, 0},
        {"the last field compares upper-cased text, row 1 first on a tie", kDefault, "1 \t abc",
         "1 \t ABC", -1, -1},
        {"blanks count without the options", kDefault, " a \t b", "a \t b", -1, 1},
        {"leading blanks ignored", {.ignoreLeading = true}, "  a \t \tb", "a \t b", 0, 0},
        {"trailing blanks ignored", {.ignoreTrailing = true}, "a  \t b\t ", "a \t b", 0, 0},
        {"a single field is trimmed as well",
         {.ignoreLeading = true, .ignoreTrailing = true},
         " a ",
         "a",
         0,
         0},
        {"seconds ignored",
         {.ignoreSeconds = true},
         "2024-03-07 14:05:12 \t 1",
         "2024-03-07 14:05:59 \t 1",
         0,
         0},
        {"seconds ignored in the last field",
         {.ignoreSeconds = true},
         "1 \t 2024-03-07 14:05:12.5",
         "1 \t 2024-03-07 14:05:59",
         0,
         0},
        {"another minute still differs",
         {.ignoreSeconds = true},
         "2024-03-07 14:05:12 \t 1",
         "2024-03-07 14:06:12 \t 1",
         -1,
         1},
        {"fractions ignored",
         {.ignoreFraction = true},
         "2024-03-07 14:05:12.123 \t 1",
         "2024-03-07 14:05:12.9 \t 1",
         0,
         0},
        {"fractions ignored, seconds not",
         {.ignoreFraction = true},
         "2024-03-07 14:05:12.123 \t 1",
         "2024-03-07 14:05:13.123 \t 1",
         -1,
         1},
        {"without the options fractions count", kDefault, "2024-03-07 14:05:12.1 \t 1",
         "2024-03-07 14:05:12.2 \t 1", -1, 1},
        {"only the timestamp form is trimmed",
         {.ignoreSeconds = true},
         "2024-03-07T14:05:12 \t 1",
         "2024-03-07T14:05:59 \t 1",
         -1,
         1},
        {"fewer fields sort first", kDefault, "a", "a \t b", -1, 1},
    };
    for (const Case& c : cases) {
        RowComparator comparator(c.options);
        EXPECT_EQ(comparator.compare(c.row1, c.row2), c.expected) << c.what;
        EXPECT_EQ(comparator.compare(c.row2, c.row1), c.reversed) << c.what << " (reversed)";
        EXPECT_EQ(comparator.compareQuietly(c.row1, c.row2), c.expected) << c.what;
    }
}

// With the columns' types known, each field is ordered as the databases order its column: a
// number by value, anything else byte for byte, the last field as every other one.
TEST(RowComparator, OrdersEachFieldAsItsColumnsTypeSays) {
    using enum ValueKind;
    const std::vector<Case> cases = {
        {"digits in a text column order as text",
         {.fields = {Text, Text}},
         "9 \t x",
         "10 \t x",
         1,
         -1},
        {"so do equal values written differently",
         {.fields = {Text, Text}},
         "1.5 \t x",
         "1.50 \t x",
         -1,
         1},
        {"a text last field too", {.fields = {Text}}, "9", "10", 1, -1},
        {"a text last field byte for byte, not upper-cased",
         {.fields = {Text}},
         "Bach",
         "abba",
         -1,
         1},
        {"ignoring case still folds a text field",
         {.ignoreCase = true, .fields = {Text}},
         "abc",
         "ABC",
         0,
         0},
        {"a numeric column by value", {.fields = {Numeric, Text}}, "9 \t x", "10 \t x", -1, 1},
        {"one and one with two decimals are one value",
         {.fields = {Numeric, Text}},
         "1.0 \t x",
         "1.00 \t x",
         0,
         0},
        {"the same as the last field", {.fields = {Text, Numeric}}, "x \t 1.0", "x \t 1.00", 0, 0},
        {"by representation they differ, in one order whichever comes first",
         {.compareByValue = false, .fields = {Numeric, Text}},
         "1.0 \t x",
         "1.00 \t x",
         -1,
         1},
        {"a numeric last field orders by value also when not compared by value",
         {.compareByValue = false, .fields = {Text, Numeric}},
         "x \t 9",
         "x \t 10",
         -1,
         1},
        {"a numeric field that is no number orders byte-wise",
         {.fields = {Numeric}},
         "1.5E0",
         "1.5",
         1,
         -1},
        {"a field without a kind is read as before",
         {.fields = {Text}},
         "x \t 9",
         "x \t 10",
         -1,
         1},
    };
    for (const Case& c : cases) {
        RowComparator comparator(c.options);
        EXPECT_EQ(comparator.compare(c.row1, c.row2), c.expected) << c.what;
        EXPECT_EQ(comparator.compare(c.row2, c.row1), c.reversed) << c.what << " (reversed)";
    }
}

TEST(RowComparator, AFieldIsANumberWhenEitherKnownSideSaysSo) {
    using enum ValueKind;
    const struct {
        ValueKind one;
        ValueKind two;
        ValueKind both;
    } cases[] = {
        {Numeric, Numeric, Numeric}, {Numeric, Text, Numeric},    {Text, Numeric, Numeric},
        {Text, Text, Text},          {Unknown, Numeric, Unknown}, {Text, Unknown, Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bothSides(c.one, c.two), c.both);
    }
}

TEST(RowComparator, IgnoringCaseUpperCasesMultiByteCharacters) {
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) {
        GTEST_SKIP() << "no C.UTF-8 locale";
    }
    RowComparator comparator(RowCompareOptions{.ignoreCase = true});
    EXPECT_EQ(comparator.compare("1 \t stra\xc3\x9f"
                                 "e \t \xc3\xa9t\xc3\xa9",
                                 "1 \t STRA\xc3\x9f"
                                 "E \t \xc3\x89T\xc3\x89"),
              0);
    std::setlocale(LC_CTYPE, saved.c_str());
}

// A difference in a field past either side's ORDER BY limit may come from rows the databases
// did not order; the comparator says so in the report, except for the last field and when
// asked to stay quiet.
TEST(RowComparator, WarnsAboutDifferencesPastTheOrderByLimit) {
    const std::string warning =
        "\r\n\r\nWARNING: The first difference was found past the Maximum ORDER BY expression "
        "limits of your ODBC driver and/or your database.\r\nThis ONLY means that even though "
        "you are seeing the above line, it may not really be different\r\n\r\n";
    struct LimitCase {
        int limit1;
        int limit2;
        std::string row1;
        std::string row2;
        bool warns;
    };
    const std::vector<LimitCase> cases = {
        {1, 10000, "1 \t a \t x", "1 \t b \t x", true},
        {10000, 1, "1 \t a \t x", "1 \t b \t x", true},
        {2, 2, "1 \t a \t x", "1 \t b \t x", false},
        {1, 1, "1 \t a", "1 \t b", false},                // the last field
        {1, 1, "1 \t 1.5 \t x", "1 \t 1.50 \t y", false}, // equal by value
        {1, 1, "0 \t a \t x", "1 \t b \t x", false},      // the first field already decides
    };
    for (const LimitCase& c : cases) {
        test::RecordingHost host;
        ReportDocument document;
        CompareSettings settings;
        ReportWriter writer(document, settings, host);
        RowCompareOptions options;
        options.orderByLimit1 = c.limit1;
        options.orderByLimit2 = c.limit2;
        RowComparator comparator(options, &writer);
        EXPECT_EQ(comparator.compareQuietly(c.row1, c.row2), -1);
        EXPECT_EQ(document.text(), "");
        EXPECT_EQ(comparator.compare(c.row1, c.row2), -1);
        EXPECT_EQ(document.text(), c.warns ? warning : "") << c.row1 << " / " << c.row2;
    }
}

TEST(RowComparator, ToCsvQuotesEveryValueAndDoublesQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"a", "\"a\""},
        {"1 \t say \"hi\" \t ", "\"1\",\"say \"\"hi\"\"\",\"\""},
        {" \t ", "\"\",\"\""},
        {"a,b \t c", "\"a,b\",\"c\""},
    };
    std::string csv = "stale";
    for (const auto& [row, expected] : cases) {
        toCsv(row, csv);
        EXPECT_EQ(csv, expected) << row;
    }
}

TEST(RowComparator, ReadsOnlyPlainDecimalNumbers) {
    struct NumberCase {
        const char* field;
        bool number;
        bool negative = false;
        const char* integer = "";
        const char* fraction = "";
    };
    const std::vector<NumberCase> cases = {
        {"-0012.500", true, true, "12", "5"}, {"\t7 ", true, false, "7", ""},
        {".5", true, false, "", "5"},         {"5.", true, false, "5", ""},
        {"-0.00", true, false, "", ""},       {"", false, false, "", ""},
        {"-", false, false, "", ""},          {".", false, false, "", ""},
        {"1-2", false, false, "", ""},        {"1e5", false, false, "", ""},
        {"+1", false, false, "", ""},         {"1,5", false, false, "", ""},
        {"1.2.3", false, false, "", ""},      {"1 2", false, false, "", ""},
    };
    for (const NumberCase& c : cases) {
        DecimalNumber number;
        ASSERT_EQ(parseDecimal(c.field, number), c.number) << c.field;
        if (c.number) {
            EXPECT_EQ(number.negative, c.negative) << c.field;
            EXPECT_EQ(number.integer, c.integer) << c.field;
            EXPECT_EQ(number.fraction, c.fraction) << c.field;
        }
    }
}

} // namespace
} // namespace zentab

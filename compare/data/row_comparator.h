#pragma once
// Orders and matches the row texts of two result sets under the data options of a run, and
// turns a row text into its CSV form. One comparator per comparison, used by the thread that
// runs it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/object_list.h"

namespace zentab {

struct CompareSettings;
class ReportWriter;

// Joins the values of one row text.
inline constexpr std::string_view kRowSeparator = " \t ";

struct RowCompareOptions {
    bool ignoreCase = false;     // b_IgnoreDatCase
    bool ignoreLeading = false;  // b_IgnoreDatLead
    bool ignoreTrailing = false; // b_IgnoreDatTrail
    bool compareByValue = true;  // b_CompDatValue
    bool ignoreSeconds = false;  // b_IgnoreDatSecs
    bool ignoreFraction = false; // b_IgnoreDatFrac
    // Most ORDER BY columns each side's driver accepts: a difference in a later field may come
    // from rows that the databases did not order.
    int orderByLimit1 = 10000;
    int orderByLimit2 = 10000;
    // How each field is ordered, in select-list order (see bothSides). A field past the end, or
    // Unknown, is read without its type: a field that looks like a number on both rows is
    // ordered by value, and the last field is compared upper-cased.
    std::vector<ValueKind> fields = {};

    static RowCompareOptions from(const CompareSettings& settings, int orderByLimit1,
                                  int orderByLimit2);
};

// A field is a number when its column's type is numeric on either side (a text column holding
// digits on both sides is ordered as text, "10" before "9", as databases order it). Unknown when
// either side's is.
ValueKind bothSides(ValueKind values1, ValueKind values2);
// The kinds of the fields of rows selected from `columns`, in list order.
std::vector<ValueKind> fieldKinds(const std::vector<ColumnEntry>& columns);

class RowComparator {
public:
    // `writer` receives the warning about a difference past the ORDER BY limits; may be null.
    explicit RowComparator(const RowCompareOptions& options, ReportWriter* writer = nullptr);

    // -1 when row 1 comes first, 1 when row 2 does, 0 when they are equal under the options.
    // May write the ORDER BY warning.
    int compare(std::string_view row1, std::string_view row2);
    // The same order without writing anything.
    int compareQuietly(std::string_view row1, std::string_view row2);
    // The order of rows that are already upper-cased when the options ignore case (a caller
    // comparing each row more than once folds it once); writes the warning when `warn`.
    int compareFolded(std::string_view row1, std::string_view row2, bool warn);

    const RowCompareOptions& options() const { return options_; }
    // The field kinds of the rows compared from now on (those of the next object).
    void setFields(std::vector<ValueKind> fields) { options_.fields = std::move(fields); }

private:
    int compareRows(std::string_view row1, std::string_view row2, bool warn);
    int compareFields(std::string_view field1, std::string_view field2, ValueKind kind) const;
    int compareLastField(std::string_view field1, std::string_view field2, ValueKind kind);
    ValueKind fieldKind(int counter) const;
    std::string_view trimmedField(std::string_view field) const;
    void warnPastOrderByLimit();

    RowCompareOptions options_;
    ReportWriter* writer_;
    // Reused between calls, so that comparing rows allocates nothing once they have grown.
    std::string upperRow1_;
    std::string upperRow2_;
    std::string upperField1_;
    std::string upperField2_;
};

// The CSV form of a row text into `csv` (cleared first, capacity kept): quotes doubled, values
// quoted and separated by commas; an empty row stays empty.
void toCsv(std::string_view row, std::string& csv);

// The field has the form of a timestamp: '-' at 4 and 7, ' ' at 10, ':' at 13 and 16.
bool looksLikeTimestamp(std::string_view field);
// A plain decimal number: an optional minus, digits with at most one point, nothing else but
// white space around it. The parts point into the field, without leading zeros of the
// integer part and trailing zeros of the fraction, so that equal values have equal parts.
struct DecimalNumber {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
};
// Reads the field as a decimal number; false for anything else, the empty text included.
bool parseDecimal(std::string_view field, DecimalNumber& number);

} // namespace zentab

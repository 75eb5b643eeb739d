#include "compare/data/row_comparator.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "engine/report_writer.h"
#include "settings/compare_settings.h"

namespace zentab {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

// Splits off the text before the next separator; without one the whole rest is the field.
std::string_view takeField(std::string_view& rest) {
    const std::size_t at = rest.find(kRowSeparator);
    std::string_view field = rest.substr(0, at);
    rest =
        at == std::string_view::npos ? std::string_view() : rest.substr(at + kRowSeparator.size());
    return field;
}

// The order of two decimal numbers by value: -1, 0 or 1. Exact for any number of digits.
int compareValues(const DecimalNumber& a, const DecimalNumber& b) {
    if (a.negative != b.negative) {
        return a.negative ? -1 : 1;
    }
    int order = 0;
    if (a.integer.size() != b.integer.size()) {
        order = a.integer.size() < b.integer.size() ? -1 : 1;
    } else if (const int digits = a.integer.compare(b.integer); digits != 0) {
        order = digits < 0 ? -1 : 1;
    } else if (const int fraction = a.fraction.compare(b.fraction); fraction != 0) {
        // Trailing zeros are gone, so the fractions order as text: "5" < "51" < "6".
        order = fraction < 0 ? -1 : 1;
    }
    return a.negative ? -order : order;
}

} // namespace

RowCompareOptions RowCompareOptions::from(const CompareSettings& settings, int orderByLimit1,
                                          int orderByLimit2) {
    RowCompareOptions options;
    options.ignoreCase = settings.b_IgnoreDatCase;
    options.ignoreLeading = settings.b_IgnoreDatLead;
    options.ignoreTrailing = settings.b_IgnoreDatTrail;
    options.compareByValue = settings.b_CompDatValue;
    options.ignoreSeconds = settings.b_IgnoreDatSecs;
    options.ignoreFraction = settings.b_IgnoreDatFrac;
    options.orderByLimit1 = orderByLimit1;
    options.orderByLimit2 = orderByLimit2;
    return options;
}

ValueKind bothSides(ValueKind values1, ValueKind values2) {
    if (values1 == ValueKind::Unknown || values2 == ValueKind::Unknown) {
        return ValueKind::Unknown;
    }
    // Either side's numeric type is enough: the SQLite driver describes a DECIMAL column as
    // VARCHAR although the database holds and orders its values as numbers.
    return values1 == ValueKind::Numeric || values2 == ValueKind::Numeric ? ValueKind::Numeric
                                                                          : ValueKind::Text;
}

std::vector<ValueKind> fieldKinds(const std::vector<ColumnEntry>& columns) {
    std::vector<ValueKind> kinds;
    kinds.reserve(columns.size());
    for (const ColumnEntry& column : columns) {
        kinds.push_back(bothSides(column.values1, column.values2));
    }
    return kinds;
}

RowComparator::RowComparator(const RowCompareOptions& options, ReportWriter* writer)
    : options_(options), writer_(writer) {}

int RowComparator::compare(std::string_view row1, std::string_view row2) {
    return compareRows(row1, row2, true);
}

int RowComparator::compareQuietly(std::string_view row1, std::string_view row2) {
    return compareRows(row1, row2, false);
}

std::string_view RowComparator::trimmedField(std::string_view field) const {
    if (options_.ignoreLeading) {
        const std::size_t first = field.find_first_not_of(kWhiteSpace);
        field.remove_prefix(first == std::string_view::npos ? field.size() : first);
    }
    if (options_.ignoreTrailing) {
        const std::size_t last = field.find_last_not_of(kWhiteSpace);
        field = field.substr(0, last == std::string_view::npos ? 0 : last + 1);
    }
    if ((options_.ignoreSeconds || options_.ignoreFraction) && looksLikeTimestamp(field)) {
        field = field.substr(0, options_.ignoreSeconds ? 16 : 19);
    }
    return field;
}

int RowComparator::compareRows(std::string_view row1, std::string_view row2, bool warn) {
    if (options_.ignoreCase) {
        upperCaseInto(row1, upperRow1_);
        upperCaseInto(row2, upperRow2_);
        row1 = upperRow1_;
        row2 = upperRow2_;
    }
    return compareFolded(row1, row2, warn);
}

ValueKind RowComparator::fieldKind(int counter) const {
    const auto index = static_cast<std::size_t>(counter - 1);
    return index < options_.fields.size() ? options_.fields[index] : ValueKind::Unknown;
}

// Two fields that differ as text: 0 when they are equal by value, else their order. Numbers
// order by value as the databases order them; equal values written differently, when they are
// not to be taken as equal, fall back to their bytes, so that the order stays the same whichever
// row is given first.
int RowComparator::compareFields(std::string_view field1, std::string_view field2,
                                 ValueKind kind) const {
    const int byBytes = field1 < field2 ? -1 : 1;
    if (kind == ValueKind::Text) {
        return byBytes;
    }
    DecimalNumber number1;
    DecimalNumber number2;
    if (!parseDecimal(field1, number1) || !parseDecimal(field2, number2)) {
        return byBytes;
    }
    const int byValue = compareValues(number1, number2);
    if (byValue != 0) {
        return byValue;
    }
    if (options_.compareByValue) {
        return 0;
    }
    // Without the column's type nothing tells the order of a tie: row 1 comes first.
    return kind == ValueKind::Numeric ? byBytes : -1;
}

// Every field is split off and trimmed alike, the last one included, so that the blank
// options treat a field the same wherever it stands in the row.
int RowComparator::compareFolded(std::string_view row1, std::string_view row2, bool warn) {
    if (row1 == row2) {
        return 0;
    }
    int counter = 1;
    for (;; ++counter) {
        const std::size_t at = row1.find(kRowSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        const std::string_view field1 = trimmedField(row1.substr(0, at));
        row1.remove_prefix(at + kRowSeparator.size());
        const std::string_view field2 = trimmedField(takeField(row2));
        if (field1 == field2) {
            continue;
        }
        const int order = compareFields(field1, field2, fieldKind(counter));
        if (order == 0) {
            continue;
        }
        if (warn && (counter > options_.orderByLimit1 || counter > options_.orderByLimit2)) {
            warnPastOrderByLimit();
        }
        return order;
    }
    return compareLastField(trimmedField(row1), trimmedField(row2), fieldKind(counter));
}

int RowComparator::compareLastField(std::string_view field1, std::string_view field2,
                                    ValueKind kind) {
    if (field1 == field2) {
        return 0;
    }
    if (kind != ValueKind::Unknown) {
        return compareFields(field1, field2, kind);
    }
    // Without the column's type the last field is compared upper-cased, and by value only when
    // asked to.
    upperCaseInto(field1, upperField1_);
    upperCaseInto(field2, upperField2_);
    const std::string_view upper1 = upperField1_;
    const std::string_view upper2 = upperField2_;
    DecimalNumber number1;
    DecimalNumber number2;
    if (options_.compareByValue && parseDecimal(upper1, number1) && parseDecimal(upper2, number2)) {
        return compareValues(number1, number2);
    }
    return upper1 > upper2 ? 1 : -1;
}

void RowComparator::warnPastOrderByLimit() {
    if (writer_ == nullptr) {
        return;
    }
    writer_->append("\r\n\r\nWARNING: The first difference was found past the Maximum ORDER BY "
                    "expression limits of your ODBC driver and/or your database.\r\n",
                    ReportColour::Error, false, true);
    writer_->append("This ONLY means that even though you are seeing the above line, it may not "
                    "really be different\r\n\r\n",
                    ReportColour::Error, false, true);
}

void toCsv(std::string_view row, std::string& csv) {
    csv.clear();
    if (row.empty()) {
        return;
    }
    csv.push_back('"');
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] == '"') {
            csv.append("\"\"");
        } else if (row.compare(i, kRowSeparator.size(), kRowSeparator) == 0) {
            csv.append("\",\"");
            i += kRowSeparator.size() - 1;
        } else {
            csv.push_back(row[i]);
        }
    }
    csv.push_back('"');
}

bool looksLikeTimestamp(std::string_view field) {
    return field.size() > 16 && field.find('-') == 4 && field[7] == '-' && field.find(' ') == 10 &&
           field.find(':') == 13 && field[16] == ':';
}

bool parseDecimal(std::string_view field, DecimalNumber& number) {
    const std::size_t first = field.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) {
        return false;
    }
    field = field.substr(first, field.find_last_not_of(kWhiteSpace) - first + 1);
    number.negative = field.front() == '-';
    if (number.negative) {
        field.remove_prefix(1);
    }
    const std::size_t point = field.find('.');
    std::string_view integer = field.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : field.substr(point + 1);
    if (integer.empty() && fraction.empty()) {
        return false;
    }
    for (std::string_view part : {integer, fraction}) {
        for (char c : part) {
            if (c < '0' || c > '9') {
                return false;
            }
        }
    }
    integer.remove_prefix(std::min(integer.find_first_not_of('0'), integer.size()));
    fraction = fraction.substr(0, fraction.find_last_not_of('0') + 1);
    number.integer = integer;
    number.fraction = fraction;
    if (integer.empty() && fraction.empty()) {
        number.negative = false; // -0 is 0
    }
    return true;
}

} // namespace zentab

#include "compare/structure/column_types.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/text.h"
#include "db/catalog.h"
#include "db/object_list.h"
#include "settings/compare_settings.h"

namespace zentab {

namespace {

using Width = SqlTypeInfo::Width;

// Codes as ODBC 2 reports them (the environment is allocated for ODBC 2 behaviour, so dates,
// times and timestamps arrive as 9, 10 and 11).
constexpr std::array<SqlTypeInfo, 22> kTypes{{
    {-10, "WLONG VARCHAR", Width::Unchanged, 0, false},
    {-9, "WVARCHAR", Width::Unchanged, 0, true},
    {-8, "WCHAR", Width::Unchanged, 0, true},
    {-7, "BIT", Width::AtLeast, 1, true},
    {-6, "TINYINT", Width::AtLeast, 4, true},
    {-5, "BIGINT", Width::AtLeast, 20, true},
    {-4, "LONG VARBINARY", Width::Doubled, 0, false},
    {-3, "VARBINARY", Width::Doubled, 0, false},
    {-2, "BINARY", Width::Doubled, 0, false},
    {-1, "LONG VARCHAR", Width::Unchanged, 0, false},
    {1, "CHAR", Width::Unchanged, 0, true},
    {2, "NUMERIC", Width::AtLeastSizePlus2, 0, true},
    {3, "DECIMAL", Width::AtLeastSizePlus2, 0, true},
    {4, "INTEGER", Width::AtLeast, 11, true},
    {5, "SMALLINT", Width::AtLeast, 6, true},
    {6, "FLOAT", Width::AtLeast, 22, true},
    {7, "REAL", Width::AtLeast, 13, true},
    {8, "DOUBLE", Width::AtLeast, 22, true},
    {9, "DATE", Width::AtLeast, 10, true},
    {10, "TIME", Width::AtLeast, 12, true},
    {11, "TIMESTAMP", Width::AtLeast, 22, true},
    {12, "VARCHAR", Width::Unchanged, 0, true},
}};

constexpr SqlTypeInfo kUnknown{0, "UNKNOWN", Width::Unchanged, 0, false};

constexpr long kLargestShownSize = 999999;

// Type names a snapshot may hold for numeric columns, upper-cased and without their size or
// modifiers.
constexpr std::array<std::string_view, 25> kNumericTypeNames{
    "TINYINT", "SMALLINT",  "MEDIUMINT", "INT",    "INTEGER", "BIGINT",  "INT1",
    "INT2",    "INT4",      "INT8",      "SERIAL", "SERIAL4", "SERIAL8", "SMALLSERIAL",
    "SERIAL2", "BIGSERIAL", "DECIMAL",   "DEC",    "NUMERIC", "NUMBER",  "REAL",
    "FLOAT",   "FLOAT4",    "FLOAT8",    "DOUBLE",
};

std::string describe(const CompareSettings& settings, int nullable, std::string_view kind,
                     std::string_view driverTypeName, int code, long columnSize) {
    std::string description;
    if (nullable == 0) {
        description = "NOT NULL ";
    } else if (nullable == 1) {
        description = "    NULL ";
    }
    description += kind;
    if (settings.b_DataType == 0 && !driverTypeName.empty()) {
        description += driverTypeName;
    } else {
        description += standardTypeName(code);
    }
    if (!settings.b_IgnoreColLen && columnSize >= 1 && columnSize <= kLargestShownSize) {
        description += "(" + std::to_string(columnSize) + ")";
    }
    return description;
}

} // namespace

const SqlTypeInfo& sqlTypeInfo(int code) {
    for (const SqlTypeInfo& type : kTypes) {
        if (type.code == code) {
            return type;
        }
    }
    return kUnknown;
}

ValueKind valueKindOfSqlType(int code) {
    switch (code) {
    case 0:
        return ValueKind::Unknown;
    case 2:  // NUMERIC
    case 3:  // DECIMAL
    case 4:  // INTEGER
    case 5:  // SMALLINT
    case 6:  // FLOAT
    case 7:  // REAL
    case 8:  // DOUBLE
    case -5: // BIGINT
    case -6: // TINYINT
        return ValueKind::Numeric;
    default:
        return ValueKind::Text;
    }
}

ValueKind storedValueKind(std::string_view typeName, std::string_view description) {
    std::string_view name = typeName;
    if (name.find_first_not_of(' ') == std::string_view::npos) {
        // The description is the nullability (nine characters or none), the type name and
        // perhaps its size.
        name = description;
        for (std::string_view prefix : {"NOT NULL ", "    NULL "}) {
            if (name.substr(0, prefix.size()) == prefix) {
                name.remove_prefix(prefix.size());
                break;
            }
        }
    }
    // "numeric(8,3)", "int unsigned", "double precision": the first word names the kind.
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return ValueKind::Unknown;
    }
    name.remove_prefix(first);
    name = name.substr(0, name.find_first_of(" ("));
    const std::string upper = upperCase(name);
    if (upper.empty() || upper == "UNKNOWN") {
        return ValueKind::Unknown;
    }
    return std::find(kNumericTypeNames.begin(), kNumericTypeNames.end(), upper) !=
                   kNumericTypeNames.end()
               ? ValueKind::Numeric
               : ValueKind::Text;
}

int columnDisplayWidth(int code, long bufferLength, long columnSize) {
    const SqlTypeInfo& type = sqlTypeInfo(code);
    auto width = static_cast<std::int16_t>(bufferLength);
    switch (type.width) {
    case Width::Unchanged:
        break;
    case Width::AtLeast:
        if (width < type.minimum) {
            width = static_cast<std::int16_t>(type.minimum);
        }
        break;
    case Width::AtLeastSizePlus2:
        if (width < columnSize + 2) {
            width = static_cast<std::int16_t>(columnSize + 2);
        }
        break;
    case Width::Doubled:
        width = static_cast<std::int16_t>(width * 2);
        break;
    }
    return width;
}

int storedDisplayWidth(std::string_view record) {
    std::size_t i = record.find_first_not_of(" \t\r\n\f\v");
    if (i == std::string_view::npos) {
        return 0;
    }
    const bool negative = record[i] == '-';
    if (record[i] == '-' || record[i] == '+') {
        ++i;
    }
    int width = 0;
    for (; i < record.size() && record[i] >= '0' && record[i] <= '9'; ++i) {
        width = std::min(width * 10 + (record[i] - '0'), kMaxDisplayWidth);
    }
    return negative ? 0 : width;
}

std::string columnTypeDescription(const CompareSettings& settings, int nullable,
                                  std::string_view driverTypeName, int code, long columnSize) {
    return describe(settings, nullable, {}, driverTypeName, code, columnSize);
}

bool parameterOrderable(int code) {
    const SqlTypeInfo& type = sqlTypeInfo(code);
    return &type == &kUnknown || type.orderable;
}

std::string_view parameterKindText(int columnType) {
    switch (columnType) {
    case kParameterInput:
        return "IN     ";
    case kParameterInputOutput:
        return "IN/OUT ";
    case kResultColumn:
        return "RESULT ";
    case kParameterOutput:
        return "   OUT ";
    case kReturnValue:
        return "RETURN ";
    default:
        return "UNK    ";
    }
}

std::string parameterTypeDescription(const CompareSettings& settings, int nullable, int columnType,
                                     std::string_view driverTypeName, int code, long columnSize) {
    return describe(settings, nullable, parameterKindText(columnType), driverTypeName, code,
                    columnSize);
}

} // namespace zentab

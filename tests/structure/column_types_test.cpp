#include <string>

#include <gtest/gtest.h>

#include "compare/structure/column_types.h"
#include "settings/compare_settings.h"

namespace zentab {
namespace {

TEST(ColumnTypes, NamesWidthsAndOrderingByTypeCode) {
    struct Case {
        int code;
        long bufferLength;
        long columnSize;
        const char* name;
        int width;
        bool orderable;
    };
    const Case cases[] = {
        {-10, 5000, 0, "WLONG VARCHAR", 5000, false},
        {-9, 40, 20, "WVARCHAR", 40, true},
        {-8, 2, 1, "WCHAR", 2, true},
        {-7, 0, 1, "BIT", 1, true},
        {-6, 1, 3, "TINYINT", 4, true},
        {-6, 9, 3, "TINYINT", 9, true},
        {-5, 8, 19, "BIGINT", 20, true},
        {-4, 100, 100, "LONG VARBINARY", 200, false},
        {-3, 16, 16, "VARBINARY", 32, false},
        {-2, 10, 10, "BINARY", 20, false},
        {-1, 8190, 8190, "LONG VARCHAR", 8190, false},
        {1, 3, 3, "CHAR", 3, true},
        {2, 12, 10, "NUMERIC", 12, true},
        {2, 5, 10, "NUMERIC", 12, true},
        {3, 3, 5, "DECIMAL", 7, true},
        {4, 4, 10, "INTEGER", 11, true},
        {5, 2, 5, "SMALLINT", 6, true},
        {6, 8, 17, "FLOAT", 22, true},
        {7, 4, 9, "REAL", 13, true},
        {8, 54, 53, "DOUBLE", 54, true},
        {9, 6, 10, "DATE", 10, true},
        {10, 6, 8, "TIME", 12, true},
        {11, 16, 26, "TIMESTAMP", 22, true},
        {12, 200, 50, "VARCHAR", 200, true},
        {0, 7, 0, "UNKNOWN", 7, false},
        {91, 6, 10, "UNKNOWN", 6, false},
        {92, 6, 8, "UNKNOWN", 6, false},
        {93, 16, 26, "UNKNOWN", 16, false},
        {-11, 16, 36, "UNKNOWN", 16, false},
        // The width is a 16-bit value: larger buffer lengths wrap before the rules apply.
        {12, 70000, 70000, "VARCHAR", 4464, true},
        {-1, 2147483647, 2147483647, "LONG VARCHAR", -1, false},
        {4, 65540, 10, "INTEGER", 11, true},
        {-4, 20000, 20000, "LONG VARBINARY", -25536, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " / " + std::to_string(c.bufferLength));
        EXPECT_EQ(standardTypeName(c.code), c.name);
        EXPECT_EQ(columnDisplayWidth(c.code, c.bufferLength, c.columnSize), c.width);
        EXPECT_EQ(sqlTypeInfo(c.code).orderable, c.orderable);
    }
}

TEST(ColumnTypes, TypeDescriptions) {
    struct Case {
        const char* what;
        int nullable;
        const char* driverType;
        int code;
        long size;
        int dataType;
        bool ignoreLength;
        const char* description;
    };
    const Case cases[] = {
        {"not null with size", 0, "int4", 4, 10, 1, false, "NOT NULL INTEGER(10)"},
        {"nullable", 1, "varchar", 12, 50, 1, false, "    NULL VARCHAR(50)"},
        {"nullability unknown has no prefix", 2, "date", 9, 10, 1, false, "DATE(10)"},
        {"size 0 is not shown", 1, "date", 9, 0, 1, false, "    NULL DATE"},
        {"negative sizes are not shown", 1, "bytea", -4, -4, 1, false, "    NULL LONG VARBINARY"},
        {"size 1 is shown", 0, "bool", -7, 1, 1, false, "NOT NULL BIT(1)"},
        {"size 999999 is shown", 1, "text", -1, 999999, 1, false, "    NULL LONG VARCHAR(999999)"},
        {"size 1000000 is not", 1, "text", -1, 1000000, 1, false, "    NULL LONG VARCHAR"},
        {"ignored length", 0, "varchar", 12, 50, 1, true, "NOT NULL VARCHAR"},
        {"the source's own type name", 0, "int4", 4, 10, 0, false, "NOT NULL int4(10)"},
        {"the source's name as it stands", 0, "smallint(5)", 5, 5, 0, false,
         "NOT NULL smallint(5)(5)"},
        {"no own type name: the standard one", 1, "", 12, 8, 0, false, "    NULL VARCHAR(8)"},
        {"unknown code", 1, "uuid", 93, 36, 1, false, "    NULL UNKNOWN(36)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CompareSettings settings;
        settings.b_DataType = c.dataType;
        settings.b_IgnoreColLen = c.ignoreLength;
        EXPECT_EQ(columnTypeDescription(settings, c.nullable, c.driverType, c.code, c.size),
                  c.description);
    }
}

// What the data comparison learns of a column's values: by type code on-line, by type name
// from a snapshot.
TEST(ColumnTypes, NumericTypesByCodeAndByStoredName) {
    using enum ValueKind;
    const struct {
        int code;
        ValueKind kind;
    } codes[] = {
        {2, Numeric}, {3, Numeric}, {4, Numeric},  {5, Numeric},  {6, Numeric},
        {7, Numeric}, {8, Numeric}, {-5, Numeric}, {-6, Numeric}, {-7, Text},
        {1, Text},    {12, Text},   {-9, Text},    {-1, Text},    {9, Text},
        {11, Text},   {93, Text},   {-2, Text},    {-11, Text},   {0, Unknown},
    };
    for (const auto& c : codes) {
        EXPECT_EQ(valueKindOfSqlType(c.code), c.kind) << c.code;
    }

    const struct {
        const char* typeName;
        const char* description;
        ValueKind kind;
    } names[] = {
        {"INTEGER", "    NULL INTEGER", Numeric},
        {"int4", "NOT NULL int4(10)", Numeric},
        {"numeric", "    NULL numeric(8)", Numeric},
        {"decimal(6,2)", "", Numeric},
        {"int unsigned", "", Numeric},
        {"double precision", "", Numeric},
        {"varchar", "    NULL varchar(5)", Text},
        {"NVARCHAR(120)", "", Text},
        {"bit", "", Text},
        {"timestamp", "", Text},
        {"", "NOT NULL SMALLINT(5)", Numeric}, // no type name stored: the description's
        {"", "    NULL VARCHAR(8)", Text},
        {"", "DATE(10)", Text},
        {"", "", Unknown},
        {"", "    NULL UNKNOWN(36)", Unknown},
    };
    for (const auto& c : names) {
        EXPECT_EQ(storedValueKind(c.typeName, c.description), c.kind)
            << c.typeName << " / " << c.description;
    }
}

} // namespace
} // namespace zentab

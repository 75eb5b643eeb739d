#pragma once
// The ODBC SQL type codes the program knows: standard name, display width and whether a column
// of the type can order the rows of the data comparison. The one place that maps type codes to
// names. Also the type descriptions of columns and procedure parameters that the structure
// comparisons compare. Any thread.

#include <string>
#include <string_view>

#include "db/object_list.h"

namespace zentab {

struct CompareSettings;

struct SqlTypeInfo {
    enum class Width {
        Unchanged,        // the buffer length as it is
        AtLeast,          // at least `minimum`
        AtLeastSizePlus2, // at least the column size plus sign and decimal point
        Doubled,          // two hexadecimal digits per byte
    };

    int code;
    std::string_view name;
    Width width;
    int minimum;
    bool orderable;
};

// The row of `code`; every code outside the table (0, 91 to 93, driver-specific codes) gives the
// "UNKNOWN" row.
const SqlTypeInfo& sqlTypeInfo(int code);
inline std::string_view standardTypeName(int code) {
    return sqlTypeInfo(code).name;
}

// How a database orders values of type `code`: numbers (the exact and approximate numeric
// types) by value, everything else as text. BIT counts as text: its values are flags or bit
// strings, and "0101" and "101" are different bit strings, not one number. Code 0 (the driver
// does not know the type) gives Unknown.
ValueKind valueKindOfSqlType(int code);

// The same from what a snapshot stores of a column: the data source's type name or, when that
// is empty, the type name in the description. Known numeric names in any letter case (the
// standard ones and the common spellings of PostgreSQL, MySQL and MariaDB, SQLite) are Numeric,
// any other name is Text; no name, or "UNKNOWN", is Unknown.
ValueKind storedValueKind(std::string_view typeName, std::string_view description);

// Characters needed to show a value of the column, from the driver's BUFFER_LENGTH and
// COLUMN_SIZE. Worked in 16 bits, as the width has always been kept.
int columnDisplayWidth(int code, long bufferLength, long columnSize);

// The width of a snapshot's width record: its leading decimal number held to 0..kMaxDisplayWidth.
// A negative or unreadable record gives 0, which leaves the column as wide as its name.
int storedDisplayWidth(std::string_view record);

// The text compared between the two sides: "NOT NULL " or "    NULL " by NULLABLE (nothing when
// unknown), the type name (the data source's own unless b_DataType asks for the standard one, or
// the source gave none), and "(size)" for a COLUMN_SIZE of 1 to 999999 unless b_IgnoreColLen.
std::string columnTypeDescription(const CompareSettings& settings, int nullable,
                                  std::string_view driverTypeName, int code, long columnSize);

// Whether a procedure parameter of type `code` counts as orderable. Unlike a column, a parameter
// of an unknown type does: the flag is only stored, never used to order rows.
bool parameterOrderable(int code);

// The seven-character kind of a parameter from SQLProcedureColumns' COLUMN_TYPE ("IN     ",
// "IN/OUT ", "RESULT ", "   OUT ", "RETURN "; "UNK    " for anything else).
std::string_view parameterKindText(int columnType);

// A column's description with the parameter's kind between the nullability and the type name.
std::string parameterTypeDescription(const CompareSettings& settings, int nullable, int columnType,
                                     std::string_view driverTypeName, int code, long columnSize);

} // namespace zentab

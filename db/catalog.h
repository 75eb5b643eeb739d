#pragma once
// The catalog functions that describe a side's objects: its tables, views and procedures, the
// columns of a table or view, the parameters of a procedure and the indexes of a table. Each is
// asked for the side's owner first and, when the driver refuses that, for every owner. Rows come
// typed, with NULL and cut names marked. Used by the thread that owns the side.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "db/database_source.h"
#include "db/odbc_handles.h"

namespace zentab {

enum class CatalogFunction {
    Tables,           // SQLTables for 'TABLE'
    Views,            // SQLTables for 'VIEW'
    Procedures,       // SQLProcedures
    Columns,          // SQLColumns of one table or view
    ProcedureColumns, // SQLProcedureColumns of one procedure
    Statistics,       // SQLStatistics of one table, every index
};

// Codes of the rows, as ODBC defines them.
inline constexpr int kNullableUnknown = 2;
inline constexpr int kParameterInput = 1;
inline constexpr int kParameterInputOutput = 2;
inline constexpr int kResultColumn = 3;
inline constexpr int kParameterOutput = 4;
inline constexpr int kReturnValue = 5;
inline constexpr int kTableStatistics = 0; // the TYPE of the statistics row about the table

// A name as the driver gave it: empty for NULL, and cut to the bound buffer less its terminator
// when longer.
struct CatalogName {
    std::string text;
    bool null = false;
    bool cut = false;
};

// TABLE_NAME of SQLTables, PROCEDURE_NAME of SQLProcedures, with the catalog and schema the
// object belongs to.
struct ObjectRow {
    CatalogName name;
    CatalogName catalog;
    CatalogName schema;
};

// A row of SQLColumns, or of SQLProcedureColumns (whose COLUMN_TYPE is the parameter's kind).
// A NULL number keeps the value given here.
struct ColumnRow {
    CatalogName name;
    int parameterKind = 0;
    int dataType = 0;
    CatalogName typeName;
    long columnSize = 0;
    long bufferLength = 0;
    int nullable = kNullableUnknown;
};

// A row of SQLStatistics: one column of one index, or the row about the table itself.
struct StatisticsRow {
    std::optional<int> nonUnique;
    CatalogName indexName;
    std::optional<int> type;
    CatalogName columnName;
};

class CatalogQuery {
public:
    // `nameBuffer`: the bytes bound for each name, terminator included (type names get 32).
    CatalogQuery(DatabaseSource& side, CatalogFunction function, std::size_t nameBuffer = 128);
    ~CatalogQuery();
    CatalogQuery(const CatalogQuery&) = delete;
    CatalogQuery& operator=(const CatalogQuery&) = delete;

    // Allocates the statement and calls the function: qualified by the side's owner when it has
    // one that the side listed, and unqualified when the driver refuses that call. `object` names
    // the object whose columns, parameters or indexes are asked for; `patternEscape` is the
    // driver's escape for the arguments that are search patterns. False when no statement could
    // be had or the unqualified call failed too.
    bool open(const std::string& object = {}, std::string_view patternEscape = {});
    // Whether a statement was allocated (a failed open may still have one, refused).
    bool hasStatement() const { return static_cast<bool>(statement_); }
    // The owner-qualified call was refused, with this message: the rows are every owner's.
    bool ownerRefused() const { return ownerRefused_; }
    const std::string& refusal() const { return refusal_; }

    // Binds the buffers of the function's row; false when the driver refused one.
    bool bind();
    // The next row into objectRow(), columnRow() or statisticsRow(), by the function.
    FetchResult fetch();
    const ObjectRow& objectRow() const { return objectRow_; }
    const ColumnRow& columnRow() const { return columnRow_; }
    const StatisticsRow& statisticsRow() const { return statisticsRow_; }

    // The driver's message about the last failure into the side's lastError, shown to the user
    // when `show`; false when the driver gave none.
    bool readError(bool show);

private:
    struct Buffers;

    bool call(const std::string* catalog, const std::string* schema, const std::string& object);

    DatabaseSource& side_;
    const CatalogFunction function_;
    const std::size_t nameBuffer_;
    OdbcStatement statement_;
    bool ownerRefused_ = false;
    std::string refusal_;
    std::unique_ptr<Buffers> buffers_;
    ObjectRow objectRow_;
    ColumnRow columnRow_;
    StatisticsRow statisticsRow_;
};

} // namespace zentab

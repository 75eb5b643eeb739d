#include "db/catalog.h"

#include <algorithm>
#include <vector>

#include "db/diagnostics.h"
#include "db/odbc_access.h"
#include "db/search_pattern.h"

namespace zentab {

static_assert(kNullableUnknown == SQL_NULLABLE_UNKNOWN);
static_assert(kParameterInput == SQL_PARAM_INPUT);
static_assert(kParameterInputOutput == SQL_PARAM_INPUT_OUTPUT);
static_assert(kResultColumn == SQL_RESULT_COL);
static_assert(kParameterOutput == SQL_PARAM_OUTPUT);
static_assert(kReturnValue == SQL_RETURN_VALUE);
static_assert(kTableStatistics == SQL_TABLE_STAT);

namespace {

constexpr std::size_t kTypeNameBuffer = 32;
constexpr std::size_t kOwnerBuffer = 256;

bool describesOneObject(CatalogFunction function) {
    return function == CatalogFunction::Columns || function == CatalogFunction::ProcedureColumns ||
           function == CatalogFunction::Statistics;
}

} // namespace

// The bound buffers of one result set. A NULL leaves a bound buffer as the previous row left it,
// so each fetch starts them clean.
struct CatalogQuery::Buffers {
    explicit Buffers(std::size_t nameBuffer)
        : name(nameBuffer, 0), secondName(nameBuffer, 0), typeName(kTypeNameBuffer, 0),
          catalog(kOwnerBuffer, 0), schema(kOwnerBuffer, 0) {}

    std::vector<SQLCHAR> name;
    std::vector<SQLCHAR> secondName; // COLUMN_NAME of a statistics row
    std::vector<SQLCHAR> typeName;
    std::vector<SQLCHAR> catalog; // the owner columns of an object row
    std::vector<SQLCHAR> schema;
    SQLSMALLINT parameterKind = 0;
    SQLSMALLINT dataType = 0;
    SQLINTEGER columnSize = 0;
    SQLINTEGER bufferLength = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    SQLSMALLINT nonUnique = -1;
    SQLSMALLINT type = -1;
    SQLLEN nameIndicator = 0;
    SQLLEN secondNameIndicator = 0;
    SQLLEN typeNameIndicator = 0;
    SQLLEN catalogIndicator = SQL_NULL_DATA;
    SQLLEN schemaIndicator = SQL_NULL_DATA;
    SQLLEN kindIndicator = 0;
    SQLLEN dataTypeIndicator = 0;
    SQLLEN sizeIndicator = 0;
    SQLLEN lengthIndicator = 0;
    SQLLEN nullableIndicator = 0;
    SQLLEN nonUniqueIndicator = 0;
    SQLLEN typeIndicator = 0;
};

namespace {

void clear(std::vector<SQLCHAR>& buffer) {
    std::fill(buffer.begin(), buffer.end(), SQLCHAR{0});
}

CatalogName nameOf(const std::vector<SQLCHAR>& buffer, SQLLEN indicator) {
    CatalogName name;
    name.null = indicator == SQL_NULL_DATA;
    if (!name.null) {
        const char* chars = reinterpret_cast<const char*>(buffer.data());
        name.text.assign(chars, strnlen(chars, buffer.size() - 1));
    }
    name.cut = indicator == SQL_NO_TOTAL ||
               (!name.null && indicator >= static_cast<SQLLEN>(buffer.size()));
    return name;
}

std::optional<int> numberOf(SQLSMALLINT value, SQLLEN indicator) {
    return indicator == SQL_NULL_DATA ? std::nullopt : std::optional<int>(value);
}

} // namespace

CatalogQuery::CatalogQuery(DatabaseSource& side, CatalogFunction function, std::size_t nameBuffer)
    : side_(side), function_(function), nameBuffer_(nameBuffer < 2 ? 2 : nameBuffer),
      buffers_(std::make_unique<Buffers>(nameBuffer_)) {}

CatalogQuery::~CatalogQuery() = default;

bool CatalogQuery::call(const std::string* catalog, const std::string* schema,
                        const std::string& object) {
    SQLHSTMT h = odbc::stmt(statement_);
    SQLCHAR* catalogText = catalog != nullptr ? odbc::text(*catalog) : nullptr;
    SQLCHAR* schemaText = schema != nullptr ? odbc::text(*schema) : nullptr;
    const SQLSMALLINT catalogLength = catalog != nullptr ? SQL_NTS : 0;
    const SQLSMALLINT schemaLength = schema != nullptr ? SQL_NTS : 0;
    SQLRETURN rc = SQL_ERROR;
    switch (function_) {
    case CatalogFunction::Tables:
    case CatalogFunction::Views:
        rc = SQLTables(h, catalogText, catalogLength, schemaText, schemaLength, nullptr, 0,
                       odbc::text(function_ == CatalogFunction::Tables ? "'TABLE'" : "'VIEW'"),
                       SQL_NTS);
        break;
    case CatalogFunction::Procedures:
        rc = SQLProcedures(h, catalogText, catalogLength, schemaText, schemaLength, nullptr, 0);
        break;
    case CatalogFunction::Columns:
        rc = SQLColumns(h, catalogText, catalogLength, schemaText, schemaLength, odbc::text(object),
                        SQL_NTS, nullptr, 0);
        break;
    case CatalogFunction::ProcedureColumns:
        rc = SQLProcedureColumns(h, catalogText, catalogLength, schemaText, schemaLength,
                                 odbc::text(object), SQL_NTS, nullptr, 0);
        break;
    case CatalogFunction::Statistics:
        rc = SQLStatistics(h, catalogText, catalogLength, schemaText, schemaLength,
                           odbc::text(object), SQL_NTS, SQL_INDEX_ALL, SQL_ENSURE);
        break;
    }
    return odbcSucceeded(rc);
}

bool CatalogQuery::open(const std::string& object, std::string_view patternEscape) {
    ownerRefused_ = false;
    refusal_.clear();
    if (!statement_.allocate(side_.connection())) {
        return false;
    }
    // SQLStatistics takes ordinary arguments; the others take the schema (and the object) as
    // search patterns, in which '_' and '%' of a name must not match other names.
    const bool patterns = function_ != CatalogFunction::Statistics;
    const std::string target = patterns && describesOneObject(function_)
                                   ? escapeSearchPattern(object, patternEscape)
                                   : object;
    const std::string& owner = side_.s_DatabaseUser;
    if (!owner.empty() && (side_.schemasListed || side_.catalogsListed)) {
        const std::string schema = patterns ? escapeSearchPattern(owner, patternEscape) : owner;
        if (side_.b_IsCatalog ? call(&owner, nullptr, target) : call(nullptr, &schema, target)) {
            return true;
        }
        // A driver that refuses the qualifier still answers for every owner; the caller says
        // that the rows are not the owner's alone.
        side_.GetErrorText(&statement_, false);
        refusal_ = side_.lastError;
        ownerRefused_ = true;
    }
    return call(nullptr, nullptr, target);
}

bool CatalogQuery::bind() {
    SQLHSTMT h = odbc::stmt(statement_);
    Buffers& b = *buffers_;
    auto text = [h](SQLUSMALLINT column, std::vector<SQLCHAR>& buffer, SQLLEN& indicator) {
        return odbcSucceeded(SQLBindCol(h, column, SQL_C_CHAR, buffer.data(),
                                        static_cast<SQLLEN>(buffer.size()), &indicator));
    };
    auto number = [h](SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN& indicator) {
        return odbcSucceeded(SQLBindCol(h, column, type, value, 0, &indicator));
    };
    switch (function_) {
    case CatalogFunction::Tables:
    case CatalogFunction::Views:
    case CatalogFunction::Procedures:
        // The owners only tell the user what the list spans: a driver that will not bind them
        // still lists the objects, whose owners then read as NULL.
        if (!text(1, b.catalog, b.catalogIndicator)) {
            b.catalogIndicator = SQL_NULL_DATA;
        }
        if (!text(2, b.schema, b.schemaIndicator)) {
            b.schemaIndicator = SQL_NULL_DATA;
        }
        return text(3, b.name, b.nameIndicator);
    case CatalogFunction::Columns:
    case CatalogFunction::ProcedureColumns: {
        // SQLProcedureColumns puts the parameter's kind fifth, and the rest one place further.
        const bool parameters = function_ == CatalogFunction::ProcedureColumns;
        const SQLUSMALLINT shift = parameters ? 1 : 0;
        return text(4, b.name, b.nameIndicator) &&
               (!parameters || number(5, SQL_C_SSHORT, &b.parameterKind, b.kindIndicator)) &&
               number(5 + shift, SQL_C_SSHORT, &b.dataType, b.dataTypeIndicator) &&
               text(6 + shift, b.typeName, b.typeNameIndicator) &&
               number(7 + shift, SQL_C_SLONG, &b.columnSize, b.sizeIndicator) &&
               number(8 + shift, SQL_C_SLONG, &b.bufferLength, b.lengthIndicator) &&
               number(11 + shift, SQL_C_SSHORT, &b.nullable, b.nullableIndicator);
    }
    case CatalogFunction::Statistics:
        return number(4, SQL_C_SSHORT, &b.nonUnique, b.nonUniqueIndicator) &&
               text(6, b.name, b.nameIndicator) &&
               number(7, SQL_C_SSHORT, &b.type, b.typeIndicator) &&
               text(9, b.secondName, b.secondNameIndicator);
    }
    return false;
}

FetchResult CatalogQuery::fetch() {
    Buffers& b = *buffers_;
    clear(b.name);
    clear(b.secondName);
    clear(b.typeName);
    clear(b.catalog);
    clear(b.schema);
    b.parameterKind = 0;
    b.dataType = 0;
    b.columnSize = 0;
    b.bufferLength = 0;
    b.nullable = SQL_NULLABLE_UNKNOWN;
    b.nonUnique = -1;
    b.type = -1;
    b.nameIndicator = 0;
    b.secondNameIndicator = 0;
    b.typeNameIndicator = 0;
    b.kindIndicator = b.dataTypeIndicator = b.sizeIndicator = b.lengthIndicator = 0;
    b.nullableIndicator = b.nonUniqueIndicator = b.typeIndicator = 0;

    const SQLRETURN rc = SQLFetch(odbc::stmt(statement_));
    if (rc == SQL_NO_DATA) {
        return FetchResult::End;
    }
    if (!odbcSucceeded(rc)) {
        return FetchResult::Error;
    }
    switch (function_) {
    case CatalogFunction::Tables:
    case CatalogFunction::Views:
    case CatalogFunction::Procedures:
        objectRow_.name = nameOf(b.name, b.nameIndicator);
        objectRow_.catalog = nameOf(b.catalog, b.catalogIndicator);
        objectRow_.schema = nameOf(b.schema, b.schemaIndicator);
        break;
    case CatalogFunction::Columns:
    case CatalogFunction::ProcedureColumns:
        columnRow_.name = nameOf(b.name, b.nameIndicator);
        columnRow_.parameterKind = b.parameterKind;
        columnRow_.dataType = b.dataType;
        columnRow_.typeName = nameOf(b.typeName, b.typeNameIndicator);
        columnRow_.columnSize = b.columnSize;
        columnRow_.bufferLength = b.bufferLength;
        columnRow_.nullable = b.nullable;
        break;
    case CatalogFunction::Statistics:
        statisticsRow_.nonUnique = numberOf(b.nonUnique, b.nonUniqueIndicator);
        statisticsRow_.indexName = nameOf(b.name, b.nameIndicator);
        statisticsRow_.type = numberOf(b.type, b.typeIndicator);
        statisticsRow_.columnName = nameOf(b.secondName, b.secondNameIndicator);
        break;
    }
    return FetchResult::Row;
}

bool CatalogQuery::readError(bool show) {
    return side_.GetErrorText(statement_ ? &statement_ : nullptr, show);
}

} // namespace zentab

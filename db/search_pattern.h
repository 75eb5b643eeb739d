#pragma once
// Names passed to the catalog functions whose arguments are search patterns (the schema of
// SQLTables and SQLProcedures, schema and object of SQLColumns and SQLProcedureColumns): without
// escaping, '_' and '%' in a name match other objects too, so that "order_lines" would also
// describe "orderxlines". Any thread that owns the side.

#include <string>
#include <string_view>

namespace zentab {

class DatabaseSource;

// The driver's search-pattern escape (SQL_SEARCH_PATTERN_ESCAPE); empty when it has none or the
// side is not connected.
std::string searchPatternEscape(DatabaseSource& side);

// `name` with '_' and '%' preceded by `escape`; unchanged when `escape` is empty. The escape
// character itself is left alone: psqlODBC does not take an escaped escape for the character.
std::string escapeSearchPattern(std::string_view name, std::string_view escape);

} // namespace zentab

#include "db/search_pattern.h"

#include <array>
#include <cstring>

#include "db/database_source.h"
#include "db/diagnostics.h"
#include "db/odbc_access.h"

namespace zentab {

std::string searchPatternEscape(DatabaseSource& side) {
    SQLHDBC connection = odbc::dbc(side.connection());
    if (connection == nullptr) {
        return {};
    }
    std::array<char, 16> escape{};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetInfo(connection, SQL_SEARCH_PATTERN_ESCAPE, escape.data(),
                              static_cast<SQLSMALLINT>(escape.size()), &length);
    if (!odbcSucceeded(rc)) {
        return {};
    }
    return std::string(escape.data(), strnlen(escape.data(), escape.size()));
}

std::string escapeSearchPattern(std::string_view name, std::string_view escape) {
    std::string pattern;
    pattern.reserve(name.size());
    for (char c : name) {
        if (c == '_' || c == '%') {
            pattern += escape;
        }
        pattern += c;
    }
    return pattern;
}

} // namespace zentab

#pragma once
// The driver manager's view of our handle owners and texts: for the db/ sources that call ODBC
// themselves. Nothing outside db/ includes this header. Any thread that owns the handles.

#include <sql.h>
#include <sqlext.h>

#include <array>
#include <cstring>
#include <string>

#include "db/odbc_handles.h"

namespace zentab::odbc {

inline SQLHENV env(const OdbcEnvironment& environment) {
    return static_cast<SQLHENV>(environment.get());
}
inline SQLHDBC dbc(const OdbcConnection& connection) {
    return static_cast<SQLHDBC>(connection.get());
}
inline SQLHSTMT stmt(const OdbcStatement& statement) {
    return static_cast<SQLHSTMT>(statement.get());
}

// An input text. The driver manager does not write through it; its prototypes just lack the
// const.
inline SQLCHAR* text(const std::string& value) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value.c_str()));
}
inline SQLCHAR* text(const char* value) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value));
}

// The text of a zero-filled answer buffer, never reading past its end.
template <std::size_t N> std::string bufferText(const std::array<SQLCHAR, N>& buffer) {
    const char* chars = reinterpret_cast<const char*>(buffer.data());
    return std::string(chars, strnlen(chars, N));
}

} // namespace zentab::odbc

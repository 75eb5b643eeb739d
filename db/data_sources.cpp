#include "db/data_sources.h"

#include <array>

#include "db/diagnostics.h"
#include "db/odbc_access.h"

namespace zentab {

namespace {

using odbc::bufferText;

// The connection messages read elsewhere use the same size.
constexpr std::size_t kMessageBuffer = 400;
constexpr std::size_t kMaxConnectString = 511;

void listDataSourcesFrom(SQLHENV environment, SQLUSMALLINT first, bool system,
                         std::vector<DataSourceEntry>& into) {
    SQLUSMALLINT direction = first;
    for (;;) {
        std::array<SQLCHAR, SQL_MAX_DSN_LENGTH + 1> name{};
        std::array<SQLCHAR, 512> description{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = SQLDataSources(
            environment, direction, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
            description.data(), static_cast<SQLSMALLINT>(description.size()), &descriptionLength);
        if (!odbcSucceeded(rc)) {
            return;
        }
        into.push_back({bufferText(name), bufferText(description), system});
        direction = SQL_FETCH_NEXT;
    }
}

// The end of the value that starts at `start` of a connect string: braced values may hold ';'
// and write a '}' as "}}".
std::size_t valueEnd(const std::string& text, std::size_t start) {
    if (start < text.size() && text[start] == '{') {
        std::size_t pos = start + 1;
        while (pos < text.size()) {
            if (text[pos] == '}') {
                if (pos + 1 < text.size() && text[pos + 1] == '}') {
                    pos += 2;
                    continue;
                }
                return pos + 1;
            }
            ++pos;
        }
        return text.size();
    }
    const std::size_t semicolon = text.find(';', start);
    return semicolon == std::string::npos ? text.size() : semicolon;
}

bool isPasswordKey(std::string key) {
    while (!key.empty() && key.front() == ' ') {
        key.erase(key.begin());
    }
    while (!key.empty() && key.back() == ' ') {
        key.pop_back();
    }
    for (char& c : key) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return key == "PWD" || key == "PASSWORD";
}

// The password values of a connect string, as written (braces included) and unbraced.
std::vector<std::string> passwordsIn(const std::string& text) {
    std::vector<std::string> passwords;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        if (equals == std::string::npos) {
            break;
        }
        const std::size_t semicolon = text.find(';', pos);
        if (semicolon != std::string::npos && semicolon < equals) {
            pos = semicolon + 1;
            continue;
        }
        const std::size_t end = valueEnd(text, equals + 1);
        if (isPasswordKey(text.substr(pos, equals - pos)) && end > equals + 1) {
            std::string written = text.substr(equals + 1, end - equals - 1);
            passwords.push_back(written);
            if (written.size() >= 2 && written.front() == '{' && written.back() == '}') {
                std::string inner = written.substr(1, written.size() - 2);
                for (std::size_t at = inner.find("}}"); at != std::string::npos;
                     at = inner.find("}}", at + 1)) {
                    inner.erase(at, 1);
                }
                passwords.push_back(inner);
            }
        }
        pos = end + 1;
    }
    return passwords;
}

// A driver may quote the string it was given in its message.
std::string blankPasswords(std::string message, const std::string& connectString) {
    for (const std::string& password : passwordsIn(connectString)) {
        if (password.empty()) {
            continue;
        }
        for (std::size_t at = message.find(password); at != std::string::npos;
             at = message.find(password, at + 3)) {
            message.replace(at, password.size(), "***");
        }
    }
    return message;
}

} // namespace

std::vector<DataSourceEntry> listDataSources() {
    std::vector<DataSourceEntry> sources;
    OdbcEnvironment environment;
    if (!environment.allocate()) {
        return sources;
    }
    listDataSourcesFrom(odbc::env(environment), SQL_FETCH_FIRST_USER, false, sources);
    listDataSourcesFrom(odbc::env(environment), SQL_FETCH_FIRST_SYSTEM, true, sources);
    return sources;
}

std::vector<std::string> listDrivers() {
    std::vector<std::string> drivers;
    OdbcEnvironment environment;
    if (!environment.allocate()) {
        return drivers;
    }
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        std::array<SQLCHAR, 512> name{};
        std::array<SQLCHAR, 2048> attributes{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc =
            SQLDrivers(odbc::env(environment), direction, name.data(),
                       static_cast<SQLSMALLINT>(name.size()), &nameLength, attributes.data(),
                       static_cast<SQLSMALLINT>(attributes.size()), &attributesLength);
        if (!odbcSucceeded(rc)) {
            break;
        }
        drivers.push_back(bufferText(name));
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

std::optional<std::string> testConnection(const std::string& connectString, int timeoutSeconds) {
    if (connectString.size() > kMaxConnectString) {
        return std::string("The connect string is longer than 511 characters.");
    }
    OdbcEnvironment environment;
    OdbcConnection connection;
    if (!environment.allocate() || !connection.allocate(environment)) {
        return std::string();
    }
    if (timeoutSeconds > 0) {
        SQLSetConnectAttr(odbc::dbc(connection), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0);
    }
    std::array<SQLCHAR, kMaxConnectString + 1> out{};
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(odbc::dbc(connection), nullptr, odbc::text(connectString),
                                          SQL_NTS, out.data(), static_cast<SQLSMALLINT>(out.size()),
                                          &outLength, SQL_DRIVER_NOPROMPT);
    if (!odbcSucceeded(rc)) {
        return blankPasswords(
            firstDiagnosticMessage({nullptr, connection.get(), nullptr}, kMessageBuffer),
            connectString);
    }
    // The connection's owner disconnects it before freeing it.
    connection.markConnected();
    return std::nullopt;
}

} // namespace zentab

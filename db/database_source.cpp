#include "db/database_source.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "db/diagnostics.h"
#include "db/odbc_access.h"
#include "db/row_text.h"
#include "db/sha256.h"
#include "db/side_host.h"

namespace zentab {

using odbc::bufferText;
using odbc::dbc;
using odbc::stmt;

namespace {

constexpr const char* kNotConnected = "Not Connected";
constexpr const char* kConnectFailed = "Could not connect to data source.\n\n";
constexpr const char* kSnapshotFailed = "Could not open snapshot file: \n\n";
constexpr const char* kNotRequired = "-not required-";
constexpr std::size_t kMaxConnectString = 511;
constexpr std::size_t kMaxSystemText = 255;
constexpr std::size_t kFetchBufferSize = 10000;
// Bytes read of the driver's message: a refused connection, and any other failure.
constexpr std::size_t kConnectMessageBuffer = 400;
constexpr std::size_t kErrorMessageBuffer = 200;

std::string trim(const std::string& text) {
    const char* blanks = " \t\r\n\f\v";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The connect string without its password attributes, for a display name that has nothing
// better to show. Braced values may hold ';' (and "}}" for a '}').
std::string withoutPassword(const std::string& text) {
    std::string kept;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t equals = text.find('=', pos);
        std::size_t semicolon = text.find(';', pos);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            std::size_t end = semicolon == std::string::npos ? text.size() : semicolon + 1;
            kept.append(text, pos, end - pos);
            pos = end;
            continue;
        }
        std::size_t valueEnd = equals + 1;
        if (valueEnd < text.size() && text[valueEnd] == '{') {
            ++valueEnd;
            while (valueEnd < text.size()) {
                if (text[valueEnd] == '}') {
                    if (valueEnd + 1 < text.size() && text[valueEnd + 1] == '}') {
                        valueEnd += 2;
                        continue;
                    }
                    ++valueEnd;
                    break;
                }
                ++valueEnd;
            }
        }
        semicolon = text.find(';', valueEnd);
        std::size_t end = semicolon == std::string::npos ? text.size() : semicolon + 1;
        std::string key = trim(text.substr(pos, equals - pos));
        if (!equalsIgnoringCase(key, "PWD") && !equalsIgnoringCase(key, "PASSWORD")) {
            kept.append(text, pos, end - pos);
        }
        pos = end;
    }
    return kept;
}

// Whether a connect string can reach its side again: it names a driver, a file data source,
// or a data source by a name that is not empty.
bool namesDriverOrSource(std::string_view connectString) {
    while (!connectString.empty()) {
        const std::size_t end = connectString.find(';');
        std::string_view pair = connectString.substr(0, end);
        connectString =
            end == std::string_view::npos ? std::string_view() : connectString.substr(end + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || equals + 1 == pair.size()) {
            continue;
        }
        std::string key;
        for (char c : pair.substr(0, equals)) {
            if (c != ' ') {
                key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        if (key == "DRIVER" || key == "DSN" || key == "FILEDSN") {
            return true;
        }
    }
    return false;
}

} // namespace

DatabaseSource::DatabaseSource(Key, SideHost& host) : host_(&host) {}

DatabaseSource::~DatabaseSource() {
    // The reader closes its file; the connection is disconnected and freed before the
    // environment by member order; the object lists go last.
    snapshotReader.reset();
    connection_.reset();
    environment_.reset();
}

std::unique_ptr<DatabaseSource> DatabaseSource::createUnconnected(SideHost& host) {
    auto source = std::make_unique<DatabaseSource>(Key{}, host);
    source->markNotConnected();
    return source;
}

void DatabaseSource::markNotConnected() {
    displayName = kNotConnected;
    notUsable = true;
}

// Opening

bool DatabaseSource::allocateHandles() {
    return environment_.allocate() && connection_.allocate(environment_) &&
           CheckReturn(SQLSetConnectOption(dbc(connection_), SQL_ODBC_CURSORS, SQL_CUR_USE_DRIVER),
                       "SQLSetConnectOption");
}

bool DatabaseSource::driverConnect(const std::string& input) {
    // Refused rather than cut: a cut string would connect somewhere the user did not name.
    if (input.size() > kMaxConnectString) {
        markNotConnected();
        host_->showMessage(std::string(kConnectFailed) +
                           "The connect string is longer than 511 characters.");
        return false;
    }
    std::array<SQLCHAR, kMaxConnectString + 1> in{};
    std::memcpy(in.data(), input.data(), input.size());
    std::array<SQLCHAR, kMaxConnectString + 1> out{};
    SQLSMALLINT outLength = 0;
    // Linux driver managers have no dialogs to complete a string with; our front end has
    // already asked for everything, so the driver is told not to prompt.
    SQLRETURN rc =
        SQLDriverConnect(dbc(connection_), nullptr, in.data(), SQL_NTS, out.data(),
                         static_cast<SQLSMALLINT>(out.size()), &outLength, SQL_DRIVER_NOPROMPT);
    if (!CheckReturn(rc, "SQLDriverConnect")) {
        const std::string text =
            firstDiagnosticMessage({nullptr, connection_.get(), nullptr}, kConnectMessageBuffer);
        markNotConnected();
        if (!text.empty()) {
            host_->showMessage(kConnectFailed + text);
        }
        return false;
    }
    connection_.markConnected();
    s_ConnectString = bufferText(out);
    reconnectString = namesDriverOrSource(s_ConnectString) ? s_ConnectString : input;
    requestReadOnly();
    return true;
}

void DatabaseSource::requestReadOnly() {
    // A comparison never writes; where the driver honours the mode, a statement that would
    // write is refused even if a name slipped through unquoted. Drivers that ignore or refuse
    // the attribute are used as they are.
    SQLSetConnectAttr(dbc(connection_), SQL_ATTR_ACCESS_MODE,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_MODE_READ_ONLY)), 0);
}

void DatabaseSource::readDriverFacts(const std::string& specialCharactersPreference) {
    SQLHDBC handle = dbc(connection_);

    SQLUSMALLINT orderByLimit = 0;
    SQLRETURN rc = SQLGetInfo(handle, SQL_MAX_COLUMNS_IN_ORDER_BY, &orderByLimit,
                              sizeof orderByLimit, nullptr);
    // 0 means "no limit or unknown"; with-info answers are not trusted either.
    maxOrderByColumns =
        rc == SQL_SUCCESS && orderByLimit != 0 ? orderByLimit : kUnknownOrderByLimit;

    SQLUSMALLINT foldedCase = 0;
    rc = SQLGetInfo(handle, SQL_IDENTIFIER_CASE, &foldedCase, sizeof foldedCase, nullptr);
    identifierCase = IdentifierCase::Unknown;
    if (CheckReturn(rc, "SQLGetInfo")) {
        switch (foldedCase) {
        case SQL_IC_UPPER:
            identifierCase = IdentifierCase::Upper;
            break;
        case SQL_IC_LOWER:
            identifierCase = IdentifierCase::Lower;
            break;
        case SQL_IC_SENSITIVE:
            identifierCase = IdentifierCase::Sensitive;
            break;
        case SQL_IC_MIXED:
            identifierCase = IdentifierCase::Mixed;
            break;
        default:
            break;
        }
    }

    auto infoText = [handle](SQLUSMALLINT type) {
        std::array<SQLCHAR, 1000> buffer{};
        SQLSMALLINT length = 0;
        SQLRETURN result = SQLGetInfo(handle, type, buffer.data(),
                                      static_cast<SQLSMALLINT>(buffer.size()), &length);
        return CheckReturn(result, "SQLGetInfo") ? bufferText(buffer) : std::string();
    };
    identifierQuote = infoText(SQL_IDENTIFIER_QUOTE_CHAR);
    // A blank is how a driver says that it quotes nothing.
    if (trim(identifierQuote).empty()) {
        identifierQuote.clear();
    }
    specialCharacters = infoText(SQL_SPECIAL_CHARACTERS);
    if (specialCharacters.empty()) {
        specialCharacters = specialCharactersPreference;
    }
    // The space makes every name with a blank in it special, whatever the driver said.
    specialCharacters += ' ';
    serverName = trim(infoText(SQL_SERVER_NAME));
    userName = infoText(SQL_USER_NAME);
    defaultOwner = trim(userName);
    s_DatabaseUser = defaultOwner;
}

void DatabaseSource::readDatabaseName() {
    std::array<SQLCHAR, 1024> buffer{};
    SQLSMALLINT length = 0;
    if (CheckReturn(SQLGetInfo(dbc(connection_), SQL_DATABASE_NAME, buffer.data(),
                               static_cast<SQLSMALLINT>(buffer.size()), &length),
                    "SQLGetInfo")) {
        databaseName = bufferText(buffer);
    }
}

std::vector<std::string> DatabaseSource::filesRead() const {
    if (b_IsSnapshot) {
        return {s_SnapshotFile};
    }
    std::vector<std::string> files;
    auto addIfFile = [&files](std::string value) {
        if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
            value = value.substr(1, value.size() - 2);
        }
        std::error_code error;
        if (!value.empty() && std::filesystem::is_regular_file(value, error) &&
            !contains(files, value)) {
            files.push_back(std::move(value));
        }
    };
    addIfFile(databaseName);
    std::size_t pos = 0;
    while (pos < s_ConnectString.size()) {
        const std::size_t semicolon =
            std::min(s_ConnectString.find(';', pos), s_ConnectString.size());
        const std::string attribute = s_ConnectString.substr(pos, semicolon - pos);
        const std::size_t equals = attribute.find('=');
        if (equals != std::string::npos) {
            addIfFile(attribute.substr(equals + 1));
        }
        pos = semicolon + 1;
    }
    return files;
}

void DatabaseSource::dropUnlistedOwner() {
    if (!s_DatabaseUser.empty() && !contains(catalogNames, s_DatabaseUser) &&
        !contains(schemaNames, s_DatabaseUser)) {
        s_DatabaseUser.clear();
    }
}

std::unique_ptr<DatabaseSource> DatabaseSource::ConnectInteractive(
    SideHost& host, bool b_IsSnapshot, const std::string& snapshotPath,
    const ConnectStringProvider& provider, const std::string& specialCharactersPreference) {
    auto source = std::make_unique<DatabaseSource>(Key{}, host);
    DatabaseSource& side = *source;
    side.markNotConnected();
    side.b_IsSnapshot = b_IsSnapshot;

    if (b_IsSnapshot) {
        std::string path = snapshotPath;
        if (path.empty()) {
            FileRequest request;
            request.filter = "Zentab Snapshot Files (*.zsn) | *.zsn||";
            request.defaultExtension = "zsn";
            request.save = false;
            std::optional<std::string> chosen = host.chooseFile(request);
            if (!chosen) {
                return source;
            }
            path = *chosen;
        }
        side.s_SnapshotFile = path;
        std::string error;
        if (!SnapshotFile::openForReading(path, error)) {
            host.showMessage(kSnapshotFailed + error.substr(0, kMaxSystemText));
            return source;
        }
        // Only proven readable here; each run opens it afresh.
        side.displayName = std::filesystem::path(path).filename().string();
        side.notUsable = false;
        side.maxOrderByColumns = kUnknownOrderByLimit;
        return source;
    }

    if (!side.allocateHandles()) {
        return source;
    }
    std::optional<std::string> input = provider ? provider() : std::nullopt;
    if (!input || !side.driverConnect(*input)) {
        return source;
    }
    side.dataSourceName = ConnectStringValue(side.s_ConnectString, "DSN=");
    side.databaseFile = ConnectStringValue(side.s_ConnectString, "DBQ=");
    side.notUsable = false;
    side.readDriverFacts(specialCharactersPreference);
    side.readDatabaseName();
    side.BuildDisplayName();
    side.ListSchemas();
    side.ListCatalogs();
    side.b_IsCatalog = true;
    side.dropUnlistedOwner();
    side.ApplyCurrentCatalog();
    return source;
}

std::unique_ptr<DatabaseSource>
DatabaseSource::ConnectStored(SideHost& host, const std::string& connectString,
                              const std::string& storedOwner, const std::string& storedCatalogFlag,
                              const std::string& specialCharactersPreference, int timeoutSeconds) {
    auto source = std::make_unique<DatabaseSource>(Key{}, host);
    DatabaseSource& side = *source;
    side.notUsable = false;
    if (!side.allocateHandles()) {
        side.markNotConnected();
        return source;
    }
    if (timeoutSeconds > 0) {
        // Set before connecting: a server that does not answer must not hold the login either.
        SQLSetConnectAttr(dbc(side.connection_), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0);
        side.connection_.setQueryTimeout(timeoutSeconds);
    }
    if (!side.driverConnect(connectString)) {
        return source;
    }
    side.dataSourceName = ConnectStringValue(side.s_ConnectString, "DSN=");
    side.readDriverFacts(specialCharactersPreference);
    side.readDatabaseName();
    side.ListSchemas();
    side.ListCatalogs();
    if (!storedOwner.empty()) {
        side.b_IsCatalog = storedCatalogFlag == "1";
        side.s_DatabaseUser = storedOwner;
    }
    side.dropUnlistedOwner();
    side.ApplyCurrentCatalog();
    side.BuildDisplayName();
    return source;
}

void DatabaseSource::OpenSnapshotForReading() {
    snapshotReader.reset();
    if (!b_IsSnapshot) {
        return;
    }
    std::string error;
    snapshotReader = SnapshotFile::openForReading(s_SnapshotFile, error);
    if (!snapshotReader) {
        host_->showMessage(kSnapshotFailed + error.substr(0, kMaxSystemText));
        notUsable = true;
        return;
    }
    // The version record: any version is read by the same rules.
    std::string version;
    snapshotReader->GetRecord(version);
}

// Owner and names

void DatabaseSource::SelectOwner(const std::string& owner, bool isCatalog) {
    if (owner.empty() || owner == kNotRequired) {
        s_DatabaseUser.clear();
    } else {
        s_DatabaseUser = owner;
        b_IsCatalog = isCatalog;
        if (isCatalog) {
            ApplyCurrentCatalog();
        }
    }
    BuildDisplayName();
    // Read under the old qualifier: they must be retrieved again.
    tables.clear();
    views.clear();
    procedures.clear();
}

std::string DatabaseSource::ConnectStringValue(const std::string& connectString,
                                               std::string_view key) {
    std::size_t at = connectString.find(key);
    if (at == std::string::npos) {
        return {};
    }
    std::string value = connectString.substr(at + key.size());
    value.resize(std::min(value.size(), value.find(';')));
    for (char& c : value) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return value;
}

const std::string& DatabaseSource::BuildDisplayName() {
    if (b_IsSnapshot) {
        displayName = std::filesystem::path(s_SnapshotFile).filename().string();
        return displayName;
    }
    std::string name;
    if (!dataSourceName.empty() && !equalsIgnoringCase(dataSourceName, "DEFAULT")) {
        name = dataSourceName;
        if (!serverName.empty() && serverName != name) {
            name += "(" + serverName + ")";
        }
        if (!userName.empty()) {
            name = userName + "@" + name;
        }
    } else if (!databaseFile.empty()) {
        name = databaseFile;
    } else if (!userName.empty()) {
        name = userName + "@";
        if (!serverName.empty()) {
            name += "(" + serverName + ")";
        }
    } else {
        // The first attribute's value: for a driver-keyword string, the driver's name.
        std::size_t equals = s_ConnectString.find('=');
        std::size_t start = equals == std::string::npos ? 0 : equals + 1;
        name = s_ConnectString.substr(start, s_ConnectString.find(';', start) - start);
    }
    // Drivers such as SQLite3 complete the string as "DSN=;..." and report no user, which
    // leaves the rules above with nothing; fall back to what still tells the sides apart.
    if (name.empty()) {
        name = !serverName.empty() ? serverName : withoutPassword(s_ConnectString);
    }
    if (!s_DatabaseUser.empty() && s_DatabaseUser != defaultOwner) {
        name = s_DatabaseUser + ":" + name;
    }
    displayName = std::move(name);
    return displayName;
}

void DatabaseSource::ListSchemas() {
    listNames(false);
}

void DatabaseSource::ListCatalogs() {
    listNames(true);
}

void DatabaseSource::listNames(bool catalogs) {
    std::vector<std::string>& names = catalogs ? catalogNames : schemaNames;
    bool& listed = catalogs ? catalogsListed : schemasListed;
    names.clear();
    listed = true;

    OdbcStatement statement;
    if (!statement.allocate(connection_)) {
        listed = false;
        return;
    }
    std::array<SQLCHAR, 1> empty{};
    std::array<SQLCHAR, 2> all{'%', 0};
    // The ODBC requests for "all schemas" and "all catalogs": '%' in one argument, empty strings
    // in the others.
    SQLRETURN rc = catalogs ? SQLTables(stmt(statement), all.data(), SQL_NTS, empty.data(), SQL_NTS,
                                        empty.data(), SQL_NTS, nullptr, 0)
                            : SQLTables(stmt(statement), empty.data(), SQL_NTS, all.data(), SQL_NTS,
                                        empty.data(), SQL_NTS, nullptr, 0);
    if (!CheckReturn(rc, "SQLTables")) {
        listed = false;
    } else {
        std::array<SQLCHAR, 128> catalog{};
        std::array<SQLCHAR, 128> schema{};
        SQLLEN catalogIndicator = 0;
        SQLLEN schemaIndicator = 0;
        SQLBindCol(stmt(statement), 1, SQL_C_CHAR, catalog.data(), catalog.size(),
                   &catalogIndicator);
        SQLBindCol(stmt(statement), 2, SQL_C_CHAR, schema.data(), schema.size(), &schemaIndicator);
        while (SQLFetch(stmt(statement)) == SQL_SUCCESS) {
            // A NULL leaves the bound buffer as the previous row left it.
            SQLLEN indicator = catalogs ? catalogIndicator : schemaIndicator;
            std::string name = indicator == SQL_NULL_DATA
                                   ? std::string()
                                   : trim(bufferText(catalogs ? catalog : schema));
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
        }
    }
    if (names.empty()) {
        listed = false;
    }
    statement.close();
}

void DatabaseSource::ApplyCurrentCatalog() {
    if (b_IsCatalog && !s_DatabaseUser.empty() && connection_.get() != nullptr) {
        std::string catalog = s_DatabaseUser;
        // Not examined: a driver without catalogs just keeps its default.
        SQLSetConnectAttr(dbc(connection_), SQL_ATTR_CURRENT_CATALOG, catalog.data(), SQL_NTS);
    }
}

// Statement layer

bool DatabaseSource::CheckReturn(short returnCode, const char* label) {
    (void)label;
    return odbcSucceeded(returnCode);
}

bool DatabaseSource::GetErrorText(const OdbcStatement* statement, bool show) {
    lastError = firstDiagnosticMessage(
        {environment_.get(), connection_.get(), statement != nullptr ? statement->get() : nullptr},
        kErrorMessageBuffer);
    if (lastError.empty()) {
        return false;
    }
    if (show) {
        host_->showMessage(lastError);
    }
    return true;
}

bool DatabaseSource::ExecuteStatement(const std::string& text, OdbcStatement& statement,
                                      std::string& error) {
    error.clear();
    if (!statement.allocate(connection_)) {
        GetErrorText(nullptr, false);
        error = lastError;
        return false;
    }
    // The driver manager does not write to the text; its prototype just lacks the const.
    SQLRETURN rc = SQLExecDirect(
        stmt(statement), reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS);
    if (rc != SQL_SUCCESS) {
        GetErrorText(&statement, false);
        error = lastError;
        statement.reset();
        return false;
    }
    return true;
}

FetchResult DatabaseSource::FetchRowText(OdbcStatement& statement, std::string& row) {
    row.clear();
    if (!statement) {
        return FetchResult::End;
    }
    if (statement.resultColumns() < 0) {
        SQLSMALLINT count = 0;
        if (!CheckReturn(SQLNumResultCols(stmt(statement), &count), "SQLNumResultCols")) {
            GetErrorText(&statement, false);
            return FetchResult::Error;
        }
        statement.rememberResultColumns(count);
    }
    const int columns = statement.resultColumns();
    const SQLRETURN fetched = SQLFetch(stmt(statement));
    if (fetched == SQL_NO_DATA) {
        return FetchResult::End;
    }
    // A row with a warning is still a row; anything else (a lost connection, a driver error)
    // must not pass for the end of the rows.
    if (!CheckReturn(fetched, "SQLFetch")) {
        GetErrorText(&statement, false);
        return FetchResult::Error;
    }
    if (fetchBuffer_.size() != kFetchBufferSize) {
        fetchBuffer_.assign(kFetchBufferSize, '\0');
    }
    char* buffer = fetchBuffer_.data();
    for (int column = 1; column <= columns; ++column) {
        if (column > 1) {
            row.append(" \t ");
        }
        buffer[0] = '\0';
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt(statement), static_cast<SQLUSMALLINT>(column), SQL_C_CHAR,
                                  buffer, static_cast<SQLLEN>(kFetchBufferSize), &indicator);
        // NULL leaves the cleared first byte; a longer value arrives cut to 9999 characters.
        if (CheckReturn(rc, "SQLGetData")) {
            const std::size_t length = strnlen(buffer, kFetchBufferSize - 1);
            row.append(buffer, length);
            const bool cut = rc == SQL_SUCCESS_WITH_INFO &&
                             (indicator == SQL_NO_TOTAL ||
                              (indicator >= 0 && static_cast<std::size_t>(indicator) > length));
            if (cut && !appendLongValueDigest(statement, column, length, row)) {
                GetErrorText(&statement, false);
                row.clear();
                return FetchResult::Error;
            }
        } else if (rc != SQL_NO_DATA) {
            GetErrorText(&statement, false);
            row.clear();
            return FetchResult::Error;
        }
    }
    return FetchResult::Row;
}

// The value's first `shown` bytes are the last ones in the row; the rest is read in pieces
// through the same buffer and only its digest is kept, so that a value of any length is
// compared whole without being held.
bool DatabaseSource::appendLongValueDigest(OdbcStatement& statement, int column, std::size_t shown,
                                           std::string& row) {
    Sha256 digest;
    digest.update(std::string_view(row).substr(row.size() - shown));
    char* buffer = fetchBuffer_.data();
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(stmt(statement), static_cast<SQLUSMALLINT>(column), SQL_C_CHAR, buffer,
                       static_cast<SQLLEN>(kFetchBufferSize), &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!CheckReturn(rc, "SQLGetData")) {
            return false;
        }
        std::size_t length = strnlen(buffer, kFetchBufferSize - 1);
        if (rc == SQL_SUCCESS && indicator >= 0) {
            length = std::min(length, static_cast<std::size_t>(indicator));
        }
        digest.update(std::string_view(buffer, length));
        if (rc == SQL_SUCCESS) {
            break;
        }
    }
    row.push_back(kLongValueMark);
    row.append(digest.hexDigest());
    return true;
}

void DatabaseSource::DescribeResultColumns(OdbcStatement& statement,
                                           std::vector<ResultColumn>& columns) {
    if (!statement) {
        return;
    }
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt(statement), &count);
    for (SQLSMALLINT column = 1; column <= count; ++column) {
        std::array<SQLCHAR, 200> name{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT dataType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        const SQLRETURN described =
            SQLDescribeCol(stmt(statement), static_cast<SQLUSMALLINT>(column), name.data(),
                           static_cast<SQLSMALLINT>(name.size()), &nameLength, &dataType, &size,
                           &digits, &nullable);
        if (!SQL_SUCCEEDED(described)) {
            dataType = 0; // not described: the rows are compared without the type
        }
        columns.push_back(ResultColumn{bufferText(name), static_cast<long long>(size), dataType});
    }
}

void DatabaseSource::FreeStatement(OdbcStatement& statement) {
    statement.reset();
}

} // namespace zentab

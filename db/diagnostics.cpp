#include "db/diagnostics.h"

#include <vector>

#include "db/odbc_access.h"

namespace zentab {

namespace {

constexpr std::size_t kFullMessage = 1024;
// Enough for any real driver; a driver that never says "no more" must not hold us for ever.
constexpr SQLSMALLINT kMostRecords = 64;

struct Target {
    SQLSMALLINT type = 0;
    SQLHANDLE handle = nullptr;
};

Target mostSpecific(const DiagnosticHandles& handles) {
    if (handles.statement != nullptr) {
        return {SQL_HANDLE_STMT, handles.statement};
    }
    if (handles.connection != nullptr) {
        return {SQL_HANDLE_DBC, handles.connection};
    }
    return {SQL_HANDLE_ENV, handles.environment};
}

// Record `number` (from 1) as state and message; false when there is no such record.
bool readRecord(const Target& target, SQLSMALLINT number, std::size_t bufferBytes,
                std::string& state, std::string& message) {
    if (target.handle == nullptr || bufferBytes == 0) {
        return false;
    }
    std::array<SQLCHAR, 6> stateBuffer{};
    std::vector<SQLCHAR> messageBuffer(bufferBytes, 0);
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRec(target.type, target.handle, number, stateBuffer.data(), &nativeError,
                      messageBuffer.data(), static_cast<SQLSMALLINT>(bufferBytes), &length);
    if (!odbcSucceeded(rc)) {
        return false;
    }
    state = odbc::bufferText(stateBuffer);
    const char* chars = reinterpret_cast<const char*>(messageBuffer.data());
    message.assign(chars, strnlen(chars, bufferBytes));
    return true;
}

} // namespace

bool odbcSucceeded(short returnCode) {
    return returnCode == SQL_SUCCESS || returnCode == SQL_SUCCESS_WITH_INFO;
}

std::string firstDiagnosticMessage(const DiagnosticHandles& handles, std::size_t bufferBytes) {
    std::string state;
    std::string message;
    return readRecord(mostSpecific(handles), 1, bufferBytes, state, message) ? message
                                                                             : std::string();
}

std::string allDiagnostics(const DiagnosticHandles& handles) {
    const Target target = mostSpecific(handles);
    std::string text;
    std::string state;
    std::string message;
    for (SQLSMALLINT number = 1;
         number <= kMostRecords && readRecord(target, number, kFullMessage, state, message);
         ++number) {
        if (!text.empty()) {
            text += " / ";
        }
        text += state + ": " + message;
    }
    return text;
}

} // namespace zentab

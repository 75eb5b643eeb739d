#pragma once
// What the driver manager says about a call: whether it succeeded, and its diagnostic records.
// The one place the program reads diagnostics. Any thread that owns the handles.

#include <cstddef>
#include <string>

#include "db/odbc_handles.h"

namespace zentab {

// SQL_SUCCESS and SQL_SUCCESS_WITH_INFO succeed; everything else (SQL_NO_DATA included) does not.
bool odbcSucceeded(short returnCode);

// The handles a diagnostic is asked of; the most specific one given answers.
struct DiagnosticHandles {
    OdbcHandle environment = nullptr;
    OdbcHandle connection = nullptr;
    OdbcHandle statement = nullptr;
};

// The message of the first diagnostic record, read into a buffer of `bufferBytes` (a longer
// message is cut to bufferBytes - 1). Empty when there is none or it cannot be read.
std::string firstDiagnosticMessage(const DiagnosticHandles& handles, std::size_t bufferBytes);

// Every record of the most specific handle, as "STATE: message", joined by " / ".
std::string allDiagnostics(const DiagnosticHandles& handles);

} // namespace zentab

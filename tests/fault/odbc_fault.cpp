// ODBC fault injection for the failure sweep: preloaded (LD_PRELOAD) in front of the driver
// manager, this library counts the program's own ODBC calls and makes one of them fail, so that
// every failure path of a run can be walked one call at a time. Test tool, never shipped.
//
//   ZENTAB_FAULT_AT=N       call N (1-based) returns SQL_ERROR instead of reaching the driver
//                           manager; its handle then holds one diagnostic record of ours
//   ZENTAB_FAULT_LOG=path   appended at exit: "calls <count>" and, when a call was made to fail,
//                           "failed <N> <call>"
//   ZENTAB_FAULT_TRACE=path every call as it is made, "<N> <call>"; calls the driver manager or
//                           a driver makes through these entry points are listed as "- <call>
//                           from <library>" and are neither counted nor failed
//
// Only calls that return into the main program count: the driver manager calls some of its own
// entry points internally, and failing those would test unixODBC rather than us. The library is
// built without sanitizers, as it is loaded ahead of their runtime. Any thread may call in; one
// mutex guards the count and the pending diagnostic.

#include <sql.h>
#include <sqlext.h>

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

class Injector {
public:
    static Injector& instance() {
        static Injector injector;
        return injector;
    }

    // Called first by every entry point with the address the call returns to. True when this
    // call is the one to fail: the entry point then returns SQL_ERROR without forwarding.
    // `detail` completes the call's name in the trace and the log; a catalog function or a
    // statement text `binds` the statement to it, so that its later calls are named after it.
    bool enter(const void* caller, const char* function, void* handle,
               const std::string& detail = {}, bool binds = false, bool clearsDiagnostics = true) {
        if (!fromProgram(caller)) {
            traceForeign(caller, function);
            return false;
        }
        std::lock_guard lock(mutex_);
        ++calls_;
        if (clearsDiagnostics && handle != nullptr && handle == pending_) {
            // Like any ODBC call, this one clears the diagnostics of its handle.
            pending_ = nullptr;
        }
        std::string label = function + detail;
        if (binds) {
            uses_[handle] = label;
        } else if (auto use = uses_.find(handle); use != uses_.end()) {
            label += " on " + use->second;
        }
        if (trace_ != nullptr) {
            std::fprintf(trace_, "%ld %s\n", calls_, label.c_str());
            std::fflush(trace_);
        }
        if (calls_ != failAt_) {
            return false;
        }
        failed_ = label;
        message_ =
            "[fault injection] call " + std::to_string(calls_) + " (" + function + ") failed";
        pending_ = handle;
        consumed_ = false;
        return true;
    }

    // A handle the driver manager just gave out may reuse the address of a freed one.
    void allocated(void* handle) {
        std::lock_guard lock(mutex_);
        if (handle == pending_) {
            pending_ = nullptr;
        }
        uses_.erase(handle);
    }

    // The record for a diagnostic request on `handle`, when it is the handle of the failed call:
    // true with the record written, or true with `rc` SQL_NO_DATA past the one record. False when
    // the request is the driver manager's to answer.
    bool diagnostic(void* handle, bool first, bool consume, SQLCHAR* state, SQLINTEGER* native,
                    SQLCHAR* text, SQLSMALLINT size, SQLSMALLINT* length, SQLRETURN& rc) {
        std::lock_guard lock(mutex_);
        if (handle == nullptr || handle != pending_) {
            return false;
        }
        if (!first || consumed_) {
            rc = SQL_NO_DATA;
            return true;
        }
        consumed_ = consume;
        if (state != nullptr) {
            std::memcpy(state, "HY000", 6);
        }
        if (native != nullptr) {
            *native = 0;
        }
        if (length != nullptr) {
            *length = static_cast<SQLSMALLINT>(message_.size());
        }
        rc = SQL_SUCCESS;
        if (text != nullptr && size > 0) {
            std::size_t room = static_cast<std::size_t>(size) - 1;
            std::size_t copied = std::min(room, message_.size());
            std::memcpy(text, message_.data(), copied);
            text[copied] = '\0';
            if (copied < message_.size()) {
                rc = SQL_SUCCESS_WITH_INFO;
            }
        }
        return true;
    }

    // Whether the call returning to `caller` is the program's own: run from the executable
    // segments of the main program.
    bool fromProgram(const void* caller) const {
        auto address = reinterpret_cast<std::uintptr_t>(caller);
        return std::any_of(code_.begin(), code_.end(), [address](const Range& range) {
            return address >= range.begin && address < range.end;
        });
    }

    Injector(const Injector&) = delete;
    Injector& operator=(const Injector&) = delete;

private:
    struct Range {
        std::uintptr_t begin;
        std::uintptr_t end;
    };

    Injector() {
        if (const char* at = std::getenv("ZENTAB_FAULT_AT")) {
            failAt_ = std::strtol(at, nullptr, 10);
        }
        if (const char* log = std::getenv("ZENTAB_FAULT_LOG")) {
            logPath_ = log;
        }
        if (const char* trace = std::getenv("ZENTAB_FAULT_TRACE")) {
            trace_ = std::fopen(trace, "a");
        }
        // The main program is the first object the dynamic linker lists.
        dl_iterate_phdr(
            [](dl_phdr_info* info, std::size_t, void* data) -> int {
                auto& code = *static_cast<std::vector<Range>*>(data);
                for (int i = 0; i < info->dlpi_phnum; ++i) {
                    const auto& segment = info->dlpi_phdr[i];
                    if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
                        std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
                        code.push_back(Range{begin, begin + segment.p_memsz});
                    }
                }
                return 1;
            },
            &code_);
    }

    ~Injector() {
        if (!logPath_.empty()) {
            if (std::FILE* log = std::fopen(logPath_.c_str(), "a")) {
                std::fprintf(log, "calls %ld\n", calls_);
                if (!failed_.empty()) {
                    std::fprintf(log, "failed %ld %s\n", failAt_, failed_.c_str());
                }
                std::fclose(log);
            }
        }
        if (trace_ != nullptr) {
            std::fclose(trace_);
        }
    }

    void traceForeign(const void* caller, const char* function) {
        if (trace_ == nullptr) {
            return;
        }
        Dl_info info{};
        const char* from = dladdr(caller, &info) != 0 && info.dli_fname != nullptr
                               ? info.dli_fname
                               : "an unknown object";
        std::lock_guard lock(mutex_);
        std::fprintf(trace_, "- %s from %s\n", function, from);
        std::fflush(trace_);
    }

    std::mutex mutex_;
    std::vector<Range> code_;
    long failAt_ = 0;
    long calls_ = 0;
    std::string logPath_;
    std::FILE* trace_ = nullptr;
    std::string failed_;
    std::string message_;
    void* pending_ = nullptr;
    bool consumed_ = false;
    std::unordered_map<void*, std::string> uses_;
};

// The driver manager's own entry point of that name.
void* next(const char* name) {
    void* function = dlsym(RTLD_NEXT, name);
    if (function == nullptr) {
        std::fprintf(stderr, "odbc fault injection: no %s after this library\n", name);
        std::abort();
    }
    return function;
}

#define FORWARD(name, ...)                                                                         \
    do {                                                                                           \
        static auto* const real = reinterpret_cast<decltype(&name)>(next(#name));                  \
        return real(__VA_ARGS__);                                                                  \
    } while (false)

// A catalog or statement argument as text, for naming what a statement is used for.
std::string argument(const SQLCHAR* text, SQLINTEGER length) {
    if (text == nullptr) {
        return "null";
    }
    const char* chars = reinterpret_cast<const char*>(text);
    std::string value =
        length < 0 ? std::string(chars) : std::string(chars, static_cast<std::size_t>(length));
    constexpr std::size_t kShown = 60;
    if (value.size() > kShown) {
        value = value.substr(0, kShown) + "...";
    }
    return "'" + value + "'";
}

Injector& injector() {
    return Injector::instance();
}

// Made before the program's static objects, so that it is destroyed, and the log written, after
// the last of their calls.
__attribute__((constructor)) void startInjector() {
    Injector::instance();
}

// The address the current entry point returns to, taken in the entry point itself.
#define CALLER __builtin_return_address(0)

} // namespace

extern "C" {

// Environment and connection

SQLRETURN SQL_API SQLAllocEnv(SQLHENV* EnvironmentHandle) {
    if (injector().enter(CALLER, "SQLAllocEnv", nullptr)) {
        *EnvironmentHandle = SQL_NULL_HENV;
        return SQL_ERROR;
    }
    static auto* const real = reinterpret_cast<decltype(&SQLAllocEnv)>(next("SQLAllocEnv"));
    SQLRETURN rc = real(EnvironmentHandle);
    injector().allocated(*EnvironmentHandle);
    return rc;
}

SQLRETURN SQL_API SQLAllocConnect(SQLHENV EnvironmentHandle, SQLHDBC* ConnectionHandle) {
    if (injector().enter(CALLER, "SQLAllocConnect", EnvironmentHandle)) {
        *ConnectionHandle = SQL_NULL_HDBC;
        return SQL_ERROR;
    }
    static auto* const real = reinterpret_cast<decltype(&SQLAllocConnect)>(next("SQLAllocConnect"));
    SQLRETURN rc = real(EnvironmentHandle, ConnectionHandle);
    injector().allocated(*ConnectionHandle);
    return rc;
}

SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option,
                                      SQLULEN Value) {
    if (injector().enter(CALLER, "SQLSetConnectOption", ConnectionHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLSetConnectOption, ConnectionHandle, Option, Value);
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                    SQLPOINTER Value, SQLINTEGER StringLength) {
    if (injector().enter(CALLER, "SQLSetConnectAttr", ConnectionHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLSetConnectAttr, ConnectionHandle, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                 SQLINTEGER StringLength) {
    if (injector().enter(CALLER, "SQLSetStmtAttr", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLSetStmtAttr, StatementHandle, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND hwnd, SQLCHAR* szConnStrIn,
                                   SQLSMALLINT cbConnStrIn, SQLCHAR* szConnStrOut,
                                   SQLSMALLINT cbConnStrOutMax, SQLSMALLINT* pcbConnStrOut,
                                   SQLUSMALLINT fDriverCompletion) {
    if (injector().enter(CALLER, "SQLDriverConnect", hdbc)) {
        if (pcbConnStrOut != nullptr) {
            *pcbConnStrOut = 0;
        }
        return SQL_ERROR;
    }
    FORWARD(SQLDriverConnect, hdbc, hwnd, szConnStrIn, cbConnStrIn, szConnStrOut, cbConnStrOutMax,
            pcbConnStrOut, fDriverCompletion);
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType, SQLPOINTER InfoValue,
                             SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
    if (injector().enter(CALLER, "SQLGetInfo", ConnectionHandle,
                         "(" + std::to_string(InfoType) + ")")) {
        return SQL_ERROR;
    }
    FORWARD(SQLGetInfo, ConnectionHandle, InfoType, InfoValue, BufferLength, StringLength);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
    if (injector().enter(CALLER, "SQLDisconnect", ConnectionHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLDisconnect, ConnectionHandle);
}

SQLRETURN SQL_API SQLFreeConnect(SQLHDBC ConnectionHandle) {
    if (injector().enter(CALLER, "SQLFreeConnect", ConnectionHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLFreeConnect, ConnectionHandle);
}

SQLRETURN SQL_API SQLFreeEnv(SQLHENV EnvironmentHandle) {
    if (injector().enter(CALLER, "SQLFreeEnv", EnvironmentHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLFreeEnv, EnvironmentHandle);
}

// Statements

SQLRETURN SQL_API SQLAllocStmt(SQLHDBC ConnectionHandle, SQLHSTMT* StatementHandle) {
    if (injector().enter(CALLER, "SQLAllocStmt", ConnectionHandle)) {
        *StatementHandle = SQL_NULL_HSTMT;
        return SQL_ERROR;
    }
    static auto* const real = reinterpret_cast<decltype(&SQLAllocStmt)>(next("SQLAllocStmt"));
    SQLRETURN rc = real(ConnectionHandle, StatementHandle);
    injector().allocated(*StatementHandle);
    return rc;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
    const char* option = Option == SQL_DROP    ? "(SQL_DROP)"
                         : Option == SQL_CLOSE ? "(SQL_CLOSE)"
                                               : "";
    if (injector().enter(CALLER, "SQLFreeStmt", StatementHandle, option)) {
        return SQL_ERROR;
    }
    FORWARD(SQLFreeStmt, StatementHandle, Option);
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText,
                                SQLINTEGER TextLength) {
    if (injector().enter(CALLER, "SQLExecDirect", StatementHandle,
                         "(" + argument(StatementText, TextLength) + ")", true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLExecDirect, StatementHandle, StatementText, TextLength);
}

SQLRETURN SQL_API SQLTables(SQLHSTMT StatementHandle, SQLCHAR* CatalogName, SQLSMALLINT NameLength1,
                            SQLCHAR* SchemaName, SQLSMALLINT NameLength2, SQLCHAR* TableName,
                            SQLSMALLINT NameLength3, SQLCHAR* TableType, SQLSMALLINT NameLength4) {
    if (injector().enter(CALLER, "SQLTables", StatementHandle,
                         "(" + argument(CatalogName, NameLength1) + ", " +
                             argument(SchemaName, NameLength2) + ", " +
                             argument(TableName, NameLength3) + ", " +
                             argument(TableType, NameLength4) + ")",
                         true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLTables, StatementHandle, CatalogName, NameLength1, SchemaName, NameLength2,
            TableName, NameLength3, TableType, NameLength4);
}

SQLRETURN SQL_API SQLProcedures(SQLHSTMT hstmt, SQLCHAR* szCatalogName, SQLSMALLINT cbCatalogName,
                                SQLCHAR* szSchemaName, SQLSMALLINT cbSchemaName,
                                SQLCHAR* szProcName, SQLSMALLINT cbProcName) {
    if (injector().enter(CALLER, "SQLProcedures", hstmt,
                         "(" + argument(szCatalogName, cbCatalogName) + ", " +
                             argument(szSchemaName, cbSchemaName) + ", " +
                             argument(szProcName, cbProcName) + ")",
                         true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLProcedures, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
            szProcName, cbProcName);
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                             SQLSMALLINT NameLength1, SQLCHAR* SchemaName, SQLSMALLINT NameLength2,
                             SQLCHAR* TableName, SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                             SQLSMALLINT NameLength4) {
    if (injector().enter(CALLER, "SQLColumns", StatementHandle,
                         "(" + argument(SchemaName, NameLength2) + ", " +
                             argument(TableName, NameLength3) + ")",
                         true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLColumns, StatementHandle, CatalogName, NameLength1, SchemaName, NameLength2,
            TableName, NameLength3, ColumnName, NameLength4);
}

SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                      SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                      SQLSMALLINT cbSchemaName, SQLCHAR* szProcName,
                                      SQLSMALLINT cbProcName, SQLCHAR* szColumnName,
                                      SQLSMALLINT cbColumnName) {
    if (injector().enter(CALLER, "SQLProcedureColumns", hstmt,
                         "(" + argument(szSchemaName, cbSchemaName) + ", " +
                             argument(szProcName, cbProcName) + ")",
                         true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLProcedureColumns, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
            szProcName, cbProcName, szColumnName, cbColumnName);
}

SQLRETURN SQL_API SQLStatistics(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                SQLUSMALLINT Reserved) {
    if (injector().enter(CALLER, "SQLStatistics", StatementHandle,
                         "(" + argument(SchemaName, NameLength2) + ", " +
                             argument(TableName, NameLength3) + ")",
                         true)) {
        return SQL_ERROR;
    }
    FORWARD(SQLStatistics, StatementHandle, CatalogName, NameLength1, SchemaName, NameLength2,
            TableName, NameLength3, Unique, Reserved);
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                             SQLSMALLINT TargetType, SQLPOINTER TargetValue, SQLLEN BufferLength,
                             SQLLEN* StrLen_or_Ind) {
    if (injector().enter(CALLER, "SQLBindCol", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLBindCol, StatementHandle, ColumnNumber, TargetType, TargetValue, BufferLength,
            StrLen_or_Ind);
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT StatementHandle, SQLSMALLINT* ColumnCount) {
    if (injector().enter(CALLER, "SQLNumResultCols", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLNumResultCols, StatementHandle, ColumnCount);
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                 SQLCHAR* ColumnName, SQLSMALLINT BufferLength,
                                 SQLSMALLINT* NameLength, SQLSMALLINT* DataType,
                                 SQLULEN* ColumnSize, SQLSMALLINT* DecimalDigits,
                                 SQLSMALLINT* Nullable) {
    if (injector().enter(CALLER, "SQLDescribeCol", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLDescribeCol, StatementHandle, ColumnNumber, ColumnName, BufferLength, NameLength,
            DataType, ColumnSize, DecimalDigits, Nullable);
}

// Every fetch can be chosen, the one that would have said SQL_NO_DATA included: a connection
// lost at the end of the rows must not pass for their end either.
SQLRETURN SQL_API SQLFetch(SQLHSTMT StatementHandle) {
    if (injector().enter(CALLER, "SQLFetch", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLFetch, StatementHandle);
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                             SQLSMALLINT TargetType, SQLPOINTER TargetValue, SQLLEN BufferLength,
                             SQLLEN* StrLen_or_Ind) {
    if (injector().enter(CALLER, "SQLGetData", StatementHandle)) {
        return SQL_ERROR;
    }
    FORWARD(SQLGetData, StatementHandle, ColumnNumber, TargetType, TargetValue, BufferLength,
            StrLen_or_Ind);
}

// Diagnostics: counted (a failing SQLError is a failure without text), but they leave the
// pending record alone.

SQLRETURN SQL_API SQLError(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                           SQLHSTMT StatementHandle, SQLCHAR* Sqlstate, SQLINTEGER* NativeError,
                           SQLCHAR* MessageText, SQLSMALLINT BufferLength,
                           SQLSMALLINT* TextLength) {
    // ODBC 2 asks the most specific handle given.
    void* handle = StatementHandle != SQL_NULL_HSTMT   ? StatementHandle
                   : ConnectionHandle != SQL_NULL_HDBC ? ConnectionHandle
                                                       : EnvironmentHandle;
    const void* caller = CALLER;
    if (injector().enter(caller, "SQLError", handle, {}, false, false)) {
        return SQL_ERROR;
    }
    SQLRETURN rc = SQL_SUCCESS;
    // SQLError hands each record out once.
    if (injector().fromProgram(caller) &&
        injector().diagnostic(handle, true, true, Sqlstate, NativeError, MessageText, BufferLength,
                              TextLength, rc)) {
        return rc;
    }
    FORWARD(SQLError, EnvironmentHandle, ConnectionHandle, StatementHandle, Sqlstate, NativeError,
            MessageText, BufferLength, TextLength);
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                SQLCHAR* Sqlstate, SQLINTEGER* NativeError, SQLCHAR* MessageText,
                                SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
    const void* caller = CALLER;
    if (injector().enter(caller, "SQLGetDiagRec", Handle, {}, false, false)) {
        return SQL_ERROR;
    }
    SQLRETURN rc = SQL_SUCCESS;
    if (injector().fromProgram(caller) &&
        injector().diagnostic(Handle, RecNumber == 1, false, Sqlstate, NativeError, MessageText,
                              BufferLength, TextLength, rc)) {
        return rc;
    }
    FORWARD(SQLGetDiagRec, HandleType, Handle, RecNumber, Sqlstate, NativeError, MessageText,
            BufferLength, TextLength);
}

} // extern "C"

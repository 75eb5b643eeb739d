#include "db/odbc_handles.h"

#include <sql.h>
#include <sqlext.h>

#include <utility>

#include "db/diagnostics.h"

namespace zentab {

// Environment

OdbcEnvironment::~OdbcEnvironment() {
    reset();
}

OdbcEnvironment::OdbcEnvironment(OdbcEnvironment&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

OdbcEnvironment& OdbcEnvironment::operator=(OdbcEnvironment&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool OdbcEnvironment::allocate() {
    reset();
    // SQLAllocEnv rather than SQLAllocHandle + SQL_ATTR_ODBC_VERSION 3: the driver manager then
    // keeps the drivers on ODBC 2 type codes (SQL_DATE 9, SQL_TIME 10, SQL_TIMESTAMP 11), which is
    // what the type table of the column comparison is written for.
    SQLHENV env = SQL_NULL_HENV;
    if (!odbcSucceeded(SQLAllocEnv(&env))) {
        return false;
    }
    handle_ = env;
    return true;
}

void OdbcEnvironment::reset() {
    if (handle_ != nullptr) {
        SQLFreeEnv(static_cast<SQLHENV>(handle_));
        handle_ = nullptr;
    }
}

// Connection

OdbcConnection::~OdbcConnection() {
    reset();
}

OdbcConnection::OdbcConnection(OdbcConnection&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      connected_(std::exchange(other.connected_, false)),
      queryTimeout_(std::exchange(other.queryTimeout_, 0)) {}

OdbcConnection& OdbcConnection::operator=(OdbcConnection&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
        connected_ = std::exchange(other.connected_, false);
        queryTimeout_ = std::exchange(other.queryTimeout_, 0);
    }
    return *this;
}

bool OdbcConnection::allocate(const OdbcEnvironment& environment) {
    reset();
    if (environment.get() == nullptr) {
        return false;
    }
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!odbcSucceeded(SQLAllocConnect(static_cast<SQLHENV>(environment.get()), &dbc))) {
        return false;
    }
    handle_ = dbc;
    return true;
}

void OdbcConnection::reset() {
    if (handle_ != nullptr) {
        // A connected handle cannot be freed; disconnecting also frees its statements.
        if (connected_) {
            SQLDisconnect(static_cast<SQLHDBC>(handle_));
        }
        SQLFreeConnect(static_cast<SQLHDBC>(handle_));
        handle_ = nullptr;
    }
    connected_ = false;
}

// Statement

OdbcStatement::~OdbcStatement() {
    reset();
}

OdbcStatement::OdbcStatement(OdbcStatement&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      resultColumns_(std::exchange(other.resultColumns_, -1)) {}

OdbcStatement& OdbcStatement::operator=(OdbcStatement&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
        resultColumns_ = std::exchange(other.resultColumns_, -1);
    }
    return *this;
}

bool OdbcStatement::allocate(const OdbcConnection& connection) {
    reset();
    if (connection.get() == nullptr) {
        return false;
    }
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!odbcSucceeded(SQLAllocStmt(static_cast<SQLHDBC>(connection.get()), &stmt))) {
        return false;
    }
    handle_ = stmt;
    if (connection.queryTimeout() > 0) {
        // A driver that cannot cancel keeps waiting; the interrupt of the front end remains.
        SQLSetStmtAttr(
            stmt, SQL_ATTR_QUERY_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection.queryTimeout())), 0);
    }
    return true;
}

void OdbcStatement::close() {
    resultColumns_ = -1;
    if (handle_ != nullptr) {
        SQLFreeStmt(static_cast<SQLHSTMT>(handle_), SQL_CLOSE);
    }
}

void OdbcStatement::reset() {
    resultColumns_ = -1;
    if (handle_ != nullptr) {
        SQLFreeStmt(static_cast<SQLHSTMT>(handle_), SQL_DROP);
        handle_ = nullptr;
    }
}

} // namespace zentab

#pragma once
// Move-only owners of the ODBC environment, connection and statement handles. The driver
// manager's headers stay out of here; handles travel as void*. Used by one thread at a time.
// A statement must be freed before its connection, and a connection before its environment.

namespace zentab {

using OdbcHandle = void*;

class OdbcEnvironment {
public:
    OdbcEnvironment() = default;
    ~OdbcEnvironment();
    OdbcEnvironment(OdbcEnvironment&& other) noexcept;
    OdbcEnvironment& operator=(OdbcEnvironment&& other) noexcept;
    OdbcEnvironment(const OdbcEnvironment&) = delete;
    OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;

    // SQLAllocEnv: ODBC 2 behaviour, so date, time and timestamp come as 9, 10 and 11.
    bool allocate();
    OdbcHandle get() const { return handle_; }
    void reset();

private:
    OdbcHandle handle_ = nullptr;
};

class OdbcConnection {
public:
    OdbcConnection() = default;
    ~OdbcConnection();
    OdbcConnection(OdbcConnection&& other) noexcept;
    OdbcConnection& operator=(OdbcConnection&& other) noexcept;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    bool allocate(const OdbcEnvironment& environment);
    void markConnected() { connected_ = true; }
    // Seconds a statement of this connection may run before the driver cancels it; 0 waits for
    // ever. Applied to every statement allocated afterwards.
    void setQueryTimeout(int seconds) { queryTimeout_ = seconds; }
    int queryTimeout() const { return queryTimeout_; }
    OdbcHandle get() const { return handle_; }
    // Disconnects when connected, then frees the handle.
    void reset();

private:
    OdbcHandle handle_ = nullptr;
    bool connected_ = false;
    int queryTimeout_ = 0;
};

class OdbcStatement {
public:
    OdbcStatement() = default;
    ~OdbcStatement();
    OdbcStatement(OdbcStatement&& other) noexcept;
    OdbcStatement& operator=(OdbcStatement&& other) noexcept;
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    bool allocate(const OdbcConnection& connection);
    OdbcHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // SQLFreeStmt with SQL_CLOSE: the handle stays allocated for reuse.
    void close();
    // SQLFreeStmt with SQL_DROP.
    void reset();

    // The column count of the open result set, kept by the first fetch so that later rows do
    // not ask the driver again; -1 until then and after the result set is closed.
    int resultColumns() const { return resultColumns_; }
    void rememberResultColumns(int count) { resultColumns_ = count; }

private:
    OdbcHandle handle_ = nullptr;
    int resultColumns_ = -1;
};

} // namespace zentab

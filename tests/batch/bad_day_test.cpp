// zentab-batch on a bad day: files it must not write over, runs that meet trouble, a full disk,
// interrupts, a statement that hangs and a connection lost in the middle of the rows.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/odbc_fixture.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

extern char** environ;

namespace zentab::test {
namespace {

using Clock = std::chrono::steady_clock;

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

std::vector<std::string> with(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// zentab-batch as a child process, its output in files, so that a test can signal it while it
// runs. Test thread only.
class Batch {
public:
    Batch(const TempDir& dir, const std::vector<std::string>& arguments)
        : out_(dir.file("out")), err_(dir.file("err")) {
        std::vector<std::string> argv{ZENTAB_BATCH_EXE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> pointers;
        for (std::string& argument : argv) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        started_ = Clock::now();
        EXPECT_EQ(posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Batch() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    void signal(int number) { kill(pid_, number); }

    // Waits (bounded) until standard error holds `text`.
    bool waitForMessage(const std::string& text, std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        while (error().find(text) == std::string::npos) {
            if (Clock::now() > deadline || exited()) {
                return error().find(text) != std::string::npos;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // The exit status, or -1 when the program did not end within `limit` or died by a signal.
    int wait(std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto deadline = Clock::now() + limit;
        while (!exited()) {
            if (Clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    std::chrono::milliseconds ranFor() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(ended_ - started_);
    }

    std::string output() const { return readFile(out_); }
    std::string error() const { return readFile(err_); }

private:
    bool exited() {
        if (status_ >= 0) {
            return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            ended_ = Clock::now();
            return true;
        }
        return false;
    }

    std::string out_;
    std::string err_;
    pid_t pid_ = -1;
    int status_ = -1;
    Clock::time_point started_;
    Clock::time_point ended_;
};

class BadDay : public ::testing::Test {
protected:
    // Two SQLite databases with one table each, the second with a changed row.
    void twoDatabases() {
        db1 = dir.file("one.db");
        db2 = dir.file("two.db");
        executeSql(sqliteConnectString(db1),
                   {"CREATE TABLE t (id INTEGER, v VARCHAR(9))", "INSERT INTO t VALUES (1, 'a')"});
        executeSql(sqliteConnectString(db2),
                   {"CREATE TABLE t (id INTEGER, v VARCHAR(9))", "INSERT INTO t VALUES (1, 'b')"});
    }
    std::vector<std::string> sides() const {
        return {"--db1", sqliteConnectString(db1), "--db2", sqliteConnectString(db2)};
    }

    TempDir dir;
    std::string db1;
    std::string db2;
};

TEST_F(BadDay, NoFileTheRunReadsIsWrittenOver) {
    twoDatabases();
    const std::string snapshot = dir.file("s.zsn");
    writeEmptySnapshot(snapshot);
    const std::string link = dir.file("hard-link-to-two.db");
    std::filesystem::create_hard_link(db2, link);
    const std::string symlink = dir.file("symlink-to-s.zsn");
    std::filesystem::create_symlink(snapshot, symlink);
    const std::vector<std::string> withSnapshot = {"--snapshot1", snapshot, "--db2",
                                                   sqliteConnectString(db2)};
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
    } cases[] = {
        {"report over Database 1", with(sides(), {"--report", db1})},
        {"report over a hard link of Database 2", with(sides(), {"--report", link})},
        {"report over a symbolic link of the snapshot", with(withSnapshot, {"--report", symlink})},
        {"output file over Database 2",
         with(sides(), {"--set", "b_OnlyToFile=1", "--set", "s_AutoSaveFile=" + db2})},
        {"autosave file over the snapshot",
         with(withSnapshot, {"--set", "b_AutoSave=1", "--set", "s_AutoSaveFile=" + snapshot})},
    };
    const std::string before1 = readFile(db1);
    const std::string before2 = readFile(db2);
    const std::string beforeSnapshot = readFile(snapshot);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Batch batch(dir, c.arguments);
        EXPECT_EQ(batch.wait(), 2);
        EXPECT_NE(batch.error().find("Zentab never writes over a file that it reads"),
                  std::string::npos)
            << batch.error();
        EXPECT_EQ(batch.output(), "");
        EXPECT_EQ(readFile(db1), before1);
        EXPECT_EQ(readFile(db2), before2);
        EXPECT_EQ(readFile(snapshot), beforeSnapshot);
    }
}

TEST_F(BadDay, AReportFileIsCreatedOnlyWhenTheRunStarts) {
    twoDatabases();
    const std::string report = dir.file("report.txt");
    writeFile(report, "an earlier report");
    Batch batch(dir, {"--db1", sqliteConnectString(db1), "--snapshot2", dir.file("missing.zsn"),
                      "--report", report});
    EXPECT_EQ(batch.wait(), 2);
    EXPECT_EQ(readFile(report), "an earlier report");
}

// A run that finished but could not compare everything must not tell a script "equal".
TEST_F(BadDay, AFinishedRunThatMetTroubleExitsTwo) {
    const std::string longName(300, 'n');
    struct Case {
        const char* what;
        std::vector<std::string> schema;
        std::vector<std::string> options;
        std::string inReport;
    } cases[] = {
        {"every table's statement fails",
         {"CREATE TABLE t (id INTEGER)", "CREATE TABLE u (id INTEGER)"},
         {"--where", "t=nosuchcolumn = 1", "--where", "u=nosuchcolumn = 1"},
         "The following error was received while processing table "},
        {"no column left to select",
         {"CREATE TABLE t (id INTEGER)"},
         {"--add", "Ignore Columns=%"},
         "WARNING:  There are no columns to select from table "},
        {"a table name cut by the list buffer",
         {"CREATE TABLE " + longName + " (id INTEGER)"},
         {"--set", "b_DoTabData=0"},
         "bytes and was cut"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string one = dir.file("one" + std::to_string(n) + ".db");
        const std::string two = dir.file("two" + std::to_string(n++) + ".db");
        executeSql(sqliteConnectString(one), c.schema);
        executeSql(sqliteConnectString(two), c.schema);
        Batch batch(dir,
                    with({"--db1", sqliteConnectString(one), "--db2", sqliteConnectString(two)},
                         c.options));
        EXPECT_EQ(batch.wait(), 2) << batch.output() << batch.error();
        EXPECT_NE(batch.output().find(c.inReport), std::string::npos) << batch.output();
        EXPECT_NE(batch.output().find("--- End of Zentab ---"), std::string::npos);
    }
}

TEST_F(BadDay, AFullDiskFailsOnceWithStatusFour) {
    twoDatabases();
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string once; // said exactly once, on standard error or in the report
        bool inReport;
    } cases[] = {
        {"report only to a file",
         {"--set", "b_OnlyToFile=1", "--set", "s_AutoSaveFile=/dev/full"},
         "Could not save line to file. Output will continue on the screen.",
         false},
        {"autosave",
         {"--set", "b_AutoSave=1", "--set", "i_AutoSaveLines=1", "--set",
          "s_AutoSaveFile=/dev/full"},
         "Could not auto save to file (write): /dev/full: Disk is full.",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Batch batch(dir, with(sides(), c.options));
        EXPECT_EQ(batch.wait(), 4) << batch.error();
        EXPECT_EQ(occurrences(c.inReport ? batch.output() : batch.error(), c.once), 1u)
            << batch.output() << batch.error();
        // Whatever could not go to the file is still on the screen.
        EXPECT_NE(batch.output().find("--- End of Zentab ---"), std::string::npos);
    }
}

// A server that accepts connections and never answers: connecting to it hangs.
class SilentServer {
public:
    SilentServer() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd_, 4), 0);
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { close(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST_F(BadDay, AnInterruptWhileConnectingEndsAtOnceAndLeavesTheReportAlone) {
    SilentServer server;
    const std::string report = dir.file("report.txt");
    writeFile(report, "an earlier report");
    Batch batch(dir, {"--db1",
                      "Driver={PostgreSQL ANSI};Server=127.0.0.1;Port=" +
                          std::to_string(server.port()) + ";Database=x;Uid=x;Pwd=x;",
                      "--snapshot2", dir.file("missing.zsn"), "--report", report});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    batch.signal(SIGINT);
    EXPECT_EQ(batch.wait(std::chrono::seconds(10)), 3);
    EXPECT_EQ(readFile(report), "an earlier report");
}

// Two schemas of the test server for the two sides.
class PostgresBadDay : public PostgresSchemaTest {
protected:
    void SetUp() override {
        PostgresSchemaTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // The same length as the first: the server cuts names at 63 bytes.
        schema2 = "z2_" + schema().substr(3);
        execute({"DROP SCHEMA IF EXISTS " + schema2 + " CASCADE", "CREATE SCHEMA " + schema2});
    }
    void TearDown() override {
        if (!schema2.empty()) {
            // A statement left sleeping by an abandoned run would hold the schema.
            execute({"SELECT pg_cancel_backend(pid) FROM pg_stat_activity WHERE pid <> "
                     "pg_backend_pid() AND query LIKE '%" +
                         schema() + "%'",
                     "DROP SCHEMA IF EXISTS " + schema2 + " CASCADE"});
        }
        PostgresSchemaTest::TearDown();
    }
    std::vector<std::string> sides(const std::vector<std::string>& more) const {
        const std::string streaming = postgresStreamingConnectString(connectString());
        std::vector<std::string> arguments{
            "--db1",   streaming,  "--owner1", schema(),   "--db2",
            streaming, "--owner2", schema2,    "--report", dir.file("report.txt")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }
    std::string report() const { return readFile(dir.file("report.txt")); }

    TempDir dir;
    std::string schema2;
};

TEST_F(PostgresBadDay, AStopThatHangsEndsOnASecondInterruptOrATerminate) {
    for (const std::string& s : {schema(), schema2}) {
        execute({"CREATE VIEW " + s + ".slow AS SELECT 1 AS pause FROM pg_sleep(30)"});
    }
    const std::vector<std::string> viewDataOnly = {
        "--set", "b_DoTabStruct=0",  "--set", "b_DoTabData=0",   "--set", "b_DoIndex=0",
        "--set", "b_DoViewStruct=0", "--set", "b_DoProcStruct=0"};
    struct Case {
        const char* what;
        std::vector<int> signals;
    } cases[] = {
        {"Ctrl+C twice", {SIGINT, SIGINT}},
        {"SIGTERM", {SIGTERM}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Batch batch(dir, sides(viewDataOnly));
        ASSERT_TRUE(
            batch.waitForMessage("[Comparing Views Data - Zentab]", std::chrono::seconds(30)))
            << batch.error();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto signalled = Clock::now();
        for (int number : c.signals) {
            batch.signal(number);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(batch.wait(std::chrono::seconds(20)), 3) << batch.error();
        EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(15));
        // What was written before the hang is in the report file.
        EXPECT_EQ(report().rfind("< DATABASE 1:  ", 0), 0u) << report();
        execute({"SELECT pg_cancel_backend(pid) FROM pg_stat_activity WHERE pid <> "
                 "pg_backend_pid() AND query LIKE '%slow%'"});
    }

    // With a timeout the driver gives up on its own, and the run says so.
    Batch batch(dir, sides(with(viewDataOnly, {"--timeout", "1"})));
    EXPECT_EQ(batch.wait(std::chrono::seconds(30)), 2) << batch.error();
    EXPECT_NE(report().find("The following error was received while processing view slow"),
              std::string::npos)
        << report();
}

TEST_F(PostgresBadDay, AConnectionLostInTheMiddleOfTheRowsIsAnError) {
    // Database 2's server process ends itself at the 500th row, after the driver has taken the
    // first rows through its cursor.
    const std::string rows = " FROM generate_series(1, 2000) AS g(id)";
    execute({"CREATE VIEW " + schema() + ".numbers AS SELECT id, id * 2 AS twice" + rows,
             "CREATE VIEW " + schema2 +
                 ".numbers AS SELECT id, CASE WHEN id = 500 THEN "
                 "pg_terminate_backend(pg_backend_pid())::int ELSE id * 2 END AS twice" +
                 rows,
             "CREATE FUNCTION " + schema() + ".f() RETURNS int LANGUAGE sql AS 'SELECT 1'",
             "CREATE FUNCTION " + schema2 + ".f() RETURNS int LANGUAGE sql AS 'SELECT 1'"});
    Batch batch(
        dir, sides({"--set", "b_DoTabStruct=0", "--set", "b_DoTabData=0", "--set", "b_DoIndex=0"}));
    EXPECT_EQ(batch.wait(), 2) << batch.error();
    const std::string text = report();
    EXPECT_NE(text.find("The following error was received while processing view numbers in "
                        "database "),
              std::string::npos)
        << text;
    // Not one of Database 1's remaining rows passes for missing from Database 2.
    EXPECT_EQ(text.find("Differences found in view"), std::string::npos) << text;
    // The dead side's procedures are not an empty list, nor missing.
    EXPECT_EQ(text.find("0 procedures were found"), std::string::npos) << text;
    EXPECT_EQ(text.find("procedures DO NOT exist"), std::string::npos) << text;
    EXPECT_NE(text.find("The following error was received while reading the list of procedures"),
              std::string::npos)
        << text;
}

} // namespace
} // namespace zentab::test

// zentab-batch with configuration files: saving one from the command line, running from it,
// the command line replacing what it says, and the files it refuses.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

using Result = BatchResult;

class ConfigBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        executeSql(sqliteConnectString(dir.file("one.db")),
                   {"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)",
                    "INSERT INTO t VALUES (1, 'a')"});
        executeSql(sqliteConnectString(dir.file("two.db")),
                   {"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)",
                    "INSERT INTO t VALUES (1, 'a')", "INSERT INTO t VALUES (2, 'b')"});
    }

    Result run(const std::string& arguments) { return runZentabBatch(dir, arguments); }

    std::string db(const char* name) { return "'" + sqliteConnectString(dir.file(name)) + "'"; }

    TempDir dir;
};

TEST_F(ConfigBatchTest, SavedConfigurationRunsTheSameComparison) {
    const std::string options = " --set b_DoIndex=0 --add 'Ignore Tables=zzz'";
    const std::string config = dir.file("nightly.zcf");
    Result saved = run("--db1 " + db("one.db") + " --db2 " + db("two.db") + options +
                       " --save-config " + config);
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    struct stat info {};
    ASSERT_EQ(::stat(config.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string text = readFile(config);
    EXPECT_NE(text.find("b_DoIndex=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Ignore Tables]\r\ntab0=zzz\r\n"), std::string::npos) << text;

    Result fromFile = run(config + " --report " + dir.file("from-file.txt"));
    Result direct = run("--db1 " + db("one.db") + " --db2 " + db("two.db") + options +
                        " --report " + dir.file("direct.txt"));
    EXPECT_EQ(fromFile.status, 1) << fromFile.err;
    EXPECT_EQ(direct.status, 1) << direct.err;
    const std::string report = readFile(dir.file("from-file.txt"));
    // The elapsed time may differ by a second; everything before it may not.
    const std::string end = "--- End of Zentab ---";
    ASSERT_NE(report.find(end), std::string::npos) << report;
    EXPECT_EQ(report.substr(0, report.find(end)),
              readFile(dir.file("direct.txt")).substr(0, report.find(end)));

    // The command line replaces what the file says: the same database on both sides.
    Result replaced = run(config + " --db2 " + db("one.db") + " --report " + dir.file("r.txt"));
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    // A setting of the command line wins over the file's.
    Result noData = run(config + " --set b_DoTabData=0 --report " + dir.file("r.txt"));
    EXPECT_EQ(noData.status, 0) << noData.err;
}

// A side named on the command line is the only one tried: the file's side is not connected, so a
// server that is gone does not stand in the way.
TEST_F(ConfigBatchTest, SideOnTheCommandLineIsNotFirstOpenedFromTheFile) {
    writeFile(dir.file("gone.zcf"),
              "[Zentab]\r\nVersion=5.0\r\n[Database 1]\r\ns_ConnectString=Driver=NoSuchDriver;\r\n"
              "[Database 2]\r\ns_ConnectString=" +
                  sqliteConnectString(dir.file("two.db")) + "\r\n");
    Result r =
        run(dir.file("gone.zcf") + " --db1 " + db("one.db") + " --report " + dir.file("r.txt"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err.find("Could not connect"), std::string::npos) << r.err;
}

// Without a run option the file decides the run; --sql1 or --snapshot-out decide it instead.
TEST_F(ConfigBatchTest, TheFileDecidesTheRunUnlessARunOptionIsGiven) {
    const std::string config = dir.file("snap.zcf");
    const std::string snapshot = dir.file("from-file.zsn");
    ASSERT_EQ(run("--db1 " + db("one.db") + " --db2 " + db("two.db") +
                  " --set b_SnapshotOnly=1 --set s_SnapshotFile=" + snapshot + " --save-config " +
                  config)
                  .status,
              0);

    Result snapshotRun = run(config);
    EXPECT_EQ(snapshotRun.status, 0) << snapshotRun.err;
    EXPECT_NE(snapshotRun.out.find("Snapshot is being written to file: " + snapshot),
              std::string::npos)
        << snapshotRun.out;
    const std::string written = readFile(snapshot);
    EXPECT_NE(written.find("1 \t a"), std::string::npos) << written;

    // The snapshot stands in for Database 1 against the database it was taken of.
    Result against = run("--snapshot1 " + snapshot + " --db2 " + db("one.db"));
    EXPECT_EQ(against.status, 0) << against.out << against.err;

    // The file of a snapshot run names no Database 2: a statement needs one.
    Result noSecond = run(config + " --sql1 'SELECT id FROM t ORDER BY id'");
    EXPECT_EQ(noSecond.status, 2) << noSecond.out;
    EXPECT_NE(noSecond.err.find("Database 2 is missing"), std::string::npos) << noSecond.err;
    Result statements =
        run(config + " --db2 " + db("two.db") + " --sql1 'SELECT id FROM t ORDER BY id'");
    EXPECT_EQ(statements.status, 1) << statements.err;
    EXPECT_NE(statements.out.find("Differences found in statements"), std::string::npos)
        << statements.out;

    const std::string elsewhere = dir.file("elsewhere.zsn");
    Result otherFile = run(config + " --snapshot-out " + elsewhere);
    EXPECT_EQ(otherFile.status, 0) << otherFile.err;
    EXPECT_EQ(readFile(elsewhere), written);
}

TEST_F(ConfigBatchTest, ConfigurationThatCannotRunIsTrouble) {
    writeFile(dir.file("binary.zcf"), std::string("\x0aZentab 5.0", 11));
    writeFile(dir.file("one-side.zcf"),
              "[Zentab]\r\nVersion=5.0\r\n[Database 1]\r\ns_ConnectString=" +
                  sqliteConnectString(dir.file("one.db")) + "\r\n");
    // An older binary file cut after its connect strings.
    writeFile(dir.file("cut.zcf"), std::string("\x0bVersion 5.0\x00\x00\x01\x00", 16));
    writeFile(dir.file("saved.zcf"), "[Zentab]\r\nVersion=5.0\r\n");
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {dir.file("missing.zcf"), "Could not open config file.\n"},
        {dir.file("binary.zcf"), "Invalid config file.\n"},
        {dir.file("one-side.zcf"),
         "Could not automatically start a comparison, please make sure 2 valid database "
         "connections are saved in the configuration file.\nSee the help topics for more "
         "information.\n"},
        {dir.file("cut.zcf"), "ends before its last setting"},
        // The file read is not written over; a new file is asked for.
        {dir.file("saved.zcf") + " --db1 " + db("one.db") + " --save-config " +
             dir.file("saved.zcf"),
         "never writes over a file that it reads"},
        {"--db1 " + db("one.db") + " --save-config " + dir.file("one.db"),
         "never writes over a file that it reads"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Result r = run(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readFile(dir.file("saved.zcf")), "[Zentab]\r\nVersion=5.0\r\n");
}

} // namespace
} // namespace zentab::test

// zentab-batch as a script sees it: exit status, report bytes, messages on standard error.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

using Result = BatchResult;

class BatchTest : public ::testing::Test {
protected:
    Result run(const std::string& arguments) { return runZentabBatch(dir, arguments); }

    std::string quoted(const std::string& text) { return "'" + text + "'"; }

    TempDir dir;
};

TEST_F(BatchTest, BadArgumentsDoNotStartARun) {
    writeEmptySnapshot(dir.file("a.zsn"));
    const std::string a = " --snapshot1 " + dir.file("a.zsn") + " --snapshot2 " + dir.file("a.zsn");
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"--snapshot1 " + dir.file("a.zsn"), "Database 2 is missing"},
        {"--db1 x --snapshot1 y --snapshot2 z", "excludes"},
        {a + " --set b_NoSuchKey=1", "b_NoSuchKey"},
        {a + " --set i_AutoSaveLines=many", "i_AutoSaveLines"},
        {a + " --add " + quoted("Ignore Things=X"), "Ignore Things"},
        {a + " --where nocondition", "--where expects NAME=CONDITION"},
        {a + " --pref specObjStringOpen", "--pref expects KEY=VALUE"},
        {a + " --pref NoSuchPreference=1", "\"NoSuchPreference\" is not a per-user preference"},
        {a + " --pref LastProp=2", "\"LastProp\" is a preference of the desktop program's window"},
        {a + " --pref ColText=red", "ColText is a colour: a whole number from 0 to 16777215"},
        {a + " --pref specObjStringClose=", "an empty specObjStringClose"},
        {a + " --pref dda=0",
         "\"dda\" is the stored default of b_DoTabData; give --set b_DoTabData=0"},
        {"--snapshot1 " + dir.file("missing.zsn") + " --snapshot2 " + dir.file("a.zsn"),
         "Could not open snapshot file: \n\n"},
        {"--db1 " + quoted("Driver=NoSuchDriver;") + " --snapshot2 " + dir.file("a.zsn"),
         "Could not connect to data source.\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Result r = run(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(BatchTest, ComparesTwoSqliteDatabasesThroughTheDriver) {
    for (const char* name : {"one.db", "two.db"}) {
        executeSql(sqliteConnectString(dir.file(name)), {"CREATE TABLE t (id INTEGER)"});
    }
    const std::string db1 = sqliteConnectString(dir.file("one.db"));
    const std::string db2 = sqliteConnectString(dir.file("two.db"));
    Result r = run("--db1 " + quoted(db1) + " --db2 " + quoted(db2) + " --report " +
                   dir.file("report.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string report = readFile(dir.file("report.txt"));
    EXPECT_EQ(report.rfind("< DATABASE 1:  ", 0), 0u) << report;
    EXPECT_NE(report.find(dir.file("one.db")), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n> DATABASE 2:  "), std::string::npos);
    EXPECT_NE(report.find("\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:"), std::string::npos);
    EXPECT_NE(r.err.find("Zentab has finished comparing the databases"), std::string::npos);
}

TEST_F(BatchTest, AnyKindOfDifferenceGivesExitStatusOne) {
    const std::vector<std::string> base = {"CREATE TABLE t (id INTEGER NOT NULL, name VARCHAR(20))",
                                           "INSERT INTO t VALUES (1, 'one')"};
    struct Case {
        const char* what;
        std::vector<std::string> extra2;
        int status;
        bool dataOnly = false;
    } cases[] = {
        {"identical", {}, 0},
        {"table on one side", {"CREATE TABLE only2 (id INTEGER)"}, 1},
        {"column differs", {"ALTER TABLE t ADD COLUMN extra INTEGER"}, 1},
        {"index differs", {"CREATE INDEX t_name ON t (name)"}, 1},
        {"row differs", {"UPDATE t SET name = 'uno'"}, 1},
        {"view on one side", {"CREATE VIEW v AS SELECT id FROM t"}, 1},
        // The rows cannot be compared: the table differs even when only data was asked for.
        {"column added, data only", {"ALTER TABLE t ADD COLUMN extra INTEGER"}, 1, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string one = dir.file("one" + std::to_string(n) + ".db");
        const std::string two = dir.file("two" + std::to_string(n) + ".db");
        ++n;
        executeSql(sqliteConnectString(one), base);
        std::vector<std::string> second = base;
        second.insert(second.end(), c.extra2.begin(), c.extra2.end());
        executeSql(sqliteConnectString(two), second);
        Result r = run("--db1 " + quoted(sqliteConnectString(one)) + " --db2 " +
                       quoted(sqliteConnectString(two)) +
                       (c.dataOnly ? " --set b_DoTabStruct=0 --set b_DoIndex=0" : ""));
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
    }
}

TEST_F(BatchTest, ReportOnlyToFileLeavesOnlyTheFileLineAndEndOnStandardOutput) {
    writeEmptySnapshot(dir.file("a.zsn"));
    writeEmptySnapshot(dir.file("b.zsn"));
    const std::string file = dir.file("full.txt");
    Result r = run("--snapshot1 " + dir.file("a.zsn") + " --snapshot2 " + dir.file("b.zsn") +
                   " --set b_OnlyToFile=1 --set s_AutoSaveFile=" + file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Output of this report is being written to file: " + file + "\r\n\r\n");
    const std::string report = readFile(file);
    EXPECT_EQ(
        report.rfind(
            "< DATABASE 1:  a.zsn\r\n> DATABASE 2:  b.zsn\r\n\r\n\r\n0 tables were found in ", 0),
        0u)
        << report;
    EXPECT_NE(report.find("\r\n\r\n--- End of Zentab --- Elapsed Time: "), std::string::npos)
        << report;
}

TEST_F(BatchTest, ReportThatCannotBeWrittenIsAFailure) {
    writeEmptySnapshot(dir.file("a.zsn"));
    Result r = run("--snapshot1 " + dir.file("a.zsn") + " --snapshot2 " + dir.file("a.zsn") +
                   " --report /dev/full");
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("the report could not be written"), std::string::npos) << r.err;
}

TEST_F(BatchTest, VersionAndHelp) {
    Result version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("zentab-batch 5.01"), std::string::npos);
    Result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--snapshot1"), std::string::npos);
    EXPECT_NE(help.out.find("--pref specObjStringOpen=[ --pref specObjStringClose=]"),
              std::string::npos);
}

} // namespace
} // namespace zentab::test

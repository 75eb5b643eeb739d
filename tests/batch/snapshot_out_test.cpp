// zentab-batch --snapshot-out: a snapshot written from the command line, then used as Database 1
// of later comparisons; and the files it refuses to write.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

using Result = BatchResult;

class SnapshotOut : public ::testing::Test {
protected:
    Result run(const std::string& arguments) { return runZentabBatch(dir, arguments); }

    static std::string quoted(const std::string& text) { return "'" + text + "'"; }

    TempDir dir;
};

TEST_F(SnapshotOut, ASnapshotStandsInForItsDatabaseInLaterComparisons) {
    const std::string db = sqliteConnectString(dir.file("shop.db"));
    executeSql(db, {"CREATE TABLE orders (id INTEGER, item TEXT)",
                    "INSERT INTO orders VALUES (1, 'pen'), (2, 'ink')",
                    "CREATE VIEW cheap AS SELECT id FROM orders WHERE id < 2"});
    const std::string snapshot = dir.file("shop.zsn");

    Result taken = run("--db1 " + quoted(db) + " --snapshot-out " + snapshot);
    ASSERT_EQ(taken.status, 0) << taken.err;
    EXPECT_EQ(taken.out, "Snapshot is being written to file: " + snapshot + "\r\n\r\n");
    EXPECT_NE(taken.err.find("Zentab has finished creating the database snapshot"),
              std::string::npos)
        << taken.err;

    const std::string compare = "--snapshot1 " + snapshot + " --db2 " + quoted(db);
    Result same = run(compare);
    EXPECT_EQ(same.status, 0) << same.out << same.err;

    executeSql(db, {"UPDATE orders SET item = 'cap' WHERE id = 2"});
    Result changed = run(compare);
    EXPECT_EQ(changed.status, 1) << changed.err;
    EXPECT_NE(changed.out.find("< DATABASE 1:  shop.zsn"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("Differences found in table orders"), std::string::npos)
        << changed.out;
    EXPECT_NE(changed.out.find("ink"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("cap"), std::string::npos) << changed.out;
}

TEST_F(SnapshotOut, NoInputIsWrittenOverAndAFileThatCannotBeMadeIsLost) {
    const std::string dbPath = dir.file("shop.db");
    const std::string db = sqliteConnectString(dbPath);
    executeSql(db, {"CREATE TABLE t (x INTEGER)"});
    writeEmptySnapshot(dir.file("old.zsn"));
    const std::string dbBytes = readFile(dbPath);
    const std::string snapshotBytes = readFile(dir.file("old.zsn"));
    const struct {
        std::string arguments;
        int status;
        std::string message;
    } cases[] = {
        {"--snapshot1 " + dir.file("old.zsn") + " --snapshot-out " + dir.file("old.zsn"), 2,
         "is the snapshot file of Database 1"},
        {"--db1 " + quoted(db) + " --snapshot-out " + dbPath, 2, "is a file that Database 1 reads"},
        {"--db1 " + quoted(db) + " --snapshot2 " + dir.file("old.zsn") + " --snapshot-out " +
             dir.file("new.zsn"),
         2, "excludes"},
        {"--db1 " + quoted(db) + " --snapshot-out " + dir.file("new.zsn") + " --report " +
             dir.file(".") + "/new.zsn",
         2, "the report and the snapshot name the same file"},
        {"--db1 " + quoted(db) + " --snapshot-out " + dir.file("missing/new.zsn"), 4,
         "Could not open file " + dir.file("missing/new.zsn") + ": \n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Result r = run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("has finished"), std::string::npos) << r.err;
    }
    EXPECT_EQ(readFile(dbPath), dbBytes);
    EXPECT_EQ(readFile(dir.file("old.zsn")), snapshotBytes);
    EXPECT_FALSE(std::ifstream(dir.file("new.zsn")).good());
}

} // namespace
} // namespace zentab::test

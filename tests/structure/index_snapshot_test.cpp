// The index section of snapshot files: written from a database (and from a snapshot), and read
// back by the index phase on either side of a comparison.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "structure/index_fixture.h"
#include "support/odbc_fixture.h"

namespace zentab::test {
namespace {

const std::string kEnd(snapshot::kEndMarker);
const std::string kOrders = "CREATE TABLE orders (a INTEGER, b INTEGER, c TEXT)";

std::vector<std::string> records(const std::string& path) {
    std::string error;
    auto file = SnapshotFile::openForReading(path, error);
    EXPECT_TRUE(file) << error;
    std::vector<std::string> all;
    std::string record;
    while (file && file->GetRecord(record)) {
        all.push_back(record);
    }
    return all;
}

// The sections of a snapshot whose only phase is the index phase, around `index`.
std::vector<SnapshotSection> indexOnly(const std::vector<std::string>& tables,
                                       const std::vector<std::string>& index, bool indexOpen) {
    return {
        {snapshot::kTables, tables}, {snapshot::kColumns, {}}, {snapshot::kIndex, index, indexOpen},
        {snapshot::kData, {}},       {snapshot::kViews, {}},   {snapshot::kViewColumns, {}},
        {snapshot::kViewData, {}},   {snapshot::kProcs, {}},   {snapshot::kProcColumns, {}}};
}

class IndexSnapshot : public IndexRun {
protected:
    // A snapshot run of `source` as Database 1 under the fixture's options (the index phase
    // alone).
    void takeSnapshot(std::unique_ptr<DatabaseSource> source, const std::string& path) {
        useSide(1, std::move(source));
        CompareSettings& s = session.settings;
        s.b_SnapshotOnly = true;
        s.s_SnapshotFile = path;
        session.clearCommonLists();
        ASSERT_TRUE(driver->startRun());
        waitForEnd();
        ASSERT_EQ(session.lastOutcome, RunOutcome::Finished);
        s.b_SnapshotOnly = false;
    }
};

TEST_F(IndexSnapshot, IndexBlocksAreWrittenFromADatabaseAndFromASnapshot) {
    // SQLite lists a table's indexes newest first.
    auto database =
        sqlite("one.db",
               {kOrders, "CREATE TABLE plain (x INTEGER)", "CREATE UNIQUE INDEX ux_c ON orders (c)",
                "CREATE INDEX ix_ab ON orders (a, b)"},
               "alpha");
    const std::vector<std::string> expected{
        "Version 5.0", "<<<START TABLES", "orders", "plain", kEnd, "<<<START COLUMNS", kEnd,
        // Two indexes, the first on two columns, each closed, then the table closed; a table
        // without indexes is its name and one marker.
        "<<<START INDEX", "orders", "ix_ab", "NOT UNIQUE ", "a", "b", kEnd, "ux_c", "    UNIQUE ",
        "c", kEnd, kEnd, "plain", kEnd,
        //
        "<<<START DATA", kEnd, "<<<START VIEWS", kEnd, "<<<START VIEW COLUMNS", kEnd,
        "<<<START VIEW DATA", kEnd, "<<<START PROCS", kEnd, "<<<START PROC COLUMNS", kEnd};

    takeSnapshot(std::move(database), dir.file("first.zsn"));
    EXPECT_EQ(records(dir.file("first.zsn")), expected);
    EXPECT_EQ(session.report.text(),
              "Snapshot is being written to file: " + dir.file("first.zsn") + "\r\n\r\n")
        << "a snapshot run writes no index text";

    // A snapshot of that snapshot copies its blocks.
    takeSnapshot(snapshotSide(dir.file("first.zsn")), dir.file("second.zsn"));
    EXPECT_EQ(records(dir.file("second.zsn")), expected);
}

TEST_F(IndexSnapshot, ASnapshotComparesLikeTheDatabaseItWasTakenFrom) {
    takeSnapshot(
        sqlite("one.db",
               {kOrders, "CREATE TABLE plain (x INTEGER)", "CREATE UNIQUE INDEX ux_c ON orders (c)",
                "CREATE INDEX ix_ab ON orders (a, b)"},
               "alpha"),
        dir.file("one.zsn"));
    auto snapshot = snapshotSide(dir.file("one.zsn"));
    snapshot->displayName = "alpha";
    useSide(1, std::move(snapshot));
    useSide(2, sqlite("two.db",
                      {kOrders, "CREATE TABLE plain (x INTEGER)",
                       "CREATE UNIQUE INDEX ux_c ON orders (c)",
                       "CREATE INDEX ix_ab ON orders (b, a)", "CREATE INDEX px ON plain (x)"},
                      "beta"));
    run();
    EXPECT_EQ(
        section(),
        indexHeader(8) +
            indexLines(8, {{"orders", "ix_ab", kNotUnique, kNotUnique, {{"a", "b"}, {"b", "a"}}}}) +
            indexLines(8, {{"plain", "px", kNotFound, kNotUnique, {}}}));
}

TEST_F(IndexSnapshot, ReadingCases) {
    const std::vector<std::string> ordersBlock{
        "orders", "ix", "NOT UNIQUE ", "a", "b", kEnd, "IXU", "    UNIQUE ", "c", kEnd, kEnd};
    struct Case {
        const char* what;
        std::vector<std::string> index; // the index section's records
        bool indexOpen;                 // false: the section ends in a marker (phase off)
        bool snapshotIsDatabase2;
        bool ignoreTableCase;
        std::string expected;
    } cases[] = {
        {"a snapshot taken without indexes: every live index is one-sided",
         {},
         false,
         false,
         true,
         indexHeader(8) + indexLines(8, {{"orders", "ix", kNotFound, kNotUnique, {}},
                                         {"", "ixu", kNotFound, kUnique, {}}})},
        {"the block of a table that is not compared is passed over, indexes and all",
         [&] {
             std::vector<std::string> records{"gone", "g1", "    UNIQUE ", "x",  "y", kEnd,
                                              "g2",   "",   "z",           kEnd, kEnd};
             records.insert(records.end(), ordersBlock.begin(), ordersBlock.end());
             return records;
         }(),
         true, false, true,
         indexHeader(8) +
             indexLines(8, {{"orders", "ix", kNotUnique, kNotUnique, {{"a", "b"}, {"b", "a"}}}})},
        {"the snapshot as Database 2", ordersBlock, true, true, true,
         indexHeader(8) +
             indexLines(8, {{"orders", "ix", kNotUnique, kNotUnique, {{"b", "a"}, {"a", "b"}}}})},
        {"table names of blocks match without case when table case is ignored",
         {"ORDERS", "ix", "NOT UNIQUE ", "b", "a", kEnd, kEnd},
         true,
         false,
         true,
         indexHeader(8) + indexLines(8, {{"orders", "ixu", kNotFound, kUnique, {}}})},
        {"and exactly when it is not: the search for orders then runs off the end of the file",
         {"ORDERS", "ix", "NOT UNIQUE ", "b", "a", kEnd, kEnd},
         true,
         false,
         false,
         indexHeader(8) +
             indexLines(8, {{"orders", "ix", kNotFound, kNotUnique, {}},
                            {"", "ixu", kNotFound, kUnique, {}}}) +
             "\r\n\r\nWARNING:  The snapshot file alpha ended before everything this comparison "
             "reads from it was found: it may be damaged, or lack what was left out when it was "
             "taken. What is reported for that database may be incomplete.\r\n\r\n"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++number;
        const std::string file = dir.file("case" + std::to_string(number) + ".zsn");
        writeSnapshot(file, indexOnly({"orders"}, c.index, c.indexOpen));
        auto snapshot = snapshotSide(file);
        auto live = sqlite(
            "live" + std::to_string(number) + ".db",
            {kOrders, "CREATE UNIQUE INDEX ixu ON orders (c)", "CREATE INDEX ix ON orders (b, a)"},
            "");
        snapshot->displayName = c.snapshotIsDatabase2 ? "beta" : "alpha";
        live->displayName = c.snapshotIsDatabase2 ? "alpha" : "beta";
        useSide(c.snapshotIsDatabase2 ? 2 : 1, std::move(snapshot));
        useSide(c.snapshotIsDatabase2 ? 1 : 2, std::move(live));
        session.settings.b_IgnoreTabCase = c.ignoreTableCase;
        session.settings.b_IgnoreColCase = true; // "IXU" and "ixu" are one index
        run();
        EXPECT_EQ(section(), c.expected);
    }
}

} // namespace
} // namespace zentab::test

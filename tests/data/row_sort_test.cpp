// Rows sorted by the program (b_SortRows): the sort itself over spilled runs and its failures,
// and data runs whose databases order the rows otherwise, run control during a long sort
// included.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare/data/row_sorter.h"
#include "data/data_fixture.h"
#include "db/snapshot_file.h"

namespace zentab {
namespace {

using test::DataRun;
using test::TempDir;

// Rows from a list, with an Error in place of row `failAt`.
class RowList final : public RowSource {
public:
    explicit RowList(std::vector<std::string> rows, std::size_t failAt = std::string::npos)
        : rows_(std::move(rows)), failAt_(failAt) {}
    FetchResult next(std::string& row) override {
        if (at_ == failAt_) {
            return FetchResult::Error;
        }
        if (at_ >= rows_.size()) {
            row.clear();
            return FetchResult::End;
        }
        row = rows_[at_++];
        return FetchResult::Row;
    }

private:
    std::vector<std::string> rows_;
    std::size_t failAt_;
    std::size_t at_ = 0;
};

std::vector<std::string> drain(SortedRows& sorted) {
    std::vector<std::string> rows;
    std::string row;
    while (sorted.next(row) == FetchResult::Row) {
        rows.push_back(row);
    }
    return rows;
}

bool isEmptyFolder(const std::filesystem::path& path) {
    return std::filesystem::is_empty(path);
}

// Rows of three fields: a number (written with and without decimals), text in mixed case that
// may hold any byte but the separator, and a small count. Many rows come twice or three times.
std::vector<std::string> mixedRows(std::size_t count) {
    std::vector<std::string> rows;
    unsigned seed = 12345;
    auto random = [&seed](unsigned below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    const std::string bytes[] = {"a", "B", "_", "z", std::string(1, '\0'), "\n", "\xe9", "Q"};
    while (rows.size() < count) {
        const unsigned number = random(40);
        std::string text = "t";
        for (unsigned i = random(5); i > 0; --i) {
            text += bytes[random(8)];
        }
        std::string row =
            (random(2) == 0 ? std::to_string(number) : std::to_string(number) + ".0") + " \t " +
            text + " \t " + std::to_string(random(3));
        for (unsigned copies = 1 + random(3); copies > 0; --copies) {
            rows.push_back(random(9) == 0 ? std::string() : row);
        }
    }
    return rows;
}

TEST(SortedRows, RunsSpilledToFilesMergeBackIntoTheComparatorsOrder) {
    const std::vector<std::string> input = mixedRows(3000);
    for (bool ignoreCase : {false, true}) {
        SCOPED_TRACE(ignoreCase ? "case ignored" : "case kept");
        TempDir parent;
        SortSetup setup;
        setup.order.ignoreCase = ignoreCase;
        setup.memoryBudget = 2048;
        setup.tempParent = parent.path().string();
        std::vector<std::string> output;
        {
            RowList source(input);
            SortedRows sorted(source, setup);
            ASSERT_EQ(sorted.sort(), SortEnd::Sorted) << sorted.failure();
            // Enough runs to be merged in more than one pass.
            EXPECT_GT(sorted.runsWritten(), 64u);
            EXPECT_FALSE(isEmptyFolder(parent.path()));
            output = drain(sorted);
        }
        EXPECT_TRUE(isEmptyFolder(parent.path()));

        RowComparator comparator(setup.order);
        for (std::size_t i = 1; i < output.size(); ++i) {
            ASSERT_LE(comparator.compareQuietly(output[i - 1], output[i]), 0) << i;
        }
        std::vector<std::string> expected = input;
        std::vector<std::string> got = output;
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected);
    }
}

// Sets the largest file this process may write, for the life of the object: a write past it
// fails with EFBIG as on a full disk (the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldSignal_)(int);
};

TEST(SortedRows, FailuresEndTheSortAndLeaveNoFiles) {
    const std::vector<std::string> input = mixedRows(500);
    TempDir parent;
    const std::string folder = parent.path().string();
    struct Case {
        const char* what;
        std::string tempParent;
        std::size_t failAt;
        std::size_t fileSizeLimit; // 0: none
        std::function<bool()> keepGoing;
        SortEnd end;
        std::string failure; // a start of it; the run file's name is made up
        std::string failureEnd;
    } cases[] = {
        {"the source fails", folder, 300, 0, {}, SortEnd::SourceFailed, "", ""},
        {"no temporary folder",
         folder + "/missing",
         std::string::npos,
         0,
         {},
         SortEnd::FileFailed,
         "The rows could not be sorted: no temporary folder could be made in " + folder +
             "/missing (No such file or directory).",
         ""},
        {"a run cannot be written",
         folder,
         std::string::npos,
         100,
         {},
         SortEnd::FileFailed,
         "The rows could not be sorted: the temporary file " + folder + "/zentab-sort-",
         " could not be written (File too large)."},
        {"given up", folder, std::string::npos, 0, [] { return false; }, SortEnd::GivenUp, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowList source(input, c.failAt);
        SortSetup setup;
        setup.memoryBudget = 4096;
        setup.tempParent = c.tempParent;
        setup.keepGoing = c.keepGoing;
        SortedRows sorted(source, setup);
        {
            std::optional<FileSizeLimit> limit;
            if (c.fileSizeLimit != 0) {
                limit.emplace(c.fileSizeLimit);
            }
            EXPECT_EQ(sorted.sort(), c.end);
        }
        const std::string& failure = sorted.failure();
        EXPECT_EQ(failure.substr(0, c.failure.size()), c.failure);
        EXPECT_TRUE(failure.size() >= c.failureEnd.size() &&
                    failure.compare(failure.size() - c.failureEnd.size(), std::string::npos,
                                    c.failureEnd) == 0)
            << failure;
        // Whatever ended the sort, no row passes for the side's last.
        std::string row;
        EXPECT_EQ(sorted.next(row), FetchResult::Error);
        EXPECT_FALSE(sorted.failure().empty());
    }
    EXPECT_TRUE(isEmptyFolder(parent.path()));
}

// A stop unwinds through the sort, which removes its files on the way.
TEST(SortedRows, AStopThrownWhileSortingLeavesNoFiles) {
    TempDir parent;
    RowList source(mixedRows(2000));
    SortSetup setup;
    setup.memoryBudget = 2048;
    setup.tempParent = parent.path().string();
    int checks = 0;
    setup.keepGoing = [&checks]() -> bool {
        if (++checks == 5) {
            throw RunStopped{};
        }
        return true;
    };
    EXPECT_THROW(
        {
            SortedRows sorted(source, setup);
            sorted.sort();
        },
        RunStopped);
    EXPECT_EQ(checks, 5);
    EXPECT_TRUE(isEmptyFolder(parent.path()));
}

// Database 1 sorts its names without regard to case (a B c D), Database 2 and the comparator
// byte-wise (B D a c): with the rows sorted by the program only the real difference is left,
// and no side is flagged.
TEST_F(DataRun, SortedRowsLeaveOnlyTheRealDifferences) {
    const std::string rows = "INSERT INTO T VALUES ('a', 1), ('B', 2), ('c', 3), ('D', 4)";
    sqliteSides({"CREATE TABLE T (name varchar(5) COLLATE NOCASE, n integer)", rows,
                 "INSERT INTO T VALUES (NULL, 5), ('e', 6)"},
                {"CREATE TABLE T (name varchar(5), n integer)", rows,
                 "INSERT INTO T VALUES (NULL, 5), ('e', 7)"});
    session.settings.b_SortRows = true;
    run();
    EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                              "  name _n          _\r\n"
                              "\r\n< e     6           "
                              "\r\n> e     7           ");
    EXPECT_EQ(session.sortRunsWritten.load(), 0u);
}

// More rows than the sort may hold: runs are spilled and merged, and the comparison stays exact,
// duplicates counted. Case is ignored, so the sort must fold as the merge does: SQLite's NOCASE
// folds to lower case and puts "_" before letters, the comparator folds to upper case and puts
// it after them.
TEST_F(DataRun, RowsBeyondTheSortsMemoryAreSpilledAndStayExact) {
    const std::string create = "CREATE TABLE T (name varchar(8) COLLATE NOCASE)";
    auto rows = [](const std::string& name, const std::string& where) {
        return "INSERT INTO T WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE "
               "x < 2100) SELECT " +
               name + " FROM c" + where;
    };
    const std::string name = "'k' || (x % 300) || CASE x % 2 WHEN 0 THEN '_' ELSE 'b' END";
    // Database 2 spells every fifth name in upper case, lacks one of the four k7b rows and has
    // a row more.
    sqliteSides({create, rows(name, "")},
                {"CREATE TABLE T (name varchar(8))",
                 rows("CASE WHEN x % 5 = 0 THEN upper(" + name + ") ELSE " + name + " END",
                      " WHERE x <> 607"),
                 "INSERT INTO T VALUES ('k7_x')"});
    session.settings.b_SortRows = true;
    session.settings.b_IgnoreDatCase = true;
    session.sortMemoryBudget = 4096;
    run();
    EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                              "  name    _\r\n"
                              "\r\n< k7b      "
                              "\r\n> k7_x     ");
    EXPECT_GT(session.sortRunsWritten.load(), 0u);
}

// A snapshot holds the rows in the order its database gave them: they are sorted too.
TEST_F(DataRun, ASnapshotSidesRowsAreSortedToo) {
    const std::string end(snapshot::kEndMarker);
    test::writeSnapshot(dir.file("two.zsn"),
                        {{snapshot::kTables, {"B"}},
                         {snapshot::kColumns,
                          {"B", "id", "    NULL INTEGER", "INTEGER", "Y", "11", "txt",
                           "    NULL VARCHAR(5)", "VARCHAR", "Y", "5", end},
                          true},
                         {snapshot::kIndex, {}},
                         {snapshot::kData, {"B", "3 \t three", "2 \t too", "1 \t one", end}, true},
                         {snapshot::kViews, {}},
                         {snapshot::kViewColumns, {}},
                         {snapshot::kViewData, {}},
                         {snapshot::kProcs, {}},
                         {snapshot::kProcColumns, {}}});
    test::executeSql(sqlite1(), {"CREATE TABLE B (id integer, txt varchar(5))",
                                 "INSERT INTO B VALUES (1, 'one'), (2, 'two'), (3, 'three')"});
    useSide(1, connectSide(sqlite1()));
    useSide(2, snapshotSide(dir.file("two.zsn")));
    session.settings.b_SortRows = true;
    run();
    EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nDifferences found in table B\r\n\r\n"
                              "  id         _txt  _\r\n"
                              "\r\n> 2           too   "
                              "\r\n< 2           two   ");
}

// BIG: tens of thousands of rows on each side, identical but for case, which Database 1's
// collation ignores; SMALL: one difference. The sort may hold far less than BIG, so it spills
// to the temporary folder named by TMPDIR.
class LongSortRun : public DataRun {
protected:
    void SetUp() override {
        auto big = [](const std::string& collate) {
            return std::vector<std::string>{
                "CREATE TABLE BIG (txt varchar(20)" + collate + ")",
                "INSERT INTO BIG WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                "WHERE x < 30000) SELECT CASE x % 2 WHEN 0 THEN 'row ' ELSE 'Row ' END || x FROM c",
                "CREATE TABLE SMALL (id integer)"};
        };
        std::vector<std::string> one = big(" COLLATE NOCASE");
        std::vector<std::string> two = big("");
        one.push_back("INSERT INTO SMALL VALUES (1)");
        two.push_back("INSERT INTO SMALL VALUES (2)");
        sqliteSides(one, two, true);
        std::filesystem::create_directory(tmp_);
        setenv("TMPDIR", tmp_.c_str(), 1);
        session.settings.b_SortRows = true;
        session.sortMemoryBudget = 64 << 10;
    }
    void TearDown() override {
        if (oldTmp_) {
            setenv("TMPDIR", oldTmp_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

    // Acts once, while Database 1's rows are being sorted; tells whether runs had been spilled
    // by then.
    void whileSorting(std::function<void()> action) {
        host.onCall([this, action](const std::string& line) {
            if (line == "progress pos: 64" && !fired_.exchange(true)) {
                spilledBefore_ = !isEmptyFolder(tmp_);
                action();
            }
        });
    }

    static std::string smallText() {
        return "\r\n\r\n\r\nDifferences found in table SMALL\r\n\r\n"
               "  id         _\r\n"
               "\r\n< 1           "
               "\r\n> 2           ";
    }

    const std::string tmp_ = dir.file("tmp");
    const std::optional<std::string> oldTmp_ =
        std::getenv("TMPDIR") != nullptr ? std::optional<std::string>(std::getenv("TMPDIR"))
                                         : std::nullopt;
    std::atomic<bool> fired_{false};
    std::atomic<bool> spilledBefore_{false};
};

TEST_F(LongSortRun, SortedSidesOfBigTablesCompareExactly) {
    run();
    EXPECT_EQ(dataText(2, 2),
              "\r\n\r\n\r\nNo data differences were found in table BIG" + smallText());
    EXPECT_GT(session.sortRunsWritten.load(), 0u);
    EXPECT_TRUE(isEmptyFolder(tmp_));
}

TEST_F(LongSortRun, SkipDuringTheSortEndsTheObject) {
    whileSorting([this] { session.control.skipRequested = true; });
    run();
    EXPECT_EQ(dataText(2, 2), "\r\nTable Skipped ..." + smallText());
    // The sort ended at the request, not after reading both sides whole.
    EXPECT_FALSE(hostCalled("progress pos: 128"));
    EXPECT_TRUE(spilledBefore_);
    EXPECT_TRUE(isEmptyFolder(tmp_));
    EXPECT_FALSE(session.control.skipRequested);
}

TEST_F(LongSortRun, StopDuringTheSortLeavesNoTemporaryFile) {
    whileSorting([this] { session.control.running = false; });
    run();
    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
    const std::string report = session.report.text();
    const std::string tail = "\r\n\r\nZentab Stopped ...";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    EXPECT_TRUE(spilledBefore_);
    EXPECT_TRUE(isEmptyFolder(tmp_));
}

// The object whose rows could not be sorted is an error of that object, not a comparison
// without differences; the next object, small enough to sort in memory, is compared.
TEST_F(LongSortRun, ATemporaryFolderThatCannotBeMadeIsAnErrorOfTheObject) {
    const std::string missing = tmp_ + "/missing";
    setenv("TMPDIR", missing.c_str(), 1);
    run();
    EXPECT_EQ(dataText(2, 2),
              "\r\n\r\n\r\nThe following error was received while processing table BIG in "
              "database " +
                  session.side1->displayName +
                  " :\r\nThe rows could not be sorted: no temporary folder could be made in " +
                  missing + " (No such file or directory).\r\n\r\n" + smallText());
    EXPECT_TRUE(session.troubleFound);
}

} // namespace
} // namespace zentab

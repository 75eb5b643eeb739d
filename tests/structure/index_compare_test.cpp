// The index phase in comparison runs: which indexes are reported and how, on SQLite3, on
// PostgreSQL and across the two, in detailed and summary mode.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "structure/index_fixture.h"
#include "support/odbc_fixture.h"

namespace zentab::test {
namespace {

const std::string kOrders = "CREATE TABLE orders (a INTEGER, b INTEGER, c TEXT)";

// The section of a run whose only reported table is "orders" (W = 8).
std::string ordersSection(const std::vector<IndexLine>& lines) {
    return indexHeader(8) + indexLines(8, lines);
}

using IndexSqlite = IndexRun;

TEST_F(IndexSqlite, OneTableCases) {
    struct Case {
        const char* what;
        Sql sql1;
        Sql sql2;
        std::function<void(CompareSettings&)> options;
        std::string expected;
    } cases[] = {
        {"no indexes on either side: nothing, and no error", {kOrders}, {kOrders}, nullptr, ""},
        {"equal indexes: nothing",
         {kOrders, "CREATE INDEX ix ON orders (a, b)", "CREATE UNIQUE INDEX ux ON orders (c)"},
         {kOrders, "CREATE UNIQUE INDEX ux ON orders (c)", "CREATE INDEX ix ON orders (a, b)"},
         nullptr,
         ""},
        {"the same columns in another order",
         {kOrders, "CREATE INDEX ix ON orders (a, b)"},
         {kOrders, "CREATE INDEX ix ON orders (b, a)"},
         nullptr,
         ordersSection({{"orders", "ix", kNotUnique, kNotUnique, {{"a", "b"}, {"b", "a"}}}})},
        {"unique on one side only",
         {kOrders, "CREATE UNIQUE INDEX ux ON orders (a)"},
         {kOrders, "CREATE INDEX ux ON orders (a)"},
         nullptr,
         ordersSection({{"orders", "ux", kUnique, kNotUnique, {{"a", "a"}}}})},
        {"an index on each side only: no column lists",
         {kOrders, "CREATE INDEX only1 ON orders (a)"},
         {kOrders, "CREATE UNIQUE INDEX only2 ON orders (b)"},
         nullptr,
         ordersSection({{"orders", "only1", kNotUnique, kNotFound, {}},
                        {"", "only2", kNotFound, kUnique, {}}})},
        {"a column more on Database 2",
         {kOrders, "CREATE INDEX ix ON orders (a)"},
         {kOrders, "CREATE INDEX ix ON orders (a, c)"},
         nullptr,
         ordersSection({{"orders", "ix", kNotUnique, kNotUnique, {{"a", "a"}, {"", "c"}}}})},
        {"index names differing in case are one index when column case is ignored",
         {kOrders, "CREATE INDEX IX_A ON orders (a)"},
         {kOrders, "CREATE INDEX ix_a ON orders (a)"},
         [](CompareSettings& s) { s.b_IgnoreColCase = true; },
         ""},
        {"and two when it is not",
         {kOrders, "CREATE INDEX IX_A ON orders (a)"},
         {kOrders, "CREATE INDEX ix_a ON orders (a)"},
         [](CompareSettings& s) { s.b_IgnoreColCase = false; },
         ordersSection({{"orders", "IX_A", kNotUnique, kNotFound, {}},
                        {"", "ix_a", kNotFound, kNotUnique, {}}})},
        {"column names differing in case differ even when column case is ignored",
         {kOrders, "CREATE INDEX ix ON orders (a)"},
         {"CREATE TABLE orders (A INTEGER, b INTEGER, c TEXT)", "CREATE INDEX ix ON orders (A)"},
         [](CompareSettings& s) { s.b_IgnoreColCase = true; },
         ordersSection({{"orders", "ix", kNotUnique, kNotUnique, {{"a", "A"}}}})},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case on databases of its own; the session runs again as a rerun would.
        ++number;
        useSide(1, sqlite("one" + std::to_string(number) + ".db", c.sql1, "alpha"));
        useSide(2, sqlite("two" + std::to_string(number) + ".db", c.sql2, "beta"));
        session.settings.b_IgnoreColCase = true;
        if (c.options) {
            c.options(session.settings);
        }
        run();
        EXPECT_EQ(section(), c.expected);
        EXPECT_EQ(session.differencesFound, !c.expected.empty());
    }
}

TEST_F(IndexSqlite, TablesShareOneHeaderAndColoursTellTheSides) {
    sqliteSides({kOrders, "CREATE TABLE customer_notes (id INTEGER, note TEXT)",
                 "CREATE TABLE plain (x INTEGER)", "CREATE INDEX by_note ON customer_notes (note)",
                 "CREATE UNIQUE INDEX by_id ON customer_notes (id)",
                 "CREATE INDEX same ON plain (x)", "CREATE INDEX ix ON orders (a, b)"},
                {"CREATE TABLE customer_notes (id INTEGER, note TEXT)", kOrders,
                 "CREATE TABLE plain (x INTEGER)", "CREATE INDEX by_id ON customer_notes (id)",
                 "CREATE INDEX same ON plain (x)", "CREATE INDEX ix ON orders (a, c)",
                 "CREATE INDEX extra ON orders (c)"});
    session.settings.b_IgnoreColCase = true;
    run();

    // Tables in Database 2's order; the equal table writes nothing, not even its name.
    const std::size_t w = 16;
    EXPECT_EQ(section(),
              indexHeader(w) +
                  indexLines(w, {{"customer_notes", "by_id", kUnique, kNotUnique, {{"id", "id"}}},
                                 {"", "by_note", kNotUnique, kNotFound, {}}}) +
                  indexLines(w, {{"orders", "ix", kNotUnique, kNotUnique, {{"a", "a"}, {"b", "c"}}},
                                 {"", "extra", kNotFound, kNotUnique, {}}}));

    const std::string blanks16(16, ' ');
    const std::string continuation = "\r\n" + std::string(w + 57, ' ');
    EXPECT_EQ(taggedSection(),
              "[T]\r\n\r\n\r\nThe following are the index differences between COMMON tables\r\n\r\n"
              "[1]" +
                  std::string(w + 25, ' ') + "alpha" + std::string(11, ' ') + "[2]beta" +
                  std::string(12, ' ') + "[1]alpha" + std::string(16, ' ') + "[2]beta" +
                  std::string(23, ' ') + "[T]\r\nTABLE" + std::string(11, ' ') +
                  "INDEX                    UNIQUENESS      UNIQUENESS      COLUMN               "
                  "COLUMN     \r\n" +
                  std::string(114, '-') +
                  // Uniqueness in the side colours when it differs; equal columns in common colour.
                  "[C]\r\ncustomer_notes  by_id" + std::string(20, ' ') + "[1]" + kUnique +
                  std::string(5, ' ') + "[2]" + kNotUnique + std::string(5, ' ') + "[C]id" +
                  std::string(19, ' ') + "id" +
                  // One-sided: the name in its side's colour, "Not Found" as plain text.
                  "\r\n\r\n" + blanks16 + "[1]by_note" + std::string(18, ' ') + kNotUnique +
                  std::string(5, ' ') + "[T]" + kNotFound + std::string(7, ' ') + "\r\n" +
                  "[C]\r\norders" + std::string(10, ' ') + "ix" + std::string(23, ' ') +
                  kNotUnique + std::string(5, ' ') + kNotUnique + std::string(5, ' ') + "a" +
                  std::string(20, ' ') + "a" + continuation + "[1]b" + std::string(20, ' ') +
                  "[2]c" + "[C]\r\n\r\n" + blanks16 + "[2]extra" + std::string(20, ' ') + "[T]" +
                  kNotFound + std::string(7, ' ') + "[2]" + kNotUnique + std::string(5, ' ') +
                  "[T]\r\n");
    EXPECT_TRUE(session.differencesFound);
}

TEST_F(IndexSqlite, CaptionsAndProgress) {
    sqliteSides({kOrders}, {kOrders});
    run();
    const std::vector<std::string> captions = host.mainCaptions();
    const std::vector<std::string> expected{"Analyzing Indexes - Zentab",
                                            "Comparing Indexes - Zentab"};
    EXPECT_NE(std::search(captions.begin(), captions.end(), expected.begin(), expected.end()),
              captions.end())
        << testing::PrintToString(captions);
    const std::vector<std::string> calls = host.calls();
    const std::vector<std::string> phase{"panel caption: Analyzing Indexes ...",
                                         "progress range: 0..1",
                                         "caption: Analyzing Indexes - Zentab",
                                         "panel select: 0",
                                         "progress step it",
                                         "panel caption: Comparing Indexes ...",
                                         "progress range: 0..1",
                                         "caption: Comparing Indexes - Zentab",
                                         "panel select: 0",
                                         "progress step it",
                                         "progress pos: 1"};
    EXPECT_NE(std::search(calls.begin(), calls.end(), phase.begin(), phase.end()), calls.end())
        << testing::PrintToString(calls);
}

TEST_F(IndexSqlite, ExecutiveSummaryMarksTheTablesWithIndexDifferences) {
    sqliteSides({kOrders, "CREATE TABLE plain (x INTEGER)", "CREATE INDEX ix ON orders (a)",
                 "CREATE INDEX same ON plain (x)"},
                {kOrders, "CREATE TABLE plain (x INTEGER)", "CREATE INDEX same ON plain (x)"});
    session.settings.b_SummaryReportOnly = true;
    run();

    ASSERT_EQ(session.commonTables.size(), 2u);
    EXPECT_TRUE(session.commonTables[0]->indexDiffers);
    EXPECT_FALSE(session.commonTables[1]->indexDiffers);
    EXPECT_TRUE(session.differencesFound);
    const std::string rule = "\r\n" + std::string(74, '-');
    EXPECT_EQ(section(),
              "\r\n\r\n\r\n\r\nThe following is a summary report of the differences found in the "
              "tables\r\n\r\n" +
                  std::string(36, ' ') + "   Index      \r\n" + std::string(9, ' ') +
                  "DATABASE 1    DATABASE 2   differences   " + rule +
                  "\r\norders       X   "
                  "          X             X             " +
                  rule + "\r\nplain        X             X                           " + rule);
}

} // namespace
} // namespace zentab::test

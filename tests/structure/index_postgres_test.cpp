// The index phase on the PostgreSQL test server (psqlODBC), alone and against SQLite3.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "structure/index_fixture.h"
#include "support/odbc_fixture.h"

namespace zentab::test {
namespace {

const std::string kOrders = "CREATE TABLE orders (a INTEGER, b INTEGER, c TEXT)";

using IndexPostgres = IndexRun;

TEST_F(IndexPostgres, SchemasAreComparedEachUnderItsOwnQualifier) {
    ZENTAB_REQUIRE_POSTGRES(server);
    // The same table names in both schemas: an unqualified statistics call would mix the two
    // schemas' indexes.
    useSide(1, postgres(server, schemaName("one"),
                        {"CREATE TABLE orders (id INTEGER PRIMARY KEY, a INTEGER, b INTEGER)",
                         "CREATE INDEX ix_ab ON orders (a, b)",
                         "CREATE UNIQUE INDEX ux ON orders (a)", "CREATE TABLE quiet (x INTEGER)"},
                        "alpha"));
    useSide(2, postgres(server, schemaName("two"),
                        {"CREATE TABLE orders (id INTEGER PRIMARY KEY, a INTEGER, b INTEGER)",
                         "CREATE INDEX ix_ab ON orders (b, a)", "CREATE INDEX ux ON orders (a)",
                         "CREATE TABLE quiet (x INTEGER)", "CREATE INDEX only2 ON quiet (x)"},
                        "beta"));
    run();

    // Database 1's indexes in the driver's order; the primary keys are equal.
    EXPECT_EQ(
        section(),
        indexHeader(8) +
            indexLines(8, {{"orders", "ix_ab", kNotUnique, kNotUnique, {{"a", "b"}, {"b", "a"}}},
                           {"", "ux", kUnique, kNotUnique, {{"a", "a"}}}}) +
            indexLines(8, {{"quiet", "only2", kNotFound, kNotUnique, {}}}));
}

TEST_F(IndexPostgres, ARefusedStatisticsQueryEndsThatSidesPass) {
    ZENTAB_REQUIRE_POSTGRES(server);
    const Sql tables{kOrders, "CREATE INDEX ix ON orders (a)", "CREATE TABLE plain (x INTEGER)",
                     "CREATE INDEX px ON plain (x)"};
    for (int lost : {1, 2}) {
        SCOPED_TRACE("connection lost on Database " + std::to_string(lost));
        useSide(1, postgres(server, schemaName("one" + std::to_string(lost)), tables, "alpha"));
        useSide(2, postgres(server, schemaName("two" + std::to_string(lost)), tables, "beta"));
        // The side's connection is lost between the table list and the indexes.
        session.phases.tableList = [this, server, lost](Session& s) {
            compareTableList(s);
            listEnd_ = s.report.text().size();
            DatabaseSource& side = lost == 1 ? *s.side1 : *s.side2;
            OdbcStatement statement;
            std::string error;
            std::string pid;
            ASSERT_TRUE(side.ExecuteStatement("SELECT pg_backend_pid()", statement, error))
                << error;
            ASSERT_EQ(side.FetchRowText(statement, pid), FetchResult::Row);
            side.FreeStatement(statement);
            executeSql(server, {"SELECT pg_terminate_backend(" + pid + ")"});
        };
        run();

        const std::string name = lost == 1 ? "alpha" : "beta";
        const std::string block =
            "\r\n\r\n\r\nThe following error ocurred when trying to process indexes in database ";
        const std::string text = section();
        ASSERT_EQ(text.substr(0, block.size() + name.size() + 2), block + name + "\r\n") << text;
        // The driver's message ends the block; the rest of that side is not read.
        const std::string message = (lost == 1 ? *session.side1 : *session.side2).lastError;
        EXPECT_FALSE(message.empty());
        const std::string tag = lost == 1 ? "[1]" : "[2]";
        const std::string error = "[E]" + block + tag + name + "[E]\r\n" + message;
        if (lost == 2) {
            EXPECT_EQ(taggedSection(), error);
        } else {
            // Database 2 is still read, and every index it has is one-sided.
            EXPECT_EQ(text, block + name + "\r\n" + message + indexHeader(8) +
                                indexLines(8, {{"orders", "ix", kNotFound, kNotUnique, {}}}) +
                                indexLines(8, {{"plain", "px", kNotFound, kNotUnique, {}}}));
            EXPECT_EQ(taggedSection().substr(0, error.size()), error);
        }
    }
}

TEST_F(IndexPostgres, SqliteAgainstPostgres) {
    ZENTAB_REQUIRE_POSTGRES(server);
    useSide(1,
            sqlite("one.db",
                   {kOrders, "CREATE INDEX ix_ab ON orders (a, b)",
                    "CREATE UNIQUE INDEX ux_c ON orders (c)", "CREATE INDEX only1 ON orders (b)"},
                   "alpha"));
    useSide(2, postgres(server, schemaName("two"),
                        {kOrders, "CREATE INDEX ix_ab ON orders (a, b)",
                         "CREATE INDEX ux_c ON orders (c)"},
                        "beta"));
    run();

    // Named alike, the indexes of the two drivers pair up; Database 1's come in the SQLite
    // driver's order.
    EXPECT_EQ(section(),
              indexHeader(8) + indexLines(8, {{"orders", "only1", kNotUnique, kNotFound, {}},
                                              {"", "ux_c", kUnique, kNotUnique, {{"c", "c"}}}}));
}

} // namespace
} // namespace zentab::test

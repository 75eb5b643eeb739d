#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "structure/column_fixture.h"
#include "support/odbc_fixture.h"

namespace zentab::test {
namespace {

class PostgresColumns : public PostgresSchemaTest, protected ColumnTools {
protected:
    // The test's schema as owner qualifier: the tables are found only through the qualified
    // catalog call.
    std::unique_ptr<DatabaseSource> postgres() { return online(connectString(), schema(), "pg"); }
};

// What the two drivers really report for the same declarations.
TEST_F(PostgresColumns, SqliteAgainstPostgres) {
    const std::string columns = "name varchar(50), amount decimal(10,2), created timestamp, "
                                "flag boolean, memo text)";
    execute({"create table " + qualified("orders") +
                 "(id integer not null, qty smallint not null, " + columns,
             "create view " + qualified("big_orders") + " as select id, qty from " +
                 qualified("orders")});
    struct Case {
        const char* what;
        bool ignoreLength;
        int dataType;
        std::vector<Line> table;
        std::vector<Line> view;
    };
    const Case cases[] = {
        {"standard names",
         false,
         1,
         {{"id", "NOT NULL INTEGER(9)", "NOT NULL INTEGER(10)"},
          {"qty", "NOT NULL INTEGER(9)", "NOT NULL SMALLINT(5)"},
          // The SQLite3 driver takes the last number of a declaration for its size.
          {"amount", "    NULL VARCHAR(2)", "    NULL NUMERIC(10)"},
          {"created", "    NULL TIMESTAMP(3)", "    NULL TIMESTAMP(26)"},
          // psqlODBC shows booleans as characters.
          {"flag", "    NULL BIT(1)", "    NULL VARCHAR(5)"},
          {"memo", "    NULL LONG VARCHAR", "    NULL LONG VARCHAR(8190)"}},
         {{"id", "    NULL INTEGER(9)", "    NULL INTEGER(10)"},
          {"qty", "    NULL INTEGER(9)", "    NULL SMALLINT(5)"}}},
        {"standard names without lengths",
         true,
         1,
         {{"qty", "NOT NULL INTEGER", "NOT NULL SMALLINT"},
          {"amount", "    NULL VARCHAR", "    NULL NUMERIC"},
          {"flag", "    NULL BIT", "    NULL VARCHAR"}},
         {{"qty", "    NULL INTEGER", "    NULL SMALLINT"}}},
        {"the sources' own names",
         false,
         0,
         {{"id", "NOT NULL INTEGER(9)", "NOT NULL int4(10)"},
          {"qty", "NOT NULL INTEGER(9)", "NOT NULL int2(5)"},
          {"name", "    NULL varchar(50)(50)", "    NULL varchar(50)"},
          {"amount", "    NULL decimal(10,2)(2)", "    NULL numeric(10)"},
          {"created", "    NULL timestamp(3)", "    NULL timestamp(26)"},
          {"flag", "    NULL boolean(1)", "    NULL bool(5)"},
          {"memo", "    NULL TEXT", "    NULL text(8190)"}},
         {{"id", "    NULL INTEGER(9)", "    NULL int4(10)"},
          {"qty", "    NULL INTEGER(9)", "    NULL int2(5)"}}},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.clearCommonLists();
        session.report.clear();
        session.longestName[0] = session.longestName[1] = 0;
        session.settings.b_IgnoreColLen = c.ignoreLength;
        session.settings.b_DataType = c.dataType;
        session.side1 =
            sqlite("lite" + std::to_string(++number) + ".db",
                   {"create table orders(id integer not null, qty integer not null, " + columns,
                    "create view big_orders as select id, qty from orders"},
                   "lite.db");
        session.side2 = postgres();
        pair(ObjectKind::Tables, {{"orders", "orders"}});
        pair(ObjectKind::Views, {{"big_orders", "big_orders"}});

        compareTableColumns(session);
        compareViewColumns(session);

        EXPECT_EQ(report(), columnHeader("tables", 8, "lite.db", "pg", 114) +
                                objectLines("orders", 8, c.table) +
                                columnHeader("views", 12, "lite.db", "pg", 114) +
                                objectLines("big_orders", 12, c.view));
        EXPECT_TRUE(session.commonTables[0]->compareData);
        EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
    }
}

TEST_F(PostgresColumns, UnderscoresInNamesAreNotWildcards) {
    execute({"create table " + qualified("order_lines") + "(a int)",
             "create table " + qualified("orderxlines") + "(b int)"});
    session.side1 = postgres();
    session.side2 = sqlite("two.db", {"create table order_lines(a int)"}, "two.db");
    session.settings.b_NoDiffCol = false;
    pair(ObjectKind::Tables, {{"order_lines", "order_lines"}});
    compareTableColumns(session);
    EXPECT_EQ(report(), columnHeader("tables", 13, "pg", "two.db", 114) +
                            objectLines("order_lines", 13,
                                        {{"a", "    NULL INTEGER(10)", "    NULL INTEGER(9)"}}));
}

// A refused column query ends that side's pass; the other side's pass still runs, and sees
// every one of its columns as missing on Database 1.
TEST_F(PostgresColumns, ARefusedColumnQueryEndsThePass) {
    execute({"create table " + qualified("a") + "(x int)",
             "create table " + qualified("b") + "(y int)"});
    session.side1 = postgres();
    session.side2 = sqlite("two.db", {"create table a(x int)", "create table b(y int)"}, "two.db");
    pair(ObjectKind::Tables, {{"a", "a"}, {"b", "b"}});

    // The server ends Database 1's session, so that its driver refuses every call.
    OdbcStatement statement;
    std::string error;
    ASSERT_TRUE(session.side1->ExecuteStatement("select pg_backend_pid()", statement, error))
        << error;
    std::string pid;
    ASSERT_EQ(session.side1->FetchRowText(statement, pid), FetchResult::Row);
    session.side1->FreeStatement(statement);
    execute({"select pg_terminate_backend(" + pid + ")"});

    compareTableColumns(session);

    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0], session.side1->lastError);
    EXPECT_FALSE(host.messages()[0].empty());
    // The object whose columns could not be read says so; the rest of the side is not read.
    EXPECT_EQ(report(), "\r\n\tERROR: Could not get information for some/all columns for table a "
                        "in database pg" +
                            columnHeader("tables", 3, "pg", "two.db", 109) +
                            objectLines("a", 3, {{"x", "Not Found", "    NULL INTEGER(9)"}}) +
                            objectLines("b", 3, {{"y", "Not Found", "    NULL INTEGER(9)"}}));
    EXPECT_FALSE(session.commonTables[0]->compareData);
    EXPECT_FALSE(session.commonTables[1]->compareData);
    EXPECT_TRUE(session.troubleFound);
}

} // namespace
} // namespace zentab::test

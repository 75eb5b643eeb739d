// zentab-batch comparing two statements' results instead of two databases: the options, the
// report and the exit status a script sees.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

class BatchSqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string create = "CREATE TABLE t (id INTEGER, name VARCHAR(10))";
        executeSql(sqliteConnectString(dir.file("one.db")),
                   {create, "INSERT INTO t VALUES (1, 'one')", "INSERT INTO t VALUES (2, 'two')"});
        executeSql(sqliteConnectString(dir.file("two.db")),
                   {create, "INSERT INTO t VALUES (2, 'two')", "INSERT INTO t VALUES (1, 'one')"});
    }

    using Result = BatchResult;

    Result run(const std::string& arguments) {
        return runZentabBatch(
            dir, "--db1 " + shellQuoted(sqliteConnectString(dir.file("one.db"))) + " --db2 " +
                     shellQuoted(sqliteConnectString(dir.file("two.db"))) + " " + arguments);
    }

    TempDir dir;
};

TEST_F(BatchSqlTest, ComparesStatementResultsAndExitsWithTheirOutcome) {
    const std::string unordered = shellQuoted("SELECT id, name FROM t");
    const std::string ordered = shellQuoted("SELECT id, name FROM t ORDER BY id");
    const std::string kNoDifferences =
        "\r\n\r\n\r\nNo data differences were found. \r\n\r\n--- End of Zentab";
    struct Case {
        std::string arguments;
        int status;
        std::string inReport;
    } cases[] = {
        {"--sql1 " + unordered, 1,
         "Differences found in statements \r\n\r\n\r\n< SELECT id, name FROM t\r\n\r\n> SELECT "
         "id, name FROM t\r\n"},
        {"--sql1 " + ordered, 0, kNoDifferences},
        {"--sql1 " + ordered + " --sql2 " + shellQuoted("SELECT id, name FROM t WHERE id = 1"), 1,
         "\r\n< 2          two        "},
        {"--sql --set " + shellQuoted("s_GlobalPassSql1=SELECT id FROM t WHERE id = 1") +
             " --set " + shellQuoted("s_GlobalPassSql2=SELECT id FROM t WHERE id = 1"),
         0, kNoDifferences},
        // Executed but failed: trouble, with the error in the report.
        {"--sql1 " + shellQuoted("SELECT id FROM missing"), 2,
         "The following error was received while processing statement in database "},
        {"--sql1 " + ordered + " --sql2 " + shellQuoted("SELEKT"), 2, "syntax error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Result r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out.rfind("< DATABASE 1:  ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("\r\n\r\n--- End of Zentab --- Elapsed Time: "), std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find(c.inReport), std::string::npos) << r.out;
    }
}

TEST_F(BatchSqlTest, MissingOrConflictingStatementsDoNotStartARun) {
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"--sql", "Please enter a statement to be executed on the first database."},
        {"--sql --set " + shellQuoted("s_GlobalPassSql1=SELECT 1"),
         "Please enter a statement to be executed on the second database."},
        {"--sql1 " + shellQuoted("   "),
         "Please enter a statement to be executed on the first database."},
        {"--sql2 " + shellQuoted("SELECT 1"), "--sql1"},
        {"--sql --sql1 " + shellQuoted("SELECT 1"), "excludes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Result r = run(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace zentab::test

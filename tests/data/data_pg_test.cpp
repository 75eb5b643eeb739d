#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <string>
#include <vector>

#include "data/data_fixture.h"

namespace zentab {
namespace {

// A data run with PostgreSQL on one or both sides, each side qualified by a schema of the
// test's own, dropped before and after.
class PostgresDataRun : public test::DataRun {
protected:
    void SetUp() override {
        std::optional<std::string> server = test::postgresConnectString();
        if (!server) {
            if (test::postgresRequired()) {
                FAIL() << test::kPostgresMissing;
            }
            GTEST_SKIP() << test::kPostgresMissing;
        }
        pg_ = *server;
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string cleaned;
        for (char c : name) {
            cleaned += std::isalnum(static_cast<unsigned char>(c))
                           ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                           : '_';
        }
        const std::string prefix = "zt_data_" + std::to_string(getpid()) + "_";
        base_ = prefix + cleaned.substr(0, 60 - prefix.size());
        for (const char* suffix : {"1", "2"}) {
            dropAndCreate(base_ + suffix, true);
        }
    }

    void TearDown() override {
        if (!base_.empty()) {
            for (const char* suffix : {"1", "2"}) {
                dropAndCreate(base_ + suffix, false);
            }
        }
    }

    void dropAndCreate(const std::string& schema, bool create) {
        std::vector<std::string> sql = {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"};
        if (create) {
            sql.push_back("CREATE SCHEMA " + schema);
        }
        test::executeSql(pg_, sql);
    }

    // Side `number` on PostgreSQL, its objects created by `sql` in the side's schema; `$` in a
    // statement stands for the schema.
    void postgresSide(int number, const std::vector<std::string>& sql) {
        const std::string schema = base_ + std::to_string(number);
        std::vector<std::string> statements;
        for (std::string text : sql) {
            for (std::size_t at = text.find('$'); at != std::string::npos; at = text.find('$')) {
                text.replace(at, 1, schema);
            }
            statements.push_back(text);
        }
        test::executeSql(pg_, statements);
        useSide(number, connectSide(test::postgresStreamingConnectString(pg_), schema));
    }

    void sqliteSide(int number, const std::vector<std::string>& sql) {
        const std::string connect = number == 1 ? sqlite1() : sqlite2();
        test::executeSql(connect, sql);
        useSide(number, connectSide(connect));
    }

    std::string pg_;
    std::string base_;
};

// Numbers and times written differently by the two databases are equal under the options;
// another minute is a difference.
TEST_F(PostgresDataRun, SqliteAgainstPostgresByValueAndWithoutFractions) {
    sqliteSide(1, {"CREATE TABLE t (id integer, amount real, at varchar(30))",
                   "INSERT INTO t VALUES (1, 1.5, '2024-03-07 14:05:12.25'), "
                   "(2, 2.25, '2024-03-07 14:05:13')"});
    postgresSide(2, {"CREATE TABLE $.t (id integer, amount numeric(6,2), at timestamp(3))",
                     "INSERT INTO $.t VALUES (1, 1.50, '2024-03-07 14:05:12.5'), "
                     "(2, 2.25, '2024-03-07 14:06:13')"});
    session.settings.b_IgnoreDatFrac = true;
    run();
    EXPECT_EQ(test::squeezed(dataText(1, 1)), "\r\n\r\n\r\nDifferences found in table t\r\n\r\n"
                                              " id _amount _at _\r\n"
                                              "\r\n< 2 2.25 2024-03-07 14:05:13 "
                                              "\r\n> 2 2.25 2024-03-07 14:06:13 ");
}

TEST_F(PostgresDataRun, PostgresAgainstPostgres) {
    const std::string create = "CREATE TABLE $.\"Order Lines\" (id integer, qty numeric(8,3), "
                               "\"line text\" text, note varchar(10))";
    postgresSide(1, {create, "INSERT INTO $.\"Order Lines\" VALUES (1, 1.5, 'long text', NULL), "
                             "(2, 2, 'x', 'same')"});
    postgresSide(2, {create, "INSERT INTO $.\"Order Lines\" VALUES (1, 1.500, 'long text', ''), "
                             "(2, 2, 'x', 'other')"});
    run();
    // qty is written 1.500 by both; the text column is long, so it is not ordered by; the
    // names with blanks are quoted, the schema in front of the table's too.
    EXPECT_EQ(test::squeezed(dataText(1, 1)),
              "\r\n\r\n\r\nDifferences found in table Order Lines\r\n\r\n"
              " id _qty _line text _note _\r\n"
              "\r\n> 2 2.000 x other "
              "\r\n< 2 2.000 x same ");
}

// PostgreSQL orders the VARCHAR codes as text ("10" before "2") and the numeric amounts by
// value: 1.0 and 1.00, which it keeps as written, are one value unless values are compared as
// written.
TEST_F(PostgresDataRun, NumericByValueAndVarcharDigitsAsText) {
    const std::string create = "CREATE TABLE $.t (code varchar(5), amount numeric)";
    postgresSide(1, {create, "INSERT INTO $.t VALUES ('1', 1.0), ('10', 10), ('2', 2), ('9', 9)"});
    postgresSide(2, {create, "INSERT INTO $.t VALUES ('1', 1.00), ('2', 2), ('9', 9)"});
    for (bool byValue : {true, false}) {
        SCOPED_TRACE(byValue ? "by value" : "as written");
        session.settings.b_CompDatValue = byValue;
        run();
        EXPECT_EQ(test::squeezed(dataText(1, 1)),
                  "\r\n\r\n\r\nDifferences found in table t\r\n\r\n code _amount _\r\n" +
                      std::string(byValue ? "" : "\r\n< 1 1.0 \r\n> 1 1.00 ") + "\r\n< 10 10 ");
    }
}

// psqlODBC hands a long text over in pieces too: a difference at its 15,000th character is
// found, equal long texts are equal.
TEST_F(PostgresDataRun, LongTextsAreComparedWhole) {
    const std::string create = "CREATE TABLE $.t (id integer, txt text)";
    const std::string as = "repeat('a', 20000)";
    postgresSide(1, {create, "INSERT INTO $.t VALUES (1, " + as + "), (2, " + as + ")"});
    postgresSide(2, {create, "INSERT INTO $.t VALUES (1, " + as +
                                 "), (2, repeat('a', 14999) || "
                                 "'b' || repeat('a', 5000))"});
    run();
    const std::string text = test::squeezed(dataText(1, 1));
    const std::string shown = std::string(9999, 'a') + "... ";
    EXPECT_NE(text.find("\r\n< 2 " + shown), std::string::npos) << text.substr(0, 300);
    EXPECT_NE(text.find("\r\n> 2 " + shown), std::string::npos);
    EXPECT_EQ(text.find("\r\n< 1 "), std::string::npos);
}

// Names match without regard to case, but PostgreSQL finds a mixed-case name only quoted, and
// a folded one only bare or in lower case: each side's statement must name the table and its
// columns the way that side holds them.
TEST_F(PostgresDataRun, NamesSpelledInAnotherCaseOnEachSide) {
    sqliteSide(1, {"CREATE TABLE Genre (GenreId integer, Name varchar(20))",
                   "INSERT INTO Genre VALUES (1, 'Rock')", "CREATE TABLE album (title varchar(20))",
                   "INSERT INTO album VALUES ('One')"});
    postgresSide(2, {"CREATE TABLE $.genre (genreid integer, name varchar(20))",
                     "INSERT INTO $.genre VALUES (1, 'Jazz')",
                     "CREATE TABLE $.\"Album\" (\"Title\" varchar(20))",
                     "INSERT INTO $.\"Album\" VALUES ('Two')"});
    run();
    EXPECT_EQ(test::squeezed(dataText(2, 2)), "\r\n\r\n\r\nDifferences found in table album\r\n\r\n"
                                              " title _\r\n\r\n< One \r\n> Two "
                                              "\r\n\r\n\r\nDifferences found in table Genre\r\n\r\n"
                                              " GenreId _Name _\r\n\r\n> 1 Jazz \r\n< 1 Rock ");
}

// A PostgreSQL text column in a linguistic collation sorts a before B and NULL last; the
// comparator, like SQLite, byte-wise and NULL (an empty value) first. Left to the databases'
// order, the PostgreSQL side is flagged and the differences follow from the order; sorted by
// the program, only the real one is left. (The driver gives the PostgreSQL column its width in
// bytes, four to a character.)
TEST_F(PostgresDataRun, ALinguisticCollationIsFlaggedAndSortingTheRowsMendsIt) {
    sqliteSide(1, {"CREATE TABLE t (name varchar(5), n integer)",
                   "INSERT INTO t VALUES ('a', 1), ('B', 2), (NULL, 3), ('c', 4)"});
    postgresSide(2, {"CREATE TABLE $.t (name varchar(5) COLLATE \"en-x-icu\", n integer)",
                     "INSERT INTO $.t VALUES ('a', 1), ('B', 2), (NULL, 3), ('c', 5)"});
    const std::string header = "\r\n\r\n\r\nDifferences found in table t\r\n\r\n"
                               "  name                _n          _\r\n";
    for (bool sortRows : {false, true}) {
        SCOPED_TRACE(sortRows ? "sorted by the program" : "in the databases' order");
        session.settings.b_SortRows = sortRows;
        run();
        EXPECT_EQ(dataText(1, 1),
                  sortRows ? header + "\r\n< c                    4           "
                                      "\r\n> c                    5           "
                           : header +
                                 "\r\n<                      3           "
                                 "\r\n< B                    2           "
                                 "\r\n\r\nWARNING: The rows of table t in database " +
                                 session.side2->displayName +
                                 " do not come in the order this comparison expects (the "
                                 "database may sort text with another collation). Differences "
                                 "reported for it may not be real. Turn on \"Sort rows in "
                                 "Zentab (when the databases order text differently)\" "
                                 "(b_SortRows=1) for an exact comparison.\r\n\r\n"
                                 "\r\n> B                    2           "
                                 "\r\n< c                    4           "
                                 "\r\n> c                    5           "
                                 "\r\n>                      3           ");
    }
}

// A statement comparison runs each statement as written, in its side's own dialect: the
// aggregates of equal values are equal by value, rows in another order are differences, and
// the server's message of a failed statement is reported, also when it fails only after rows
// have been fetched.
TEST_F(PostgresDataRun, StatementsOnSqliteAndPostgres) {
    sqliteSide(1,
               {"CREATE TABLE t (id integer, qty real)", "INSERT INTO t VALUES (1, 1.5), (2, 2)"});
    postgresSide(2, {"CREATE TABLE $.t (id integer, qty numeric(8,3))",
                     "INSERT INTO $.t VALUES (1, 1.5), (2, 2)"});
    const std::string table2 = base_ + "2.t";
    const std::string errorBlock =
        "\r\n\r\n\r\nThe following error was received while processing statement in database " +
        session.side2->displayName + " :\r\n";
    struct Case {
        const char* what;
        std::string statement1;
        std::string statement2;
        std::string body;  // squeezed; with `error`, what comes before the error block
        std::string error; // in the server's message
        bool sortRows = false;
    } cases[] = {
        {"aggregates", "SELECT count(*), sum(qty) FROM t",
         "SELECT count(*), sum(qty) FROM " + table2, "\r\n\r\n\r\nNo data differences were found. ",
         ""},
        {"another order", "SELECT id, qty FROM t ORDER BY id DESC",
         "SELECT id, qty FROM " + table2 + " ORDER BY id",
         "\r\n\r\n\r\nDifferences found in statements \r\n\r\n\r\n< SELECT id, qty FROM t ORDER BY "
         "id DESC\r\n\r\n> SELECT id, qty FROM " +
             table2 + " ORDER BY id\r\n\r\n\r\n id _qty _\r\n\r\n> 1 1.500 \r\n< 1 1.5 ",
         ""},
        {"failed at execution", "SELECT id FROM t", "SELECT id FROM " + base_ + "2.missing", "",
         "missing\" does not exist"},
        // The cursor delivers rows a thousand at a time: the 1500th fails in the second batch,
        // after the difference in the first.
        {"failed while fetching",
         "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
         "SELECT x FROM c WHERE x <> 2",
         "SELECT x + 0 * (1 / (x - 1500)) FROM generate_series(1, 3000) AS x",
         "\r\n\r\n\r\nDifferences found in statements \r\n\r\n\r\n< WITH RECURSIVE c(x) AS "
         "(SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) SELECT x FROM c WHERE x <> "
         "2\r\n\r\n> SELECT x + 0 * (1 / (x - 1500)) FROM generate_series(1, 3000) AS "
         "x\r\n\r\n\r\n "
         "x _\r\n\r\n> 2 ",
         "division by zero"},
        // Sorted, every row is read before any is compared: the failure is all there is.
        {"failed while fetching rows to sort",
         "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
         "SELECT x FROM c WHERE x <> 2",
         "SELECT x + 0 * (1 / (x - 1500)) FROM generate_series(1, 3000) AS x", "",
         "division by zero", true},
    };
    session.settings.b_NoDiffData = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.troubleFound = false;
        session.settings.b_SortRows = c.sortRows;
        session.settings.s_GlobalPassSql1 = c.statement1;
        session.settings.s_GlobalPassSql2 = c.statement2;
        ASSERT_TRUE(driver->startSqlCompareRun());
        waitForEnd();
        const std::string head = "< DATABASE 1:  " + session.side1->displayName +
                                 "\r\n> DATABASE 2:  " + session.side2->displayName;
        const std::string report = session.report.text();
        ASSERT_EQ(report.rfind(head, 0), 0u) << report;
        const std::string body =
            report.substr(head.size(), report.rfind(test::kEndLine) - head.size());
        if (c.error.empty()) {
            EXPECT_EQ(test::squeezed(body), test::squeezed(c.body));
            EXPECT_FALSE(session.troubleFound);
        } else {
            const std::size_t block = body.find(errorBlock);
            ASSERT_NE(block, std::string::npos) << body;
            EXPECT_EQ(test::squeezed(body.substr(0, block)), test::squeezed(c.body));
            EXPECT_NE(body.find(c.error, block), std::string::npos) << body;
            EXPECT_EQ(body.find("No data differences"), std::string::npos) << body;
            EXPECT_TRUE(session.troubleFound);
        }
    }
}

} // namespace
} // namespace zentab

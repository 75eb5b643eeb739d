// The merge keeps step only when the comparator orders rows as the databases do: text columns
// byte-wise (digits too, the last field too), numeric ones by value. And the CSV-ready output
// compares rows as they are and only writes them as CSV.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/data_fixture.h"
#include "db/database_source.h"
#include "db/snapshot_file.h"

namespace zentab {
namespace {

using test::DataRun;

// SQLite orders a view's text column byte-wise: "AC/DC" before "Aaron". Upper-cased, "AC/DC"
// would come after "ABBA", and one missing artist would bring out four false lines.
TEST_F(DataRun, AOneColumnViewWithADeletedRowGivesOneLine) {
    const std::vector<std::string> base = {"CREATE TABLE artist (name varchar(20))",
                                           "CREATE VIEW names AS SELECT name FROM artist"};
    auto sql = [&](const std::string& rows) {
        std::vector<std::string> all = base;
        all.push_back("INSERT INTO artist VALUES " + rows);
        return all;
    };
    sqliteSides(sql("('Aaron'), ('AC/DC'), ('Abba'), ('Bach')"),
                sql("('Aaron'), ('Abba'), ('Bach')"));
    session.settings.b_DoTabData = false;
    session.settings.b_DoViewData = true;
    run();
    EXPECT_EQ(dataText(1, 1, true), "\r\n\r\n\r\nDifferences found in view names\r\n\r\n"
                                    "  name                _\r\n"
                                    "\r\n< AC/DC                ");
}

// Codes in a VARCHAR column come in text order, "10" before "2", from an on-line side and from
// a snapshot, which knows the column only by its type name.
TEST_F(DataRun, DigitsInATextColumnAreComparedAsText) {
    const std::string create = "CREATE TABLE T (code varchar(5), n integer)";
    const std::string all = "INSERT INTO T VALUES ('1', 1), ('10', 10), ('2', 2), ('9', 9)";
    const std::string kEnd(snapshot::kEndMarker);
    const std::string expected = "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                                 "  code _n          _\r\n"
                                 "\r\n< 10    10          ";
    for (bool snapshot2 : {false, true}) {
        SCOPED_TRACE(snapshot2 ? "snapshot Database 2" : "on-line Database 2");
        test::TempDir fresh;
        test::executeSql(test::sqliteConnectString(fresh.file("one.db")),
                         {create, all, "INSERT INTO T VALUES ('11', 11)"});
        useSide(1, connectSide(test::sqliteConnectString(fresh.file("one.db"))));
        if (snapshot2) {
            test::writeSnapshot(
                fresh.file("two.zsn"),
                {{snapshot::kTables, {"T"}},
                 {snapshot::kColumns,
                  {"T", "code", "    NULL varchar(5)", "varchar", "Y", "5", "n", "    NULL integer",
                   "integer", "Y", "11", kEnd},
                  true},
                 {snapshot::kIndex, {}},
                 {snapshot::kData, {"T", "1 \t 1", "11 \t 11", "2 \t 2", "9 \t 9", kEnd}, true},
                 {snapshot::kViews, {}},
                 {snapshot::kViewColumns, {}},
                 {snapshot::kViewData, {}},
                 {snapshot::kProcs, {}},
                 {snapshot::kProcColumns, {}}});
            useSide(2, snapshotSide(fresh.file("two.zsn")));
        } else {
            const std::string two = test::sqliteConnectString(fresh.file("two.db"));
            test::executeSql(two, {create, all, "DELETE FROM T WHERE code = '10'",
                                   "INSERT INTO T VALUES ('11', 11)"});
            useSide(2, connectSide(two));
        }
        run();
        EXPECT_EQ(dataText(1, 1), expected);
    }
}

// A statement's result columns are typed by each side's description of them.
TEST_F(DataRun, StatementResultsOrderTextColumnsAsText) {
    const std::string create = "CREATE TABLE T (code varchar(5))";
    sqliteSides({create, "INSERT INTO T VALUES ('1'), ('10'), ('2'), ('9')"},
                {create, "INSERT INTO T VALUES ('1'), ('2'), ('9')"});
    const std::string statement = "SELECT code FROM T ORDER BY code";
    session.settings.s_GlobalPassSql1 = session.settings.s_GlobalPassSql2 = statement;
    ASSERT_TRUE(driver->startSqlCompareRun());
    waitForEnd();
    const std::string report = session.report.text();
    const std::string differences = "\r\n\r\n\r\nDifferences found in statements ";
    ASSERT_NE(report.find(differences), std::string::npos) << report;
    EXPECT_EQ(report.substr(report.find(differences)),
              differences + "\r\n\r\n\r\n< " + statement + "\r\n\r\n> " + statement +
                  "\r\n\r\n\r\n  code _\r\n\r\n< 10    " + test::kEndLine);
}

// One row deleted, with ids 9 and 10 around it: compared as one CSV text, "10" would sort
// before "9". Tables and views are written alike, every value quoted and nothing padded.
TEST_F(DataRun, CsvReadyOutputComparesTheRowsAsTheyAre) {
    const std::vector<std::string> base = {"CREATE TABLE T (id integer, name varchar(8))",
                                           "CREATE VIEW V AS SELECT id, name FROM T"};
    auto sql = [&](bool deleted) {
        std::vector<std::string> all = base;
        all.push_back("INSERT INTO T VALUES (8, 'eight'), (10, 'ten \"x\"')");
        if (!deleted) {
            all.push_back("INSERT INTO T VALUES (9, 'nine')");
        }
        return all;
    };
    sqliteSides(sql(false), sql(true));
    session.settings.b_DataAsCSV = true;
    for (bool views : {false, true}) {
        SCOPED_TRACE(views ? "view" : "table");
        session.settings.b_DoTabData = !views;
        session.settings.b_DoViewData = views;
        run();
        EXPECT_EQ(dataText(1, 1, views), std::string("\r\n\r\n\r\nDifferences found in ") +
                                             (views ? "view V" : "table T") +
                                             "\r\n\r\n\"Direction\",\"id\",\"name\""
                                             "\r\n\"<\",\"9\",\"nine\"");
    }
}

// A run with two databases of the MariaDB server, each created for the test and dropped again.
// Its Unicode driver describes VARCHAR as a wide character type and DECIMAL as decimal.
class MariaDbDataRun : public DataRun {
protected:
    void SetUp() override {
        ZENTAB_REQUIRE_MARIADB(server);
        server_ = server;
        base_ = test::testObjectName(63);
        for (const char* suffix : {"1", "2"}) {
            test::executeSql(server_, {"DROP DATABASE IF EXISTS " + base_ + suffix,
                                       "CREATE DATABASE " + base_ + suffix});
        }
    }

    void TearDown() override {
        if (!base_.empty()) {
            for (const char* suffix : {"1", "2"}) {
                test::executeSql(server_, {"DROP DATABASE IF EXISTS " + base_ + suffix});
            }
        }
    }

    // Side `number` qualified by its database, the catalog that holds the test's tables.
    void mariadbSide(int number, const std::vector<std::string>& sql) {
        const std::string database = base_ + std::to_string(number);
        const std::string connect = test::withDatabase(server_, database);
        test::executeSql(connect, sql);
        auto side = DatabaseSource::ConnectStored(host, connect, database, "1",
                                                  session.preferences.specialCharacters);
        ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
        ASSERT_EQ(side->s_DatabaseUser, database);
        useSide(number, std::move(side));
    }

    std::string server_;
    std::string base_;
};

// MariaDB orders the codes as text and the amounts by value: 1.5 written with two and with
// three decimals is one value, "10" comes before "2".
TEST_F(MariaDbDataRun, DecimalsByValueAndVarcharDigitsAsText) {
    const std::string rows = " VALUES ('1', 1.5), ('10', 10), ('2', 2.25), ('9', 9)";
    mariadbSide(1,
                {"CREATE TABLE t (code varchar(5), amount decimal(6,2))", "INSERT INTO t" + rows});
    mariadbSide(2, {"CREATE TABLE t (code varchar(5), amount decimal(6,3))", "INSERT INTO t" + rows,
                    "DELETE FROM t WHERE code = '10'"});
    for (bool byValue : {true, false}) {
        SCOPED_TRACE(byValue ? "by value" : "by representation");
        session.settings.b_CompDatValue = byValue;
        run();
        // Written differently, the amounts are ordered by their text on a tie of values.
        EXPECT_EQ(test::squeezed(dataText(1, 1)),
                  "\r\n\r\n\r\nDifferences found in table t\r\n\r\n code _amount _\r\n" +
                      std::string(byValue
                                      ? "\r\n< 10 10.00 "
                                      : "\r\n< 1 1.50 \r\n> 1 1.500 \r\n< 10 10.00 "
                                        "\r\n< 2 2.25 \r\n> 2 2.250 \r\n< 9 9.00 \r\n> 9 9.000 "));
    }
}

} // namespace
} // namespace zentab

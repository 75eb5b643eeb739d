// zentab-batch against the MariaDB server through MariaDB Connector/ODBC: every phase on two
// databases of the server, names that need its backquotes, and the same data held by SQLite,
// PostgreSQL and MariaDB compared in every pair.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

// The report with every run of blanks cut to one and the line ends made plain: the column layout
// is checked elsewhere, what is compared is checked here.
std::string squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == ' ' && !out.empty() && out.back() == ' ') {
            continue;
        }
        if (c == '\n' && !out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += c;
    }
    return out;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Two databases of the server for one test: the fixture's own and a second one beside it.
class MariaDbRun : public MariaDbDatabaseTest {
protected:
    void SetUp() override {
        MariaDbDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        second_ = database() + "_2";
        execute({"DROP DATABASE IF EXISTS " + second_, "CREATE DATABASE " + second_});
    }

    void TearDown() override {
        if (!second_.empty()) {
            execute({"DROP DATABASE IF EXISTS " + second_});
        }
        MariaDbDatabaseTest::TearDown();
    }

    std::string connect(int number) const {
        return withDatabase(connectString(), number == 1 ? database() : second_);
    }
    const std::string& name(int number) const { return number == 1 ? database() : second_; }

    BatchResult compare(const std::string& extra = {}) {
        return runZentabBatch(dir_, "--db1 " + shellQuoted(connect(1)) + " --db2 " +
                                        shellQuoted(connect(2)) + " --owner1 " + name(1) +
                                        " --owner2 " + name(2) + extra);
    }

    TempDir dir_;
    std::string second_;
};

TEST_F(MariaDbRun, EveryPhaseComparesThroughTheDriver) {
    executeSql(connect(1),
               {"CREATE TABLE Album (AlbumId int NOT NULL PRIMARY KEY, Title varchar(160) NOT "
                "NULL, Rating decimal(5,2))",
                "CREATE INDEX IX_Title ON Album (Title)",
                "INSERT INTO Album VALUES (1, 'One', 1.50), (2, 'Two', NULL), (3, 'Three', 2)",
                "CREATE TABLE OnlyOne (id int)", "CREATE VIEW Titles AS SELECT Title FROM Album",
                "CREATE PROCEDURE AddAlbum(IN p_id int, IN p_title varchar(10)) "
                "INSERT INTO Album VALUES (p_id, p_title, NULL)"});
    executeSql(connect(2),
               {"CREATE TABLE Album (AlbumId int NOT NULL PRIMARY KEY, Title varchar(200) NOT "
                "NULL, Rating decimal(5,2))",
                "CREATE UNIQUE INDEX IX_Title ON Album (Title)",
                "INSERT INTO Album VALUES (1, 'One', 1.5), (2, 'Two', NULL), (4, 'Four', 3)",
                "CREATE VIEW OnlyTwo AS SELECT AlbumId FROM Album",
                "CREATE VIEW Titles AS SELECT Title FROM Album",
                "CREATE PROCEDURE AddAlbum(IN p_id int, IN p_title varchar(20)) "
                "INSERT INTO Album VALUES (p_id, p_title, NULL)"});
    const BatchResult r = compare();
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string report = squeezed(r.out);
    const std::string one = name(1) + ":zentab@(127.0.0.1)";
    const std::string two = name(2) + ":zentab@(127.0.0.1)";
    const std::vector<std::string> expected = {
        "2 tables were found in " + one + "\n1 table was found in " + two,
        "The following tables DO NOT exist in " + two + "\n\n\t\tOnlyOne\n",
        "Album Title NOT NULL WVARCHAR(160) NOT NULL WVARCHAR(200)\n",
        "Album IX_Title NOT UNIQUE UNIQUE Title Title\n",
        "Differences found in table Album\n\n AlbumId _Title _Rating _\n\n< 3 Three 2.00\n> 4 "
        "Four 3.00\n",
        "The following views DO NOT exist in " + one + "\n\n\t\tOnlyTwo\n",
        "Titles Title NOT NULL WVARCHAR(160) NOT NULL WVARCHAR(200)\n",
        "Differences found in view Titles\n\n Title _\n\n> Four\n< Three\n",
        "AddAlbum p_title IN WVARCHAR(10) IN WVARCHAR(20)\n",
    };
    for (const std::string& part : expected) {
        EXPECT_TRUE(contains(report, part)) << "missing:\n" << part << "\nin:\n" << report;
    }
    // The primary keys are alike, and the equal rows are not reported.
    EXPECT_FALSE(contains(report, "PRIMARY")) << report;
    EXPECT_FALSE(contains(report, "< 1 ")) << report;
}

// Names holding the backquote, the quote and a statement end are quoted as MariaDB quotes
// them, so they stay names: the rows are compared and nothing else runs.
TEST_F(MariaDbRun, HostileNamesAreComparedAsNames) {
    for (int number : {1, 2}) {
        executeSql(connect(number),
                   {"CREATE TABLE `odd``name'; DROP TABLE keep; --` (`col``1` int, `a b` "
                    "varchar(10))",
                    "CREATE TABLE keep (id int)",
                    "INSERT INTO `odd``name'; DROP TABLE keep; --` VALUES (1, 'x'), (" +
                        std::to_string(number + 1) + ", 'y')"});
    }
    const BatchResult r = compare();
    EXPECT_EQ(r.status, 1) << r.err << r.out;
    const std::string report = squeezed(r.out);
    EXPECT_TRUE(contains(report, "Differences found in table odd`name'; DROP TABLE keep; --\n\n "
                                 "col`1 _a b _\n\n< 2 y\n> 3 y\n"))
        << report;
    EXPECT_FALSE(contains(report, "error")) << report;
    for (int number : {1, 2}) {
        EXPECT_EQ(queryValue(connect(number), "SELECT COUNT(*) FROM keep"), "0");
    }
}

// The same table in the three systems, each spelling the names its own way (PostgreSQL folds
// them to lower case), with one row that differs: every ordered pair finds that row and nothing
// else in the data.
TEST_F(MariaDbRun, SameDataInEveryPairOfSystems) {
    ZENTAB_REQUIRE_POSTGRES(postgres);
    const std::string schema = database(); // a PostgreSQL schema of the same name
    executeSql(postgres, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema,
                          "CREATE TABLE " + schema +
                              ".Track (TrackId integer, Name varchar(40), Price decimal(6,2))",
                          "INSERT INTO " + schema +
                              ".Track VALUES (1, 'Alpha', 0.99), (2, 'Beta', 1.99), "
                              "(10, 'Gamma', 12.50), (11, 'Delta', 0.5)"});
    const std::string create = "CREATE TABLE Track (TrackId integer, Name varchar(40), Price "
                               "decimal(6,2))";
    const std::string rows = "INSERT INTO Track VALUES (1, 'Alpha', 0.99), (2, 'Beta', 1.99), "
                             "(10, 'Gamma', 12.50)";
    executeSql(connect(1), {create, rows, "INSERT INTO Track VALUES (12, 'Epsilon', 2)"});
    const std::string sqlite = sqliteConnectString(dir_.file("track.db"));
    executeSql(sqlite, {create, rows, "INSERT INTO Track VALUES (11, 'Delta', 0.50)"});

    struct System {
        std::string what;
        std::string arguments; // connect string and owner, for side N
        std::string extra;     // the row only this side holds, as the side writes it
    };
    const std::vector<System> systems = {
        {"SQLite", shellQuoted(sqlite), "11 Delta 0.5"},
        {"PostgreSQL", shellQuoted(postgres) + " --ownerN " + schema, "11 Delta 0.50"},
        {"MariaDB", shellQuoted(connect(1)) + " --ownerN " + name(1), "12 Epsilon 2.00"},
    };
    auto side = [](const System& system, int number) {
        std::string text = system.arguments;
        const std::size_t at = text.find("--ownerN");
        if (at != std::string::npos) {
            text.replace(at, 8, "--owner" + std::to_string(number));
        }
        return " --db" + std::to_string(number) + " " + text;
    };
    for (const System& a : systems) {
        for (const System& b : systems) {
            if (&a == &b) {
                continue;
            }
            SCOPED_TRACE(a.what + " against " + b.what);
            const BatchResult r = runZentabBatch(
                dir_, side(a, 1) + side(b, 2) + " --set b_DoTabStruct=0 --set b_DoIndex=0");
            const std::string report = squeezed(r.out);
            EXPECT_FALSE(contains(report, "error")) << report;
            EXPECT_FALSE(contains(report, "WARNING")) << report;
            // SQLite holds the decimal as a number and writes it without the trailing zero;
            // compared by value, its row is PostgreSQL's.
            if (a.extra.substr(0, 2) == b.extra.substr(0, 2)) {
                EXPECT_EQ(r.status, 0) << report;
                EXPECT_TRUE(contains(report, "No data differences were found in table ")) << report;
                continue;
            }
            EXPECT_EQ(r.status, 1) << report;
            const std::size_t at = report.find("Differences found in table ");
            ASSERT_NE(at, std::string::npos) << report;
            const std::size_t rowsAt = report.find("\n\n", report.find('\n', at) + 2);
            ASSERT_NE(rowsAt, std::string::npos) << report;
            const std::string body =
                report.substr(rowsAt + 2, report.find("\n\n", rowsAt + 2) - rowsAt - 2);
            // Track 11 comes before track 12, whichever side holds it.
            const std::string mine = "< " + a.extra;
            const std::string theirs = "> " + b.extra;
            EXPECT_EQ(body, a.extra < b.extra ? mine + "\n" + theirs : theirs + "\n" + mine)
                << report;
        }
    }
    executeSql(postgres, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
}

} // namespace
} // namespace zentab::test

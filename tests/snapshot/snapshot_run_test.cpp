// The snapshot run on real databases: which sections the include options fill, the skip lists,
// a snapshot taken from a snapshot, and a snapshot compared in place of the database it was
// taken from.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/snapshot_file.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

const std::string kEnd(snapshot::kEndMarker);

const std::vector<std::string> kShop = {
    "CREATE TABLE orders (id INTEGER PRIMARY KEY, item TEXT)",
    "INSERT INTO orders VALUES (1, 'pen'), (2, 'ink')",
    "CREATE INDEX ix_item ON orders (item)",
    "CREATE TABLE secret_t (k INTEGER, s TEXT)",
    "INSERT INTO secret_t VALUES (1, 'secret_value')",
    "CREATE INDEX secret_ix ON secret_t (s)",
    "CREATE VIEW cheap AS SELECT id, item FROM orders WHERE id < 2",
    "CREATE VIEW secret_v AS SELECT s FROM secret_t",
};

struct Include {
    bool tabStruct = false, index = false, tabData = false;
    bool viewStruct = false, viewData = false, procStruct = false;
};

const Include kEverything{true, true, true, true, true, true};

// The section records of a snapshot that hold more than their end marker.
std::vector<std::string> filledSections(const std::vector<std::string>& records) {
    std::vector<std::string> filled;
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        if (records[i].rfind("<<<START ", 0) == 0 && records[i + 1] != kEnd) {
            filled.push_back(records[i]);
        }
    }
    return filled;
}

class SnapshotRunTest : public RunFixture {
protected:
    void include(const Include& in) {
        CompareSettings& s = session.settings;
        s.b_DoTabStruct = in.tabStruct;
        s.b_DoIndex = in.index;
        s.b_DoTabData = in.tabData;
        s.b_DoViewStruct = in.viewStruct;
        s.b_DoViewData = in.viewData;
        s.b_DoProcStruct = in.procStruct;
    }

    std::string sqliteDatabase(const std::string& name, const std::vector<std::string>& sql) {
        const std::string connect = sqliteConnectString(dir.file(name));
        executeSql(connect, sql);
        return connect;
    }

    // A snapshot run of Database 1 to `path`, started as the snapshot command starts it.
    void takeSnapshot(const std::string& path) {
        session.settings.b_SnapshotOnly = true;
        session.settings.s_SnapshotFile = path;
        session.clearCommonLists();
        ASSERT_TRUE(driver->startRun());
        waitForEnd();
        ASSERT_EQ(session.lastOutcome, RunOutcome::Finished)
            << testing::PrintToString(host.messages());
    }

    // A comparison run of the two sides; the report with each side's display name replaced and
    // the lines that head the columns of a section with the sides' names left out.
    std::string compare() {
        session.settings.b_SnapshotOnly = false;
        session.clearCommonLists();
        EXPECT_TRUE(driver->startRun());
        waitForEnd();
        std::string report = session.report.text();
        for (auto [side, tag] : {std::pair{session.side1.get(), "<DATABASE 1>"},
                                 std::pair{session.side2.get(), "<DATABASE 2>"}}) {
            const std::string name = side->displayName;
            for (auto at = report.find(name); at != std::string::npos; at = report.find(name, at)) {
                report.replace(at, name.size(), tag);
            }
        }
        std::string out;
        std::string previous;
        for (std::size_t pos = 0; pos < report.size();) {
            std::size_t end = report.find("\r\n", pos);
            end = end == std::string::npos ? report.size() : end + 2;
            const std::string line = report.substr(pos, end - pos);
            const bool heading = line.rfind("TABLE ", 0) == 0 || line.rfind("VIEW ", 0) == 0 ||
                                 line.rfind("PROCEDU", 0) == 0;
            out += heading ? "<NAMES>\r\n" : previous;
            previous = line;
            pos = end;
        }
        return out + previous;
    }
};

TEST_F(SnapshotRunTest, TheIncludeOptionsChooseTheSectionsThatAreFilled) {
    useSide(1, connectSide(sqliteDatabase("shop.db", kShop)));
    struct Case {
        const char* what;
        Include in;
        std::vector<std::string> filled;
    } cases[] = {
        {"nothing", {}, {}},
        {"indexes", {.index = true}, {"<<<START TABLES", "<<<START INDEX"}},
        {"table data", {.tabData = true}, {"<<<START TABLES", "<<<START COLUMNS", "<<<START DATA"}},
        {"view structure", {.viewStruct = true}, {"<<<START VIEWS", "<<<START VIEW COLUMNS"}},
        {"view data",
         {.viewData = true},
         {"<<<START VIEWS", "<<<START VIEW COLUMNS", "<<<START VIEW DATA"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        include(c.in);
        const std::string path = dir.file(std::string(c.what) + ".zsn");
        takeSnapshot(path);
        const std::vector<std::string> records = readSnapshotRecords(path);
        EXPECT_EQ(filledSections(records), c.filled);
        // Every section, in its order, whatever was left out.
        std::vector<std::string> markers;
        std::copy_if(records.begin(), records.end(), std::back_inserter(markers),
                     [](const std::string& r) { return r.rfind("<<<START ", 0) == 0; });
        EXPECT_EQ(markers, (std::vector<std::string>{
                               "<<<START TABLES", "<<<START COLUMNS", "<<<START INDEX",
                               "<<<START DATA", "<<<START VIEWS", "<<<START VIEW COLUMNS",
                               "<<<START VIEW DATA", "<<<START PROCS", "<<<START PROC COLUMNS"}));
    }

    // With nothing included the file is the empty snapshot, byte for byte.
    writeEmptySnapshot(dir.file("empty.zsn"));
    EXPECT_EQ(readFile(dir.file("nothing.zsn")), readFile(dir.file("empty.zsn")));

    // Indexes alone list the tables for the index phase and leave the columns out.
    // SQLite reports the primary key as an index of its own.
    const std::vector<std::string> indexes = {
        "orders",   "sqlite_autoindex_0", "    UNIQUE ", "id", kEnd,
        "ix_item",  "NOT UNIQUE ",        "item",        kEnd, kEnd, // orders closed
        "secret_t", "secret_ix",          "NOT UNIQUE ", "s",  kEnd,
        kEnd};
    std::vector<std::string> expected = {
        "Version 5.0", "<<<START TABLES",  "orders", "secret_t",
        kEnd,          "<<<START COLUMNS", kEnd,     "<<<START INDEX"};
    expected.insert(expected.end(), indexes.begin(), indexes.end());
    for (const char* empty : {"<<<START DATA", "<<<START VIEWS", "<<<START VIEW COLUMNS",
                              "<<<START VIEW DATA", "<<<START PROCS", "<<<START PROC COLUMNS"}) {
        expected.insert(expected.end(), {empty, kEnd});
    }
    EXPECT_EQ(readSnapshotRecords(dir.file("indexes.zsn")), expected);
}

TEST_F(SnapshotRunTest, TheRunWritesOneReportLineAndEndsWithItsMessage) {
    useSide(1, connectSide(sqliteDatabase("shop.db", kShop)));
    session.settings.b_OnlyToFile = true; // the line is on screen all the same
    session.settings.s_AutoSaveFile = dir.file("report.txt");
    include(kEverything);
    const std::string path = dir.file("shop.zsn");
    takeSnapshot(path);

    EXPECT_EQ(session.report.text(), "Snapshot is being written to file: " + path + "\r\n\r\n");
    EXPECT_EQ(colourTagged(session.report).substr(0, 3), "[E]");
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"Zentab has finished creating the database snapshot"});
    const std::vector<std::string> captions = host.mainCaptions();
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(captions[captions.size() - 2], "Finished - Zentab");
    EXPECT_EQ(captions.back(), "Ready - Zentab");
    EXPECT_TRUE(session.writer.reportSaved);
    EXPECT_FALSE(session.control.running);
    EXPECT_FALSE(session.troubleFound);
    EXPECT_TRUE(session.settings.b_SnapshotOnly) << "stays set for Rerun Last";

    // Started automatically, the run ends the program instead of saying so.
    session.autoStartPath = dir.file("auto.zcf");
    takeSnapshot(dir.file("again.zsn"));
    EXPECT_EQ(host.endedWith(), 1);
    EXPECT_TRUE(session.autoStartPath.empty());
    EXPECT_EQ(host.messages().size(), 1u) << testing::PrintToString(host.messages());
}

TEST_F(SnapshotRunTest, AStopLeavesTheSnapshotIncompleteAndSaysNothingMore) {
    useSide(1, connectSide(sqliteDatabase("shop.db", kShop)));
    include(kEverything);
    // Stopped while the views are listed, after the table sections were written.
    host.onCall([this](const std::string& line) {
        if (line == "panel add: VIEW.cheap") {
            session.control.running = false;
        }
    });
    session.settings.b_SnapshotOnly = true;
    session.settings.s_SnapshotFile = dir.file("shop.zsn");
    ASSERT_TRUE(driver->startRun());
    waitForEnd();

    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
    EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
    EXPECT_EQ(host.lastMainCaption(), "Ready - Zentab");
    const std::vector<std::string> records = readSnapshotRecords(dir.file("shop.zsn"));
    EXPECT_NE(std::find(records.begin(), records.end(), "<<<START DATA"), records.end());
    EXPECT_EQ(std::find(records.begin(), records.end(), "<<<START PROCS"), records.end());
}

TEST_F(SnapshotRunTest, DeselectedObjectsAreInNoSection) {
    useSide(1, connectSide(sqliteDatabase("shop.db", kShop)));
    include(kEverything);
    session.settings.ignoreTables = {"SECRET_T"}; // deselections are matched without case
    session.settings.ignoreViews = {"Secret_V"};
    takeSnapshot(dir.file("shop.zsn"));

    const std::vector<std::string> records = readSnapshotRecords(dir.file("shop.zsn"));
    for (const std::string& record : records) {
        EXPECT_EQ(record.find("secret"), std::string::npos) << record;
    }
    EXPECT_NE(std::find(records.begin(), records.end(), "1 \t pen"), records.end());
    EXPECT_NE(std::find(records.begin(), records.end(), "cheap"), records.end());
    EXPECT_EQ(host.panelObjects(), (std::vector<std::string>{"orders", "VIEW.cheap"}));
}

TEST_F(SnapshotRunTest, ASnapshotOfASnapshotIsTheSameSnapshot) {
    useSide(1, connectSide(sqliteDatabase("shop.db", kShop)));
    include(kEverything);
    session.settings.ignoreViews = {"secret_v"};
    takeSnapshot(dir.file("first.zsn"));

    useSide(1, snapshotSide(dir.file("first.zsn")));
    takeSnapshot(dir.file("second.zsn"));
    EXPECT_EQ(readFile(dir.file("second.zsn")), readFile(dir.file("first.zsn")));
    EXPECT_FALSE(session.troubleFound);

    // A snapshot that lacks what is asked of it gives an incomplete copy, which must not pass
    // for a good one.
    include({.index = true});
    takeSnapshot(dir.file("indexes.zsn"));
    useSide(1, snapshotSide(dir.file("indexes.zsn")));
    include({.tabData = true});
    takeSnapshot(dir.file("third.zsn"));
    EXPECT_TRUE(session.troubleFound);
}

TEST_F(SnapshotRunTest, ASnapshotComparesLikeTheDatabaseItWasTakenFrom) {
    const std::string one = sqliteDatabase("one.db", kShop);
    const std::string two =
        sqliteDatabase("two.db", {"CREATE TABLE orders (id INTEGER PRIMARY KEY, item TEXT)",
                                  "INSERT INTO orders VALUES (1, 'pen'), (3, 'cap')",
                                  "CREATE INDEX ix_item ON orders (item, id)",
                                  "CREATE TABLE secret_t (k INTEGER, s VARCHAR(10), extra INTEGER)",
                                  "CREATE TABLE added (x INTEGER)",
                                  "CREATE VIEW cheap AS SELECT id FROM orders WHERE id < 3"});
    include(kEverything);
    useSide(1, connectSide(one));
    useSide(2, connectSide(two));
    const std::string online = compare();

    takeSnapshot(dir.file("one.zsn"));
    useSide(1, snapshotSide(dir.file("one.zsn")));
    const std::string fromSnapshot = compare();

    EXPECT_NE(online.find("ix_item"), std::string::npos) << online;
    EXPECT_NE(online.find("cap"), std::string::npos) << online;
    EXPECT_EQ(fromSnapshot, online);
}

// PostgreSQL has what SQLite lacks: schemas as owners and procedures with parameters.
class PostgresSnapshotRun : public SnapshotRunTest {
protected:
    void SetUp() override {
        std::optional<std::string> server = postgresConnectString();
        if (!server) {
            if (postgresRequired()) {
                FAIL() << kPostgresMissing;
            }
            GTEST_SKIP() << kPostgresMissing;
        }
        pg_ = *server;
        base_ = "zt_snap_" + std::to_string(getpid()) + "_" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name())
                    .substr(0, 20);
        std::transform(base_.begin(), base_.end(), base_.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const char* n : {"1", "2"}) {
            executeSql(pg_, {"DROP SCHEMA IF EXISTS " + base_ + n + " CASCADE",
                             "CREATE SCHEMA " + base_ + n});
        }
    }
    void TearDown() override {
        if (!base_.empty()) {
            for (const char* n : {"1", "2"}) {
                executeSql(pg_, {"DROP SCHEMA IF EXISTS " + base_ + n + " CASCADE"});
            }
        }
    }
    // Creates the objects of `sql` in schema `number` ("$" stands for it) and opens that side.
    void postgresSide(int number, std::vector<std::string> sql) {
        const std::string schema = base_ + std::to_string(number);
        for (std::string& text : sql) {
            for (auto at = text.find('$'); at != std::string::npos; at = text.find('$')) {
                text.replace(at, 1, schema);
            }
        }
        executeSql(pg_, sql);
        useSide(number, connectSide(pg_, schema));
    }

    std::string pg_;
    std::string base_;
};

const std::vector<std::string> kPostgresShop = {
    "CREATE TABLE $.orders (id integer PRIMARY KEY, item varchar(20))",
    "INSERT INTO $.orders VALUES (1, 'pen'), (2, 'ink')",
    "CREATE UNIQUE INDEX ux_item ON $.orders (item)",
    "CREATE VIEW $.cheap AS SELECT id FROM $.orders WHERE id < 2",
    "CREATE FUNCTION $.price(a integer, b varchar) RETURNS numeric LANGUAGE sql AS 'SELECT 1.0'",
};

TEST_F(PostgresSnapshotRun, ASnapshotOfASnapshotIsTheSameSnapshot) {
    postgresSide(1, kPostgresShop);
    include(kEverything);
    takeSnapshot(dir.file("first.zsn"));
    const std::vector<std::string> first = readSnapshotRecords(dir.file("first.zsn"));
    EXPECT_NE(std::find(first.begin(), first.end(), "price"), first.end());
    EXPECT_EQ(filledSections(first).size(), 9u);

    useSide(1, snapshotSide(dir.file("first.zsn")));
    takeSnapshot(dir.file("second.zsn"));
    EXPECT_EQ(readFile(dir.file("second.zsn")), readFile(dir.file("first.zsn")));
}

TEST_F(PostgresSnapshotRun, ASnapshotComparesLikeTheDatabaseItWasTakenFrom) {
    postgresSide(1, kPostgresShop);
    postgresSide(2, {
                        "CREATE TABLE $.orders (id integer PRIMARY KEY, item varchar(30))",
                        "INSERT INTO $.orders VALUES (1, 'pen'), (3, 'cap')",
                        "CREATE INDEX ux_item ON $.orders (item)",
                        "CREATE VIEW $.cheap AS SELECT id, item FROM $.orders WHERE id < 3",
                        "CREATE FUNCTION $.price(a bigint, b varchar) RETURNS numeric "
                        "LANGUAGE sql AS 'SELECT 1.0'",
                    });
    include(kEverything);
    const std::string online = compare();

    takeSnapshot(dir.file("one.zsn"));
    useSide(1, snapshotSide(dir.file("one.zsn")));
    const std::string fromSnapshot = compare();

    EXPECT_NE(online.find("price"), std::string::npos) << online;
    EXPECT_NE(online.find("cap"), std::string::npos) << online;
    EXPECT_EQ(fromSnapshot, online);
}

} // namespace
} // namespace zentab::test

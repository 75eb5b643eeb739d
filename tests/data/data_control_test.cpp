#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "data/data_fixture.h"

namespace zentab {
namespace {

using test::DataRun;

constexpr int kBigRows = 30000;

// BIG: tens of thousands of rows, Database 2 changing every hundredth; SMALL: one difference.
class LargeDataRun : public DataRun {
protected:
    void SetUp() override {
        const std::string count = std::to_string(kBigRows);
        auto big = [&](const std::string& text) {
            return "INSERT INTO BIG WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM "
                   "c WHERE x < " +
                   count + ") SELECT x, " + text + " FROM c";
        };
        const std::string create = "CREATE TABLE BIG (id integer, txt varchar(20))";
        const std::string small = "CREATE TABLE SMALL (id integer)";
        sqliteSides({create, big("'row ' || x"), small, "INSERT INTO SMALL VALUES (1)"},
                    {create, big("CASE WHEN x % 100 = 0 THEN 'changed ' || x ELSE 'row ' || x END"),
                     small, "INSERT INTO SMALL VALUES (2)"},
                    true);
    }

    // Acts once, when the row walk has taken its 320th step: the request is seen at once.
    void atRowStep320(std::function<void()> action) {
        host.onCall([this, action,
                     fired = std::make_shared<std::atomic<bool>>(false)](const std::string& line) {
            if (line == "progress pos: 320" && !fired->exchange(true)) {
                action();
            }
        });
    }

    // BIG's header and the differences before the 320th step: ids 100, 200 and 300.
    static std::string bigSoFar() {
        std::string text = "\r\n\r\n\r\nDifferences found in table BIG\r\n\r\n"
                           "  id         _txt                 _\r\n";
        for (const char* id : {"100", "200", "300"}) {
            const std::string changed = std::string("changed ") + id;
            const std::string row = std::string("row ") + id;
            text += "\r\n> " + std::string(id) + std::string(12 - 3, ' ') + changed +
                    std::string(21 - changed.size(), ' ');
            text += "\r\n< " + std::string(id) + std::string(12 - 3, ' ') + row +
                    std::string(21 - row.size(), ' ');
        }
        return text;
    }
};

TEST_F(LargeDataRun, SkipEndsTheObjectAndTheNextOneIsCompared) {
    atRowStep320([this] { session.control.skipRequested = true; });
    run();
    EXPECT_EQ(dataText(2, 2), bigSoFar() + "\r\nTable Skipped ..." +
                                  "\r\n\r\n\r\nDifferences found in table SMALL\r\n\r\n"
                                  "  id         _\r\n"
                                  "\r\n< 1           "
                                  "\r\n> 2           ");
    EXPECT_FALSE(session.control.skipRequested);
    EXPECT_FALSE(session.control.skipAllowed);
}

TEST_F(LargeDataRun, StopEndsTheRunAndReleasesTheStatements) {
    atRowStep320([this] { session.control.running = false; });
    run();
    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);
    const std::string report = session.report.text();
    const std::string tail = bigSoFar() + "\r\n\r\nZentab Stopped ...";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    // An open read statement would keep the writer out (the driver waits this long, then
    // gives up with "database is locked").
    for (const std::string& connect : {sqlite1(), sqlite2()}) {
        EXPECT_NO_THROW(
            test::executeSql(connect + "Timeout=500;", {"INSERT INTO BIG VALUES (0, 'new')"}));
    }
}

} // namespace
} // namespace zentab

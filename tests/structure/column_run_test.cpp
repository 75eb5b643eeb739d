#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "structure/column_fixture.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

// A whole comparison run: the real table-list phase pairs the tables, then the column phase.
class ColumnRun : public RunFixture {
protected:
    void side(int number, const std::string& file, const std::vector<std::string>& sql) {
        const std::string connectString = sqliteConnectString(dir.file(file));
        executeSql(connectString, sql);
        auto source = connectSide(connectString);
        source->displayName = file;
        useSide(number, std::move(source));
    }

    // From the column section's header to the end line.
    std::string columnSection() const {
        const std::string text = session.report.text();
        const std::size_t begin = text.find("\r\n\r\n\r\nThe following are the structural");
        const std::size_t end = text.rfind("\r\n\r\n--- End of Zentab");
        if (begin == std::string::npos || end == std::string::npos || end < begin) {
            ADD_FAILURE() << "no column section:\n" << text;
            return {};
        }
        return text.substr(begin, end - begin);
    }
};

TEST_F(ColumnRun, TheListPhasePairsTheTablesTheColumnPhaseCompares) {
    allPhasesOff();
    session.settings.b_DoTabStruct = true;
    side(1, "one.db",
         {"create table orders(id integer not null, qty integer not null)",
          "create table Stock(id int, bin int)", "create table only_here(x int)"});
    side(2, "two.db",
         {"create table STOCK(id int)", "create table orders(id integer not null, qty smallint)"});

    ASSERT_TRUE(driver->startRun());
    waitForEnd();

    // Database 2's order; each table named as Database 1 writes it; W from the longest name of
    // either side (only_here).
    EXPECT_EQ(
        columnSection(),
        columnHeader("tables", 11, "one.db", "two.db", 109) +
            objectLines("Stock", 11, {{"bin", "    NULL INTEGER(9)", "Not Found"}}) +
            objectLines("orders", 11, {{"qty", "NOT NULL INTEGER(9)", "    NULL SMALLINT(5)"}}));
    EXPECT_TRUE(session.differencesFound);
    EXPECT_EQ(session.lastOutcome, RunOutcome::Finished);
    EXPECT_EQ(session.commonTables.size(), 2u);
    for (const ObjectEntry* table : session.commonTables) {
        EXPECT_TRUE(table->structureDiffers) << table->nameInDb2;
        // Stock's bin is on Database 1 alone.
        EXPECT_EQ(table->compareData, table->nameInDb2 != "STOCK") << table->nameInDb2;
    }
}

} // namespace
} // namespace zentab::test

// The snapshot dialog's logic: the owner box, the default location, the checks of its buttons
// and the command that shows it.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/snapshot/snapshot_parameters.h"
#include "db/snapshot_file.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

// 14:05 on 7 March 2026.
std::tm march7() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 14;
    t.tm_min = 5;
    return t;
}

class SnapshotParametersTest : public RunFixture {
protected:
    SnapshotParametersTest() { session.sideDefined1 = false; }

    // An on-line side as the driver would describe it, without a connection behind it.
    std::unique_ptr<DatabaseSource> describedSide(const std::string& owner) {
        auto side = DatabaseSource::createUnconnected(host);
        side->notUsable = false;
        side->displayName = "sa@SALES";
        side->schemaNames = {"public", "Sales", "sales_archive"};
        side->catalogNames = {"main"};
        side->s_DatabaseUser = owner;
        return side;
    }

    SnapshotParameters parameters{session, "/home/me", march7};
};

TEST_F(SnapshotParametersTest, TheOwnerBoxSelectsTheFirstEntryTheOwnerBegins) {
    auto side = describedSide("");
    const std::vector<OwnerEntry> entries = ownerBoxEntries(*side);
    EXPECT_EQ(entries, (std::vector<OwnerEntry>{{"public", OwnerKind::Schema},
                                                {"Sales", OwnerKind::Schema},
                                                {"sales_archive", OwnerKind::Schema},
                                                {"main", OwnerKind::Catalog},
                                                {"-not required-", OwnerKind::NotRequired}}));
    const struct {
        std::string owner;
        int selected;
    } cases[] = {{"", 0}, {"SAL", 1}, {"sales_", 2}, {"MA", 3}, {"-not", 4}, {"nobody", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(firstOwnerMatch(entries, c.owner), c.selected) << c.owner;
    }
}

TEST_F(SnapshotParametersTest, OpeningAppliesTheKindOfTheSelectedEntry) {
    const struct {
        std::string owner;
        bool wasCatalog;
        int selected;
        std::string ownerAfter; // the text itself is left as it was
        bool catalogAfter;
    } cases[] = {
        {"sal", true, 1, "sal", false},
        {"MAIN", false, 3, "MAIN", true},
        {"nobody", true, -1, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.owner);
        useSide(1, describedSide(c.owner));
        session.side1->b_IsCatalog = c.wasCatalog;
        parameters.open();
        EXPECT_EQ(parameters.databaseButton, "sa@SALES");
        EXPECT_EQ(parameters.owners.size(), 5u);
        EXPECT_EQ(parameters.selectedOwner, c.selected);
        EXPECT_EQ(session.side1->s_DatabaseUser, c.ownerAfter);
        EXPECT_EQ(session.side1->b_IsCatalog, c.catalogAfter);
        EXPECT_EQ(parameters.location, "/home/me/sa@SALES_03072026_1405.zsn");
    }

    // A snapshot as Database 1 has no owners; the button asks for a database, and the
    // location is proposed for a copy of the snapshot.
    useSide(1, snapshotSide(dir.file("one.zsn")));
    parameters.open();
    EXPECT_EQ(parameters.databaseButton, "Press to select Database");
    EXPECT_TRUE(parameters.owners.empty());
    EXPECT_EQ(parameters.location, "/home/me/one.zsn_03072026_1405.zsn");
}

TEST_F(SnapshotParametersTest, TheDefaultLocationHoldsNoFolderTheNameDoesNotHave) {
    const struct {
        std::string displayName;
        std::string location;
    } cases[] = {
        {"/srv/data/shop.db", "/home/me/_srv_data_shop.db_03072026_1405.zsn"},
        {"sa@PG(db.example:5432)", "/home/me/sa@PG(db.example:5432)_03072026_1405.zsn"},
        {std::string("odd\0name", 8), "/home/me/odd_name_03072026_1405.zsn"},
    };
    auto side = describedSide("");
    for (const auto& c : cases) {
        side->displayName = c.displayName;
        EXPECT_EQ(defaultSnapshotLocation(side.get(), "/home/me", march7()), c.location);
    }
    side->notUsable = true;
    EXPECT_EQ(defaultSnapshotLocation(side.get(), "/home/me", march7()), "");

    // The SQLite driver names the side by its database file.
    const std::string connect = sqliteConnectString(dir.file("shop.db"));
    executeSql(connect, {"CREATE TABLE t (x INTEGER)"});
    useSide(1, connectSide(connect));
    parameters.open();
    ASSERT_NE(session.side1->displayName.find('/'), std::string::npos);
    const std::string name = parameters.location.substr(std::string("/home/me/").size());
    EXPECT_EQ(name.find('/'), std::string::npos) << parameters.location;
}

TEST_F(SnapshotParametersTest, StartAndAdvancedNeedADatabaseAndALocation) {
    EXPECT_FALSE(parameters.advanced());
    EXPECT_FALSE(parameters.start());
    EXPECT_EQ(host.messages(),
              (std::vector<std::string>{
                  "You must select a database before you can setup the advanced options.",
                  "You must select a database before you can begin."}));

    useSide(1, describedSide(""));
    parameters.open();
    EXPECT_TRUE(parameters.advanced());
    const struct {
        std::string typed;
        bool started;
        std::string location;
    } cases[] = {
        {"  \t ", false, "  \t "},
        {"", false, ""},
        {"  /tmp/shop.zsn\t", true, "/tmp/shop.zsn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::size_t shown = host.messages().size();
        parameters.location = c.typed;
        EXPECT_EQ(parameters.start(), c.started);
        EXPECT_EQ(parameters.location, c.location);
        EXPECT_EQ(parameters.focusLocation, !c.started);
        if (!c.started) {
            ASSERT_EQ(host.messages().size(), shown + 1);
            EXPECT_EQ(host.messages().back(), "Please select a destination for this snapshot.");
        }
    }
}

TEST_F(SnapshotParametersTest, TheCommandRunsTheSnapshotTheDialogSetUp) {
    const std::string connect = sqliteConnectString(dir.file("shop.db"));
    executeSql(connect, {"CREATE TABLE t (x INTEGER)", "INSERT INTO t VALUES (7)"});
    session.writer.reportSaved = true;

    // Cancelled: no run, and the option stays set until the next comparison start.
    createDatabaseSnapshot(session, *driver, parameters, [](SnapshotParameters&) { return false; });
    EXPECT_TRUE(session.settings.b_SnapshotOnly);
    EXPECT_FALSE(session.hasRun);

    const std::string path = dir.file("shop.zsn");
    createDatabaseSnapshot(session, *driver, parameters, [&](SnapshotParameters& p) {
        EXPECT_TRUE(p.includes.tabData) << "copied from the settings";
        p.chooseDatabase([&] { return std::optional<std::string>(connect); });
        EXPECT_EQ(p.owners.back().text, "-not required-");
        p.includes = {.tabStruct = true, .tabData = true};
        p.location = " " + path + " ";
        return p.start();
    });
    waitForEnd();
    EXPECT_FALSE(session.settings.b_DoIndex);
    EXPECT_EQ(session.settings.s_SnapshotFile, path);
    const std::vector<std::string> records = readSnapshotRecords(path);
    EXPECT_EQ(std::count(records.begin(), records.end(), "7"), 1) << "the row of t";
    const auto index = std::find(records.begin(), records.end(), "<<<START INDEX");
    ASSERT_NE(index, records.end());
    EXPECT_EQ(index[1], std::string(snapshot::kEndMarker)) << "indexes left out";

    // While the run goes on, the command refuses.
    session.control.running = true;
    createDatabaseSnapshot(session, *driver, parameters, [](SnapshotParameters&) {
        ADD_FAILURE() << "no dialog during a run";
        return false;
    });
    session.control.running = false;
    EXPECT_EQ(host.messages().back(),
              "You cannot create a snapshot until the current comparison ends.\nPress the <stop> "
              "icon to terminate the current Zentab");
}

} // namespace
} // namespace zentab::test

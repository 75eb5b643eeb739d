// Reading a side's tables, views and procedures: on-line with the SQLite3 driver and PostgreSQL,
// and from a snapshot file; names as fetched, owner qualification, the stop check and the
// longest-name lengths of the session.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "compare/phases.h"
#include "db/database_source.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

using test::RecordingHost;
using test::SnapshotSection;
using test::TempDir;

constexpr const char* kPreference = " -#/$%&*";
const std::string kLongName(200, 'x');

std::vector<std::string> names1(const ObjectList& list) {
    std::vector<std::string> names;
    for (const ObjectEntry& entry : list) {
        names.push_back(entry.nameInDb1);
    }
    return names;
}

std::vector<std::string> names2(const ObjectList& list) {
    std::vector<std::string> names;
    for (const ObjectEntry& entry : list) {
        names.push_back(entry.nameInDb2);
    }
    return names;
}

bool holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class SqliteLists : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string connect = test::sqliteConnectString(dir.file("side.db"));
        test::executeSql(connect, {"CREATE TABLE plain (a)", "CREATE TABLE \"trail  \" (a)",
                                   "CREATE TABLE \"" + kLongName + "\" (a)",
                                   "CREATE VIEW v1 AS SELECT a FROM plain"});
        side = DatabaseSource::ConnectStored(host, connect, "", "", kPreference);
        ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    }

    TempDir dir;
    RecordingHost host;
    std::unique_ptr<DatabaseSource> side;
};

TEST_F(SqliteLists, NamesComeAsFetchedCutToTheBoundBuffer) {
    const std::vector<std::string> tables{"plain", "trail  ", kLongName.substr(0, 127)};
    ASSERT_EQ(side->ListTables(true, true), 3);
    EXPECT_EQ(names1(side->tables), tables);
    for (const ObjectEntry& entry : side->tables) {
        EXPECT_EQ(entry.nameInDb2, "");
        EXPECT_FALSE(entry.matched || entry.compareData || entry.dataDiffers ||
                     entry.structureDiffers || entry.indexDiffers);
    }
    EXPECT_EQ(side->ListViews(true, true), 1);
    EXPECT_EQ(names1(side->views), std::vector<std::string>{"v1"});
    // The driver has no procedures: an empty list, and nothing to tell the user.
    EXPECT_EQ(side->ListProcedures(true, true), 0);

    // Read again as Database 2: the list is replaced, not extended.
    ASSERT_EQ(side->ListTables(true, false), 3);
    EXPECT_EQ(names2(side->tables), tables);
    EXPECT_EQ(names1(side->tables), std::vector<std::string>(3));
    EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
}

// The name column of the later sections is as wide as the longest name the list phase read,
// cut names counted as cut; the other kinds keep theirs.
TEST_F(SqliteLists, TheListPhaseMeasuresTheLongestName) {
    Session session(host, standardPhases());
    session.control.running = true;
    session.side1 = std::move(side);
    const std::string other = test::sqliteConnectString(dir.file("other.db"));
    test::executeSql(other, {"CREATE TABLE short (a)"});
    session.side2 = DatabaseSource::ConnectStored(host, other, "", "", kPreference);
    session.longestName[0] = 5;
    session.longestName[1] = 40;
    compareTableList(session);
    EXPECT_EQ(session.longestName[0], 127u);
    EXPECT_EQ(session.longestName[1], 40u);
    EXPECT_EQ(session.longestName[2], 0u);
}

TEST_F(SqliteLists, StopRequestEndsTheListOnTheWorkerOnly) {
    Session session(host, standardPhases());
    session.side1 = std::move(side);
    session.wireSides();
    DatabaseSource* side = session.side1.get();
    session.control.running = false;

    // The selection pages list whatever the run-control flags say.
    EXPECT_EQ(side->ListTables(true, true), 3);

    EXPECT_THROW(side->ListTables(false, true), RunStopped);
    finishRun(session, RunEnd::Stopped); // as the worker does
    EXPECT_TRUE(side->tables.empty());
    EXPECT_EQ(session.report.text(), "\r\n\r\nZentab Stopped ...");
    EXPECT_EQ(session.lastOutcome, RunOutcome::Stopped);

    // The interrupted statement was released: the connection lists again.
    session.control.running = true;
    EXPECT_EQ(side->ListTables(false, true), 3);
}

// The snapshot file as the lists read it: section by section, forward only.
TEST(SnapshotLists, SectionsAreReadForwardAndFailuresKeepWhatWasRead) {
    using Names = std::vector<std::string>;
    struct Case {
        const char* name;
        std::vector<SnapshotSection> sections;
        std::size_t cutBytes; // taken off the end of the file
        Names tables, views, procedures;
    } cases[] = {
        {"every section in order, names untouched",
         {{snapshot::kTables, {"A", "b c ", kLongName}},
          {snapshot::kColumns, {"A", "col"}},
          {snapshot::kViews, {"V"}},
          {snapshot::kProcs, {"P1", "P2"}}},
         0,
         {"A", "b c ", kLongName},
         {"V"},
         {"P1", "P2"}},
        {"an empty section leaves the reader just after its end marker",
         {{snapshot::kTables, {}}, {snapshot::kViews, {"V"}}, {snapshot::kProcs, {}}},
         0,
         {},
         {"V"},
         {}},
        {"a section without its end marker keeps its names, later ones read as empty",
         {{snapshot::kTables, {"A", "B"}, true}},
         0,
         {"A", "B"},
         {},
         {}},
        {"a record cut short ends the list after the whole ones",
         {{snapshot::kTables, {"A", "B", "CCCC"}}, {snapshot::kViews, {"V"}}},
         // two end markers, the views' marker and "V" (1 + 14 and 1 + 1 bytes), and two of
         // the five bytes of "CCCC"
         15 + 15 + 15 + 2 + 2,
         {"A", "B"},
         {},
         {}},
        {"a missing section runs the reader to the end of the file",
         {{snapshot::kViews, {"V"}}, {snapshot::kProcs, {"P"}}},
         0,
         {},
         {},
         {}},
    };
    TempDir dir;
    RecordingHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("lists.zsn");
        test::writeSnapshot(path, c.sections);
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - c.cutBytes);
        auto side = DatabaseSource::ConnectInteractive(host, true, path, nullptr, kPreference);
        ASSERT_FALSE(side->notUsable);
        // A side not yet opened for reading has nothing to read.
        EXPECT_EQ(side->ListTables(true, true), 0);
        side->OpenSnapshotForReading();
        EXPECT_EQ(side->ListTables(true, true), static_cast<int>(c.tables.size()));
        EXPECT_EQ(names1(side->tables), c.tables);
        EXPECT_EQ(side->ListViews(true, false), static_cast<int>(c.views.size()));
        EXPECT_EQ(names2(side->views), c.views);
        EXPECT_EQ(side->ListProcedures(true, true), static_cast<int>(c.procedures.size()));
        EXPECT_EQ(names1(side->procedures), c.procedures);
        // Past its sections the reader finds nothing more until the side is reopened.
        EXPECT_EQ(side->ListTables(true, true), 0);
        EXPECT_TRUE(side->tables.empty());
    }
    EXPECT_TRUE(host.messages().empty());
}

// Two schemas of the test server: the fixture's own and a second one of the same length.
class PostgresLists : public test::PostgresSchemaTest {
protected:
    void SetUp() override {
        PostgresSchemaTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        other = "zu_" + schema().substr(3);
        execute({"DROP SCHEMA IF EXISTS " + other + " CASCADE", "CREATE SCHEMA " + other,
                 "CREATE TABLE " + qualified("t1") + " (a int)",
                 "CREATE TABLE " + schema() + ".\"Mixed \" (a int)",
                 "CREATE VIEW " + qualified("v1") + " AS SELECT 1 AS a",
                 "CREATE FUNCTION " + qualified("f1") + "() RETURNS int LANGUAGE sql AS 'SELECT 1'",
                 "CREATE TABLE " + other + ".t2 (a int)",
                 "CREATE VIEW " + other + ".v2 AS SELECT 1 AS a"});
    }
    void TearDown() override {
        if (!other.empty()) {
            execute({"DROP SCHEMA IF EXISTS " + other + " CASCADE"});
        }
        PostgresSchemaTest::TearDown();
    }

    std::unique_ptr<DatabaseSource> connect(const std::string& owner) {
        auto side = DatabaseSource::ConnectStored(host, connectString(), owner, "0", kPreference);
        EXPECT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
        if (owner.empty()) {
            side->SelectOwner("", false);
        }
        EXPECT_EQ(side->s_DatabaseUser, owner);
        return side;
    }

    RecordingHost host;
    std::string other;
};

TEST_F(PostgresLists, OwnerQualifiedSideListsOnlyItsSchema) {
    auto side = connect(schema());
    EXPECT_EQ(side->ListTables(true, true), 2);
    EXPECT_EQ(names1(side->tables), (std::vector<std::string>{"Mixed ", "t1"}));
    EXPECT_EQ(side->ListViews(true, true), 1);
    EXPECT_EQ(names1(side->views), std::vector<std::string>{"v1"});
    EXPECT_EQ(side->ListProcedures(true, true), 1);
    EXPECT_EQ(names1(side->procedures), std::vector<std::string>{"f1"});
    EXPECT_TRUE(host.messages().empty());
}

// The owner is a search pattern to the catalog functions: its underscore must not match the
// schema that has another character in its place.
TEST_F(PostgresLists, AnUnderscoreInTheOwnerMatchesOnlyItself) {
    std::string lookalike = schema();
    ASSERT_EQ(lookalike[2], '_');
    lookalike[2] = 'x';
    execute({"DROP SCHEMA IF EXISTS " + lookalike + " CASCADE", "CREATE SCHEMA " + lookalike,
             "CREATE TABLE " + lookalike + ".t3 (a int)",
             "CREATE FUNCTION " + lookalike + ".f3() RETURNS int LANGUAGE sql AS 'SELECT 3'"});
    auto side = connect(schema());
    side->ListTables(true, true);
    side->ListProcedures(true, true);
    execute({"DROP SCHEMA " + lookalike + " CASCADE"});
    EXPECT_EQ(names1(side->tables), (std::vector<std::string>{"Mixed ", "t1"}));
    EXPECT_EQ(names1(side->procedures), std::vector<std::string>{"f1"});
}

TEST_F(PostgresLists, UnqualifiedSideListsEverySchema) {
    auto side = connect("");
    // The server is shared: other schemas may hold tables too.
    int count = side->ListTables(true, true);
    EXPECT_EQ(count, static_cast<int>(side->tables.size()));
    auto tables = names1(side->tables);
    EXPECT_TRUE(holds(tables, "t1") && holds(tables, "Mixed ") && holds(tables, "t2"))
        << testing::PrintToString(tables);
    EXPECT_FALSE(holds(tables, "v1")) << "views are not tables";
    side->ListViews(true, true);
    auto views = names1(side->views);
    EXPECT_TRUE(holds(views, "v1") && holds(views, "v2")) << testing::PrintToString(views);
    EXPECT_FALSE(holds(views, "t1"));
}

TEST_F(PostgresLists, QualifierTheServerRefusesFallsBackToEveryOwner) {
    auto side = connect(schema());
    // Bytes that are no text in the server's encoding: the qualified call fails.
    side->s_DatabaseUser = "\xff\xfe";
    side->ListTables(true, true);
    auto tables = names1(side->tables);
    EXPECT_TRUE(holds(tables, "t1") && holds(tables, "Mixed ") && holds(tables, "t2"))
        << testing::PrintToString(tables);
    EXPECT_TRUE(host.messages().empty()) << testing::PrintToString(host.messages());
}

TEST_F(PostgresLists, CatalogCallFailingEvenUnqualifiedShowsTheDriversMessage) {
    auto side = connect(schema());
    ASSERT_EQ(side->ListTables(true, true), 2);
    // End the side's server session behind its back: every later call on it fails.
    OdbcStatement statement;
    std::string error, pid;
    ASSERT_TRUE(side->ExecuteStatement("SELECT pg_backend_pid()", statement, error)) << error;
    ASSERT_EQ(side->FetchRowText(statement, pid), FetchResult::Row);
    side->FreeStatement(statement);
    execute({"SELECT pg_terminate_backend(" + pid + ")"});

    EXPECT_EQ(side->ListTables(true, true), 0);
    EXPECT_TRUE(side->tables.empty());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_FALSE(host.messages()[0].empty());
    EXPECT_EQ(host.messages()[0], side->lastError);
}

} // namespace
} // namespace zentab

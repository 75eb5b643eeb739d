#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "db/database_source.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

using test::RecordingHost;
using test::TempDir;

constexpr const char* kPreference = " -#/$%&*";

TEST(DatabaseSource, DisplayNameRules) {
    struct Case {
        const char* name;
        const char* dataSourceName;
        const char* serverName;
        const char* userName;
        const char* databaseFile;
        const char* connectString;
        const char* owner;
        const char* defaultOwner;
        const char* expected;
    };
    const Case cases[] = {
        {"data source, server and user", "SALES", "db1", "ann", "", "DSN=Sales;", "ann", "ann",
         "ann@SALES(db1)"},
        {"another owner comes first", "SALES", "db1", "ann", "", "DSN=Sales;", "dbo", "ann",
         "dbo:ann@SALES(db1)"},
        {"server equal to the data source", "DB1", "DB1", "", "", "DSN=db1;", "", "", "DB1"},
        {"DEFAULT in any case is passed over", "Default", "srv", "ann", "", "DSN=default;", "", "",
         "ann@(srv)"},
        {"database file", "default", "srv", "ann", "C:\\DATA\\X.MDB", "DBQ=c:\\data\\x.mdb;", "",
         "", "C:\\DATA\\X.MDB"},
        {"user without a server", "", "", "ann", "", "DRIVER={X};", "", "", "ann@"},
        {"driver keyword", "", "", "", "", "DRIVER={PostgreSQL ANSI};SERVER=h;", "", "",
         "{PostgreSQL ANSI}"},
        // SQLite3 completes its string as "DSN=;..." and reports no user: the server name (its
        // database path) is used.
        {"empty name falls back to the server", "", "/tmp/a.db", "", "",
         "DSN=;Database=/tmp/a.db;PWD=", "", "", "/tmp/a.db"},
        {"then to the string without passwords", "", "", "", "",
         "DSN=;Database=/tmp/a.db;PWD=secret;pwd={x;}}y};Password=p;StepAPI=1", "", "",
         "DSN=;Database=/tmp/a.db;StepAPI=1"},
        {"the fallback still takes the owner prefix", "", "/tmp/a.db", "", "", "DSN=;", "main", "",
         "main:/tmp/a.db"},
        {"nothing known", "", "", "", "", "", "", "", ""},
    };
    RecordingHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto side = DatabaseSource::createUnconnected(host);
        side->dataSourceName = c.dataSourceName;
        side->serverName = c.serverName;
        side->userName = c.userName;
        side->databaseFile = c.databaseFile;
        side->s_ConnectString = c.connectString;
        side->s_DatabaseUser = c.owner;
        side->defaultOwner = c.defaultOwner;
        EXPECT_EQ(side->BuildDisplayName(), c.expected);
        EXPECT_EQ(side->BuildDisplayName(), c.expected);
        EXPECT_EQ(side->displayName, c.expected);
    }
}

TEST(DatabaseSource, ConnectStringValues) {
    struct Case {
        const char* text;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"DSN=MyData;UID=x", "DSN=", "MYDATA"},
        {"UID=a;DSN=Mixed Case;DSN=second", "DSN=", "MIXED CASE"},
        {"Driver=X;dsn=lower;", "DSN=", ""},
        {"DSN=;Database=a", "DSN=", ""},
        {"ODSN=abc", "DSN=", "ABC"},
        {"DBQ=c:\\data\\x.mdb", "DBQ=", "C:\\DATA\\X.MDB"},
        {"", "DBQ=", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DatabaseSource::ConnectStringValue(c.text, c.key), c.expected) << c.text;
    }
}

TEST(DatabaseSource, SelectOwnerRequalifiesAndDropsTheLists) {
    RecordingHost host;
    auto side = DatabaseSource::createUnconnected(host);
    side->userName = "ann";
    side->serverName = "srv";
    side->defaultOwner = "ann";
    side->tables.resize(3);
    side->views.resize(2);
    side->procedures.resize(1);

    side->SelectOwner("sales", false);
    EXPECT_EQ(side->s_DatabaseUser, "sales");
    EXPECT_FALSE(side->b_IsCatalog);
    EXPECT_EQ(side->displayName, "sales:ann@(srv)");
    EXPECT_TRUE(side->tables.empty());
    EXPECT_TRUE(side->views.empty());
    EXPECT_TRUE(side->procedures.empty());

    side->SelectOwner("archive", true);
    EXPECT_TRUE(side->b_IsCatalog);
    EXPECT_EQ(side->displayName, "archive:ann@(srv)");

    side->tables.resize(1);
    side->SelectOwner("-not required-", false);
    EXPECT_EQ(side->s_DatabaseUser, "");
    EXPECT_EQ(side->displayName, "ann@(srv)");
    EXPECT_TRUE(side->tables.empty());
    EXPECT_TRUE(host.messages().empty());
}

class SqliteSource : public ::testing::Test {
protected:
    void SetUp() override {
        connectString = test::sqliteConnectString(dir.file("side.db"));
        test::executeSql(connectString, {"CREATE TABLE t (a text)"});
    }

    TempDir dir;
    std::string connectString;
    RecordingHost host;
};

// The SQLite3 driver reports no ORDER BY limit (0), no special characters, no user, and the
// database path as the server.
TEST_F(SqliteSource, ConnectStoredAsksTheDriver) {
    auto side = DatabaseSource::ConnectStored(host, connectString, "", "", "#$");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    EXPECT_TRUE(host.messages().empty());

    SQLUSMALLINT reported = 99;
    ASSERT_EQ(SQLGetInfo(static_cast<SQLHDBC>(side->connection().get()),
                         SQL_MAX_COLUMNS_IN_ORDER_BY, &reported, sizeof reported, nullptr),
              SQL_SUCCESS);
    ASSERT_EQ(reported, 0);
    EXPECT_EQ(side->maxOrderByColumns, 10000);
    EXPECT_EQ(side->specialCharacters, "#$ ");
    EXPECT_EQ(side->identifierCase, IdentifierCase::Sensitive);
    EXPECT_EQ(side->identifierQuote, "\"");

    const std::string path = dir.file("side.db");
    EXPECT_EQ(side->s_ConnectString.rfind("DSN=;Database=" + path + ";", 0), 0u)
        << side->s_ConnectString;
    EXPECT_EQ(side->dataSourceName, "");
    EXPECT_EQ(side->serverName, path);
    EXPECT_EQ(side->userName, "");
    EXPECT_EQ(side->s_DatabaseUser, "");
    EXPECT_EQ(side->displayName, path);
    EXPECT_FALSE(side->schemasListed);
    EXPECT_FALSE(side->catalogsListed);
}

// The side asks for read-only access; the SQLite3 driver accepts the request with a warning
// and goes on writing, so for SQLite the quoting of names is all that keeps a run from writing.
TEST_F(SqliteSource, ReadOnlyRequestDoesNotStopTheDriverWriting) {
    auto side = DatabaseSource::ConnectStored(host, connectString, "", "", kPreference);
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    EXPECT_TRUE(host.messages().empty());
    OdbcStatement statement;
    std::string error;
    EXPECT_TRUE(side->ExecuteStatement("INSERT INTO t VALUES ('written')", statement, error))
        << error;
}

TEST_F(SqliteSource, ConnectInteractiveTakesTheProvidersString) {
    int asked = 0;
    auto side = DatabaseSource::ConnectInteractive(
        host, false, "",
        [&]() -> std::optional<std::string> {
            ++asked;
            return connectString;
        },
        kPreference);
    EXPECT_EQ(asked, 1);
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    EXPECT_EQ(side->displayName, dir.file("side.db"));
    EXPECT_TRUE(side->b_IsCatalog);
    EXPECT_EQ(side->specialCharacters, " -#/$%&* ");
}

TEST_F(SqliteSource, CancelledProviderLeavesTheSideUnusedSilently) {
    auto side = DatabaseSource::ConnectInteractive(
        host, false, "", [] { return std::optional<std::string>(); }, kPreference);
    EXPECT_TRUE(side->notUsable);
    EXPECT_EQ(side->displayName, "Not Connected");
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(SqliteSource, RefusedConnectionShowsTheDriversMessage) {
    auto side = DatabaseSource::ConnectStored(
        host, test::sqliteConnectString(dir.file("no/such/folder.db")), "", "", kPreference);
    EXPECT_TRUE(side->notUsable);
    EXPECT_EQ(side->displayName, "Not Connected");
    ASSERT_EQ(host.messages().size(), 1u);
    // The driver's own text follows the fixed lead-in.
    EXPECT_EQ(host.messages()[0], "Could not connect to data source.\n\n[SQLite]connect failed");
}

TEST_F(SqliteSource, OverlongConnectStringIsRefusedNotCut) {
    std::string text = connectString + "X=" + std::string(600, 'y') + ";";
    auto side = DatabaseSource::ConnectStored(host, text, "", "", kPreference);
    EXPECT_TRUE(side->notUsable);
    EXPECT_EQ(side->displayName, "Not Connected");
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0], "Could not connect to data source.\n\n"
                                  "The connect string is longer than 511 characters.");
}

// A named data source from a user odbc.ini: its name, upper-cased, becomes the display name.
TEST_F(SqliteSource, DataSourceNameIsUpperCasedForDisplay) {
    const std::string ini = dir.file("odbc.ini");
    test::writeFile(ini, "[zentab_Mixed]\nDriver=SQLite3\nDatabase=" + dir.file("side.db") + "\n");
    const char* previous = std::getenv("ODBCINI");
    std::string saved = previous != nullptr ? previous : "";
    setenv("ODBCINI", ini.c_str(), 1);
    auto side = DatabaseSource::ConnectStored(host, "DSN=zentab_Mixed;", "", "", kPreference);
    if (previous != nullptr) {
        setenv("ODBCINI", saved.c_str(), 1);
    } else {
        unsetenv("ODBCINI");
    }
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    EXPECT_EQ(side->dataSourceName, "ZENTAB_MIXED");
    EXPECT_EQ(side->displayName, "ZENTAB_MIXED(" + dir.file("side.db") + ")");
}

TEST(SnapshotSide, ChosenFileNamesTheSide) {
    TempDir dir;
    const std::string path = dir.file("sales.zsn");
    test::writeFile(path, "\x0bVersion 5.0");
    RecordingHost host;
    host.answerFile(path);
    auto side = DatabaseSource::ConnectInteractive(host, true, "", nullptr, kPreference);
    ASSERT_EQ(host.fileRequests().size(), 1u);
    EXPECT_EQ(host.fileRequests()[0].filter, "Zentab Snapshot Files (*.zsn) | *.zsn||");
    EXPECT_EQ(host.fileRequests()[0].defaultExtension, "zsn");
    EXPECT_FALSE(host.fileRequests()[0].save);
    EXPECT_FALSE(side->notUsable);
    EXPECT_TRUE(side->b_IsSnapshot);
    EXPECT_EQ(side->displayName, "sales.zsn");
    EXPECT_EQ(side->s_SnapshotFile, path);
    EXPECT_EQ(side->maxOrderByColumns, 10000);
    EXPECT_EQ(side->s_DatabaseUser, "");
    EXPECT_EQ(side->specialCharacters, "");
    EXPECT_EQ(side->identifierCase, IdentifierCase::Unknown);
    EXPECT_EQ(side->identifierQuote, "");
    EXPECT_FALSE(side->snapshotReader);
    EXPECT_TRUE(host.messages().empty());
}

TEST(SnapshotSide, CancelledDialogAndMissingFile) {
    RecordingHost host;
    auto cancelled = DatabaseSource::ConnectInteractive(host, true, "", nullptr, kPreference);
    EXPECT_TRUE(cancelled->notUsable);
    EXPECT_TRUE(host.messages().empty());

    TempDir dir;
    auto missing =
        DatabaseSource::ConnectInteractive(host, true, dir.file("gone.zsn"), nullptr, kPreference);
    EXPECT_TRUE(missing->notUsable);
    EXPECT_EQ(host.fileRequests().size(), 1u); // a given path needs no dialog
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0], "Could not open snapshot file: \n\nNo such file or directory");
}

TEST(SnapshotSide, OpenForReadingSkipsTheVersionEveryTime) {
    TempDir dir;
    const std::string path = dir.file("s.zsn");
    test::writeFile(path, std::string("\x0bVersion 9.9\x0f<<<START TABLES\x01"
                                      "A"));
    RecordingHost host;
    auto side = DatabaseSource::ConnectInteractive(host, true, path, nullptr, kPreference);
    ASSERT_FALSE(side->notUsable);

    std::string text;
    for (int pass = 0; pass < 2; ++pass) {
        side->OpenSnapshotForReading();
        ASSERT_TRUE(side->snapshotReader);
        ASSERT_TRUE(side->snapshotReader->GetRecord(text));
        EXPECT_EQ(text, "<<<START TABLES");
        ASSERT_TRUE(side->snapshotReader->GetRecord(text));
        EXPECT_EQ(text, "A");
    }

    std::filesystem::remove(path);
    side->OpenSnapshotForReading();
    EXPECT_FALSE(side->snapshotReader);
    EXPECT_TRUE(side->notUsable);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0], "Could not open snapshot file: \n\nNo such file or directory");
}

} // namespace
} // namespace zentab

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "db/database_source.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"

namespace zentab {
namespace {

using test::RecordingHost;

bool lists(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class PostgresSource : public test::PostgresSchemaTest {
protected:
    std::unique_ptr<DatabaseSource> connect(const std::string& owner, const std::string& flag) {
        return DatabaseSource::ConnectStored(host, connectString(), owner, flag, " -#/$%&*");
    }

    RecordingHost host;
};

TEST_F(PostgresSource, DriverFactsAndLists) {
    auto side = connect("", "");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    // psqlODBC reports 0 (no limit) for the ORDER BY columns and "_" as its special character.
    EXPECT_EQ(side->maxOrderByColumns, 10000);
    EXPECT_EQ(side->specialCharacters, "_ ");
    // Unquoted names are folded to lower case.
    EXPECT_EQ(side->identifierCase, IdentifierCase::Lower);
    EXPECT_EQ(side->identifierQuote, "\"");
    ASSERT_FALSE(side->userName.empty());
    EXPECT_EQ(side->s_DatabaseUser, side->defaultOwner);
    EXPECT_EQ(side->displayName, side->userName + "@(" + side->serverName + ")");
    EXPECT_TRUE(side->schemasListed);
    EXPECT_TRUE(lists(side->schemaNames, schema()));
    EXPECT_TRUE(side->catalogsListed);
    EXPECT_FALSE(side->catalogNames.empty());
}

// psqlODBC accepts the read-only request and ignores it: a write statement still runs.
TEST_F(PostgresSource, ReadOnlyRequestDoesNotStopTheDriverWriting) {
    auto side = connect("", "");
    ASSERT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    EXPECT_TRUE(host.messages().empty());
    OdbcStatement statement;
    std::string error;
    EXPECT_TRUE(side->ExecuteStatement("CREATE TABLE " + qualified("written") + " (a integer)",
                                       statement, error))
        << error;
}

TEST_F(PostgresSource, StoredOwnerIsKeptOnlyWhenListed) {
    auto unknown = connect("no_such_schema", "0");
    ASSERT_FALSE(unknown->notUsable) << testing::PrintToString(host.messages());
    EXPECT_EQ(unknown->s_DatabaseUser, "");
    EXPECT_EQ(unknown->displayName, unknown->userName + "@(" + unknown->serverName + ")");

    auto known = connect(schema(), "0");
    ASSERT_FALSE(known->notUsable);
    EXPECT_EQ(known->s_DatabaseUser, schema());
    EXPECT_FALSE(known->b_IsCatalog);
    EXPECT_EQ(known->displayName,
              schema() + ":" + known->userName + "@(" + known->serverName + ")");

    const std::string catalog = known->catalogNames.at(0);
    auto asCatalog = connect(catalog, "1");
    EXPECT_EQ(asCatalog->s_DatabaseUser, catalog);
    EXPECT_TRUE(asCatalog->b_IsCatalog);
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(PostgresSource, RefusedConnectionShowsTheDriversMessage) {
    // Port 1 on the loopback refuses at once.
    auto side = DatabaseSource::ConnectStored(
        host, "Driver={PostgreSQL ANSI};Server=127.0.0.1;Port=1;Database=x;Uid=x;", "", "", " ");
    EXPECT_TRUE(side->notUsable);
    EXPECT_EQ(side->displayName, "Not Connected");
    ASSERT_EQ(host.messages().size(), 1u);
    const std::string lead = "Could not connect to data source.\n\n";
    EXPECT_EQ(host.messages()[0].substr(0, lead.size()), lead);
    EXPECT_NE(host.messages()[0].find("Connection refused"), std::string::npos)
        << host.messages()[0];
}

} // namespace
} // namespace zentab

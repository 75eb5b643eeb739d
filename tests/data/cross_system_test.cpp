#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare/data/data_statement.h"
#include "data/data_fixture.h"

namespace zentab {
namespace {

ColumnEntry column(const std::string& name) {
    ColumnEntry entry;
    entry.name = name;
    entry.orderable = true;
    return entry;
}

class CrossSystemRun : public test::DataRun {
protected:
    // A side that names no owner and is qualified by catalog, as a side chosen interactively
    // with "-not required-" is.
    std::unique_ptr<DatabaseSource> catalogSide(const std::string& connect) {
        auto side = DatabaseSource::ConnectStored(host, connect, "-not required-", "1",
                                                  session.preferences.specialCharacters);
        EXPECT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
        EXPECT_TRUE(side->b_IsCatalog);
        EXPECT_EQ(side->s_DatabaseUser, "");
        return side;
    }
};

// SQLite reports the double quote as its identifier quote: a catalog side quotes with it as a
// schema side does, and the stored quote strings still win over both.
TEST_F(CrossSystemRun, CatalogSideQuotesAsItsDriverSays) {
    test::executeSql(sqlite1(), {"CREATE TABLE \"Order Lines\" (id integer, \"line text\" text)"});
    test::executeSql(sqlite2(), {"CREATE TABLE \"Order Lines\" (id integer, \"line text\" text)"});
    ObjectEntry object;
    object.nameInDb1 = object.nameInDb2 = "Order Lines";
    object.columns = {column("id"), column("line text")};
    object.columns[0].nameInDb2 = "id";
    object.columns[1].nameInDb2 = "line text";
    struct Case {
        const char* what;
        bool catalog;
        std::optional<std::string> open;
        std::optional<std::string> close;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"catalog side", true, std::nullopt, std::nullopt,
         "select id, \"line text\" from \"Order Lines\" order by id, \"line text\""},
        {"schema side", false, std::nullopt, std::nullopt,
         "select id, \"line text\" from \"Order Lines\" order by id, \"line text\""},
        {"catalog side with stored quotes", true, std::string("<"), std::string(">"),
         "select id, <line text> from <Order Lines> order by id, <line text>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useSide(1, connectSide(sqlite1()));
        useSide(2, c.catalog ? catalogSide(sqlite2()) : connectSide(sqlite2()));
        session.preferences.specObjStringOpen = c.open;
        session.preferences.specObjStringClose = c.close;
        const std::string text = buildObjectStatement(session, object, false).text;
        EXPECT_EQ(text, c.expected);
        // The statement is what the side runs.
        OdbcStatement statement;
        std::string error;
        if (!c.open) {
            EXPECT_TRUE(session.side2->ExecuteStatement(text, statement, error)) << error;
            session.side2->FreeStatement(statement);
        }
    }
}

// A column only one side has keeps the rows of the two sides apart whichever side has it: the
// table's data is passed over, as it is when Database 2 has the column, and the other tables are
// compared.
TEST_F(CrossSystemRun, ColumnOnOneSideOnlyPassesTheDataOver) {
    const std::vector<std::string> common = {"CREATE TABLE u (id integer)",
                                             "INSERT INTO u VALUES (1)"};
    const std::string narrow = "CREATE TABLE t (id integer)";
    const std::string wide = "CREATE TABLE t (id integer, extra integer)";
    struct Case {
        const char* what;
        std::string create1;
        std::string create2;
    };
    const std::vector<Case> cases = {
        {"the column only on Database 2", narrow, wide},
        {"the column only on Database 1", wide, narrow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.side1.reset();
        session.side2.reset();
        std::filesystem::remove(dir.file("one.db"));
        std::filesystem::remove(dir.file("two.db"));
        std::vector<std::string> sql1 = common;
        std::vector<std::string> sql2 = {"CREATE TABLE u (id integer)", "INSERT INTO u VALUES (2)"};
        sql1.push_back(c.create1);
        sql1.push_back("INSERT INTO t (id) VALUES (1)");
        sql2.push_back(c.create2);
        sql2.push_back("INSERT INTO t (id) VALUES (2)");
        sqliteSides(sql1, sql2);
        run();
        EXPECT_EQ(test::squeezed(dataText(2, 2)), "\r\n\r\n\r\nDifferences found in table u\r\n\r\n"
                                                  " id _\r\n\r\n< 1 \r\n> 2 ");
        EXPECT_TRUE(session.differencesFound);
        EXPECT_FALSE(session.troubleFound);
    }
}

// Asked to, the data of an object whose columns differ is compared on the columns both sides
// have (matched as the column pass matches them, here by case), and the report names the
// columns it left out, with or without differences.
TEST_F(CrossSystemRun, CommonColumnsOptionComparesTheSharedColumns) {
    session.settings.b_CompareCommonColumns = true;
    sqliteSides({"CREATE TABLE t (Id integer, Name text, extra integer)",
                 "INSERT INTO t VALUES (1, 'a', 7), (2, 'b', 8)", "CREATE TABLE u (id integer)",
                 "INSERT INTO u VALUES (1)"},
                {"CREATE TABLE t (id integer, name text)",
                 "INSERT INTO t VALUES (1, 'a'), (3, 'c')",
                 "CREATE TABLE u (id integer, gone integer)", "INSERT INTO u VALUES (1, 5)"});
    run();
    EXPECT_EQ(test::squeezed(dataText(2, 2)),
              "\r\n\r\n\r\nDifferences found in table t\r\n"
              "Compared on the columns both databases have; left out: extra (only in Database 1)"
              "\r\n\r\n Id _Name _\r\n\r\n< 2 b \r\n> 3 c "
              "\r\n\r\n\r\nNo data differences were found in table u\r\n"
              "Compared on the columns both databases have; left out: gone (only in Database 2)");
    EXPECT_TRUE(session.differencesFound);
    EXPECT_FALSE(session.troubleFound);
    const ObjectEntry* u = common("u");
    ASSERT_NE(u, nullptr);
    EXPECT_FALSE(u->dataDiffers);
    EXPECT_TRUE(u->structureDiffers);
}

// Names that matched only when case was ignored: each side's statement names the table and
// its columns as that side spells them, and the spelling is what the list and column passes
// found.
TEST_F(CrossSystemRun, EachSideSpellsItsOwnNames) {
    sqliteSides({"CREATE TABLE Album (AlbumId integer, Title varchar(20))",
                 "INSERT INTO Album VALUES (1, 'One')"},
                {"CREATE TABLE album (albumid integer, title varchar(20))",
                 "INSERT INTO album VALUES (1, 'One')"});
    run();
    EXPECT_EQ(test::squeezed(dataText(1, 1)),
              "\r\n\r\n\r\nNo data differences were found in table Album");
    const ObjectEntry* album = common("album");
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(buildObjectStatement(session, *album, true).text,
              "select AlbumId, Title from Album order by AlbumId, Title");
    EXPECT_EQ(buildObjectStatement(session, *album, false).text,
              "select albumid, title from album order by albumid, title");
}

// Two databases of the test server that belong to one test, created empty and dropped at the
// end: their sides name no owner, so they must see nothing but their own tables.
class PostgresDatabasesRun : public CrossSystemRun {
protected:
    void SetUp() override {
        std::optional<std::string> server = test::postgresConnectString();
        if (!server) {
            if (test::postgresRequired()) {
                FAIL() << test::kPostgresMissing;
            }
            GTEST_SKIP() << test::kPostgresMissing;
        }
        server_ = *server;
        for (int number : {1, 2}) {
            names_.push_back("zt_cross_" + std::to_string(getpid()) + "_" + std::to_string(number));
            test::executeSql(server_, {"DROP DATABASE IF EXISTS " + names_.back(),
                                       "CREATE DATABASE " + names_.back()});
        }
    }

    void TearDown() override {
        // The sides hold connections to the databases.
        session.side1.reset();
        session.side2.reset();
        for (const std::string& name : names_) {
            test::executeSql(server_, {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
        }
    }

    std::string connect(int number) const {
        return test::withDatabase(server_, names_.at(number - 1));
    }

    std::string server_;
    std::vector<std::string> names_;
};

// A catalog side of PostgreSQL quotes with the double quote its driver reports; brackets, which
// PostgreSQL rejects, are not for it.
TEST_F(PostgresDatabasesRun, CatalogSidesRunTheirStatements) {
    const std::string create = "CREATE TABLE \"Order Lines\" (id integer, \"line text\" text)";
    test::executeSql(connect(1), {create, "INSERT INTO \"Order Lines\" VALUES (1, 'a'), (2, 'b')"});
    test::executeSql(connect(2), {create, "INSERT INTO \"Order Lines\" VALUES (1, 'a'), (2, 'c')"});
    useSide(1, catalogSide(connect(1)));
    useSide(2, catalogSide(connect(2)));
    run();
    EXPECT_EQ(test::squeezed(dataText(1, 1)),
              "\r\n\r\n\r\nDifferences found in table Order Lines\r\n\r\n"
              " id _line text _\r\n"
              "\r\n< 2 b \r\n> 2 c ");
    EXPECT_FALSE(session.troubleFound);
}

// Two databases of one server look alike by user and server: each side's name says which
// database it is, in the header and in every line that names a side, and a second run does not
// add it again.
TEST_F(PostgresDatabasesRun, EqualDisplayNamesGetTheDatabaseName) {
    test::executeSql(connect(1),
                     {"CREATE TABLE a (id integer)", "CREATE TABLE only1 (id integer)"});
    test::executeSql(connect(2), {"CREATE TABLE a (id integer)"});
    useSide(1, connectSide(connect(1)));
    useSide(2, connectSide(connect(2)));
    session.settings.b_DoTabStruct = true;
    ASSERT_EQ(session.side1->displayName, session.side2->displayName);
    const std::string shared = session.side1->displayName;
    const std::string name1 = shared + " (" + names_[0] + ")";
    const std::string name2 = shared + " (" + names_[1] + ")";
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        run();
        const std::string report = session.report.text();
        const std::string head =
            "< DATABASE 1:  " + name1 + "\r\n> DATABASE 2:  " + name2 +
            "\r\n\r\n\r\n2 tables were found in " + name1 + "\r\n1 table was found in " + name2 +
            "\r\n\r\n\r\nThe following tables DO NOT exist in " + name2 + "\r\n\r\n\t\tonly1\r\n";
        EXPECT_EQ(report.substr(0, head.size()), head);
        const std::string tail =
            "\r\n\r\nNo data differences were found in table a" + std::string(test::kEndLine);
        EXPECT_TRUE(report.ends_with(tail)) << report;
    }
}

} // namespace
} // namespace zentab

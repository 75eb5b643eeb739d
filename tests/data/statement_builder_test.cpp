#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compare/data/statement_builder.h"

namespace zentab {
namespace {

ColumnEntry column(const std::string& name, bool orderable = true) {
    ColumnEntry entry;
    entry.name = name;
    entry.orderable = orderable;
    return entry;
}

// A schema-qualified on-line side whose owner is the connection's own user: no qualification.
StatementSide plainSide() {
    StatementSide side;
    side.isDatabase1 = true;
    side.schemasListed = true;
    side.databaseUser = "app";
    side.reportedUser = "app";
    side.specialCharacters = " -#/$%&* ";
    return side;
}

struct Case {
    const char* what;
    std::string table;
    std::vector<ColumnEntry> columns;
    std::string expected;
    int autoSpecialName = 0;
    std::string condition = "";
    int limit1 = 10000;
    int limit2 = 10000;
    bool snapshotOnly = false;
    StatementSide side = plainSide();
};

const std::vector<ColumnEntry> kAtoE = {column("A"), column("B", false), column("C"), column("D"),
                                        column("E")};

StatementSide withOwner(StatementSide side, const std::string& owner, bool database1,
                        bool schemasListed, bool isCatalog = false) {
    side.databaseUser = owner;
    side.isDatabase1 = database1;
    side.schemasListed = schemasListed;
    side.isCatalog = isCatalog;
    if (isCatalog) {
        side.quotes = {"[", "]"};
    }
    return side;
}

TEST(StatementBuilder, BuildsTheOrderedSelect) {
    const std::vector<Case> cases = {
        {.what = "the worked example: a long column is selected but not ordered",
         .table = "ORDERS",
         .columns = {column("ID"), column("NOTE", false), column("AMOUNT")},
         .expected = "select ID, NOTE, AMOUNT from ORDERS order by ID, AMOUNT",
         .limit1 = 10},
        {.what = "the smaller limit of the two sides; a long column does not use it up",
         .table = "T",
         .columns = kAtoE,
         .expected = "select A, B, C, D, E from T order by A, C",
         .limit1 = 2,
         .limit2 = 5},
        {.what = "the same with the sides the other way round",
         .table = "T",
         .columns = kAtoE,
         .expected = "select A, B, C, D, E from T order by A, C",
         .limit1 = 5,
         .limit2 = 2},
        {.what = "a snapshot run orders by Database 1's limit alone",
         .table = "T",
         .columns = kAtoE,
         .expected = "select A, B, C, D, E from T order by A, C, D, E",
         .limit1 = 5,
         .limit2 = 1,
         .snapshotOnly = true},
        {.what = "leading columns that cannot be ordered raise the limit",
         .table = "T",
         .columns = {column("X", false), column("Y", false), column("A"), column("C")},
         .expected = "select X, Y, A, C from T order by A",
         .limit1 = 1,
         .limit2 = 1},
        {.what = "only long and binary columns: no order by clause",
         .table = "T",
         .columns = {column("DOC", false), column("PIC", false)},
         .expected = "select DOC, PIC from T"},
        {.what = "no columns: an empty select list",
         .table = "T",
         .columns = {},
         .expected = "select  from T"},
        {.what = "\"desc\" is quoted in the order by list only",
         .table = "T",
         .columns = {column("id"), column("desc")},
         .expected = "select id, desc from T order by id, \"desc\""},
        {.what = "ASC in any case, quoted in the order by list only",
         .table = "T",
         .columns = {column("Asc")},
         .expected = "select Asc from T order by \"Asc\""},
        {.what = "treated as regular, desc stays bare everywhere",
         .table = "T",
         .columns = {column("desc")},
         .expected = "select desc from T order by desc",
         .autoSpecialName = 2},
        {.what = "a column beginning with a digit is quoted, a table beginning with one is not",
         .table = "2024data",
         .columns = {column("1st"), column("x1")},
         .expected = "select \"1st\", x1 from 2024data order by \"1st\", x1"},
        {.what = "a column with a special character of the side is quoted",
         .table = "T",
         .columns = {column("cost$"), column("plain")},
         .expected = "select \"cost$\", plain from T order by \"cost$\", plain"},
        {.what = "names with a blank are quoted even when names are treated as regular",
         .table = "my table",
         .columns = {column("a b")},
         .expected = "select \"a b\" from \"my table\" order by \"a b\"",
         .autoSpecialName = 2},
        {.what = "every name quoted",
         .table = "T",
         .columns = {column("a")},
         .expected = "select \"a\" from \"T\" order by \"a\"",
         .autoSpecialName = 1},
        {.what = "a table with a dollar is quoted like any name that is not plain",
         .table = "cost$",
         .columns = {column("a")},
         .expected = "select a from \"cost$\" order by a"},
        {.what = "a column that would end the statement is quoted, and so is the table",
         .table = "q;DROP\tTABLE\tvictim2;SELECT\t1\tAS\tid\tFROM\tvictim",
         .columns = {column("user;DROP\tTABLE\tvictim;--"), column("id")},
         .expected = "select \"user;DROP\tTABLE\tvictim;--\", id from "
                     "\"q;DROP\tTABLE\tvictim2;SELECT\t1\tAS\tid\tFROM\tvictim\" "
                     "order by \"user;DROP\tTABLE\tvictim;--\", id"},
        {.what = "a condition after a where keyword in any case and leading blanks",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T where a = 1 order by a",
         .condition = "   WhErE a = 1"},
        {.what = "the where keyword followed by a tab",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T where a = 1 order by a",
         .condition = "where\ta = 1"},
        {.what = "a bare condition",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T where a = 1 order by a",
         .condition = "a = 1"},
        {.what = "a condition that merely begins with the letters of where is kept as entered",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T where   whereabouts = 1 order by a",
         .condition = "  whereabouts = 1"},
        {.what = "brackets for a side qualified by catalog",
         .table = "my table",
         .columns = {column("1a")},
         .expected = "select [1a] from [my table] order by [1a]",
         .side = withOwner(plainSide(), "", true, true, true)},
        {.what = "another owner qualifies the name",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from sales.T order by a",
         .side = withOwner(plainSide(), "sales", true, true)},
        {.what = "a quoted name gets a quoted owner",
         .table = "my table",
         .columns = {column("a")},
         .expected = "select a from \"sales\".\"my table\" order by a",
         .side = withOwner(plainSide(), "sales", true, true)},
        {.what = "the connection's own user needs no qualification",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T order by a",
         .side = withOwner(plainSide(), "app", true, true)},
        {.what = "the owner compares as exact text",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from APP.T order by a",
         .side = withOwner(plainSide(), "APP", true, true)},
        {.what = "Database 1 without schemas is not qualified",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T order by a",
         .side = withOwner(plainSide(), "sales", true, false)},
        {.what = "Database 2 does not ask for schemas",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from sales.T order by a",
         .side = withOwner(plainSide(), "sales", false, false)},
        {.what = "a catalog owner is set on the connection, not in the name",
         .table = "T",
         .columns = {column("a")},
         .expected = "select a from T order by a",
         .side = withOwner(plainSide(), "sales", false, true, true)},
    };
    for (const Case& c : cases) {
        StatementRequest request;
        request.objectName = c.table;
        request.columns = &c.columns;
        request.side = c.side;
        request.orderByLimit1 = c.limit1;
        request.orderByLimit2 = c.limit2;
        request.snapshotOnly = c.snapshotOnly;
        request.autoSpecialName = c.autoSpecialName;
        request.condition = c.condition;
        const BuiltStatement built = buildDataStatement(request);
        EXPECT_EQ(built.text, c.expected) << c.what;
        const std::size_t from = built.text.find(" from ");
        EXPECT_EQ("select " + built.selectList, built.text.substr(0, from)) << c.what;
    }
}

// A name holding a quote character is quoted under every setting, with the closing string
// doubled inside, so that the statement reads the name the database holds.
TEST(StatementBuilder, NamesHoldingQuoteCharactersAreQuotedAndEscaped) {
    const StatementSide side = plainSide();
    StatementSide catalog = withOwner(plainSide(), "", true, true, true);
    StatementSide qualified = withOwner(plainSide(), "o\"wn", false, true);
    for (int autoSpecialName : {0, 1, 2}) {
        SCOPED_TRACE(autoSpecialName);
        EXPECT_EQ(objectNameInStatement("we\"ird", side, autoSpecialName), "\"we\"\"ird\"");
        EXPECT_EQ(objectNameInStatement("\"", side, autoSpecialName), "\"\"\"\"");
        EXPECT_EQ(columnNameInStatement("a\"b\"", false, side, autoSpecialName), "\"a\"\"b\"\"\"");
        EXPECT_EQ(columnNameInStatement("a\"b", true, side, autoSpecialName), "\"a\"\"b\"");
        // Brackets: the closing one is doubled, the opening one still makes the name special.
        EXPECT_EQ(objectNameInStatement("x]y", catalog, autoSpecialName), "[x]]y]");
        EXPECT_EQ(columnNameInStatement("x[y", false, catalog, autoSpecialName), "[x[y]");
        EXPECT_EQ(objectNameInStatement("T", qualified, autoSpecialName),
                  autoSpecialName == 1 ? "\"o\"\"wn\".\"T\"" : "\"o\"\"wn\".T");
    }
    // Where brackets quote, a double quote needs no doubling, but it still makes the name unsafe.
    EXPECT_EQ(columnNameInStatement("a\"b", false, catalog, 2), "[a\"b]");

    StatementSide custom = side;
    custom.quotes = {"<<", ">>"};
    EXPECT_EQ(objectNameInStatement("a>>b>", custom, 2), "<<a>>>>b>>>");
}

// Names are data from the catalogs: one holding anything but ASCII letters, digits and "_" is
// quoted under every option, "never quote" included, so that it cannot end the statement.
TEST(StatementBuilder, NamesThatAreNotPlainAreQuotedUnderEveryOption) {
    const StatementSide side = plainSide();
    const StatementSide brackets = withOwner(plainSide(), "", true, true, true);
    struct NameCase {
        std::string name;
        const StatementSide* side;
        std::string expected;
    };
    const std::vector<NameCase> cases = {
        {"user;DROP\tTABLE\tvictim;--", &side, "\"user;DROP\tTABLE\tvictim;--\""},
        {"two\nlines", &side, "\"two\nlines\""},
        {"a\r\nb", &side, "\"a\r\nb\""},
        {"x-y", &side, "\"x-y\""},
        {"Café", &side, "\"Café\""},
        {"表", &side, "\"表\""},
        {"[br]", &side, "\"[br]\""},
        {"x\";drop table t;--", &side, "\"x\"\";drop table t;--\""},
        {"a];drop table t;--", &brackets, "[a]];drop table t;--]"},
        {"say \"hi\"", &brackets, "[say \"hi\"]"},
    };
    for (const NameCase& c : cases) {
        for (int autoSpecialName : {0, 1, 2}) {
            SCOPED_TRACE(c.name + " under " + std::to_string(autoSpecialName));
            EXPECT_EQ(objectNameInStatement(c.name, *c.side, autoSpecialName), c.expected);
            EXPECT_EQ(columnNameInStatement(c.name, false, *c.side, autoSpecialName), c.expected);
            EXPECT_EQ(columnNameInStatement(c.name, true, *c.side, autoSpecialName), c.expected);
        }
    }
    // A plain name stays bare under "never quote", the owner in front of it too unless it is
    // not plain itself.
    StatementSide owned = withOwner(plainSide(), "sales;--", true, true);
    EXPECT_EQ(objectNameInStatement("T", owned, 2), "\"sales;--\".T");
    EXPECT_EQ(objectNameInStatement("T_1", withOwner(plainSide(), "sales", true, true), 2),
              "sales.T_1");
    EXPECT_EQ(columnNameInStatement("Plain_9", false, side, 2), "Plain_9");
    EXPECT_EQ(columnNameInStatement("", false, side, 2), "");
}

// PostgreSQL folds unquoted names to lower case, so there "Genre" is found only quoted; a side
// that keeps the case, or whose way is not known, gets today's statements.
TEST(StatementBuilder, LettersOfTheOtherCaseAreQuotedWhereTheSideFoldsNames) {
    auto folding = [](IdentifierCase identifierCase, bool database1 = true) {
        StatementSide side = plainSide();
        side.isDatabase1 = database1;
        side.identifierCase = identifierCase;
        return side;
    };
    struct FoldCase {
        const char* what;
        StatementSide side;
        int autoSpecialName;
        std::string table;
        std::string tableOnSide;
        std::vector<ColumnEntry> columns;
        std::string expected;
    };
    ColumnEntry spelledOtherwise = column("Name");
    spelledOtherwise.nameInDb2 = "name";
    ColumnEntry spelledMixed = column("name");
    spelledMixed.nameInDb2 = "Name";
    const std::vector<FoldCase> cases = {
        {"lower-case folding: mixed case quoted, lower case bare",
         folding(IdentifierCase::Lower),
         0,
         "Genre",
         "",
         {column("Name"), column("id")},
         "select \"Name\", id from \"Genre\" order by \"Name\", id"},
        {"upper-case folding: the other way round",
         folding(IdentifierCase::Upper),
         0,
         "genre",
         "",
         {column("NAME"), column("Id")},
         "select NAME, \"Id\" from \"genre\" order by NAME, \"Id\""},
        {"never quote keeps mixed case bare",
         folding(IdentifierCase::Lower),
         2,
         "Genre",
         "",
         {column("Name")},
         "select Name from Genre order by Name"},
        {"a side that keeps the case",
         folding(IdentifierCase::Sensitive),
         0,
         "Genre",
         "",
         {column("Name")},
         "select Name from Genre order by Name"},
        {"a side whose way is not known",
         folding(IdentifierCase::Unknown),
         0,
         "Genre",
         "",
         {column("Name")},
         "select Name from Genre order by Name"},
        {"Database 2 holds the names in lower case: its own spelling, bare",
         folding(IdentifierCase::Lower, false),
         0,
         "Genre",
         "genre",
         {spelledOtherwise},
         "select name from genre order by name"},
        // MariaDB keeps the case of table names and folds nothing: only its own spelling is
        // found there.
        {"Database 2 keeps the case: its own spelling, bare",
         folding(IdentifierCase::Sensitive, false),
         0,
         "genre",
         "Genre",
         {spelledMixed},
         "select Name from Genre order by Name"},
        {"Database 2 never quoted: its own spelling still",
         folding(IdentifierCase::Sensitive, false),
         2,
         "genre",
         "Genre",
         {spelledMixed},
         "select Name from Genre order by Name"},
        {"Database 2 holds them in mixed case: quoted as Database 2 spells them",
         folding(IdentifierCase::Lower, false),
         0,
         "genre",
         "Genre",
         {spelledMixed},
         "select \"Name\" from \"Genre\" order by \"Name\""},
        {"Database 1 reads its own spelling",
         folding(IdentifierCase::Lower, true),
         0,
         "genre",
         "",
         {spelledMixed},
         "select name from genre order by name"},
    };
    for (const FoldCase& c : cases) {
        StatementRequest request;
        request.objectName = c.table;
        request.objectNameOnSide = c.tableOnSide;
        request.columns = &c.columns;
        request.side = c.side;
        request.autoSpecialName = c.autoSpecialName;
        EXPECT_EQ(buildDataStatement(request).text, c.expected) << c.what;
    }
    // The owner in front folds the same way.
    StatementSide owned = withOwner(folding(IdentifierCase::Lower), "Sales", true, true);
    owned.identifierCase = IdentifierCase::Lower;
    EXPECT_EQ(objectNameInStatement("t", owned, 0), "\"Sales\".t");
    EXPECT_EQ(objectNameInStatement("t", owned, 2), "Sales.t");
}

TEST(StatementBuilder, QuoteStringsComeFromTheCatalogFlagTheDriverOrThePreferences) {
    struct QuoteCase {
        bool isCatalog;
        std::string driverQuote;
        std::optional<std::string> open;
        std::optional<std::string> close;
        std::string expectedOpen;
        std::string expectedClose;
    };
    const std::vector<QuoteCase> cases = {
        {false, "", std::nullopt, std::nullopt, "\"", "\""},
        {true, "", std::nullopt, std::nullopt, "[", "]"},
        {true, "`", std::nullopt, std::nullopt, "`", "`"},
        {true, "\"", std::nullopt, std::nullopt, "\"", "\""},
        // A schema side keeps the double quote whatever its driver reports.
        {false, "`", std::nullopt, std::nullopt, "\"", "\""},
        {true, "`", std::string("["), std::string("]"), "[", "]"},
        {true, "", std::string("`"), std::string("`"), "`", "`"},
        {false, "", std::string("<"), std::nullopt, "<", "\""},
        {true, "", std::nullopt, std::string(")"), "[", ")"},
        // An empty string could not keep a name apart from the statement around it.
        {false, "", std::string(""), std::string(""), "\"", "\""},
    };
    for (const QuoteCase& c : cases) {
        const QuoteStrings quotes = quoteStringsFor(c.isCatalog, c.driverQuote, c.open, c.close);
        EXPECT_EQ(quotes.open, c.expectedOpen) << c.isCatalog << c.driverQuote;
        EXPECT_EQ(quotes.close, c.expectedClose) << c.isCatalog << c.driverQuote;
    }
}

TEST(StatementBuilder, ConditionLosesOnlyALeadingWhereKeyword) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"where a = 1", "a = 1"},         {" \t\r\nWHERE  a = 1", " a = 1"},
        {"wHeRe\ta = 1", "a = 1"},        {"a = 1", "a = 1"},
        {"  a = 1", "  a = 1"},           {"where", "where"},
        {"wherever = 1", "wherever = 1"}, {"where\na = 1", "where\na = 1"},
    };
    for (const auto& [condition, expected] : cases) {
        EXPECT_EQ(conditionWithoutWhere(condition), expected) << condition;
    }
}

} // namespace
} // namespace zentab

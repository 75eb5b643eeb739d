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
        {"the worked example: a long column is selected but not ordered",
         "ORDERS",
         {column("ID"), column("NOTE", false), column("AMOUNT")},
         "select ID, NOTE, AMOUNT from ORDERS order by ID, AMOUNT",
         0,
         "",
         10},
        {"the smaller limit of the two sides; a long column does not use it up", "T", kAtoE,
         "select A, B, C, D, E from T order by A, C", 0, "", 2, 5},
        {"the same with the sides the other way round", "T", kAtoE,
         "select A, B, C, D, E from T order by A, C", 0, "", 5, 2},
        {"a snapshot run orders by Database 1's limit alone", "T", kAtoE,
         "select A, B, C, D, E from T order by A, C, D, E", 0, "", 5, 1, true},
        {"leading columns that cannot be ordered raise the limit",
         "T",
         {column("X", false), column("Y", false), column("A"), column("C")},
         "select X, Y, A, C from T order by A",
         0,
         "",
         1,
         1},
        {"only long and binary columns: no order by clause",
         "T",
         {column("DOC", false), column("PIC", false)},
         "select DOC, PIC from T"},
        {"no columns: an empty select list", "T", {}, "select  from T"},
        {"\"desc\" is quoted in the order by list only",
         "T",
         {column("id"), column("desc")},
         "select id, desc from T order by id, \"desc\""},
        {"ASC in any case, quoted in the order by list only",
         "T",
         {column("Asc")},
         "select Asc from T order by \"Asc\""},
        {"treated as regular, desc stays bare everywhere",
         "T",
         {column("desc")},
         "select desc from T order by desc",
         2},
        {"a column beginning with a digit is quoted, a table beginning with one is not",
         "2024data",
         {column("1st"), column("x1")},
         "select \"1st\", x1 from 2024data order by \"1st\", x1"},
        {"a column with a special character of the side is quoted",
         "T",
         {column("cost$"), column("plain")},
         "select \"cost$\", plain from T order by \"cost$\", plain"},
        {"a table with a blank is quoted even when names are treated as regular",
         "my table",
         {column("a b")},
         "select a b from \"my table\" order by a b",
         2},
        {"every name quoted", "T", {column("a")}, "select \"a\" from \"T\" order by \"a\"", 1},
        {"a table with a dollar is no special object name",
         "cost$",
         {column("a")},
         "select a from cost$ order by a"},
        {"a condition after a where keyword in any case and leading blanks",
         "T",
         {column("a")},
         "select a from T where a = 1 order by a",
         0,
         "   WhErE a = 1"},
        {"the where keyword followed by a tab",
         "T",
         {column("a")},
         "select a from T where a = 1 order by a",
         0,
         "where\ta = 1"},
        {"a bare condition",
         "T",
         {column("a")},
         "select a from T where a = 1 order by a",
         0,
         "a = 1"},
        {"a condition that merely begins with the letters of where is kept as entered",
         "T",
         {column("a")},
         "select a from T where   whereabouts = 1 order by a",
         0,
         "  whereabouts = 1"},
        {"brackets for a side qualified by catalog",
         "my table",
         {column("1a")},
         "select [1a] from [my table] order by [1a]",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "", true, true, true)},
        {"another owner qualifies the name",
         "T",
         {column("a")},
         "select a from sales.T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "sales", true, true)},
        {"a quoted name gets a quoted owner",
         "my table",
         {column("a")},
         "select a from \"sales\".\"my table\" order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "sales", true, true)},
        {"the connection's own user needs no qualification",
         "T",
         {column("a")},
         "select a from T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "app", true, true)},
        {"the owner compares as exact text",
         "T",
         {column("a")},
         "select a from APP.T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "APP", true, true)},
        {"Database 1 without schemas is not qualified",
         "T",
         {column("a")},
         "select a from T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "sales", true, false)},
        {"Database 2 does not ask for schemas",
         "T",
         {column("a")},
         "select a from sales.T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "sales", false, false)},
        {"a catalog owner is set on the connection, not in the name",
         "T",
         {column("a")},
         "select a from T order by a",
         0,
         "",
         10000,
         10000,
         false,
         withOwner(plainSide(), "sales", false, true, true)},
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
    // A double quote is an ordinary character where brackets quote.
    EXPECT_EQ(columnNameInStatement("a\"b", false, catalog, 2), "a\"b");

    StatementSide custom = side;
    custom.quotes = {"<<", ">>"};
    EXPECT_EQ(objectNameInStatement("a>>b>", custom, 2), "<<a>>>>b>>>");
}

TEST(StatementBuilder, QuoteStringsComeFromTheCatalogFlagOrThePreferences) {
    struct QuoteCase {
        bool isCatalog;
        std::optional<std::string> open;
        std::optional<std::string> close;
        std::string expectedOpen;
        std::string expectedClose;
    };
    const std::vector<QuoteCase> cases = {
        {false, std::nullopt, std::nullopt, "\"", "\""},
        {true, std::nullopt, std::nullopt, "[", "]"},
        {true, std::string("`"), std::string("`"), "`", "`"},
        {false, std::string("<"), std::nullopt, "<", "\""},
        {true, std::nullopt, std::string(")"), "[", ")"},
    };
    for (const QuoteCase& c : cases) {
        const QuoteStrings quotes = quoteStringsFor(c.isCatalog, c.open, c.close);
        EXPECT_EQ(quotes.open, c.expectedOpen);
        EXPECT_EQ(quotes.close, c.expectedClose);
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

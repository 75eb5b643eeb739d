#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_fixture.h"

namespace zentab {
namespace {

using test::DataRun;

const std::string kTable =
    "CREATE TABLE T (id integer, name varchar(10), amount varchar(8), note varchar(4))";

// Header of table T of kTable: id is an INTEGER (11 wide), the others as declared, the names
// one wider where they are not narrower than their values.
const std::string kTableHeader = "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                                 "  id         _name      _amount  _note _\r\n";

std::vector<std::string> withRows(const std::string& create, const std::string& table,
                                  const std::vector<std::string>& rows) {
    std::vector<std::string> sql{create};
    for (const std::string& row : rows) {
        sql.push_back("INSERT INTO " + table + " VALUES (" + row + ")");
    }
    return sql;
}

TEST_F(DataRun, RowsWithoutAnEqualAreWrittenInComparatorOrder) {
    // Row 1: a NULL against an empty text is equal, but 1.5 and 1.50 in a text column are not.
    // Row 2 differs in case, so Database 2's row sorts first; rows 3 and 4 exist on one side
    // only.
    sqliteSides(
        withRows(kTable, "T", {"1, 'a', '1.5', NULL", "2, 'b', '2', 'x'", "3, 'c', '3', 'y'"}),
        withRows(kTable, "T", {"1, 'a', '1.50', ''", "2, 'B', '2', 'x'", "4, 'd', '4', 'z'"}));
    run();
    EXPECT_EQ(dataText(1, 1), kTableHeader + "\r\n< 1           a          1.5            "
                                             "\r\n> 1           a          1.50           "
                                             "\r\n> 2           B          2        x     "
                                             "\r\n< 2           b          2        x     "
                                             "\r\n< 3           c          3        y     "
                                             "\r\n> 4           d          4        z     ");
    ASSERT_NE(common("T"), nullptr);
    EXPECT_TRUE(common("T")->dataDiffers);
    EXPECT_TRUE(session.differencesFound);

    const std::string report = session.report.text();
    const ReportColours& colours = session.writer.colours();
    EXPECT_EQ(colourAt(report.find("> 2")), colours.text);
    EXPECT_EQ(colourAt(report.find("2           B")), colours.database2);
    EXPECT_EQ(colourAt(report.find("2           b")), colours.database1);
    for (const char* call :
         {"panel caption: Comparing Data ...", "caption: Comparing Data - Zentab",
          "progress range: 0..1000", "panel select: 0", "progress pos: 1000"}) {
        EXPECT_TRUE(hostCalled(call)) << call;
    }
}

TEST_F(DataRun, IgnoringCaseMatchesRowsThatDifferInCaseAndWritesTheRowsAsRead) {
    sqliteSides(
        withRows(kTable, "T", {"1, 'a', 'x', 'p'", "2, 'b', 'y', 'q'", "3, 'c', 'z', 'r'"}),
        withRows(kTable, "T", {"1, 'A', 'X', 'p'", "2, 'B', 'Y', 's'", "3, 'C', 'Z', 'R'"}));
    session.settings.b_IgnoreDatCase = true;
    run();
    EXPECT_EQ(dataText(1, 1), kTableHeader + "\r\n< 2           b          y        q     "
                                             "\r\n> 2           B          Y        s     ");
}

TEST_F(DataRun, IdenticalTablesWriteNothingButTheOptionalNoDifferencesLine) {
    const auto sql = withRows(kTable, "T", {"1, 'a', '1.5', NULL", "2, 'b', '2', 'x'"});
    sqliteSides(sql, sql);
    for (bool noDiffData : {true, false}) {
        session.settings.b_NoDiffData = noDiffData;
        run();
        EXPECT_EQ(dataText(1, 1),
                  noDiffData ? "\r\n\r\n\r\nNo data differences were found in table T" : "");
        EXPECT_FALSE(session.differencesFound);
        ASSERT_NE(common("T"), nullptr);
        EXPECT_FALSE(common("T")->dataDiffers);
    }
}

TEST_F(DataRun, AnEmptyDatabase2GetsEveryRowUnderOneHeader) {
    sqliteSides(withRows(kTable, "T", {"2, 'b', '2', 'x'", "1, 'a', '1.5', NULL"}), {kTable});
    run();
    EXPECT_EQ(dataText(1, 1), kTableHeader + "\r\n< 1           a          1.5            "
                                             "\r\n< 2           b          2        x     ");
}

TEST_F(DataRun, CsvReadyRowsDoubleTheirQuotes) {
    const std::string create = "CREATE TABLE T (id integer, txt varchar(20))";
    sqliteSides(withRows(create, "T", {"1, 'say \"hi\"'", "2, 'same'"}),
                withRows(create, "T", {"2, 'same'", "3, NULL"}));
    session.settings.b_DataAsCSV = true;
    run();
    EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                              "\"Direction\",\"id\",\"txt\""
                              "\r\n\"<\",\"1\",\"say \"\"hi\"\"\""
                              "\r\n\">\",\"3\",\"\"");
}

// Two texts of 20,000 characters that differ at the 15,000th: the report shows 9,999 of them,
// but the comparison reads them whole. Equal long texts stay equal.
TEST_F(DataRun, LongValuesAreComparedWholeAndShownCut) {
    const std::string create = "CREATE TABLE T (id integer, txt varchar(30000))";
    const std::string as = "replace(hex(zeroblob(10000)), '0', 'a')"; // 20,000 'a'
    const std::string changed = "substr(" + as + ", 1, 14999) || 'b' || substr(" + as + ", 15001)";
    sqliteSides(withRows(create, "T", {"1, " + as, "2, " + as}),
                withRows(create, "T", {"1, " + as, "2, " + changed}));
    for (bool csv : {false, true}) {
        SCOPED_TRACE(csv ? "CSV ready" : "padded");
        session.settings.b_DataAsCSV = csv;
        run();
        const std::string report = session.report.text();
        const std::string shown = std::string(9999, 'a') + "...";
        for (const char* marker : {"<", ">"}) {
            const std::string line = csv ? std::string("\r\n\"") + marker + "\",\"2\",\"" + shown
                                         : std::string("\r\n") + marker + " 2           " + shown;
            const std::size_t at = report.find(line);
            ASSERT_NE(at, std::string::npos) << marker;
            // The ellipsis is in the side's colour, and no digest reaches the report.
            EXPECT_EQ(colourAt(at + line.size() - 1), *marker == '<'
                                                          ? session.writer.colours().database1
                                                          : session.writer.colours().database2);
        }
        EXPECT_EQ(report.find(std::string(1, '\0')), std::string::npos);
        EXPECT_EQ(report.find("\r\n< 1"), std::string::npos);
        EXPECT_EQ(report.find("\"<\",\"1"), std::string::npos);
    }
}

TEST_F(DataRun, ExecutiveSummaryMarksTheObjectAndEndsItSilently) {
    const std::string same = "CREATE TABLE U (id integer)";
    sqliteSides(
        {kTable, "INSERT INTO T VALUES (1, 'a', '1', '')", same, "INSERT INTO U VALUES (1)"},
        {kTable, "INSERT INTO T VALUES (1, 'b', '1', '')", same, "INSERT INTO U VALUES (1)"});
    session.settings.b_SummaryReportOnly = true;
    run();
    ASSERT_NE(common("T"), nullptr);
    ASSERT_NE(common("U"), nullptr);
    EXPECT_TRUE(common("T")->dataDiffers);
    EXPECT_FALSE(common("U")->dataDiffers);
    EXPECT_TRUE(session.differencesFound);
    const std::string report = session.report.text();
    EXPECT_EQ(report.find("Differences found"), std::string::npos) << report;
    EXPECT_EQ(report.find("No data differences"), std::string::npos) << report;
}

TEST_F(DataRun, ExecutionErrorsAreReportedAndTheRunGoesOn) {
    // A fails on Database 1 (its condition is not SQL); B2 on Database 2, which spells the
    // table in lower case and lacks the column its condition names (ignored, so the columns
    // compared are the same); C is compared as usual.
    sqliteSides({"CREATE TABLE A (id integer)", "CREATE TABLE B2 (id integer, extra integer)",
                 "CREATE TABLE C (id integer)", "INSERT INTO C VALUES (1)"},
                {"CREATE TABLE A (id integer)", "CREATE TABLE b2 (id integer)",
                 "CREATE TABLE C (id integer)", "INSERT INTO C VALUES (2)"});
    session.settings.whereStatements["A"] = "id = = 1";
    session.settings.whereStatements["B2"] = "extra is null";
    session.settings.ignoreColumns = {"EXTRA"};
    run();
    const std::string& name1 = session.side1->displayName;
    const std::string& name2 = session.side2->displayName;
    EXPECT_EQ(dataText(3, 3),
              "\r\n\r\n\r\nThe following error was received while processing table A in database " +
                  name1 + " :\r\n[SQLite]near \"=\": syntax error (1)\r\n\r\n" +
                  "\r\n\r\n\r\nThe following error was received while processing table b2 in "
                  "database " +
                  name2 + " :\r\n[SQLite]no such column: extra (1)\r\n\r\n" +
                  "\r\n\r\n\r\nDifferences found in table C\r\n\r\n"
                  "  id         _\r\n"
                  "\r\n< 1           "
                  "\r\n> 2           ");

    // Each side's pieces in its own colour, the connecting words and the driver's message in
    // the colour of messages.
    const std::string report = session.report.text();
    const ReportColours& colours = session.writer.colours();
    const std::size_t atA = report.find("table A in database ");
    const std::size_t atB = report.find("table b2 in database ");
    EXPECT_EQ(colourAt(atA), colours.error);
    EXPECT_EQ(colourAt(atA + 6), colours.database1);
    EXPECT_EQ(colourAt(atA + 7), colours.error);
    EXPECT_EQ(colourAt(atA + 20), colours.database1);
    EXPECT_EQ(colourAt(report.find("[SQLite]near")), colours.error);
    EXPECT_EQ(colourAt(atB + 6), colours.database2);
    EXPECT_EQ(colourAt(atB + 21), colours.database2);
}

// Past the ORDER BY limit the databases do not order the rows, so a difference found there
// is flagged; the last field is exempt.
TEST_F(DataRun, ADifferencePastTheOrderByLimitIsFlagged) {
    const std::string create = "CREATE TABLE T (id integer, a varchar(3), b varchar(3))";
    sqliteSides(withRows(create, "T", {"1, 'x', 'x'", "2, 'x', 'x'"}),
                withRows(create, "T", {"1, 'y', 'x'", "2, 'x', 'y'"}));
    session.side2->maxOrderByColumns = 1;
    run();
    EXPECT_EQ(dataText(1, 1),
              "\r\n\r\nWARNING: The first difference was found past the Maximum ORDER BY "
              "expression limits of your ODBC driver and/or your database.\r\n"
              "This ONLY means that even though you are seeing the above line, it may not really "
              "be different\r\n\r\n"
              "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
              "  id         _a  _b  _\r\n"
              "\r\n< 1           x   x   "
              "\r\n> 1           y   x   "
              "\r\n< 2           x   x   "
              "\r\n> 2           x   y   ");
}

TEST_F(DataRun, AnObjectWithoutSelectableColumnsIsPassedOverWithAWarning) {
    sqliteSides(withRows(kTable, "T", {"1, 'a', '1', ''"}), withRows(kTable, "T", {}));
    session.settings.ignoreColumns = {"%"};
    run();
    EXPECT_EQ(dataText(1, 1),
              "\r\n\r\nWARNING:  There are no columns to select from table T\r\n\r\n");
}

TEST_F(DataRun, AnObjectWhoseColumnsDifferIsPassedOver) {
    // A column that only Database 2 has: the rows cannot be compared, and nothing is said.
    sqliteSides({"CREATE TABLE T (id integer)", "INSERT INTO T VALUES (1)"},
                {"CREATE TABLE T (id integer, more integer)", "INSERT INTO T VALUES (2, 2)"});
    run();
    EXPECT_EQ(dataText(1, 1), "");
}

// Quoted names keep every quote they hold, whatever the quoting setting.
TEST_F(DataRun, NamesHoldingDoubleQuotesAreRead) {
    const std::string create = "CREATE TABLE \"we\"\"ird\" (\"a\"\"b\" integer, \"desc\" "
                               "varchar(5))";
    sqliteSides(withRows(create, "\"we\"\"ird\"", {"1, 'x'", "2, 'y'"}),
                withRows(create, "\"we\"\"ird\"", {"1, 'x'", "2, 'z'"}));
    for (int autoSpecialName : {0, 1, 2}) {
        session.settings.i_AutoSpecialName = autoSpecialName;
        run();
        EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nDifferences found in table we\"ird\r\n\r\n"
                                  "  a\"b        _desc _\r\n"
                                  "\r\n< 2           y     "
                                  "\r\n> 2           z     ")
            << autoSpecialName;
    }
}

TEST_F(DataRun, ViewRowsAreWrittenAsCsvWhenTheOutputIsCsvReady) {
    const std::vector<std::string> base = {"CREATE TABLE T (id integer, name varchar(6))",
                                           "CREATE VIEW V AS SELECT id, name FROM T"};
    auto sql = [&](const std::string& rows) {
        std::vector<std::string> all = base;
        all.push_back("INSERT INTO T VALUES " + rows);
        return all;
    };
    sqliteSides(sql("(1, 'one'), (2, 'two')"), sql("(1, 'one'), (2, 'deux')"));
    session.settings.b_DoTabData = false;
    session.settings.b_DoViewData = true;
    session.settings.b_DataAsCSV = true;
    run();
    EXPECT_EQ(dataText(1, 1, true), "\r\n\r\n\r\nDifferences found in view V\r\n\r\n"
                                    "\"Direction\",\"id\",\"name\""
                                    "\r\n\">\",\"2\",\"deux\""
                                    "\r\n\"<\",\"2\",\"two\"");
    EXPECT_TRUE(hostCalled("panel caption: Comparing View Data ..."));
    EXPECT_TRUE(hostCalled("caption: Comparing Views Data - Zentab"));
    ASSERT_NE(common("V", true), nullptr);
    EXPECT_TRUE(common("V", true)->dataDiffers);
}

TEST_F(DataRun, RowsOutOfTheComparatorsOrderAreFlaggedOncePerSide) {
    // Database 1 sorts the names without regard to case (a B c D), the comparator byte-wise
    // (B D a c). U comes in the expected order on both sides and gets no warning.
    const std::string rows = "INSERT INTO T VALUES ('a', 1), ('B', 2), ('c', 3), ('D', 4)";
    const std::string u = "CREATE TABLE U (name varchar(5))";
    sqliteSides({"CREATE TABLE T (name varchar(5) COLLATE NOCASE, n integer)", rows, u,
                 "INSERT INTO U VALUES ('b'), ('a'), ('x')"},
                {"CREATE TABLE T (name varchar(5), n integer)", rows, u,
                 "INSERT INTO U VALUES ('b'), ('a'), ('y')"});
    run();
    const std::string warning =
        "\r\n\r\nWARNING: The rows of table T in database " + session.side1->displayName +
        " do not come in the order this comparison expects (the database may sort text with "
        "another collation). Differences reported for it may not be real. Turn on \"Sort rows "
        "in Zentab (when the databases order text differently)\" (b_SortRows=1) for an exact "
        "comparison.\r\n\r\n";
    EXPECT_EQ(dataText(2, 2), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                              "  name _n          _\r\n"
                              "\r\n> B     2           "
                              "\r\n> D     4           " +
                                  warning +
                                  "\r\n< B     2           "
                                  "\r\n< D     4           "
                                  "\r\n\r\n\r\nDifferences found in table U\r\n\r\n"
                                  "  name _\r\n"
                                  "\r\n< x     "
                                  "\r\n> y     ");
}

} // namespace
} // namespace zentab

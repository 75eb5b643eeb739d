#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/data/difference_output.h"
#include "engine/report_document.h"
#include "engine/report_writer.h"
#include "settings/compare_settings.h"
#include "support/recording_host.h"

namespace zentab {
namespace {

class DifferenceOutputTest : public ::testing::Test {
protected:
    Rgb colourAt(std::size_t offset) const {
        for (const ReportRun& run : document.runs()) {
            if (offset >= run.start && offset < run.start + run.length) {
                return run.colour;
            }
        }
        return 0xFFFFFFFFu;
    }

    test::RecordingHost host;
    ReportDocument document;
    CompareSettings settings;
    ReportWriter writer{document, settings, host};
    ReportColours colours;
};

TEST_F(DifferenceOutputTest, ColumnsWidenAsLongerValuesArrive) {
    DifferenceOutput output(writer, false);
    output.writeHeader(DifferenceKind::Table, "T", {{"ID", 11}, {"NAME", 3}, {"CODE", 4}});
    output.writeRow("1 \t abcdefg \t x", true);
    output.writeRow("2 \t ab \t y", false);
    output.writeRow("3", false); // fewer values than columns
    output.writeRow("4 \t b \t c \t extra", true);

    EXPECT_EQ(document.text(), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                               "  ID         _NAME _CODE _\r\n"
                               "\r\n< 1           abcdefg x     "
                               "\r\n> 2           ab      y     "
                               "\r\n> 3           "
                               "\r\n< 4           b       c     extra ");
    EXPECT_EQ(output.widths(), (std::vector<int>{11, 7, 5, 5}));

    const std::string text = document.text();
    EXPECT_EQ(colourAt(text.find('_')), colours.of(ReportColour::White));
    EXPECT_EQ(colourAt(text.find("ID")), colours.common);
    EXPECT_EQ(colourAt(text.find("< ")), colours.text);
    EXPECT_EQ(colourAt(text.find("abcdefg")), colours.database1);
    EXPECT_EQ(colourAt(text.find("ab ")), colours.database2);
}

TEST_F(DifferenceOutputTest, Utf8ValuesTakeOneColumnPerCharacter) {
    DifferenceOutput output(writer, false);
    output.writeHeader(DifferenceKind::Table, "T", {{"CITY", 6}, {"N", 1}});
    output.writeRow("Zürich \t 1", true);
    output.writeRow("Zurich \t 2", false);
    output.writeRow("Köln-Mülheim \t 3", false);
    EXPECT_EQ(document.text(), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                               "  CITY  _N _\r\n"
                               "\r\n< Zürich 1  "
                               "\r\n> Zurich 2  "
                               "\r\n> Köln-Mülheim 3  ");
    EXPECT_EQ(output.widths(), (std::vector<int>{12, 2}));
}

TEST_F(DifferenceOutputTest, Utf8ColumnNamesAreMeasuredInCharacters) {
    DifferenceOutput output(writer, false);
    output.writeHeader(DifferenceKind::Table, "T", {{"Größe", 3}, {"N", 1}});
    output.writeRow("1 \t 2", true);
    EXPECT_EQ(document.text(), "\r\n\r\n\r\nDifferences found in table T\r\n\r\n"
                               "  Größe _N _\r\n"
                               "\r\n< 1      2  ");
}

TEST_F(DifferenceOutputTest, CsvFormsOfTheHeaderAndTheMarkers) {
    DifferenceOutput output(writer, true);
    output.writeHeader(DifferenceKind::View, "V", {{"A", 1}, {"B", 1}});
    output.writeRow("1 \t say \"hi\"", true);
    output.writeRow(" \t y", false);
    output.writeRow("", false); // one value, empty
    EXPECT_EQ(document.text(), "\r\n\r\n\r\nDifferences found in view V\r\n\r\n"
                               "\"Direction\",\"A\",\"B\""
                               "\r\n\"<\",\"1\",\"say \"\"hi\"\"\""
                               "\r\n\">\",\"\",\"y\""
                               "\r\n\">\",\"\"");
    const std::string text = document.text();
    EXPECT_EQ(colourAt(text.find("\"<\",")), colours.text);
    EXPECT_EQ(colourAt(text.find("\"1\"")), colours.database1);
    EXPECT_EQ(colourAt(text.find("\"\",\"y")), colours.database2);
}

TEST_F(DifferenceOutputTest, StatementHeaderShowsBothStatements) {
    DifferenceOutput output(writer, false);
    output.writeHeader(DifferenceKind::Statement, "", {{"N", 2}}, "select 1", "select 2");
    EXPECT_EQ(document.text(), "\r\n\r\n\r\nDifferences found in statements "
                               "\r\n\r\n\r\n< select 1\r\n\r\n> select 2\r\n\r\n\r\n  N _\r\n");
    const std::string text = document.text();
    EXPECT_EQ(colourAt(text.find("< select")), colours.database1);
    EXPECT_EQ(colourAt(text.find("> select")), colours.database2);
}

} // namespace
} // namespace zentab

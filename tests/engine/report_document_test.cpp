#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/report_document.h"

namespace zentab {
namespace {

struct LineCase {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> lines;
};

const LineCase lineCases[] = {
    {"empty", {}, {""}},
    {"no break", {"abc"}, {"abc"}},
    {"crlf", {"a\r\nb"}, {"a\r\n", "b"}},
    {"trailing break", {"a\r\n"}, {"a\r\n", ""}},
    {"blank lines", {"\r\n\r\n\r\nx"}, {"\r\n", "\r\n", "\r\n", "x"}},
    {"crlf split over pieces", {"a\r", "\nb", "\r", "\n"}, {"a\r\n", "b\r\n", ""}},
    {"lone lf and cr", {"a\nb\rc"}, {"a\n", "b\r", "c"}},
    {"lf cr is two breaks", {"a\n\rb"}, {"a\n", "\r", "b"}},
    {"many pieces one line",
     {"< DATABASE 1:  ", "one", " and ", "two"},
     {"< DATABASE 1:  one and two"}},
};

TEST(ReportDocumentLines, IndexFollowsEveryAppend) {
    for (const LineCase& c : lineCases) {
        SCOPED_TRACE(c.name);
        ReportDocument document;
        std::string all;
        for (const std::string& piece : c.pieces) {
            document.append(piece, 0, false);
            all += piece;
        }
        ASSERT_EQ(document.lineCount(), static_cast<int>(c.lines.size()));
        EXPECT_EQ(document.text(), all);
        std::size_t offset = 0;
        for (int n = 0; n < document.lineCount(); ++n) {
            const std::string& expected = c.lines[static_cast<std::size_t>(n)];
            EXPECT_EQ(document.line(n), expected) << "line " << n;
            EXPECT_EQ(document.lineStart(n), offset) << "line " << n;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(document.lineOfOffset(offset + i), n) << "offset " << offset + i;
            }
            offset += expected.size();
        }
        EXPECT_EQ(document.lineOfOffset(all.size() + 10), document.lineCount() - 1);
    }
}

TEST(ReportDocumentLines, ClearLeavesOneEmptyLine) {
    ReportDocument document;
    document.append("a\r\nb\r\n", 1, true);
    document.clear();
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(document.lineCount(), 1);
    EXPECT_TRUE(document.runs().empty());
    document.append("c\r\n", 1, false);
    EXPECT_EQ(document.lineCount(), 2);
    EXPECT_EQ(document.line(0), "c\r\n");
}

TEST(ReportDocumentRuns, EqualNeighboursMerge) {
    ReportDocument document;
    document.append("ab", 5, false);
    document.append("cd", 5, false);
    document.append("", 7, true); // nothing to colour: no run
    document.append("ef", 5, true);
    document.append("gh", 7, true);
    document.append("ij", 7, true);
    const std::vector<ReportRun> runs = document.runs();
    ASSERT_EQ(runs.size(), 3u);
    const ReportRun expected[] = {{0, 4, 5, false}, {4, 2, 5, true}, {6, 4, 7, true}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].start, expected[i].start) << i;
        EXPECT_EQ(runs[i].length, expected[i].length) << i;
        EXPECT_EQ(runs[i].colour, expected[i].colour) << i;
        EXPECT_EQ(runs[i].underline, expected[i].underline) << i;
    }
}

TEST(ReportDocumentFind, MatchCaseWholeWordAndStart) {
    ReportDocument document;
    document.append("Orders orders_old\r\nORDERS xorders order", 0, false);
    struct Case {
        const char* what;
        std::size_t from;
        bool matchCase;
        bool wholeWord;
        long begin; // -1: no match
    };
    const Case cases[] = {
        {"orders", 0, false, false, 0},    {"orders", 0, true, false, 7},
        {"orders", 1, false, false, 7},    {"orders", 1, false, true, 19},
        {"ORDERS", 0, true, true, 19},     {"orders", 20, false, false, 27},
        {"orders", 20, false, true, -1},   {"order", 0, false, true, 34},
        {"order", 35, false, false, -1},   {"", 0, false, false, -1},
        {"orders_old", 0, false, true, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " from " + std::to_string(c.from));
        auto match = document.find(c.what, c.from, c.matchCase, c.wholeWord);
        if (c.begin < 0) {
            EXPECT_FALSE(match.has_value());
            continue;
        }
        ASSERT_TRUE(match.has_value());
        EXPECT_EQ(match->begin, static_cast<std::size_t>(c.begin));
        EXPECT_EQ(match->end, match->begin + std::string(c.what).size());
    }
}

} // namespace
} // namespace zentab

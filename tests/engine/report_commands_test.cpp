// Save Report (RTF and plain text), Save selection as CSV and Find.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "report_fixture.h"
#include "settings/preferences.h"

namespace zentab::test {
namespace {

const char* const kReportFilter = "RTF Format (*.rtf) | *.rtf|Text Format (*.txt) | *.txt||";

// Output of Debian's unrtf for an RTF file, in the given mode ("text" or "html").
std::string unrtf(const std::string& mode, const std::string& path) {
    const std::string command = "unrtf --" + mode + " '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        ADD_FAILURE() << "cannot run unrtf";
        return {};
    }
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        out.append(buffer, n);
    }
    return out;
}

// The body of unrtf's text output: what follows its header and dashed rule.
std::string unrtfText(const std::string& path) {
    const std::string out = unrtf("text", path);
    const std::string rule = "-----------------\n";
    const std::size_t at = out.find(rule);
    if (at == std::string::npos) {
        ADD_FAILURE() << "unrtf gave no text (is it installed?): " << out;
        return {};
    }
    return out.substr(at + rule.size());
}

::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part << "\" not in:\n" << text;
}

// How unrtf's text output shows report text: LF line ends, and (as unrtf writes words) one
// blank for each run of blanks.
std::string asUnrtfShowsIt(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == ' ' && !out.empty() && out.back() == ' ') {
            continue;
        }
        out += text[i];
    }
    return out;
}

class ReportSave : public ReportFixture {
protected:
    void SetUp() override {
        ReportFont font;
        font.faceName = "Liberation Mono";
        font.height = 200;
        writer.setFont(font);
        writer.append("< DATABASE 1:  ", ReportColour::Text, false, true);
        writer.append("sales {1} C:\\data", ReportColour::Database1, false, true);
        writer.append("\r\n> DATABASE 2:  ", ReportColour::Text, false, true);
        writer.append("caf\xe9", ReportColour::Database2, false, true);
        writer.append("\r\n\r\nTable ", ReportColour::Text, false, true);
        writer.append("ORDERS", ReportColour::Common, true, true);
        writer.append("\r\n", ReportColour::Text, false, true);
        writer.reportSaved = false;
    }
};

TEST_F(ReportSave, ExtensionChoosesTheFormat) {
    const struct {
        const char* name;
        bool rtf;
    } cases[] = {{"report.Rtf", true},  {"report.RTF", true}, {"report.rtf", true},
                 {"report.txt", false}, {"report", false},    {"report.rtf.txt", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        writer.reportSaved = false;
        ASSERT_TRUE(writer.saveReportTo(path));
        EXPECT_TRUE(writer.reportSaved);
        const std::string saved = readFile(path);
        if (!c.rtf) {
            EXPECT_EQ(saved, document.text());
            continue;
        }
        EXPECT_EQ(saved.rfind("{\\rtf1\\ansi", 0), 0u);
        EXPECT_EQ(saved.back(), '\n');
        EXPECT_EQ(unrtfText(path), asUnrtfShowsIt(document.text()));
    }
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(ReportSave, RtfCarriesColoursUnderlineAndFont) {
    const std::string path = dir.file("report.rtf");
    ASSERT_TRUE(writer.saveReportTo(path));
    const std::string rtf = readFile(path);
    for (const char* entry : {"\\red42\\green42\\blue255;", "\\red255\\green0\\blue0;",
                              "\\red9\\green165\\blue46;", "\\red0\\green0\\blue0;"}) {
        EXPECT_TRUE(contains(rtf, entry));
    }
    EXPECT_TRUE(contains(rtf, "\\fs20"));
    const std::string html = unrtf("html", path);
    EXPECT_TRUE(contains(html, "face=\"Liberation Mono\""));
    EXPECT_TRUE(contains(html, "<font color=\"#2a2aff\">sales {1} C:\\data"));
    EXPECT_TRUE(contains(html, "<font color=\"#ff0000\">caf&eacute;"));
    EXPECT_TRUE(contains(html, "<font color=\"#09a52e\"><u>ORDERS</u>"));
}

TEST_F(ReportSave, CommandAsksForAFileOnlyWhenThereIsSomethingToSave) {
    writer.reportSaved = true;
    writer.saveReport();
    EXPECT_TRUE(host.fileRequests().empty());

    writer.reportSaved = false;
    host.answerFile(std::nullopt);
    writer.saveReport();
    EXPECT_TRUE(writer.saveCancelled);
    EXPECT_FALSE(writer.reportSaved);
    ASSERT_EQ(host.fileRequests().size(), 1u);
    EXPECT_EQ(host.fileRequests()[0].filter, kReportFilter);
    EXPECT_EQ(host.fileRequests()[0].defaultExtension, "rtf");

    const std::string path = dir.file("chosen.txt");
    host.answerFile(path);
    writer.saveReport();
    EXPECT_FALSE(writer.saveCancelled);
    EXPECT_TRUE(writer.reportSaved);
    EXPECT_EQ(readFile(path), document.text());

    writer.resetReport();
    writer.reportSaved = false;
    writer.saveReport();
    EXPECT_TRUE(writer.reportSaved);
    EXPECT_EQ(host.fileRequests().size(), 2u);
}

TEST_F(ReportSave, FailuresLeaveTheReportUnsaved) {
    const struct {
        std::string path;
        const char* message;
    } cases[] = {{unreachablePath("report.rtf"), "Could not open file."},
                 {unreachablePath("report.txt"), "Could not open file."},
                 {"/dev/full", "ERROR: Could not save file."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        RecordingHost caseHost;
        ReportWriter caseWriter(document, settings, caseHost);
        caseWriter.reportSaved = false;
        EXPECT_FALSE(caseWriter.saveReportTo(c.path));
        EXPECT_FALSE(caseWriter.reportSaved);
        EXPECT_EQ(caseHost.messages(), std::vector<std::string>{c.message});
    }
}

class ReportCsv : public ReportFixture {
protected:
    void SetUp() override {
        writer.append("Data Differences\r\n", ReportColour::Text, true, false);
        writer.append("1, 'abc', 2.5  \t\r\n", ReportColour::Database1, false, false);
        writer.append("\r\n \t \r\n", ReportColour::Text, false, false);
        writer.append("2, 'def', 3.5\r\n", ReportColour::Database2, false, false);
        writer.append("trailer", ReportColour::Text, false, false);
    }
};

TEST_F(ReportCsv, WholeLinesWithoutBlankOnes) {
    const std::string path = dir.file("rows.csv");
    host.answerFile(path);
    // The selection starts inside line 1 and ends inside line 4.
    const int first = document.lineOfOffset(document.lineStart(1) + 5);
    const int last = document.lineOfOffset(document.lineStart(4) + 2);
    writer.saveSelectionAsCsv(first, last);
    EXPECT_EQ(readFile(path), "1, 'abc', 2.5\r\n2, 'def', 3.5\r\n");
    ASSERT_EQ(host.fileRequests().size(), 1u);
    EXPECT_EQ(host.fileRequests()[0].filter, "CSV Files (*.csv) | *.csv|All Files (*.*) | *.*||");
    EXPECT_EQ(host.fileRequests()[0].defaultExtension, "csv");
    EXPECT_TRUE(host.messages().empty());

    ASSERT_TRUE(writer.saveLinesAsCsv(path, 4, 99));
    EXPECT_EQ(readFile(path), "2, 'def', 3.5\r\ntrailer\r\n");
}

TEST_F(ReportCsv, EmptySelectionCancelAndCreateFailure) {
    writer.reportSaved = false;
    writer.saveSelectionAsCsv(-1, -1);
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"Please select a section to be saved as a CSV file."});
    EXPECT_TRUE(host.fileRequests().empty());

    host.answerFile(std::nullopt);
    writer.saveSelectionAsCsv(0, 2);
    EXPECT_EQ(host.fileRequests().size(), 1u);
    EXPECT_EQ(host.messages().size(), 1u);

    const std::string path = unreachablePath("rows.csv");
    host.answerFile(path);
    writer.saveSelectionAsCsv(0, 2);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[1], "Could not open file " + path + ": \n\nNot a directory");
    EXPECT_FALSE(writer.reportSaved);
}

class ReportFind : public ReportFixture {
protected:
    void SetUp() override {
        writer.append("Table orders\r\n", ReportColour::Text, false, false);
        writer.append("ORDERS: 2 rows, orders_old: 1 row", ReportColour::Common, false, false);
        writer.startFind();
    }
    std::optional<std::size_t> next(const char* what, bool matchCase, bool wholeWord) {
        auto match = writer.findNext(what, matchCase, wholeWord, selectionEnd_);
        if (!match) {
            return std::nullopt;
        }
        selectionEnd_ = match->end;
        return match->begin;
    }
    std::size_t selectionEnd_ = 0;
};

const char* const kWrapQuestion =
    "Zentab has reached the end of the report. Do you wish to continue from the top?";

TEST_F(ReportFind, WholeWordIgnoringCaseWrapsOnYes) {
    EXPECT_EQ(next("orders", false, true), 6u);
    EXPECT_EQ(next("orders", false, true), 14u);
    EXPECT_TRUE(host.messages().empty());
    host.answerYesNo(true);
    EXPECT_EQ(next("orders", false, true), 6u);
    EXPECT_EQ(host.messages(), std::vector<std::string>{kWrapQuestion});
}

TEST_F(ReportFind, MatchCaseAndNoEndsTheStep) {
    EXPECT_EQ(next("orders", true, false), 6u);
    EXPECT_EQ(next("orders", true, false), 30u); // inside orders_old: not a whole word search
    host.answerYesNo(false);
    EXPECT_EQ(next("orders", true, false), std::nullopt);
    EXPECT_EQ(host.messages(), std::vector<std::string>{kWrapQuestion});
    // No leaves the search where it was: the next request asks again.
    host.answerYesNo(false);
    EXPECT_EQ(next("orders", true, false), std::nullopt);
    EXPECT_EQ(host.messages().size(), 2u);
}

TEST_F(ReportFind, WrapThatFindsNothingStaysAtTheTop) {
    EXPECT_EQ(next("table", false, false), 0u);
    host.answerYesNo(true);
    EXPECT_EQ(next("customers", false, false), std::nullopt);
    EXPECT_EQ(next("customers", false, false), std::nullopt);
    EXPECT_EQ(host.messages(),
              (std::vector<std::string>{kWrapQuestion, "Could not find specified text",
                                        "Could not find specified text"}));
}

TEST_F(ReportFind, NotFoundSearchesFromTheTopAgain) {
    EXPECT_EQ(next("customers", false, false), std::nullopt);
    EXPECT_EQ(host.messages(), std::vector<std::string>{"Could not find specified text"});
    // No wrap question: the search is still at the top.
    EXPECT_EQ(next("Orders", true, true), std::nullopt);
    EXPECT_EQ(next("table", false, true), 0u);
    EXPECT_EQ(host.messages(), (std::vector<std::string>{"Could not find specified text",
                                                         "Could not find specified text"}));
}

} // namespace
} // namespace zentab::test

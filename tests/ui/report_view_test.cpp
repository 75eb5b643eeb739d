// The report view mirrors the engine's document: same lines, colours byte-for-byte, the report
// font; and the program's file filters become Qt name filters.

#include <QFontDatabase>
#include <QFontInfo>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/report_document.h"
#include "settings/preferences.h"
#include "ui/qt_host.h"
#include "ui/report_view.h"

namespace zentab::test {
namespace {

std::vector<std::string> documentLines(const ReportDocument& document) {
    std::vector<std::string> lines;
    for (int n = 0; n < document.lineCount(); ++n) {
        std::string line = document.line(n);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> viewBlocks(const ReportView& view) {
    std::vector<std::string> blocks;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        blocks.push_back(toReportText(block.text()));
    }
    return blocks;
}

TEST(ReportView, BlockNIsLineNOfTheDocument) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
    } cases[] = {
        {"CR LF inside a piece", {"a\r\nb", "\r\n\r\nc"}},
        {"CR LF split over two pieces", {"a\r", "\nb\r", "\n"}},
        {"empty piece between CR and LF", {"a\r", "", "\nb"}},
        {"lone CR and lone LF", {"a\rb\nc", "\r", "d"}},
        {"LF CR is two breaks", {"a\n\rb"}},
        {"trailing break gives an empty last line", {"header\r\n"}},
    };
    const ReportFont font;
    for (const Case& c : cases) {
        ReportDocument document;
        ReportView view(font);
        for (const std::string& piece : c.pieces) {
            document.append(piece, 0, false);
            view.appendPiece(piece, 0, false);
        }
        EXPECT_EQ(viewBlocks(view), documentLines(document)) << c.name;
        view.clearReport();
        EXPECT_EQ(view.toPlainText(), QString()) << c.name;
        EXPECT_EQ(view.document()->blockCount(), 1) << c.name;
    }
}

TEST(ReportView, PiecesKeepColourWithRedInTheLowByteAndUnderline) {
    const ReportFont font;
    ReportView view(font);
    view.appendPiece("blue-ish ", makeRgb(42, 42, 255), false);
    view.appendPiece("under", makeRgb(130, 8, 54), true);
    view.appendPiece(" plain", makeRgb(0, 0, 0), false);

    struct Case {
        const char* text;
        QColor colour;
        bool underline;
    } cases[] = {{"blue-ish", QColor(42, 42, 255), false},
                 {"under", QColor(130, 8, 54), true},
                 {"plain", QColor(0, 0, 0), false}};
    for (const Case& c : cases) {
        QTextCursor found = view.document()->find(c.text);
        ASSERT_FALSE(found.isNull()) << c.text;
        EXPECT_EQ(found.charFormat().foreground().color(), c.colour) << c.text;
        EXPECT_EQ(found.charFormat().fontUnderline(), c.underline) << c.text;
    }
}

// Whether the machine has any font that fontconfig marks as fixed pitch: without one no
// program could show the report in fixed-width columns.
bool fixedPitchFamilyInstalled() {
    for (const QString& family : QFontDatabase::families()) {
        if (QFontInfo(QFont(family)).fixedPitch()) {
            return true;
        }
    }
    return false;
}

TEST(ReportView, ReportFontIsTwipsOverTwentyAndMonospacedWhenTheFaceIsMissing) {
    ReportFont missing;
    missing.faceName = "No Such Face For Zentab";
    missing.height = 240;
    const QFont font = ReportView::toQFont(missing);
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 12.0);

    ReportFont standard; // "Courier New", 170 twips
    ReportView view(standard);
    view.appendPiece("x", 0, false);
    view.clearReport();
    const QFont applied = view.document()->defaultFont();
    EXPECT_DOUBLE_EQ(applied.pointSizeF(), 8.5);

    if (!fixedPitchFamilyInstalled()) {
        GTEST_SKIP() << "no installed font is fixed pitch";
    }
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << font.family().toStdString();
    EXPECT_TRUE(QFontInfo(applied).fixedPitch()) << applied.family().toStdString();
}

TEST(ReportView, AnInstalledFaceIsKeptEvenWhenItIsProportional) {
    QString proportional;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family) && !QFontInfo(QFont(family)).fixedPitch()) {
            proportional = family;
            break;
        }
    }
    if (proportional.isEmpty()) {
        GTEST_SKIP() << "no proportional font is installed";
    }
    ReportFont chosen;
    chosen.faceName = proportional.toStdString();
    chosen.height = 200;
    const QFont font = ReportView::toQFont(chosen);
    EXPECT_EQ(font.family(), proportional);
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 10.0);
}

TEST(QtNameFilters, ProgramFiltersBecomeQtFilters) {
    struct Case {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"RTF Format (*.rtf) | *.rtf|Text Format (*.txt) | *.txt||",
         {"RTF Format (*.rtf)", "Text Format (*.txt)"}},
        {"CSV Files (*.csv) | *.csv|All Files (*.*) | *.*||",
         {"CSV Files (*.csv)", "All Files (*.*)"}},
        {"Zentab Snapshot Files (*.zsn) | *.zsn||", {"Zentab Snapshot Files (*.zsn)"}},
        {"Configurations|*.zcf;*.ini||", {"Configurations (*.zcf *.ini)"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(qtNameFilters(c.filter), c.expected) << c.filter;
    }
}

} // namespace
} // namespace zentab::test

// Printing the report, checked on the PDF it makes as poppler reads it back: all of the text in
// order, one inch clear of the printable area, in the report's colours; and a job that cannot be
// finished says why.

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "base/report_colour.h"
#include "settings/preferences.h"
#include "support/temp_dir.h"
#include "ui/report_printer.h"
#include "ui/report_view.h"

namespace zentab::test {
namespace {

constexpr qreal kInch = 72.0; // PDF points

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One line of the report and the colour it is written in.
struct Line {
    std::string text;
    Rgb colour;
};

// A report of several pages in the four colours of a comparison, with one line beyond ASCII.
std::vector<Line> severalPages() {
    const ReportColours colours;
    const Rgb cycle[] = {colours.database1, colours.database2, colours.common, colours.text};
    std::vector<Line> lines;
    for (int n = 1; n <= 240; ++n) {
        lines.push_back({"Row " + std::to_string(n) + " of table CUSTOMER differs in column " +
                             std::to_string(n % 7),
                         cycle[n % 4]});
        if (n == 100) {
            lines.push_back({"Größe naïve Ångström café", colours.error});
        }
    }
    return lines;
}

class Report {
public:
    explicit Report(const std::vector<Line>& lines, int heightTwips = ReportFont().height)
        : font_(withHeight(heightTwips)), view_(font_) {
        for (const Line& line : lines) {
            view_.appendPiece(line.text + "\r\n", line.colour, false);
        }
    }
    const QTextDocument& document() const { return *view_.document(); }

private:
    static ReportFont withHeight(int twips) {
        ReportFont font;
        font.height = twips;
        return font;
    }
    ReportFont font_;
    ReportView view_;
};

void toPdf(QPrinter& printer, const std::string& path, qreal marginInches = 0) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(marginInches, marginInches, marginInches, marginInches),
                           QPageLayout::Inch);
}

std::vector<QString> nonEmptyLines(const QString& text) {
    std::vector<QString> lines;
    for (const QString& line : text.split(QRegularExpression("[\n\f]"))) {
        if (!line.trimmed().isEmpty()) {
            lines.push_back(line.simplified());
        }
    }
    return lines;
}

struct Word {
    int page;
    qreal xMin, yMin, xMax, yMax;
    qreal pageWidth, pageHeight;
    QString text;
};

// The words of `pdftotext -bbox`, page by page, with the size of the page each is on.
std::vector<Word> words(const std::string& pdf) {
    const QString html = run("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
    const QRegularExpression pageTag(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    const QRegularExpression wordTag(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<Word> result;
    int page = -1;
    qreal width = 0;
    qreal height = 0;
    for (const QString& line : html.split('\n')) {
        if (const auto match = pageTag.match(line); match.hasMatch()) {
            ++page;
            width = match.captured(1).toDouble();
            height = match.captured(2).toDouble();
        } else if (const auto match = wordTag.match(line); match.hasMatch()) {
            result.push_back({page, match.captured(1).toDouble(), match.captured(2).toDouble(),
                              match.captured(3).toDouble(), match.captured(4).toDouble(), width,
                              height, match.captured(5)});
        }
    }
    return result;
}

int pageCount(const std::string& pdf) {
    const QString info = run("pdfinfo", {QString::fromStdString(pdf)});
    const auto match = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

TEST(ReportPrinter, PrintsEveryLineInOrderOneInchInsideThePrintableArea) {
    const std::vector<Line> lines = severalPages();
    const Report report(lines);
    const qreal pointSize = ReportView::toQFont(ReportFont()).pointSizeF();
    // The printer's own margins come on top of the inch.
    for (const qreal printerMargin : {0.0, 0.5}) {
        SCOPED_TRACE(printerMargin);
        TempDir dir;
        const std::string pdf = dir.file("report.pdf");
        QPrinter printer(QPrinter::HighResolution);
        toPdf(printer, pdf, printerMargin);
        ASSERT_EQ(printReport(report.document(), printer), PrintFailure::None);

        EXPECT_GT(pageCount(pdf), 1);
        EXPECT_TRUE(run("pdfinfo", {QString::fromStdString(pdf)})
                        .contains(QRegularExpression("Title:\\s+Zentab\n")));

        std::vector<QString> expected;
        for (const Line& line : lines) {
            expected.push_back(QString::fromStdString(line.text).simplified());
        }
        EXPECT_EQ(nonEmptyLines(run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"})),
                  expected);

        const std::vector<Word> all = words(pdf);
        ASSERT_FALSE(all.empty());
        const qreal clear = kInch * (1 + printerMargin);
        qreal left = all.front().pageWidth;
        qreal top = all.front().pageHeight;
        for (const Word& word : all) {
            SCOPED_TRACE(word.text.toStdString() + " on page " + std::to_string(word.page + 1));
            EXPECT_GE(word.xMin, clear);
            EXPECT_GE(word.yMin, clear);
            EXPECT_LE(word.xMax, word.pageWidth - clear);
            EXPECT_LE(word.yMax, word.pageHeight - clear);
            // Printed in the report's size, not scaled to the printer's resolution or the page.
            EXPECT_GT(word.yMax - word.yMin, 0.9 * pointSize);
            EXPECT_LT(word.yMax - word.yMin, 1.6 * pointSize);
            left = std::min(left, word.xMin);
            if (word.page == 0) {
                top = std::min(top, word.yMin);
            }
        }
        // And no further in than the inch.
        EXPECT_LT(left, clear + 2);
        EXPECT_LT(top, clear + 2);
    }
}

TEST(ReportPrinter, WrapsALineWiderThanThePageWithinTheMargins) {
    std::string wide;
    for (int n = 1; n <= 120; ++n) {
        wide += "w" + std::to_string(n) + " ";
    }
    const Report report({{"first", 0}, {wide, 0}, {"last", 0}});
    TempDir dir;
    const std::string pdf = dir.file("wide.pdf");
    QPrinter printer(QPrinter::HighResolution);
    toPdf(printer, pdf);
    ASSERT_EQ(printReport(report.document(), printer), PrintFailure::None);

    QStringList expected =
        QString::fromStdString("first " + wide + "last").split(' ', Qt::SkipEmptyParts);
    QStringList printed;
    for (const Word& word : words(pdf)) {
        printed << word.text;
        EXPECT_LE(word.xMax, word.pageWidth - kInch) << word.text.toStdString();
    }
    EXPECT_EQ(printed, expected);
}

// How many pixels of `image` are `colour`, give or take the rasteriser's rounding.
int pixelsOf(const QImage& image, Rgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - static_cast<int>(redOf(colour))) <= 8 &&
                std::abs(pixel.green() - static_cast<int>(greenOf(colour))) <= 8 &&
                std::abs(pixel.blue() - static_cast<int>(blueOf(colour))) <= 8) {
                ++count;
            }
        }
    }
    return count;
}

TEST(ReportPrinter, PrintsInTheReportColours) {
    const ReportColours colours;
    // Large enough for glyph stems that are solid pixels at a low resolution.
    const Report report({{"Only in database 1: ORDERS", colours.database1},
                         {"Only in database 2: INVOICES", colours.database2}},
                        480);
    TempDir dir;
    const std::string pdf = dir.file("colours.pdf");
    QPrinter printer(QPrinter::HighResolution);
    toPdf(printer, pdf);
    ASSERT_EQ(printReport(report.document(), printer), PrintFailure::None);

    const QString prefix = QString::fromStdString(dir.file("page"));
    run("pdftoppm", {"-r", "72", "-png", "-singlefile", QString::fromStdString(pdf), prefix});
    const QImage page(prefix + ".png");
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(pixelsOf(page, colours.database1), 20);
    EXPECT_GT(pixelsOf(page, colours.database2), 20);
    EXPECT_EQ(pixelsOf(page, colours.common), 0);
}

TEST(ReportPrinter, TellsTheCauseOfAFailedJobAndNothingWhenCancelled) {
    struct Case {
        PrintFailure failure;
        const char* message;
    } cases[] = {
        {PrintFailure::None, nullptr},
        {PrintFailure::Cancelled, nullptr},
        {PrintFailure::OutOfMemory, "Your computer is out of memory, shut down some applications "
                                    "and/or some windows and try again."},
        {PrintFailure::OutOfDisk,
         "The print spooler is out of disk space, free up some disk space and try again."},
        {PrintFailure::General, "There was a general printing error, please check printer is "
                                "working properly, connected, on line etc."},
    };
    for (const Case& c : cases) {
        const char* message = printFailureMessage(c.failure);
        if (c.message == nullptr) {
            EXPECT_EQ(message, nullptr);
        } else {
            EXPECT_STREQ(message, c.message);
        }
    }
}

TEST(ReportPrinter, AJobThatCannotBeFinishedEndsWithItsCause) {
    TempDir dir;
    const PrintProgress stopAtSecondPage = [](int page) { return page < 1; };
    const PrintProgress memoryRunsOut = [](int page) {
        if (page == 1) {
            throw std::bad_alloc();
        }
        return true;
    };
    struct Case {
        const char* name;
        std::string path;
        PrintProgress proceed;
        PrintFailure expected;
    } cases[] = {
        {"disk full", "/dev/full", {}, PrintFailure::OutOfDisk},
        {"folder missing", dir.file("missing/report.pdf"), {}, PrintFailure::General},
        {"cancelled", dir.file("cancelled.pdf"), stopAtSecondPage, PrintFailure::Cancelled},
        {"out of memory", dir.file("memory.pdf"), memoryRunsOut, PrintFailure::OutOfMemory},
    };
    const Report report(severalPages());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPrinter printer(QPrinter::HighResolution);
        toPdf(printer, c.path);
        EXPECT_EQ(printReport(report.document(), printer, c.proceed), c.expected);
        // No first pages left behind to be taken for the whole report.
        if (c.path.starts_with(dir.path().string())) {
            EXPECT_FALSE(std::filesystem::exists(c.path));
        }
    }
}

} // namespace
} // namespace zentab::test

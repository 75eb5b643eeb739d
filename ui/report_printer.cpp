#include "ui/report_printer.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <new>

#include "engine/report_file.h"

namespace zentab {
namespace {

constexpr char kOutOfMemory[] =
    "Your computer is out of memory, shut down some applications and/or some windows and try "
    "again.";
constexpr char kOutOfDisk[] =
    "The print spooler is out of disk space, free up some disk space and try again.";
constexpr char kGeneral[] = "There was a general printing error, please check printer is "
                            "working properly, connected, on line etc.";

// The rectangle the report is laid out in, in the painter's coordinates: the printable area
// less one inch on each side. Empty when the paper is too small for that.
QRectF textArea(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    const int dpi = printer.resolution();
    QRectF printable = QRectF(layout.fullRectPixels(dpi)).marginsRemoved(layout.marginsPixels(dpi));
    if (!printer.fullPage()) {
        // The painter's origin is then the printable area's corner, not the paper's.
        printable.moveTopLeft(QPointF(0, 0));
    }
    const qreal inchX = printer.logicalDpiX();
    const qreal inchY = printer.logicalDpiY();
    return printable.adjusted(inchX, inchY, -inchX, -inchY);
}

// A copy of the report laid out for the printer: measured in its resolution, wrapped at the
// text area's width so that no character falls off the right edge, broken into pages of the
// text area's height.
std::unique_ptr<QTextDocument> layOut(const QTextDocument& report, QPrinter& printer,
                                      const QSizeF& area) {
    std::unique_ptr<QTextDocument> pages(report.clone());
    pages->documentLayout()->setPaintDevice(&printer);
    pages->setDocumentMargin(0);
    QTextOption option = pages->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    pages->setDefaultTextOption(option);
    pages->setPageSize(area);
    // The layout is otherwise done lazily, as far as a view asks; the painting walks every line.
    pages->pageCount();
    return pages;
}

PrintFailure stateFailure(const QPrinter& printer) {
    switch (printer.printerState()) {
    case QPrinter::Aborted:
        return PrintFailure::Cancelled;
    case QPrinter::Error:
        return PrintFailure::General;
    case QPrinter::Idle:
    case QPrinter::Active:
        break;
    }
    return PrintFailure::None;
}

// Starts page `page` (counted from 0) with the painter's origin at the text area's corner.
PrintFailure startPage(int page, QPrinter& printer, QPainter& painter, const QRectF& area,
                       const PrintProgress& proceed) {
    if (proceed && !proceed(page)) {
        return PrintFailure::Cancelled;
    }
    if (page > 0 && !printer.newPage()) {
        const PrintFailure failure = stateFailure(printer);
        return failure == PrintFailure::None ? PrintFailure::General : failure;
    }
    painter.resetTransform();
    painter.translate(area.topLeft());
    painter.setClipRect(QRectF(QPointF(0, 0), area.size()));
    painter.setPen(Qt::black);
    return stateFailure(printer);
}

// Paints the laid-out report line by line. Each line goes on the page its middle falls on: the
// layout moves a line that would cross a page break to the next page, where its top may lie a
// rounding error above the break, and drawing whole blocks by page would paint it (clipped but
// still there for text extraction) on both pages.
PrintFailure paintPages(const QTextDocument& pages, QPrinter& printer, QPainter& painter,
                        const QRectF& area, const PrintProgress& proceed) {
    int page = 0;
    if (const PrintFailure failure = startPage(page, printer, painter, area, proceed);
        failure != PrintFailure::None) {
        return failure;
    }
    for (QTextBlock block = pages.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* text = block.layout();
        const QPointF origin = text->position();
        for (int n = 0; n < text->lineCount(); ++n) {
            const QTextLine line = text->lineAt(n);
            if (line.textLength() == 0) {
                // Nothing to paint, and no reason to start a page (a report ends with a break).
                continue;
            }
            const qreal middle = origin.y() + line.y() + line.height() / 2;
            const int onPage = static_cast<int>(middle / area.height());
            while (page < onPage) {
                if (const PrintFailure failure = startPage(++page, printer, painter, area, proceed);
                    failure != PrintFailure::None) {
                    return failure;
                }
            }
            line.draw(&painter, QPointF(origin.x(), origin.y() - page * area.height()));
        }
        if (const PrintFailure failure = stateFailure(printer); failure != PrintFailure::None) {
            return failure;
        }
    }
    return PrintFailure::None;
}

// The PDF engine does not report failed writes, so the file is the evidence: a complete PDF
// ends with its end-of-file marker.
bool pdfComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const qint64 size = file.size();
    constexpr qint64 kTail = 32;
    if (size < kTail || !file.seek(size - kTail)) {
        return false;
    }
    return file.read(kTail).contains("%%EOF");
}

// Why `path` was not fully written: one more byte appended tells a full disk from the rest.
// The file is incomplete already, so the byte spoils nothing.
PrintFailure writeFailureCause(const QString& path) {
    ReportFile file;
    const bool written = file.openExisting(QFile::encodeName(path).toStdString()) &&
                         file.seekToEnd() && file.write("\n") && file.close();
    return !written && file.error() == ENOSPC ? PrintFailure::OutOfDisk : PrintFailure::General;
}

} // namespace

const char* printFailureMessage(PrintFailure failure) {
    switch (failure) {
    case PrintFailure::OutOfMemory:
        return kOutOfMemory;
    case PrintFailure::OutOfDisk:
        return kOutOfDisk;
    case PrintFailure::General:
        return kGeneral;
    case PrintFailure::None:
    case PrintFailure::Cancelled:
        break;
    }
    return nullptr;
}

PrintFailure printReport(const QTextDocument& report, QPrinter& printer,
                         const PrintProgress& proceed) {
    printer.setDocName(QStringLiteral("Zentab"));
    const QRectF area = textArea(printer);
    if (area.isEmpty()) {
        return PrintFailure::General;
    }

    // Laying out is where a large report needs its memory; doing it before the job starts
    // means running out of it leaves no half-made job behind.
    std::unique_ptr<QTextDocument> pages;
    try {
        pages = layOut(report, printer, area.size());
    } catch (const std::bad_alloc&) {
        return PrintFailure::OutOfMemory;
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        const PrintFailure failure = stateFailure(printer);
        return failure == PrintFailure::None ? PrintFailure::General : failure;
    }
    PrintFailure failure = PrintFailure::None;
    try {
        failure = paintPages(*pages, printer, painter, area, proceed);
    } catch (const std::bad_alloc&) {
        failure = PrintFailure::OutOfMemory;
    }
    if (failure != PrintFailure::None) {
        printer.abort();
    }
    const bool ended = painter.end();
    if (failure == PrintFailure::None) {
        failure = stateFailure(printer);
    }
    if (failure == PrintFailure::None && !ended) {
        failure = PrintFailure::General;
    }

    const QString file = printer.outputFileName();
    if ((failure == PrintFailure::None || failure == PrintFailure::General) &&
        printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty() && !pdfComplete(file)) {
        failure = writeFailureCause(file);
    }
    // The PDF engine cannot abort: what it wrote is a well-formed file of the first pages only,
    // which must not pass for the report. (Only a plain file: a device stays.)
    if (failure != PrintFailure::None && printer.outputFormat() == QPrinter::PdfFormat &&
        !file.isEmpty()) {
        const std::filesystem::path path(QFile::encodeName(file).toStdString());
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            std::filesystem::remove(path, error);
        }
    }
    return failure;
}

} // namespace zentab

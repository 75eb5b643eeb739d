#include "ui/report_view.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>
#include <string>

#include "settings/preferences.h"
#include "ui/qt_host.h"

namespace zentab {
namespace {

// A font the report's fixed-width columns line up in. The platform's fixed font is not always
// one: "monospace" may resolve to a family that fontconfig does not mark as fixed pitch, so
// each candidate is checked by what it resolves to, not by its name.
QFont fixedPitchFont() {
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(system).fixedPitch()) {
        return system;
    }
    QStringList candidates;
    for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono", "Noto Sans Mono",
                               "Nimbus Mono PS", "Courier New"}) {
        if (QFontDatabase::hasFamily(family)) {
            candidates << family;
        }
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            candidates << family;
        }
    }
    for (const QString& family : candidates) {
        const QFont font(family);
        if (QFontInfo(font).fixedPitch()) {
            return font;
        }
    }
    // No installed family is fixed pitch: the typewriter style hint is all that is left.
    return system;
}

} // namespace

ReportView::ReportView(const ReportFont& font, QWidget* parent) : QTextEdit(parent), font_(font) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    applyFont();
}

void ReportView::applyFont() {
    const QFont font = toQFont(font_);
    setFont(font);
    document()->setDefaultFont(font);
}

QFont ReportView::toQFont(const ReportFont& font) {
    const QString face = QString::fromStdString(font.faceName);
    QFont result;
    if (!face.isEmpty() && QFontDatabase::hasFamily(face)) {
        // The user's choice, whether fixed pitch or not.
        result = QFont(face);
    } else {
        result = fixedPitchFont();
    }
    result.setStyleHint(QFont::TypeWriter);
    result.setPointSizeF(font.height > 0 ? font.height / 20.0 : 8.5);
    return result;
}

void ReportView::appendPiece(std::string_view text, Rgb colour, bool underline) {
    std::string converted;
    converted.reserve(text.size());
    std::size_t i = 0;
    if (pendingCr_ && !text.empty() && text.front() == '\n') {
        i = 1;
    }
    if (!text.empty()) {
        pendingCr_ = false;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r') {
            converted.push_back(c);
            continue;
        }
        converted.push_back('\n');
        if (i + 1 == text.size()) {
            pendingCr_ = true;
        } else if (text[i + 1] == '\n') {
            ++i;
        }
    }
    if (converted.empty()) {
        return;
    }

    QTextCharFormat format;
    format.setForeground(QColor(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)),
                                static_cast<int>(blueOf(colour))));
    format.setFontUnderline(underline);

    // Follow the report as it grows unless the user has scrolled up to read.
    QScrollBar* bar = verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(fromReportText(converted), format);
    if (follow) {
        bar->setValue(bar->maximum());
    }
}

int ReportView::viewPosition(const ReportDocument& document, std::size_t offset) const {
    const int line = document.lineOfOffset(offset);
    const QTextBlock block = this->document()->findBlockByNumber(line);
    if (!block.isValid()) {
        return this->document()->characterCount() - 1;
    }
    std::string text = document.line(line);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    // An offset inside the line break is the end of the block.
    const std::size_t column = std::min(offset - document.lineStart(line), text.size());
    const int inBlock =
        static_cast<int>(fromReportText(std::string_view(text).substr(0, column)).size());
    return block.position() + std::min(inBlock, block.length() - 1);
}

std::size_t ReportView::documentOffset(const ReportDocument& document, int position) const {
    const QTextBlock block = this->document()->findBlock(position);
    if (!block.isValid()) {
        return document.text().size();
    }
    const QString before = block.text().left(position - block.position());
    return document.lineStart(block.blockNumber()) + toReportText(before).size();
}

void ReportView::selectDocumentRange(const ReportDocument& document, TextRange range) {
    QTextCursor cursor(this->document());
    cursor.setPosition(viewPosition(document, range.begin));
    cursor.setPosition(viewPosition(document, range.end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::size_t ReportView::selectionEndOffset(const ReportDocument& document) const {
    return documentOffset(document, textCursor().selectionEnd());
}

void ReportView::clearReport() {
    clear();
    pendingCr_ = false;
    applyFont();
}

} // namespace zentab

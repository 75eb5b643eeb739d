#pragma once
// The report window: a read-only rich-text view mirroring the engine's report document piece by
// piece, so that block n of the view is line n of the document. Window thread only.

#include <QFont>
#include <QTextEdit>

#include <cstddef>
#include <string_view>

#include "base/report_colour.h"
#include "engine/report_document.h"

namespace zentab {

struct ReportFont;

class ReportView : public QTextEdit {
    Q_OBJECT
public:
    // `font` is the preference the report font is taken from at every reset.
    explicit ReportView(const ReportFont& font, QWidget* parent = nullptr);

    // Inserts a piece at the end in its colour (red in the low byte) and underline. Each line
    // break of the document (CR LF, also split over two pieces, or a lone CR or LF) becomes
    // one block break.
    void appendPiece(std::string_view text, Rgb colour, bool underline);
    // Empties the view and applies the report font.
    void clearReport();
    // Applies the report font preference to the whole report.
    void applyFont();

    // Between offsets of the document the view mirrors and positions of the view. A document
    // line is bytes of the 8-bit text ending in its line break; its block here is characters
    // with no break, so both sides are measured within the line.
    int viewPosition(const ReportDocument& document, std::size_t offset) const;
    std::size_t documentOffset(const ReportDocument& document, int position) const;
    // Selects `range` of the document and scrolls it into sight.
    void selectDocumentRange(const ReportDocument& document, TextRange range);
    // The document offset where the selection ends (the cursor when nothing is selected).
    std::size_t selectionEndOffset(const ReportDocument& document) const;

    // The Qt font for a report font preference: height in twips, a monospaced font when the
    // face is not installed.
    static QFont toQFont(const ReportFont& font);

private:
    const ReportFont& font_;
    bool pendingCr_ = false; // the last piece ended with CR: a leading LF is the same break
};

} // namespace zentab

#pragma once
// The "Colors" dialog: one button per report colour category, each opening the colour palette.
// Edits a copy of the colours and writes it back on OK. Window thread only.

#include <QDialog>
#include <QPointer>

#include "base/report_colour.h"
#include "ui/dialogs/colour_palette.h"

class QPushButton;

namespace zentab {

class ColorsDialog : public QDialog {
    Q_OBJECT
public:
    // `colours` changes on OK only.
    ColorsDialog(ReportColours& colours, QWidget* parent);

    // In the order Database 1, Database 2, Common Objects, Messages / Warnings, Text.
    QPushButton* colourButton(int index) const { return buttons_[index]; }
    // The palette opened by the last button pressed, while it is shown.
    ColourPalettePopup* palette() const { return palette_; }
    // The colours as edited so far.
    const ReportColours& edited() const { return edited_; }

private:
    void openPalette(int index);
    void showColour(int index);

    ReportColours& colours_;
    ReportColours edited_;
    QPushButton* buttons_[5] = {};
    QPointer<ColourPalettePopup> palette_;
};

} // namespace zentab

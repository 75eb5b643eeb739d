#pragma once
// The forty named colours a colour button of the "Colors" dialog offers, and the popup that
// shows them with "More Colors...". Window thread only (the table is constant data).

#include <QFrame>

#include <span>

#include "base/report_colour.h"

class QToolButton;

namespace zentab {

struct PaletteColour {
    const char* name;
    Rgb rgb;
};

// In the popup's order: eight to a row, five rows.
std::span<const PaletteColour> colourPalette();

// A square icon filled with `colour`, for the palette and the dialog's buttons.
QIcon swatchIcon(Rgb colour, int size);

class ColourPalettePopup : public QFrame {
    Q_OBJECT
public:
    // `current` is offered to the system colour chooser behind "More Colors...".
    ColourPalettePopup(Rgb current, QWidget* parent);

    // Entry `index` of colourPalette().
    QToolButton* colourButton(int index) const { return buttons_[index]; }
    QToolButton* moreButton() const { return more_; }

signals:
    // The user took a colour; the popup has closed.
    void chosen(zentab::Rgb colour);

private:
    void choose(Rgb colour);
    void moreColours();

    Rgb current_;
    QToolButton* buttons_[40] = {};
    QToolButton* more_ = nullptr;
};

} // namespace zentab

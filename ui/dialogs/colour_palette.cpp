#include "ui/dialogs/colour_palette.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <array>

namespace zentab {
namespace {

constexpr PaletteColour entry(const char* name, unsigned hex) {
    return {name, makeRgb(hex >> 16, (hex >> 8) & 0xFF, hex & 0xFF)};
}

// Written as RRGGBB, as people read colours; stored red in the low byte.
constexpr std::array<PaletteColour, 40> kPalette = {{
    entry("Black", 0x000000),
    entry("Brown", 0xA52A00),
    entry("Dark Olive Green", 0x004040),
    entry("Dark Green", 0x005500),
    entry("Dark Teal", 0x00005E),
    entry("Dark blue", 0x00008B),
    entry("Indigo", 0x4B0082),
    entry("Dark grey", 0x282828),
    entry("Dark red", 0x8B0000),
    entry("Orange", 0xFF6820),
    entry("Dark yellow", 0x8B8B00),
    entry("Green", 0x009300),
    entry("Teal", 0x388E8E),
    entry("Blue", 0x0000FF),
    entry("Blue-grey", 0x7B7BC0),
    entry("Grey - 40", 0x666666),
    entry("Red", 0xFF0000),
    entry("Light orange", 0xFFAD5B),
    entry("Lime", 0x32CD32),
    entry("Sea green", 0x3CB371),
    entry("Aqua", 0x7FFFD4),
    entry("Light blue", 0x7D9EC0),
    entry("Violet", 0x800080),
    entry("Grey - 50", 0x7F7F7F),
    entry("Pink", 0xFFC0CB),
    entry("Gold", 0xFFD700),
    entry("Yellow", 0xFFFF00),
    entry("Bright green", 0x00FF00),
    entry("Turquoise", 0x40E0D0),
    entry("Skyblue", 0xC0FFFF),
    entry("Plum", 0x480048),
    entry("Light grey", 0xC0C0C0),
    entry("Rose", 0xFFE4E1),
    entry("Tan", 0xD2B48C),
    entry("Light yellow", 0xFFFFE0),
    entry("Pale green", 0x98FB98),
    entry("Pale turquoise", 0xAFEEEE),
    entry("Pale blue", 0x68838B),
    entry("Lavender", 0xE6E6FA),
    entry("White", 0xFFFFFF),
}};

constexpr int kColumns = 8;

QColor toQColor(Rgb colour) {
    return QColor(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)),
                  static_cast<int>(blueOf(colour)));
}

} // namespace

std::span<const PaletteColour> colourPalette() {
    return kPalette;
}

QIcon swatchIcon(Rgb colour, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(toQColor(colour));
    // A frame keeps white and pale colours visible on a light background.
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, size - 1, size - 1);
    return QIcon(pixmap);
}

ColourPalettePopup::ColourPalettePopup(Rgb current, QWidget* parent)
    : QFrame(parent, Qt::Popup), current_(current) {
    setObjectName("colourPalette");
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QGridLayout(this);
    layout->setSpacing(2);
    const auto palette = colourPalette();
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("paletteColour%1").arg(i));
        button->setIcon(swatchIcon(palette[i].rgb, 16));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(palette[i].name);
        button->setAutoRaise(true);
        const Rgb colour = palette[i].rgb;
        connect(button, &QToolButton::clicked, this, [this, colour] { choose(colour); });
        layout->addWidget(button, i / kColumns, i % kColumns);
        buttons_[i] = button;
    }
    more_ = new QToolButton(this);
    more_->setObjectName("moreColoursButton");
    more_->setText("More Colors...");
    more_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(more_, &QToolButton::clicked, this, &ColourPalettePopup::moreColours);
    layout->addWidget(more_, 5, 0, 1, kColumns);
}

void ColourPalettePopup::choose(Rgb colour) {
    emit chosen(colour);
    close();
}

void ColourPalettePopup::moreColours() {
    // The chooser is modal and would take the mouse from a popup that stayed open.
    hide();
    const QColor colour =
        QColorDialog::getColor(toQColor(current_), parentWidget(), "More Colors...");
    if (colour.isValid()) {
        choose(makeRgb(static_cast<unsigned>(colour.red()), static_cast<unsigned>(colour.green()),
                       static_cast<unsigned>(colour.blue())));
    } else {
        close();
    }
}

} // namespace zentab

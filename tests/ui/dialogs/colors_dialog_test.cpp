// The "Colors" dialog: the palette's forty colours in their order, a colour picked from the
// palette reaching the result on OK only, and the button showing it.

#include <QDialogButtonBox>
#include <QImage>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/dialogs/colors_dialog.h"
#include "ui/dialogs/colour_palette.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

std::string hexOf(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", redOf(colour), greenOf(colour),
                  blueOf(colour));
    return text;
}

QColor swatchColour(const QPushButton* button) {
    return button->icon()
        .pixmap(button->iconSize())
        .toImage()
        .pixelColor(button->iconSize().width() / 2, button->iconSize().height() / 2);
}

TEST(ColourPalette, HoldsTheFortyColoursInOrder) {
    const std::vector<std::string> expected = {
        "Black 000000",
        "Brown A52A00",
        "Dark Olive Green 004040",
        "Dark Green 005500",
        "Dark Teal 00005E",
        "Dark blue 00008B",
        "Indigo 4B0082",
        "Dark grey 282828",
        "Dark red 8B0000",
        "Orange FF6820",
        "Dark yellow 8B8B00",
        "Green 009300",
        "Teal 388E8E",
        "Blue 0000FF",
        "Blue-grey 7B7BC0",
        "Grey - 40 666666",
        "Red FF0000",
        "Light orange FFAD5B",
        "Lime 32CD32",
        "Sea green 3CB371",
        "Aqua 7FFFD4",
        "Light blue 7D9EC0",
        "Violet 800080",
        "Grey - 50 7F7F7F",
        "Pink FFC0CB",
        "Gold FFD700",
        "Yellow FFFF00",
        "Bright green 00FF00",
        "Turquoise 40E0D0",
        "Skyblue C0FFFF",
        "Plum 480048",
        "Light grey C0C0C0",
        "Rose FFE4E1",
        "Tan D2B48C",
        "Light yellow FFFFE0",
        "Pale green 98FB98",
        "Pale turquoise AFEEEE",
        "Pale blue 68838B",
        "Lavender E6E6FA",
        "White FFFFFF",
    };
    std::vector<std::string> actual;
    for (const PaletteColour& colour : colourPalette()) {
        actual.push_back(std::string(colour.name) + " " + hexOf(colour.rgb));
    }
    EXPECT_EQ(actual, expected);
}

class ColorsDialogTest : public ::testing::Test {
protected:
    // Picks palette entry `entry` for the colour of button `button`.
    void pick(int button, int entry) {
        dialog.colourButton(button)->click();
        ColourPalettePopup* palette = dialog.palette();
        ASSERT_NE(palette, nullptr);
        EXPECT_TRUE(palette->isVisible());
        EXPECT_EQ(palette->colourButton(entry)->toolTip(), colourPalette()[entry].name);
        palette->colourButton(entry)->click();
        EXPECT_FALSE(palette->isVisible());
    }

    ReportColours colours;
    ColorsDialog dialog{colours, nullptr};
};

TEST_F(ColorsDialogTest, PickedColourReachesTheResultOnOk) {
    const ReportColours before = colours;
    dialog.show();
    EXPECT_EQ(swatchColour(dialog.colourButton(0)), QColor(42, 42, 255));
    pick(1, 13); // Database 2 becomes Blue
    pick(3, 9);  // Messages / Warnings becomes Orange
    EXPECT_EQ(swatchColour(dialog.colourButton(1)), QColor(0, 0, 255));
    EXPECT_EQ(colours.database2, before.database2);

    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(colours.database2, makeRgb(0, 0, 255));
    EXPECT_EQ(colours.error, makeRgb(0xFF, 0x68, 0x20));
    EXPECT_EQ(colours.database1, before.database1);
    EXPECT_EQ(colours.common, before.common);
    EXPECT_EQ(colours.text, before.text);
}

TEST_F(ColorsDialogTest, CancelChangesNothing) {
    const ReportColours before = colours;
    dialog.show();
    pick(4, 16); // Text becomes Red
    EXPECT_EQ(dialog.edited().text, makeRgb(255, 0, 0));
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(colours.text, before.text);
}

} // namespace
} // namespace zentab::test

#include "ui/dialogs/colors_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/colour_palette.h"

namespace zentab {
namespace {

struct Category {
    const char* label;
    const char* objectName;
    Rgb ReportColours::*field;
};

constexpr Category kCategories[5] = {
    {"Database 1", "database1Button", &ReportColours::database1},
    {"Database 2", "database2Button", &ReportColours::database2},
    {"Common Objects", "commonButton", &ReportColours::common},
    {"Messages / Warnings", "errorButton", &ReportColours::error},
    {"Text", "textButton", &ReportColours::text},
};

constexpr int kSwatch = 20;

} // namespace

ColorsDialog::ColorsDialog(ReportColours& colours, QWidget* parent)
    : QDialog(parent), colours_(colours), edited_(colours) {
    setObjectName("ColorsDialog");
    setWindowTitle("Colors");

    auto* grid = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        auto* button = new QPushButton(kCategories[i].label, this);
        button->setObjectName(kCategories[i].objectName);
        button->setAutoDefault(false);
        button->setIconSize(QSize(kSwatch, kSwatch));
        button->setMinimumWidth(190);
        button->setStyleSheet("text-align: left; padding: 4px 8px;");
        connect(button, &QPushButton::clicked, this, [this, i] { openPalette(i); });
        grid->addWidget(button, i, 0);
        buttons_[i] = button;
        showColour(i);
    }

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    box->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        colours_ = edited_;
        accept();
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(box);
    setMinimumSize(sizeHint().expandedTo(QSize(260, 0)));
}

void ColorsDialog::showColour(int index) {
    buttons_[index]->setIcon(swatchIcon(edited_.*kCategories[index].field, kSwatch));
}

void ColorsDialog::openPalette(int index) {
    if (palette_) {
        palette_->close();
    }
    auto* popup = new ColourPalettePopup(edited_.*kCategories[index].field, this);
    palette_ = popup;
    connect(popup, &ColourPalettePopup::chosen, this, [this, index](Rgb chosen) {
        edited_.*kCategories[index].field = chosen;
        showColour(index);
    });
    QPushButton* button = buttons_[index];
    popup->move(button->mapToGlobal(QPoint(0, button->height())));
    popup->show();
}

} // namespace zentab

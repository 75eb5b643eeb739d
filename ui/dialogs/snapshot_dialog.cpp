#include "ui/dialogs/snapshot_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <string>

#include "compare/snapshot/snapshot_parameters.h"
#include "engine/session.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/dialogs/start_buttons.h"
#include "ui/qt_host.h"

namespace zentab {
namespace {

struct IncludeOption {
    const char* label;
    const char* objectName;
    bool SnapshotIncludes::*flag;
};

// Tables in the first column, views and procedures in the second.
constexpr IncludeOption kIncludeOptions[6] = {
    {"Tables structural information", "tabStructBox", &SnapshotIncludes::tabStruct},
    {"Index information", "indexBox", &SnapshotIncludes::index},
    {"Tables data (may yield very large files)", "tabDataBox", &SnapshotIncludes::tabData},
    {"Views structural information", "viewStructBox", &SnapshotIncludes::viewStruct},
    {"Views data (may yield very large files)", "viewDataBox", &SnapshotIncludes::viewData},
    {"Procedure definition information", "procStructBox", &SnapshotIncludes::procStruct},
};

QPushButton* newButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

} // namespace

SnapshotDialog::SnapshotDialog(SnapshotParameters& parameters, Session& session,
                               const DialogServices& services, QWidget* parent)
    : QDialog(parent), parameters_(parameters), session_(session), services_(services) {
    setObjectName("SnapshotDialog");
    setWindowTitle("Snapshot Parameters");

    database_ = newButton(QString(), "databaseButton", this);
    database_->setMinimumWidth(260);
    owners_ = new QComboBox(this);
    owners_->setObjectName("ownerBox");
    owners_->setMinimumWidth(160);
    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(database_, 2);
    databaseRow->addWidget(owners_, 1);

    auto* group = new QGroupBox("Include the following in the snapshot:", this);
    auto* groupLayout = new QGridLayout(group);
    for (int i = 0; i < 6; ++i) {
        includes_[i] = new QCheckBox(kIncludeOptions[i].label, group);
        includes_[i]->setObjectName(kIncludeOptions[i].objectName);
        includes_[i]->setChecked(parameters_.includes.*kIncludeOptions[i].flag);
        groupLayout->addWidget(includes_[i], i % 3, i / 3);
    }

    advanced_ = newButton("Advanced...", "advancedButton", this);
    auto* advancedRow = new QHBoxLayout;
    advancedRow->addStretch();
    advancedRow->addWidget(advanced_);

    auto* locationLabel = new QLabel("Snapshot location:", this);
    location_ = new QLineEdit(this);
    location_->setObjectName("locationEdit");
    locationLabel->setBuddy(location_);
    browse_ = newButton("...", "browseButton", this);
    browse_->setFixedWidth(browse_->fontMetrics().horizontalAdvance("...") + 24);
    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(location_, 1);
    locationRow->addWidget(browse_);

    const StartButtons buttons = makeStartButtons(*this, services_, "SnapshotDialog");
    start_ = buttons.start;
    QPushButton* cancel = buttons.cancel;
    QPushButton* help = buttons.help;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(databaseRow);
    layout->addWidget(group);
    layout->addLayout(advancedRow);
    layout->addWidget(locationLabel);
    layout->addLayout(locationRow);
    layout->addStretch();
    layout->addWidget(buttons.box);

    setTabOrder(database_, owners_);
    for (int i = 0; i < 6; ++i) {
        setTabOrder(i == 0 ? owners_ : static_cast<QWidget*>(includes_[i - 1]), includes_[i]);
    }
    setTabOrder(includes_[5], advanced_);
    setTabOrder(advanced_, location_);
    setTabOrder(location_, browse_);
    setTabOrder(browse_, start_);
    setTabOrder(start_, cancel);
    setTabOrder(cancel, help);

    connect(database_, &QPushButton::clicked, this, &SnapshotDialog::chooseDatabase);
    // activated, not currentIndexChanged: filling the box is not a choice of the user.
    connect(owners_, &QComboBox::activated, this, &SnapshotDialog::ownerActivated);
    connect(advanced_, &QPushButton::clicked, this, &SnapshotDialog::advancedOptions);
    connect(browse_, &QPushButton::clicked, this, &SnapshotDialog::browse);
    // Start is checked before the dialog closes, so it does not go through accepted().
    connect(start_, &QPushButton::clicked, this, &SnapshotDialog::startPressed);

    showParameters();
    setMinimumSize(sizeHint().expandedTo(QSize(520, 0)));
}

void SnapshotDialog::showParameters() {
    database_->setText(fromReportText(parameters_.databaseButton));
    owners_->clear();
    for (const OwnerEntry& entry : parameters_.owners) {
        owners_->addItem(fromReportText(entry.text));
    }
    owners_->setCurrentIndex(parameters_.selectedOwner);
    owners_->setEnabled(!parameters_.owners.empty());
    showLocation();
}

void SnapshotDialog::showLocation() {
    location_->setText(fromReportText(parameters_.location));
}

void SnapshotDialog::chooseDatabase() {
    parameters_.chooseDatabase([this]() -> std::optional<std::string> {
        if (!services_.chooseDataSource) {
            return std::nullopt;
        }
        return services_.chooseDataSource(this);
    });
    showParameters();
    if (services_.sidesChanged) {
        services_.sidesChanged();
    }
}

void SnapshotDialog::ownerActivated(int index) {
    parameters_.ownerChanged(index);
    // The new owner renames the side, and the proposed location with it.
    database_->setText(
        fromReportText(session_.side1 ? session_.side1->displayName : parameters_.databaseButton));
    showLocation();
    if (services_.sidesChanged) {
        services_.sidesChanged();
    }
}

void SnapshotDialog::advancedOptions() {
    if (!parameters_.advanced() || !services_.advancedOptions) {
        return;
    }
    CompareSettings copy = session_.settings;
    if (services_.advancedOptions(this, copy, true)) {
        session_.settings = std::move(copy);
    }
}

void SnapshotDialog::browse() {
    const FileRequest request{"Zentab Snapshot Files (*.zsn) | *.zsn||", "zsn", true};
    if (const auto path = session_.host().chooseFile(request)) {
        location_->setText(fromReportText(*path));
    }
}

void SnapshotDialog::startPressed() {
    parameters_.location = toReportText(location_->text());
    if (!parameters_.start()) {
        if (parameters_.focusLocation) {
            location_->setFocus();
        }
        return;
    }
    for (int i = 0; i < 6; ++i) {
        parameters_.includes.*kIncludeOptions[i].flag = includes_[i]->isChecked();
    }
    showLocation();
    accept();
}

} // namespace zentab

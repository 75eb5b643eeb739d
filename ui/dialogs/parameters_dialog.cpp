#include "ui/dialogs/parameters_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <utility>

#include "engine/session.h"
#include "engine/stored_side.h"
#include "ui/qt_host.h"

namespace zentab {

namespace {

const char* const kSelectForStart = "You must select 2 database sources before you can begin.";
const char* const kSelectForAdvanced =
    "You must select 2 databases before you can setup the advanced options.";
const char* const kHelpTopic = "ParametersDialog";

struct PhaseOption {
    bool CompareSettings::*field;
    const char* name;
    const char* text;
};
// Tables in the first column, views and procedures in the second.
const PhaseOption kPhases[6] = {
    {&CompareSettings::b_DoTabStruct, "b_DoTabStruct", "Check for tables structural differences"},
    {&CompareSettings::b_DoIndex, "b_DoIndex", "Check for index differences"},
    {&CompareSettings::b_DoTabData, "b_DoTabData", "Check for tables data differences"},
    {&CompareSettings::b_DoViewStruct, "b_DoViewStruct", "Check for views structural differences"},
    {&CompareSettings::b_DoViewData, "b_DoViewData", "Check for views data differences"},
    {&CompareSettings::b_DoProcStruct, "b_DoProcStruct",
     "Check for procedure definition differences"},
};

QString numbered(const char* name, int number) {
    return QString(name) + QString::number(number);
}

} // namespace

ParametersDialog::ParametersDialog(Session& session, CompareSettings& edited,
                                   DialogServices services, QWidget* parent)
    : QDialog(parent), session_(session), edited_(edited), copy_(edited),
      services_(std::move(services)) {
    setObjectName("ParametersDialog");
    setWindowTitle("Zentab Parameters");

    auto* phaseBox = new QGroupBox("Compare", this);
    auto* phaseGrid = new QGridLayout(phaseBox);
    for (int i = 0; i < 6; ++i) {
        auto* check = new QCheckBox(kPhases[i].text, phaseBox);
        check->setObjectName(kPhases[i].name);
        check->setChecked(copy_.*kPhases[i].field);
        phaseGrid->addWidget(check, i % 3, i / 3);
        phases_[i] = check;
    }

    auto* reportBox = new QGroupBox("Report", this);
    detailed_ = new QRadioButton("Detailed Report", reportBox);
    detailed_->setObjectName("detailed");
    summary_ = new QRadioButton("Executive Summary", reportBox);
    summary_->setObjectName("summary");
    (copy_.b_SummaryReportOnly ? summary_ : detailed_)->setChecked(true);
    auto* advanced = new QPushButton("Advanced...", reportBox);
    advanced->setObjectName("advanced");
    auto* general = new QPushButton("General", reportBox);
    general->setObjectName("general");
    auto* reportRow = new QHBoxLayout(reportBox);
    reportRow->addWidget(detailed_);
    reportRow->addWidget(summary_);
    reportRow->addStretch();
    reportRow->addWidget(advanced);
    reportRow->addWidget(general);

    auto* start = new QPushButton("Start", this);
    start->setObjectName("start");
    start->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    auto* help = new QPushButton("Help", this);
    help->setObjectName("help");
    for (QPushButton* button : {advanced, general, cancel, help}) {
        button->setAutoDefault(false);
    }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(start);
    buttonRow->addWidget(cancel);
    buttonRow->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    QWidget* side1 = buildSide(1);
    QWidget* side2 = buildSide(2);
    layout->addWidget(side1);
    layout->addWidget(side2);
    layout->addWidget(phaseBox);
    layout->addWidget(reportBox);
    layout->addStretch();
    layout->addLayout(buttonRow);
    setMinimumSize(600, 480);

    // Top to bottom, left to right: the sides, the phases, the report, then the buttons.
    QWidget* order[] = {sides_[0].online,
                        sides_[0].snapshot,
                        sides_[0].select,
                        sides_[0].owner,
                        sides_[1].online,
                        sides_[1].snapshot,
                        sides_[1].select,
                        sides_[1].owner,
                        phases_[0],
                        phases_[1],
                        phases_[2],
                        phases_[3],
                        phases_[4],
                        phases_[5],
                        detailed_,
                        summary_,
                        advanced,
                        general,
                        start,
                        cancel,
                        help};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    connect(advanced, &QPushButton::clicked, this, &ParametersDialog::advanced);
    connect(general, &QPushButton::clicked, this, &ParametersDialog::general);
    connect(start, &QPushButton::clicked, this, &ParametersDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ParametersDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { services_.openHelp(this, kHelpTopic); });

    for (int number = 1; number <= 2; ++number) {
        fillOwners(number, false);
        showSide(number);
    }
}

QWidget* ParametersDialog::buildSide(int number) {
    SideControls& controls = sides_[number - 1];
    auto* box = new QGroupBox(numbered("Database ", number), this);
    controls.online = new QRadioButton("On-line database", box);
    controls.online->setObjectName(numbered("online", number));
    controls.snapshot = new QRadioButton("Database snapshot", box);
    controls.snapshot->setObjectName(numbered("snapshot", number));
    auto* kind = new QButtonGroup(box);
    kind->addButton(controls.online);
    kind->addButton(controls.snapshot);
    const bool snapshot = number == 1 ? copy_.side1IsSnapshot : copy_.side2IsSnapshot;
    (snapshot ? controls.snapshot : controls.online)->setChecked(true);

    controls.select = new QPushButton(box);
    controls.select->setObjectName(numbered("select", number));
    controls.select->setAutoDefault(false);
    controls.select->setMinimumWidth(320);
    controls.owner = new QComboBox(box);
    controls.owner->setObjectName(numbered("owner", number));
    controls.owner->setMinimumWidth(160);
    controls.owner->setToolTip("Owner of the objects compared");

    auto* grid = new QGridLayout(box);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(controls.online);
    kindRow->addWidget(controls.snapshot);
    kindRow->addStretch();
    grid->addLayout(kindRow, 0, 0, 1, 2);
    grid->addWidget(controls.select, 1, 0);
    grid->addWidget(controls.owner, 1, 1);
    grid->setColumnStretch(0, 1);

    connect(controls.snapshot, &QRadioButton::toggled, this, [this, number](bool on) {
        (number == 1 ? copy_.side1IsSnapshot : copy_.side2IsSnapshot) = on;
        showSide(number);
    });
    connect(controls.select, &QPushButton::clicked, this, [this, number] { selectSide(number); });
    connect(controls.owner, &QComboBox::currentIndexChanged, this,
            [this, number](int index) { ownerChosen(number, index); });
    return box;
}

DatabaseSource* ParametersDialog::side(int number) const {
    const bool defined = number == 1 ? session_.sideDefined1 : session_.sideDefined2;
    DatabaseSource* source = (number == 1 ? session_.side1 : session_.side2).get();
    return defined ? source : nullptr;
}

bool ParametersDialog::snapshotChosen(int number) const {
    return sides_[number - 1].snapshot->isChecked();
}

bool ParametersDialog::sideReady(int number) const {
    const DatabaseSource* source = side(number);
    return source != nullptr && !source->notUsable &&
           source->b_IsSnapshot == snapshotChosen(number);
}

void ParametersDialog::showSide(int number) {
    SideControls& controls = sides_[number - 1];
    const bool snapshot = snapshotChosen(number);
    if (sideReady(number)) {
        const QString name = fromReportText(side(number)->displayName);
        controls.select->setText(name);
        controls.select->setToolTip(name);
    } else {
        controls.select->setText(
            numbered(snapshot ? "Press to select Snapshot " : "Press to select Database ", number));
        controls.select->setToolTip({});
    }
    // A snapshot keeps no owner of its own.
    controls.owner->setEnabled(sideReady(number) && !snapshot);
}

void ParametersDialog::fillOwners(int number, bool applyKind) {
    SideControls& controls = sides_[number - 1];
    const QSignalBlocker quiet(controls.owner);
    controls.owner->clear();
    controls.owners.clear();
    DatabaseSource* source = side(number);
    if (source == nullptr || source->notUsable || source->b_IsSnapshot) {
        return;
    }
    controls.owners = ownerBoxEntries(*source);
    for (const OwnerEntry& entry : controls.owners) {
        controls.owner->addItem(fromReportText(entry.text));
    }
    const int notRequired = static_cast<int>(controls.owners.size()) - 1;
    int selected = notRequired;
    if (!source->s_DatabaseUser.empty()) {
        // The entry of the side's own kind when the name is both a schema and a catalog.
        const OwnerKind kind = source->b_IsCatalog ? OwnerKind::Catalog : OwnerKind::Schema;
        selected = firstOwnerMatch(controls.owners, source->s_DatabaseUser);
        for (int i = 0; i < notRequired; ++i) {
            if (controls.owners[i] == OwnerEntry{source->s_DatabaseUser, kind}) {
                selected = i;
                break;
            }
        }
        if (selected < 0) {
            selected = notRequired;
        }
    }
    controls.owner->setCurrentIndex(selected);
    // A fresh connection takes its user as a catalog; the box says which it is.
    if (applyKind && selected != notRequired) {
        const OwnerEntry& entry = controls.owners[selected];
        source->b_IsCatalog = entry.kind == OwnerKind::Catalog;
        source->ApplyCurrentCatalog();
    }
}

void ParametersDialog::selectSide(int number) {
    const bool snapshot = snapshotChosen(number);
    auto provider = [this]() -> std::optional<std::string> {
        if (!services_.chooseDataSource) {
            return std::nullopt;
        }
        return services_.chooseDataSource(this);
    };
    chooseSide(session_, number, snapshot, provider);
    // The settings the dialog writes back remember the kind just chosen, as the session's do.
    (number == 1 ? copy_.side1IsSnapshot : copy_.side2IsSnapshot) = snapshot;
    fillOwners(number, true);
    showSide(number);
    sidesChanged();
}

void ParametersDialog::ownerChosen(int number, int index) {
    SideControls& controls = sides_[number - 1];
    DatabaseSource* source = side(number);
    if (source == nullptr || index >= static_cast<int>(controls.owners.size())) {
        return;
    }
    if (index < 0) {
        source->SelectOwner("", false);
    } else {
        const OwnerEntry& entry = controls.owners[index];
        source->SelectOwner(entry.text, entry.kind == OwnerKind::Catalog);
    }
    // The lists read so far belong to the old owner.
    for (bool& loaded : session_.listsLoaded) {
        loaded = false;
    }
    session_.clearCommonLists();
    showSide(number);
    sidesChanged();
}

void ParametersDialog::sidesChanged() {
    if (services_.sidesChanged) {
        services_.sidesChanged();
    }
}

void ParametersDialog::collect() {
    for (int i = 0; i < 6; ++i) {
        copy_.*kPhases[i].field = phases_[i]->isChecked();
    }
    copy_.b_SummaryReportOnly = summary_->isChecked();
    copy_.side1IsSnapshot = snapshotChosen(1);
    copy_.side2IsSnapshot = snapshotChosen(2);
}

void ParametersDialog::advanced() {
    if (!sideReady(1) || !sideReady(2)) {
        session_.host().showMessage(kSelectForAdvanced);
        return;
    }
    collect();
    if (services_.advancedOptions) {
        services_.advancedOptions(this, copy_, false);
    }
}

void ParametersDialog::general() {
    collect();
    if (services_.generalOptions) {
        services_.generalOptions(this, copy_);
    }
}

void ParametersDialog::accept() {
    if (!sideReady(1) || !sideReady(2)) {
        session_.host().showMessage(kSelectForStart);
        return;
    }
    collect();
    edited_ = copy_;
    QDialog::accept();
}

} // namespace zentab

#include "ui/dialogs/object_selection_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/object_selection.h"
#include "settings/compare_settings.h"
#include "ui/dialogs/option_boxes.h"
#include "ui/dialogs/wait_cursor.h"
#include "ui/qt_host.h"

namespace zentab {

namespace {

struct PageTexts {
    const char* objectName;
    const char* group;
    std::vector<BoolOption> options;
};

const PageTexts& pageTexts(ObjectKind kind) {
    static const PageTexts tables{
        "TablesPage",
        "Include the following tables in the process:",
        {{"b_IgnoreTabCase", "Ignore case when comparing table names",
          &CompareSettings::b_IgnoreTabCase},
         {"b_DoTabCommon", "Include list of common tables in report",
          &CompareSettings::b_DoTabCommon},
         {"b_DoTabSkipped", "Include list of not processed tables in report",
          &CompareSettings::b_DoTabSkipped}}};
    static const PageTexts views{
        "ViewsPage",
        "Include the following views in the process:",
        {{"b_IgnoreViewCase", "Ignore case when comparing view names",
          &CompareSettings::b_IgnoreViewCase},
         {"b_DoViewCommon", "Include list of common views in report",
          &CompareSettings::b_DoViewCommon},
         {"b_DoViewSkipped", "Include list of not processed views in report",
          &CompareSettings::b_DoViewSkipped}}};
    static const PageTexts procedures{
        "ProceduresPage",
        "Include the following procedures in the process:",
        {{"b_IgnoreProcCase", "Ignore case when comparing procedure names",
          &CompareSettings::b_IgnoreProcCase},
         {"b_DoProcCommon", "Include list of common procedures in report",
          &CompareSettings::b_DoProcCommon},
         {"b_DoProcSkipped", "Include list of not processed procedures in report",
          &CompareSettings::b_DoProcSkipped},
         {"b_NoDiffProc", "Include in report procedures with no parameter differences",
          &CompareSettings::b_NoDiffProc}}};
    switch (kind) {
    case ObjectKind::Views:
        return views;
    case ObjectKind::Procedures:
        return procedures;
    case ObjectKind::Tables:
        break;
    }
    return tables;
}

} // namespace

QString ObjectSelectionPage::title(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Views:
        return "Views";
    case ObjectKind::Procedures:
        return "Procedures";
    case ObjectKind::Tables:
        break;
    }
    return "Tables";
}

ObjectSelectionPage::ObjectSelectionPage(Session& session, CompareSettings& copy, ObjectKind kind,
                                         bool database1Only, QWidget* parent)
    : QWidget(parent), session_(session), copy_(copy), kind_(kind), database1Only_(database1Only) {
    const PageTexts& texts = pageTexts(kind);
    setObjectName(texts.objectName);

    auto* group = new QGroupBox(QString::fromUtf8(texts.group), this);
    list_ = new QListWidget(group);
    list_->setObjectName("objectList");
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* selectAll = new QPushButton("Select All", group);
    selectAll->setObjectName("selectAll");
    auto* unselectAll = new QPushButton("UnSelect All", group);
    unselectAll->setObjectName("unselectAll");
    for (QPushButton* button : {selectAll, unselectAll}) {
        button->setAutoDefault(false); // Enter stays with the sheet's OK
    }
    connect(selectAll, &QPushButton::clicked, this, [this] { this->selectAll(true); });
    connect(unselectAll, &QPushButton::clicked, this, [this] { this->selectAll(false); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(selectAll);
    buttons->addWidget(unselectAll);
    buttons->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_);
    groupLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    options_ = std::make_unique<OptionBoxes>(texts.options, copy_, *layout, this);
}

ObjectSelectionPage::~ObjectSelectionPage() = default;

void ObjectSelectionPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fill();
}

void ObjectSelectionPage::fill() {
    if (filled_) {
        return;
    }
    filled_ = true;
    {
        WaitCursor wait;
        names_ = readSelectableNames(session_, kind_, database1Only_);
    }
    const std::vector<bool> selected = initialSelection(names_, exclusionList(copy_, kind_));
    list_->clear();
    for (std::size_t i = 0; i < names_.size(); ++i) {
        auto* item = new QListWidgetItem(fromReportText(names_[i]), list_);
        item->setSelected(selected[i]);
    }
}

void ObjectSelectionPage::selectAll(bool selected) {
    for (int row = 0; row < list_->count(); ++row) {
        list_->item(row)->setSelected(selected);
    }
}

void ObjectSelectionPage::store() {
    options_->store(copy_);
    if (!filled_) {
        return;
    }
    std::vector<bool> selected;
    selected.reserve(names_.size());
    for (int row = 0; row < list_->count(); ++row) {
        selected.push_back(list_->item(row)->isSelected());
    }
    exclusionList(copy_, kind_) = unselectedNames(names_, selected);
}

} // namespace zentab

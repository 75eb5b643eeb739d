#include "ui/dialogs/pattern_list_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/session.h"
#include "settings/compare_settings.h"
#include "ui/qt_host.h"

namespace zentab {

PatternListPage* PatternListPage::columnsPage(Session& session, CompareSettings& copy,
                                              QWidget* parent) {
    static const std::vector<BoolOption> options{
        {"b_IgnoreColCase", "Ignore Case when comparing column names",
         &CompareSettings::b_IgnoreColCase},
        {"b_IgnoreColLen", "Ignore differences in length of column type",
         &CompareSettings::b_IgnoreColLen},
        {"b_NoDiffCol", "Include in report tables/views with no structural differences",
         &CompareSettings::b_NoDiffCol},
    };
    auto* page = new PatternListPage(session, copy, &CompareSettings::ignoreColumns,
                                     "Ignore columns with names like:", options, parent);
    page->setObjectName("ColumnsPage");
    return page;
}

PatternListPage* PatternListPage::dataTypesPage(Session& session, CompareSettings& copy,
                                                QWidget* parent) {
    auto* page = new PatternListPage(session, copy, &CompareSettings::ignoreDataTypes,
                                     "Ignore columns with data types like:", {}, parent);
    page->setObjectName("DataTypesPage");
    return page;
}

PatternListPage::PatternListPage(Session& session, CompareSettings& copy,
                                 std::vector<std::string> CompareSettings::*list,
                                 const QString& caption, const std::vector<BoolOption>& options,
                                 QWidget* parent)
    : QWidget(parent), session_(session), copy_(copy), field_(list), editor_(copy.*list) {
    auto* group = new QGroupBox(caption, this);
    entry_ = new QLineEdit(group);
    entry_->setObjectName("patternEntry");
    list_ = new QListWidget(group);
    list_->setObjectName("patternList");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* addButton = new QPushButton("Add", group);
    addButton->setObjectName("addPattern");
    auto* removeButton = new QPushButton("Remove", group);
    removeButton->setObjectName("removePattern");
    for (QPushButton* button : {addButton, removeButton}) {
        button->setAutoDefault(false); // Enter stays with the sheet's OK
    }
    connect(addButton, &QPushButton::clicked, this, &PatternListPage::add);
    connect(removeButton, &QPushButton::clicked, this, &PatternListPage::remove);

    auto* grid = new QGridLayout(group);
    grid->addWidget(entry_, 0, 0);
    grid->addWidget(addButton, 0, 1);
    grid->addWidget(list_, 1, 0, 2, 1);
    grid->addWidget(removeButton, 1, 1, Qt::AlignTop);
    grid->setRowStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    options_ = std::make_unique<OptionBoxes>(options, copy_, *layout, this);
    setTabOrder(entry_, addButton);
    setTabOrder(addButton, list_);
    setTabOrder(list_, removeButton);
    showEditor(PatternListEditor::AddResult::Nothing);
}

PatternListPage::~PatternListPage() = default;

void PatternListPage::takeEntryText() {
    editor_.entryText = toReportText(entry_->text());
}

void PatternListPage::showEditor(PatternListEditor::AddResult result) {
    if (result == PatternListEditor::AddResult::Refused) {
        session_.host().showMessage(std::string(PatternListEditor::kOneExpanderOnly));
    }
    list_->clear();
    for (const std::string& text : editor_.entries()) {
        list_->addItem(fromReportText(text));
    }
    entry_->setText(fromReportText(editor_.entryText));
    if (result != PatternListEditor::AddResult::Nothing) {
        entry_->setFocus();
    }
}

void PatternListPage::add() {
    takeEntryText();
    showEditor(editor_.add());
}

void PatternListPage::remove() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    editor_.remove(selected.isEmpty() ? -1 : list_->row(selected.front()));
    showEditor(PatternListEditor::AddResult::Nothing);
}

bool PatternListPage::accept() {
    takeEntryText();
    PatternListEditor::AddResult pending = PatternListEditor::AddResult::Nothing;
    if (!editor_.accept(copy_.*field_, &pending)) {
        showEditor(pending);
        return false;
    }
    options_->store(copy_);
    return true;
}

} // namespace zentab

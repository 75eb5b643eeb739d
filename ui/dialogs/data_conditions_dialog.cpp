#include "ui/dialogs/data_conditions_dialog.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "engine/object_selection.h"
#include "engine/session.h"
#include "settings/preferences.h"
#include "ui/dialogs/wait_cursor.h"
#include "ui/qt_host.h"

namespace zentab {

namespace {

// Conditions are SQL and line up best in a fixed-pitch face; the one the program's users know
// where it is installed.
QFont conditionFont() {
    if (QFontDatabase::families().contains("Courier New")) {
        return QFont("Courier New");
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

DataConditionsDialog::DataConditionsDialog(Session& session,
                                           std::map<std::string, std::string>& conditions,
                                           bool database1Only, QWidget* parent)
    : QDialog(parent), session_(session), conditions_(conditions), database1Only_(database1Only) {
    setObjectName("DataConditionsDialog");
    setWindowTitle("Data Conditions");
    setMinimumSize(520, 380);

    showTables_ = new QRadioButton("Show Tables", this);
    showTables_->setObjectName("showTables");
    showViews_ = new QRadioButton("Show Views", this);
    showViews_->setObjectName("showViews");
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(showTables_);
    kinds->addButton(showViews_);

    objects_ = new QListWidget(this);
    objects_->setObjectName("objectList");
    objects_->setSelectionMode(QAbstractItemView::SingleSelection);
    condition_ = new QPlainTextEdit(this);
    condition_->setObjectName("conditionText");
    condition_->setFont(conditionFont());
    condition_->setEnabled(false);
    auto* example = new QLabel("( Example: where ABC_ID = 123 and ABC_CODE = 'hello' )", this);
    auto* clearButton = new QPushButton("Clear all conditions", this);
    clearButton->setObjectName("clearAll");
    clearButton->setAutoDefault(false);
    auto* closeButton = new QPushButton("Close", this);
    closeButton->setObjectName("close");
    closeButton->setDefault(true);

    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(showTables_);
    kindRow->addWidget(showViews_);
    kindRow->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(condition_, 1);
    right->addWidget(example);
    auto* middle = new QHBoxLayout;
    middle->addWidget(objects_, 2);
    middle->addLayout(right, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clearButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kindRow);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    setTabOrder(showTables_, showViews_);
    setTabOrder(showViews_, objects_);
    setTabOrder(objects_, condition_);
    setTabOrder(condition_, clearButton);
    setTabOrder(clearButton, closeButton);

    const ObjectKind kind =
        session_.preferences.whereTab == 0 ? ObjectKind::Views : ObjectKind::Tables;
    (kind == ObjectKind::Views ? showViews_ : showTables_)->setChecked(true);
    showKind(kind);

    connect(showTables_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            kindChosen(ObjectKind::Tables);
        }
    });
    connect(showViews_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            kindChosen(ObjectKind::Views);
        }
    });
    connect(objects_, &QListWidget::itemSelectionChanged, this,
            &DataConditionsDialog::objectSelected);
    connect(condition_, &QPlainTextEdit::textChanged, this, &DataConditionsDialog::conditionEdited);
    connect(clearButton, &QPushButton::clicked, this, &DataConditionsDialog::clearAll);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void DataConditionsDialog::kindChosen(ObjectKind kind) {
    const int whereTab = kind == ObjectKind::Tables ? 1 : 0;
    session_.preferences.whereTab = whereTab;
    PreferenceStore(PreferenceStore::defaultPath()).writeInt("WhereTab", whereTab);
    showKind(kind);
}

void DataConditionsDialog::showKind(ObjectKind kind) {
    {
        WaitCursor wait;
        names_ = readSelectableNames(session_, kind, database1Only_);
    }
    {
        const QSignalBlocker blocker(objects_);
        objects_->clear();
        for (const std::string& name : names_) {
            objects_->addItem(fromReportText(name));
        }
    }
    setConditionText({});
    condition_->setEnabled(false);
}

std::string DataConditionsDialog::selectedName() const {
    const QList<QListWidgetItem*> selected = objects_->selectedItems();
    if (selected.isEmpty()) {
        return {};
    }
    return names_[static_cast<std::size_t>(objects_->row(selected.front()))];
}

void DataConditionsDialog::setConditionText(const QString& text) {
    filling_ = true;
    condition_->setPlainText(text);
    filling_ = false;
}

void DataConditionsDialog::objectSelected() {
    const std::string name = selectedName();
    condition_->setEnabled(!name.empty());
    auto found = conditions_.find(name);
    setConditionText(found == conditions_.end() || name.empty() ? QString()
                                                                : fromReportText(found->second));
}

void DataConditionsDialog::conditionEdited() {
    const std::string name = selectedName();
    if (filling_ || name.empty()) {
        return;
    }
    conditions_.erase(name);
    std::string text = trimmed(toReportText(condition_->toPlainText()));
    if (!text.empty()) {
        conditions_[name] = std::move(text);
    }
}

void DataConditionsDialog::clearAll() {
    conditions_.clear();
    setConditionText({});
}

} // namespace zentab

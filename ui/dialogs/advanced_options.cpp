#include "ui/dialogs/advanced_options.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/session.h"
#include "settings/preferences.h"
#include "ui/dialogs/data_options_page.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/dialogs/object_selection_page.h"
#include "ui/dialogs/pattern_list_page.h"

namespace zentab {

AdvancedOptionsSheet::AdvancedOptionsSheet(Session& session, CompareSettings& edited,
                                           bool database1Only, QWidget* parent,
                                           const DialogServices* services)
    : QDialog(parent), session_(session), edited_(edited), copy_(edited) {
    setObjectName("AdvancedOptionsSheet");
    setWindowTitle("Advanced Options");
    setMinimumSize(540, 460);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    tables_ = new ObjectSelectionPage(session_, copy_, ObjectKind::Tables, database1Only, tabs_);
    views_ = new ObjectSelectionPage(session_, copy_, ObjectKind::Views, database1Only, tabs_);
    columns_ = PatternListPage::columnsPage(session_, copy_, tabs_);
    dataTypes_ = PatternListPage::dataTypesPage(session_, copy_, tabs_);
    data_ = new DataOptionsPage(session_, copy_, database1Only, tabs_);
    procedures_ =
        new ObjectSelectionPage(session_, copy_, ObjectKind::Procedures, database1Only, tabs_);
    tabs_->addTab(tables_, ObjectSelectionPage::title(ObjectKind::Tables));
    tabs_->addTab(views_, ObjectSelectionPage::title(ObjectKind::Views));
    tabs_->addTab(columns_, "Columns");
    tabs_->addTab(dataTypes_, "Data Types");
    tabs_->addTab(data_, "Data");
    tabs_->addTab(procedures_, ObjectSelectionPage::title(ObjectKind::Procedures));

    // A stored page out of range (an older or edited store) opens the first.
    const int last = session_.preferences.lastProp;
    tabs_->setCurrentIndex(last >= 0 && last < PageCount ? last : Tables);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->setObjectName("buttons");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &AdvancedOptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AdvancedOptionsSheet::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this, services] {
        if (services != nullptr) {
            services->openHelp(this, objectName().toStdString());
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons);
}

AdvancedOptionsSheet::~AdvancedOptionsSheet() = default;

void AdvancedOptionsSheet::accept() {
    for (PatternListPage* page : {columns_, dataTypes_}) {
        if (!page->accept()) {
            tabs_->setCurrentWidget(page);
            return;
        }
    }
    for (ObjectSelectionPage* page : {tables_, views_, procedures_}) {
        page->store();
    }
    data_->store();
    edited_ = copy_;
    QDialog::accept();
}

void AdvancedOptionsSheet::done(int result) {
    const int shown = tabs_->currentIndex();
    session_.preferences.lastProp = shown;
    PreferenceStore(PreferenceStore::defaultPath()).writeInt("LastProp", shown);
    QDialog::done(result);
}

bool editAdvancedOptions(QWidget* parent, Session& session, CompareSettings& settings,
                         bool database1Only, const DialogServices* services) {
    AdvancedOptionsSheet sheet(session, settings, database1Only, parent, services);
    return sheet.exec() == QDialog::Accepted;
}

} // namespace zentab

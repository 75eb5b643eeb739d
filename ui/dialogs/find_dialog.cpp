#include "ui/dialogs/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <string>

#include "engine/report_writer.h"
#include "ui/qt_host.h"
#include "ui/report_view.h"

namespace zentab {

FindDialog::FindDialog(ReportWriter& writer, ReportView& view, QWidget* parent)
    : QDialog(parent), writer_(writer), view_(view) {
    setObjectName("FindDialog");
    setWindowTitle("Find");
    setModal(false);

    auto* label = new QLabel("Find what:", this);
    what_ = new QLineEdit(this);
    what_->setObjectName("findWhatEdit");
    what_->setMinimumWidth(220);
    label->setBuddy(what_);
    wholeWord_ = new QCheckBox("Match whole word only", this);
    wholeWord_->setObjectName("wholeWordBox");
    matchCase_ = new QCheckBox("Match case", this);
    matchCase_->setObjectName("matchCaseBox");

    findNext_ = new QPushButton("Find Next", this);
    findNext_->setObjectName("findNextButton");
    findNext_->setDefault(true);
    findNext_->setEnabled(false);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);

    auto* options = new QVBoxLayout;
    options->addWidget(wholeWord_);
    options->addWidget(matchCase_);
    options->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(what_, 0, 1);
    layout->addWidget(findNext_, 0, 2);
    layout->addLayout(options, 1, 0, 1, 2);
    layout->addWidget(cancel, 1, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);

    setTabOrder(what_, wholeWord_);
    setTabOrder(wholeWord_, matchCase_);
    setTabOrder(matchCase_, findNext_);
    setTabOrder(findNext_, cancel);

    connect(what_, &QLineEdit::textChanged, this,
            [this](const QString& text) { findNext_->setEnabled(!text.isEmpty()); });
    connect(findNext_, &QPushButton::clicked, this, [this] { findNext(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumSize(sizeHint());
}

void FindDialog::showEvent(QShowEvent* event) {
    // Coming back from minimized is the same search; a new showing is a new one.
    if (!event->spontaneous()) {
        what_->clear();
        what_->setFocus();
        writer_.startFind();
    }
    QDialog::showEvent(event);
}

bool FindDialog::findNext() {
    const std::string what = toReportText(what_->text());
    if (what.empty()) {
        return false;
    }
    const ReportDocument& document = writer_.document();
    const auto match = writer_.findNext(what, matchCase_->isChecked(), wholeWord_->isChecked(),
                                        view_.selectionEndOffset(document));
    if (!match) {
        return false;
    }
    view_.selectDocumentRange(document, *match);
    return true;
}

} // namespace zentab

#include "ui/dialogs/sql_compare_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

#include "engine/session.h"
#include "engine/stored_side.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/dialogs/start_buttons.h"
#include "ui/qt_host.h"

namespace zentab {
namespace {

const char* const kNoFirstStatement =
    "Please enter a statement to be executed on the first database.";
const char* const kNoSecondStatement =
    "Please enter a statement to be executed on the second database.";

// Statements line up best in the report's own face; any fixed font will do where it is missing.
QFont statementFont() {
    QFont font = QFontDatabase::hasFamily("Courier New")
                     ? QFont("Courier New")
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(8.5);
    return font;
}

QPushButton* newButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QPlainTextEdit* newStatementEdit(const std::string& text, const char* objectName, QWidget* parent) {
    auto* edit = new QPlainTextEdit(fromReportText(text), parent);
    edit->setObjectName(objectName);
    edit->setFont(statementFont());
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control; a statement needs no tab characters.
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(edit->fontMetrics().lineSpacing() * 6);
    return edit;
}

} // namespace

SqlCompareDialog::SqlCompareDialog(Session& session, std::string& statement1,
                                   std::string& statement2, const DialogServices& services,
                                   QWidget* parent)
    : QDialog(parent), session_(session), statement1_(statement1), statement2_(statement2),
      services_(services) {
    setObjectName("SqlCompareDialog");
    setWindowTitle("Sql Compare");

    auto* label1 = new QLabel("Statement to be executed on first database:", this);
    edit1_ = newStatementEdit(statement1_, "statement1Edit", this);
    label1->setBuddy(edit1_);
    copy_ = newButton("V  copy  V", "copyButton", this);
    auto* label2 = new QLabel("Statement to be executed on second database:", this);
    edit2_ = newStatementEdit(statement2_, "statement2Edit", this);
    label2->setBuddy(edit2_);

    side1_ = newButton(QString(), "side1Button", this);
    side2_ = newButton(QString(), "side2Button", this);
    general_ = newButton("General", "generalButton", this);
    auto* sideRow = new QHBoxLayout;
    sideRow->addWidget(side1_, 1);
    sideRow->addWidget(side2_, 1);
    sideRow->addWidget(general_);

    auto* copyRow = new QHBoxLayout;
    copyRow->addStretch();
    copyRow->addWidget(copy_);
    copyRow->addStretch();

    const StartButtons buttons = makeStartButtons(*this, services_, "SqlCompareDialog");
    start_ = buttons.start;
    QPushButton* cancel = buttons.cancel;
    QPushButton* help = buttons.help;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sideRow);
    layout->addWidget(label1);
    layout->addWidget(edit1_, 1);
    layout->addLayout(copyRow);
    layout->addWidget(label2);
    layout->addWidget(edit2_, 1);
    layout->addWidget(buttons.box);

    setTabOrder(side1_, side2_);
    setTabOrder(side2_, general_);
    setTabOrder(general_, edit1_);
    setTabOrder(edit1_, copy_);
    setTabOrder(copy_, edit2_);
    setTabOrder(edit2_, start_);
    setTabOrder(start_, cancel);
    setTabOrder(cancel, help);

    connect(copy_, &QPushButton::clicked, this,
            [this] { edit2_->setPlainText(edit1_->toPlainText()); });
    connect(side1_, &QPushButton::clicked, this, [this] { chooseDatabase(1); });
    connect(side2_, &QPushButton::clicked, this, [this] { chooseDatabase(2); });
    connect(general_, &QPushButton::clicked, this, &SqlCompareDialog::generalOptions);
    connect(start_, &QPushButton::clicked, this, &SqlCompareDialog::startPressed);

    showSides();
    setMinimumSize(QSize(560, 420));
    edit1_->setFocus();
}

void SqlCompareDialog::showSides() {
    const auto show = [](QPushButton* button, bool defined, const DatabaseSource* side,
                         const char* unchosen) {
        button->setText(defined && side != nullptr && !side->notUsable
                            ? fromReportText(side->displayName)
                            : QString(unchosen));
    };
    show(side1_, session_.sideDefined1, session_.side1.get(), "Press to select Database 1");
    show(side2_, session_.sideDefined2, session_.side2.get(), "Press to select Database 2");
}

void SqlCompareDialog::chooseDatabase(int number) {
    chooseSide(session_, number, false, [this]() -> std::optional<std::string> {
        if (!services_.chooseDataSource) {
            return std::nullopt;
        }
        return services_.chooseDataSource(this);
    });
    showSides();
    if (services_.sidesChanged) {
        services_.sidesChanged();
    }
}

void SqlCompareDialog::generalOptions() {
    if (!services_.generalOptions) {
        return;
    }
    CompareSettings copy = session_.settings;
    if (services_.generalOptions(this, copy)) {
        session_.settings = std::move(copy);
    }
}

void SqlCompareDialog::startPressed() {
    // Only the test ignores trailing white space; the statements are kept as typed.
    const QString text1 = edit1_->toPlainText();
    const QString text2 = edit2_->toPlainText();
    if (text1.trimmed().isEmpty()) {
        session_.host().showMessage(kNoFirstStatement);
        edit1_->setFocus();
        return;
    }
    if (text2.trimmed().isEmpty()) {
        session_.host().showMessage(kNoSecondStatement);
        edit2_->setFocus();
        return;
    }
    statement1_ = toReportText(text1);
    statement2_ = toReportText(text2);
    accept();
}

} // namespace zentab

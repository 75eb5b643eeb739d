#include "ui/dialogs/general_options_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "engine/session.h"
#include "settings/compare_settings.h"
#include "ui/qt_host.h"

namespace zentab {

namespace {

const char* const kLinesRange = "Please enter an integer between 1 and 999999.";
const char* const kNoFileName = "Please enter a file name to save report";
const char* const kReportFiles = "Text Files (*.txt) | *.txt|All Files (*) | *||";
constexpr int kMinLines = 1;
constexpr int kMaxLines = 999999;

enum Output { ToScreen, ToFile, AutoSave };

// A group of radio buttons, one per text, their ids the positions; `names` name them for tests.
QButtonGroup* radioGroup(QWidget* owner, QGroupBox* box, std::initializer_list<const char*> texts,
                         std::initializer_list<const char*> names) {
    auto* group = new QButtonGroup(owner);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    auto name = names.begin();
    for (const char* text : texts) {
        auto* button = new QRadioButton(text, box);
        button->setObjectName(*name++);
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    return group;
}

} // namespace

GeneralOptionsDialog::GeneralOptionsDialog(Session& session, CompareSettings& edited,
                                           QWidget* parent)
    : QDialog(parent), session_(session), edited_(edited) {
    setObjectName("GeneralOptionsDialog");
    setWindowTitle("General Options");

    auto* outputBox = new QGroupBox("Report output", this);
    output_ = radioGroup(this, outputBox,
                         {"Process complete report to screen", "Process complete report to a file",
                          "Save incremental report to file automatically"},
                         {"toScreen", "toFile", "autoSave"});
    auto* outputLayout = static_cast<QVBoxLayout*>(outputBox->layout());

    lines_ = new QLineEdit(outputBox);
    lines_->setObjectName("autoSaveLines");
    // Digits only, at most six: what is left to refuse is 0 and an empty field.
    lines_->setValidator(new QIntValidator(0, kMaxLines, lines_));
    lines_->setMaxLength(6);
    lines_->setFixedWidth(lines_->fontMetrics().horizontalAdvance("9999999") + 16);
    auto* linesRow = new QHBoxLayout;
    linesRow->addWidget(new QLabel("Save report portion every", outputBox));
    linesRow->addWidget(lines_);
    linesRow->addWidget(new QLabel("lines", outputBox));
    linesRow->addStretch();
    outputLayout->addLayout(linesRow);

    file_ = new QLineEdit(outputBox);
    file_->setObjectName("reportFile");
    browse_ = new QPushButton("Browse", outputBox);
    browse_->setObjectName("browse");
    browse_->setAutoDefault(false);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("Report file name", outputBox));
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);
    outputLayout->addLayout(fileRow);

    auto* namesBox = new QGroupBox("Object names", this);
    specialNames_ =
        radioGroup(this, namesBox,
                   {"Automatically detect special object names",
                    "Treat all object names as special", "Treat all object names as regular"},
                   {"autoSpecialName0", "autoSpecialName1", "autoSpecialName2"});
    auto* typesBox = new QGroupBox("Data types", this);
    // Ids: 0 standard, 1 the DBMS's own; b_DataType is the other way round.
    dataTypes_ =
        radioGroup(this, typesBox,
                   {"Use ODBC standard Data Types  (Recommended)", "Use DBMS specific Data Types"},
                   {"standardTypes", "dbmsTypes"});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &GeneralOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GeneralOptionsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outputBox);
    layout->addWidget(namesBox);
    layout->addWidget(typesBox);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumSize(460, 440);

    const Output output = edited.b_OnlyToFile ? ToFile : edited.b_AutoSave ? AutoSave : ToScreen;
    output_->button(output)->setChecked(true);
    lines_->setText(QString::number(edited.i_AutoSaveLines));
    file_->setText(fromReportText(edited.s_AutoSaveFile));
    if (QAbstractButton* special = specialNames_->button(edited.i_AutoSpecialName)) {
        special->setChecked(true);
    }
    dataTypes_->button(edited.b_DataType == 0 ? 1 : 0)->setChecked(true);

    connect(output_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) {
            outputChanged();
        }
    });
    connect(browse_, &QPushButton::clicked, this, &GeneralOptionsDialog::browse);
    outputChanged();
}

bool GeneralOptionsDialog::fileMode() const {
    return output_->checkedId() != ToScreen;
}

void GeneralOptionsDialog::outputChanged() {
    const bool toFile = fileMode();
    lines_->setEnabled(toFile);
    file_->setEnabled(toFile);
    browse_->setEnabled(toFile);
}

void GeneralOptionsDialog::browse() {
    if (std::optional<std::string> path = session_.host().chooseFile({kReportFiles, "txt", true})) {
        file_->setText(fromReportText(*path));
    }
}

void GeneralOptionsDialog::accept() {
    bool number = false;
    const int lines = lines_->text().trimmed().toInt(&number);
    const bool linesValid = number && lines >= kMinLines && lines <= kMaxLines;
    const std::string file = trimmed(toReportText(file_->text()));
    if (fileMode()) {
        if (!linesValid) {
            session_.host().showMessage(kLinesRange);
            lines_->setFocus();
            lines_->selectAll();
            return;
        }
        if (file.empty()) {
            session_.host().showMessage(kNoFileName);
            file_->setFocus();
            return;
        }
    }
    const int output = output_->checkedId();
    edited_.b_OnlyToFile = output == ToFile;
    edited_.b_AutoSave = output == AutoSave;
    // A disabled count cannot be corrected, so a bad one keeps what was there.
    if (linesValid) {
        edited_.i_AutoSaveLines = lines;
    }
    edited_.s_AutoSaveFile = file;
    if (specialNames_->checkedId() >= 0) {
        edited_.i_AutoSpecialName = specialNames_->checkedId();
    }
    edited_.b_DataType = dataTypes_->checkedId() == 0 ? 1 : 0;
    QDialog::accept();
}

bool editGeneralOptions(QWidget* parent, Session& session, CompareSettings& settings) {
    GeneralOptionsDialog dialog(session, settings, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace zentab

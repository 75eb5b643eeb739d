#pragma once
// "General Options": where the report goes (screen, a file, or the screen saved to a file every
// so many lines), how object names are quoted, and which type names a comparison shows. Edits
// a copy of the settings and writes it back on OK. Window thread only.

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zentab {

class Session;
struct CompareSettings;

class GeneralOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // `edited` is written on OK only; messages and the file chooser go through the session's
    // host.
    GeneralOptionsDialog(Session& session, CompareSettings& edited, QWidget* parent);

    // Refuses a line count outside 1 to 999999, and a file mode without a file name.
    void accept() override;

private:
    bool fileMode() const;
    void outputChanged();
    void browse();

    Session& session_;
    CompareSettings& edited_;
    QButtonGroup* output_ = nullptr;
    QButtonGroup* specialNames_ = nullptr;
    QButtonGroup* dataTypes_ = nullptr;
    QLineEdit* lines_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
};

// Shows the dialog modally over `settings`; true on OK.
bool editGeneralOptions(QWidget* parent, Session& session, CompareSettings& settings);

} // namespace zentab

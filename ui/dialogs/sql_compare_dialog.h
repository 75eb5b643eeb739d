#pragma once
// The "Sql Compare" dialog: one statement per database, the two side buttons and the "General"
// options; "Start" refuses an empty statement. Window thread only.

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace zentab {

class Session;
struct DialogServices;

class SqlCompareDialog : public QDialog {
    Q_OBJECT
public:
    // The boxes open with the two statements, which are written back on "Start" only.
    SqlCompareDialog(Session& session, std::string& statement1, std::string& statement2,
                     const DialogServices& services, QWidget* parent);

    QPlainTextEdit* statementEdit(int number) const { return number == 1 ? edit1_ : edit2_; }
    QPushButton* sideButton(int number) const { return number == 1 ? side1_ : side2_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* generalButton() const { return general_; }
    QPushButton* startButton() const { return start_; }

private:
    void chooseDatabase(int number);
    void showSides();
    void generalOptions();
    void startPressed();

    Session& session_;
    std::string& statement1_;
    std::string& statement2_;
    const DialogServices& services_;
    QPlainTextEdit* edit1_ = nullptr;
    QPlainTextEdit* edit2_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* side1_ = nullptr;
    QPushButton* side2_ = nullptr;
    QPushButton* general_ = nullptr;
    QPushButton* start_ = nullptr;
};

} // namespace zentab

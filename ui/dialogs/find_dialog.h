#pragma once
// The modeless Find dialog over the report: forward only, with match case and whole word. Each
// showing starts a new search with an empty text; hiding it ends the search. Window thread only.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zentab {

class ReportView;
class ReportWriter;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    // The writer searches the report document and asks its host the questions of the search;
    // `view` shows the match.
    FindDialog(ReportWriter& writer, ReportView& view, QWidget* parent);

    QLineEdit* findWhatEdit() const { return what_; }
    QCheckBox* wholeWordBox() const { return wholeWord_; }
    QCheckBox* matchCaseBox() const { return matchCase_; }
    QPushButton* findNextButton() const { return findNext_; }

    // "Find Next": true when a match is now selected in the view.
    bool findNext();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ReportWriter& writer_;
    ReportView& view_;
    QLineEdit* what_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QPushButton* findNext_ = nullptr;
};

} // namespace zentab

#pragma once
// "Data Conditions": the condition each table or view's rows are selected by, typed against the
// object's name. Edits the map it is given (the options sheet's copy, so the sheet's OK or
// Cancel decides); the choice of tables or views is remembered per user at once. Window thread
// only.

#include <QDialog>

#include <map>
#include <string>
#include <vector>

#include "db/object_list.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zentab {

class Session;

class DataConditionsDialog : public QDialog {
    Q_OBJECT
public:
    // `conditions` maps an object's name to its condition; `database1Only` lists Database 1
    // alone.
    DataConditionsDialog(Session& session, std::map<std::string, std::string>& conditions,
                         bool database1Only, QWidget* parent);

    QRadioButton* showTables() const { return showTables_; }
    QRadioButton* showViews() const { return showViews_; }
    QListWidget* objects() const { return objects_; }
    QPlainTextEdit* condition() const { return condition_; }

private:
    void showKind(ObjectKind kind);
    void kindChosen(ObjectKind kind);
    void objectSelected();
    void conditionEdited();
    void clearAll();
    void setConditionText(const QString& text);
    std::string selectedName() const;

    Session& session_;
    std::map<std::string, std::string>& conditions_;
    bool database1Only_;
    std::vector<std::string> names_;
    // Set while the box is filled from the map, which is no edit of the user's.
    bool filling_ = false;
    QRadioButton* showTables_ = nullptr;
    QRadioButton* showViews_ = nullptr;
    QListWidget* objects_ = nullptr;
    QPlainTextEdit* condition_ = nullptr;
};

} // namespace zentab

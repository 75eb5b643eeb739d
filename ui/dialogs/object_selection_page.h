#pragma once
// The Tables, Views and Procedures pages of the options sheet: which objects of both sides the
// run processes, and the options of the kind's list section. The lists are read the first time
// the page is shown, so that opening the sheet reads nothing the user does not look at; a page
// never shown leaves its exclusion list as it was. Window thread only.

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "db/object_list.h"

class QListWidget;
class QPushButton;

namespace zentab {

class OptionBoxes;
class Session;
struct CompareSettings;

class ObjectSelectionPage : public QWidget {
    Q_OBJECT
public:
    // Edits `copy`, the sheet's copy of the settings; `database1Only` lists Database 1 alone.
    ObjectSelectionPage(Session& session, CompareSettings& copy, ObjectKind kind,
                        bool database1Only, QWidget* parent);
    ~ObjectSelectionPage() override;

    // The tab's title: "Tables", "Views" or "Procedures".
    static QString title(ObjectKind kind);

    // Reads the lists (once) and shows the names, selected unless excluded.
    void fill();
    bool filled() const { return filled_; }
    // Writes the check boxes and, when the page was filled, the exclusion list into the copy.
    void store();

    QListWidget* list() const { return list_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectAll(bool selected);

    Session& session_;
    CompareSettings& copy_;
    ObjectKind kind_;
    bool database1Only_;
    bool filled_ = false;
    std::vector<std::string> names_;
    QListWidget* list_ = nullptr;
    std::unique_ptr<OptionBoxes> options_;
};

} // namespace zentab

#pragma once
// The Columns and Data Types pages of the options sheet: a list of name patterns with an entry
// field, "Add" and "Remove", and the page's own check boxes. Window thread only.

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "settings/name_patterns.h"
#include "ui/dialogs/option_boxes.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zentab {

class Session;
struct CompareSettings;

class PatternListPage : public QWidget {
    Q_OBJECT
public:
    // The Columns page (Ignore Columns and its three options) and the Data Types page (Ignore
    // Data Types), each editing `copy`, the sheet's copy of the settings.
    static PatternListPage* columnsPage(Session& session, CompareSettings& copy, QWidget* parent);
    static PatternListPage* dataTypesPage(Session& session, CompareSettings& copy, QWidget* parent);

    PatternListPage(Session& session, CompareSettings& copy,
                    std::vector<std::string> CompareSettings::*list, const QString& caption,
                    const std::vector<BoolOption>& options, QWidget* parent);
    ~PatternListPage() override;

    // The page's part of OK: false, with the entry added or refused (and the refusal shown),
    // while the entry field holds text; otherwise the list and the options go into the copy.
    bool accept();

    QLineEdit* entry() const { return entry_; }
    QListWidget* list() const { return list_; }

private:
    void add();
    void remove();
    void takeEntryText();
    void showEditor(PatternListEditor::AddResult result);

    Session& session_;
    CompareSettings& copy_;
    std::vector<std::string> CompareSettings::*field_;
    PatternListEditor editor_;
    QLineEdit* entry_ = nullptr;
    QListWidget* list_ = nullptr;
    std::unique_ptr<OptionBoxes> options_;
};

} // namespace zentab

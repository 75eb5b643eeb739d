#pragma once
// "Advanced Options": the sheet of six pages (Tables, Views, Columns, Data Types, Data,
// Procedures) over a copy of the settings, written back on OK only. It opens at the page shown
// last and remembers, per user, the page it was left on, whether by OK or by Cancel.
// Window thread only.

#include <QDialog>

#include <memory>

#include "settings/compare_settings.h"

class QTabWidget;

namespace zentab {

class DataOptionsPage;
class ObjectSelectionPage;
class PatternListPage;
class Session;
struct DialogServices;

class AdvancedOptionsSheet : public QDialog {
    Q_OBJECT
public:
    // The page indexes, in tab order, as the "LastProp" preference holds them.
    enum Page { Tables, Views, Columns, DataTypes, Data, Procedures, PageCount };

    // Edits a copy of `edited`, written into it on OK. `database1Only` for a sheet of one side
    // (the snapshot's). `services`, when given, serves the Help button.
    AdvancedOptionsSheet(Session& session, CompareSettings& edited, bool database1Only,
                         QWidget* parent, const DialogServices* services = nullptr);
    ~AdvancedOptionsSheet() override;

    QTabWidget* pages() const { return tabs_; }

    // OK: each page takes its part; a page that refuses is shown and the sheet stays open.
    void accept() override;
    // Every way of closing: records the page shown last.
    void done(int result) override;

private:
    Session& session_;
    CompareSettings& edited_;
    // The pages edit this copy; Data Conditions too.
    CompareSettings copy_;
    QTabWidget* tabs_ = nullptr;
    ObjectSelectionPage* tables_ = nullptr;
    ObjectSelectionPage* views_ = nullptr;
    ObjectSelectionPage* procedures_ = nullptr;
    PatternListPage* columns_ = nullptr;
    PatternListPage* dataTypes_ = nullptr;
    DataOptionsPage* data_ = nullptr;
};

// The sheet as a dialog service: true when the user pressed OK (`settings` then holds the
// changes).
bool editAdvancedOptions(QWidget* parent, Session& session, CompareSettings& settings,
                         bool database1Only, const DialogServices* services = nullptr);

} // namespace zentab

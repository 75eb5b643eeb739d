#pragma once
// The Data page of the options sheet: how rows are compared and written, and the way to the
// "Data Conditions" dialog. Window thread only.

#include <QWidget>

#include <memory>

#include "ui/dialogs/option_boxes.h"

class QPushButton;

namespace zentab {

class Session;
struct CompareSettings;

class DataOptionsPage : public QWidget {
    Q_OBJECT
public:
    // Edits `copy`, the sheet's copy of the settings, the data conditions included.
    DataOptionsPage(Session& session, CompareSettings& copy, bool database1Only, QWidget* parent);
    ~DataOptionsPage() override;

    void store();
    // Opens "Data Conditions" over the copy's conditions.
    void editConditions();

    const OptionBoxes& options() const { return *options_; }

private:
    Session& session_;
    CompareSettings& copy_;
    bool database1Only_;
    std::unique_ptr<OptionBoxes> options_;
};

} // namespace zentab

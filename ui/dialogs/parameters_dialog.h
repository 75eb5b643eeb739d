#pragma once
// "Zentab Parameters", shown by "Start Zentab": the two sides (on-line or snapshot, with the
// owner of an on-line side), the phases of the run and the kind of report, with the way to the
// advanced and general options. Edits a copy of the settings and writes it back on "Start";
// the sides themselves are replaced as soon as their buttons are pressed. Window thread only.

#include <QDialog>

#include <vector>

#include "compare/snapshot/snapshot_parameters.h"
#include "settings/compare_settings.h"
#include "ui/dialogs/dialog_services.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace zentab {

class Session;

class ParametersDialog : public QDialog {
    Q_OBJECT
public:
    // `edited` is written on "Start" only.
    ParametersDialog(Session& session, CompareSettings& edited, DialogServices services,
                     QWidget* parent);

    // "Start": refuses (and stays open) unless both sides are chosen and usable.
    void accept() override;

private:
    struct SideControls {
        QRadioButton* online = nullptr;
        QRadioButton* snapshot = nullptr;
        QPushButton* select = nullptr;
        QComboBox* owner = nullptr;
        std::vector<OwnerEntry> owners;
    };

    QWidget* buildSide(int number);
    DatabaseSource* side(int number) const;
    bool snapshotChosen(int number) const;
    // Chosen, usable, and of the kind the side's choice shows.
    bool sideReady(int number) const;
    void showSide(int number);
    void fillOwners(int number, bool applyKind);
    void selectSide(int number);
    void ownerChosen(int number, int index);
    void sidesChanged();
    void advanced();
    void general();
    // The dialog's own controls into the copy.
    void collect();

    Session& session_;
    CompareSettings& edited_;
    CompareSettings copy_;
    DialogServices services_;
    SideControls sides_[2];
    QCheckBox* phases_[6] = {};
    QRadioButton* detailed_ = nullptr;
    QRadioButton* summary_ = nullptr;
};

} // namespace zentab

#pragma once
// The "Snapshot Parameters" dialog: the fields of a SnapshotParameters, which holds what the
// buttons and the owner box do. Window thread only.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zentab {

class Session;
class SnapshotParameters;
struct DialogServices;

class SnapshotDialog : public QDialog {
    Q_OBJECT
public:
    // `parameters` has been opened; the include options reach it on "Start" only.
    SnapshotDialog(SnapshotParameters& parameters, Session& session, const DialogServices& services,
                   QWidget* parent);

    QPushButton* databaseButton() const { return database_; }
    QComboBox* ownerBox() const { return owners_; }
    QLineEdit* locationEdit() const { return location_; }
    // In the order of the group: tables structure, index, tables data, views structure, views
    // data, procedures.
    QCheckBox* includeBox(int index) const { return includes_[index]; }
    QPushButton* advancedButton() const { return advanced_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* startButton() const { return start_; }

private:
    void chooseDatabase();
    void ownerActivated(int index);
    void showParameters();
    void showLocation();
    void advancedOptions();
    void browse();
    void startPressed();

    SnapshotParameters& parameters_;
    Session& session_;
    const DialogServices& services_;
    QPushButton* database_ = nullptr;
    QComboBox* owners_ = nullptr;
    QCheckBox* includes_[6] = {};
    QPushButton* advanced_ = nullptr;
    QLineEdit* location_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* start_ = nullptr;
};

} // namespace zentab

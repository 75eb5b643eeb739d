#pragma once
// The dialog behind every "Press to select Database N" button. Linux driver managers show no
// connection dialogs of their own, so the program asks here: a data source, a driver with its
// database file, user and password, or a connect string typed whole. Window thread only.

#include <QDialog>

#include <optional>
#include <string>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace zentab {

class SideHost;

struct DataSourceChoice {
    enum class Kind { DataSource, Driver, ConnectString };
    Kind kind = Kind::DataSource;
    std::string dataSource;
    std::string driver;
    std::string database; // a database name, or the file of a file-based driver
    std::string user;
    std::string password;
    // Further keywords appended to the string; for Kind::ConnectString the whole string.
    std::string extra;
};

// The input connect string of a choice: "DSN=..." or "DRIVER={...}", then Database, UID and PWD
// where given, then the further keywords. A value the driver manager would misread is braced.
std::string buildConnectString(const DataSourceChoice& choice);

class DataSourceDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the driver manager's data sources and drivers. Messages and the file chooser go
    // through `host`.
    DataSourceDialog(SideHost& host, QWidget* parent);

    DataSourceChoice choice() const;
    // Shows `choice`; a data source or driver the driver manager does not list is added.
    void setChoice(const DataSourceChoice& choice);
    std::string connectString() const { return buildConnectString(choice()); }

    // "Test": connects with the string and tells whether that worked.
    void testConnection();
    // Refuses, with a message, a choice that names nothing to connect to.
    void accept() override;

private:
    DataSourceChoice::Kind kind() const;
    void kindChanged();
    void browse();
    int driverIndex(const QString& name);

    SideHost& host_;
    QButtonGroup* kinds_ = nullptr;
    QRadioButton* useDataSource_ = nullptr;
    QRadioButton* useDriver_ = nullptr;
    QRadioButton* useConnectString_ = nullptr;
    QTreeWidget* dataSources_ = nullptr;
    QComboBox* drivers_ = nullptr;
    QLineEdit* database_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLabel* extraLabel_ = nullptr;
    QLineEdit* extra_ = nullptr;
};

// Shows the dialog modally: the input connect string, nullopt when cancelled.
std::optional<std::string> askDataSource(QWidget* parent, SideHost& host);
// The same with the program's standard message boxes and file dialogs.
std::optional<std::string> askDataSource(QWidget* parent);

} // namespace zentab

#include "ui/dialogs/data_source_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/text.h"
#include "db/data_sources.h"
#include "db/side_host.h"
#include "ui/qt_host.h"

namespace zentab {

namespace {

const char* const kConnectFailed = "Could not connect to data source.\n\n";
const char* const kConnected = "Connected to the data source.";
const char* const kNoReason = "The driver gave no reason.";
const char* const kNoDataSource = "Please select a data source.";
const char* const kNoDriver = "Please select a driver.";
const char* const kNoConnectString = "Please enter a connect string.";
const char* const kDatabaseFiles = "SQLite Database Files (*.db *.sqlite *.sqlite3 *.db3) | "
                                   "*.db;*.sqlite;*.sqlite3;*.db3|All Files (*) | *||";
// The driver a database file is opened with when no driver was chosen yet.
const char* const kFileDriver = "SQLite3";
// Long enough for a slow network, short enough that a wrong host name does not hang the dialog.
constexpr int kTestTimeoutSeconds = 15;

bool needsBraces(const std::string& value) {
    if (value.find_first_of(";{}") != std::string::npos) {
        return true;
    }
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !value.empty() && (blank(value.front()) || blank(value.back()));
}

std::string braced(const std::string& value) {
    std::string text = "{";
    for (char c : value) {
        text += c;
        if (c == '}') {
            text += '}';
        }
    }
    return text + "}";
}

void appendKeyword(std::string& text, const char* key, const std::string& value, bool brace) {
    if (value.empty()) {
        return;
    }
    if (!text.empty()) {
        text += ';';
    }
    text += key;
    text += '=';
    text += brace || needsBraces(value) ? braced(value) : value;
}

std::string std8(const QString& text) {
    return toReportText(text);
}

// Restores the cursor however the test ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

std::string buildConnectString(const DataSourceChoice& choice) {
    using Kind = DataSourceChoice::Kind;
    if (choice.kind == Kind::ConnectString) {
        return choice.extra;
    }
    std::string text;
    if (choice.kind == Kind::DataSource) {
        appendKeyword(text, "DSN", choice.dataSource, false);
    } else {
        appendKeyword(text, "DRIVER", choice.driver, true);
    }
    appendKeyword(text, "Database", choice.database, false);
    appendKeyword(text, "UID", choice.user, false);
    appendKeyword(text, "PWD", choice.password, false);
    std::string extra = trimmed(choice.extra);
    while (!extra.empty() && extra.front() == ';') {
        extra.erase(extra.begin());
    }
    if (!extra.empty()) {
        text += text.empty() ? extra : ";" + extra;
    }
    return text;
}

DataSourceDialog::DataSourceDialog(SideHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("DataSourceDialog");
    setWindowTitle("Select Data Source");

    useDataSource_ = new QRadioButton("&Data source:", this);
    useDataSource_->setObjectName("useDataSource");
    useDriver_ = new QRadioButton("D&river:", this);
    useDriver_->setObjectName("useDriver");
    useConnectString_ = new QRadioButton("Connect &string only", this);
    useConnectString_->setObjectName("useConnectString");
    kinds_ = new QButtonGroup(this);
    kinds_->addButton(useDataSource_, static_cast<int>(DataSourceChoice::Kind::DataSource));
    kinds_->addButton(useDriver_, static_cast<int>(DataSourceChoice::Kind::Driver));
    kinds_->addButton(useConnectString_, static_cast<int>(DataSourceChoice::Kind::ConnectString));

    dataSources_ = new QTreeWidget(this);
    dataSources_->setObjectName("dataSources");
    dataSources_->setHeaderLabels({"Name", "Description", "Kind"});
    dataSources_->setRootIsDecorated(false);
    dataSources_->setAllColumnsShowFocus(true);
    dataSources_->setMinimumHeight(140);
    for (const DataSourceEntry& entry : listDataSources()) {
        auto* item = new QTreeWidgetItem(dataSources_);
        item->setText(0, fromReportText(entry.name));
        item->setText(1, fromReportText(entry.description));
        item->setText(2, entry.system ? "System" : "User");
    }
    dataSources_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    dataSources_->header()->setStretchLastSection(false);
    dataSources_->header()->setSectionResizeMode(1, QHeaderView::Stretch);

    drivers_ = new QComboBox(this);
    drivers_->setObjectName("drivers");
    for (const std::string& name : listDrivers()) {
        drivers_->addItem(fromReportText(name));
    }

    database_ = new QLineEdit(this);
    database_->setObjectName("database");
    browse_ = new QPushButton("&Browse...", this);
    browse_->setObjectName("browse");
    browse_->setAutoDefault(false);
    user_ = new QLineEdit(this);
    user_->setObjectName("user");
    password_ = new QLineEdit(this);
    password_->setObjectName("password");
    password_->setEchoMode(QLineEdit::Password);
    extra_ = new QLineEdit(this);
    extra_->setObjectName("extra");
    extraLabel_ = new QLabel(this);
    extraLabel_->setBuddy(extra_);

    auto* test = new QPushButton("&Test", this);
    test->setObjectName("test");
    test->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(test, QDialogButtonBox::ActionRole);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* source = new QGridLayout;
    source->addWidget(useDataSource_, 0, 0, Qt::AlignTop);
    source->addWidget(dataSources_, 0, 1);
    source->addWidget(useDriver_, 1, 0);
    source->addWidget(drivers_, 1, 1);
    source->addWidget(useConnectString_, 2, 0, 1, 2);
    source->setColumnStretch(1, 1);

    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(database_, 1);
    databaseRow->addWidget(browse_);
    auto* fields = new QFormLayout;
    auto* databaseLabel = new QLabel("D&atabase or file:", this);
    databaseLabel->setBuddy(database_);
    fields->addRow(databaseLabel, databaseRow);
    fields->addRow("&User name:", user_);
    fields->addRow("&Password:", password_);
    fields->addRow(extraLabel_, extra_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source, 1);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    setMinimumSize(520, 420);

    setTabOrder(useDataSource_, dataSources_);
    setTabOrder(dataSources_, useDriver_);
    setTabOrder(useDriver_, drivers_);
    setTabOrder(drivers_, useConnectString_);
    setTabOrder(useConnectString_, database_);
    setTabOrder(database_, browse_);
    setTabOrder(browse_, user_);
    setTabOrder(user_, password_);
    setTabOrder(password_, extra_);

    connect(kinds_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) {
            kindChanged();
        }
    });
    connect(dataSources_, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(browse_, &QPushButton::clicked, this, &DataSourceDialog::browse);
    connect(test, &QPushButton::clicked, this, &DataSourceDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &DataSourceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DataSourceDialog::reject);

    // Without data sources a user starts from a driver, usually a database file.
    if (dataSources_->topLevelItemCount() > 0) {
        dataSources_->setCurrentItem(dataSources_->topLevelItem(0));
        useDataSource_->setChecked(true);
    } else {
        const int sqlite = drivers_->findText(kFileDriver);
        if (sqlite >= 0) {
            drivers_->setCurrentIndex(sqlite);
        }
        useDriver_->setChecked(true);
    }
    kindChanged();
}

DataSourceChoice::Kind DataSourceDialog::kind() const {
    return static_cast<DataSourceChoice::Kind>(kinds_->checkedId());
}

void DataSourceDialog::kindChanged() {
    const DataSourceChoice::Kind current = kind();
    const bool whole = current == DataSourceChoice::Kind::ConnectString;
    dataSources_->setEnabled(current == DataSourceChoice::Kind::DataSource);
    drivers_->setEnabled(current == DataSourceChoice::Kind::Driver);
    for (QWidget* field : {static_cast<QWidget*>(database_), static_cast<QWidget*>(browse_),
                           static_cast<QWidget*>(user_), static_cast<QWidget*>(password_)}) {
        field->setEnabled(!whole);
    }
    extraLabel_->setText(whole ? "Connect stri&ng:" : "Other &keywords:");
    extra_->setPlaceholderText(whole ? "DRIVER={...};SERVER=...;DATABASE=...;UID=...;PWD=..."
                                     : "KEY=value;KEY=value");
}

DataSourceChoice DataSourceDialog::choice() const {
    DataSourceChoice choice;
    choice.kind = kind();
    if (const QTreeWidgetItem* item = dataSources_->currentItem()) {
        choice.dataSource = std8(item->text(0));
    }
    choice.driver = std8(drivers_->currentText());
    choice.database = std8(database_->text());
    choice.user = std8(user_->text());
    choice.password = std8(password_->text());
    choice.extra = std8(extra_->text());
    return choice;
}

int DataSourceDialog::driverIndex(const QString& name) {
    int index = drivers_->findText(name);
    if (index < 0) {
        drivers_->addItem(name);
        index = drivers_->count() - 1;
    }
    return index;
}

void DataSourceDialog::setChoice(const DataSourceChoice& choice) {
    if (!choice.dataSource.empty()) {
        const QString name = fromReportText(choice.dataSource);
        const QList<QTreeWidgetItem*> found = dataSources_->findItems(name, Qt::MatchExactly, 0);
        QTreeWidgetItem* item =
            found.isEmpty() ? new QTreeWidgetItem(dataSources_, {name}) : found.front();
        dataSources_->setCurrentItem(item);
    }
    if (!choice.driver.empty()) {
        drivers_->setCurrentIndex(driverIndex(fromReportText(choice.driver)));
    }
    database_->setText(fromReportText(choice.database));
    user_->setText(fromReportText(choice.user));
    password_->setText(fromReportText(choice.password));
    extra_->setText(fromReportText(choice.extra));
    kinds_->button(static_cast<int>(choice.kind))->setChecked(true);
}

void DataSourceDialog::browse() {
    const std::optional<std::string> path = host_.chooseFile({kDatabaseFiles, "db", false});
    if (!path) {
        return;
    }
    database_->setText(fromReportText(*path));
    // A file with no data source chosen is a file for the file driver.
    if (kind() == DataSourceChoice::Kind::DataSource && dataSources_->currentItem() == nullptr) {
        const int sqlite = drivers_->findText(kFileDriver);
        if (sqlite >= 0) {
            drivers_->setCurrentIndex(sqlite);
        }
        useDriver_->setChecked(true);
    }
}

void DataSourceDialog::testConnection() {
    std::optional<std::string> failure;
    {
        WaitCursor wait;
        failure = zentab::testConnection(connectString(), kTestTimeoutSeconds);
    }
    if (!failure) {
        host_.showMessage(kConnected);
        return;
    }
    host_.showMessage(kConnectFailed + (failure->empty() ? std::string(kNoReason) : *failure));
}

void DataSourceDialog::accept() {
    const DataSourceChoice current = choice();
    const char* refusal = nullptr;
    switch (current.kind) {
    case DataSourceChoice::Kind::DataSource:
        refusal = current.dataSource.empty() ? kNoDataSource : nullptr;
        break;
    case DataSourceChoice::Kind::Driver:
        refusal = current.driver.empty() ? kNoDriver : nullptr;
        break;
    case DataSourceChoice::Kind::ConnectString:
        refusal = trimmed(current.extra).empty() ? kNoConnectString : nullptr;
        break;
    }
    if (refusal != nullptr) {
        host_.showMessage(refusal);
        return;
    }
    QDialog::accept();
}

std::optional<std::string> askDataSource(QWidget* parent, SideHost& host) {
    DataSourceDialog dialog(host, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.connectString();
}

std::optional<std::string> askDataSource(QWidget* parent) {
    QtHost host;
    host.setWindow(parent);
    return askDataSource(parent, host);
}

} // namespace zentab

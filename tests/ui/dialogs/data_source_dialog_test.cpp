// The data-source dialog against the real driver manager: the connect string it builds from
// each kind of choice, the data sources and drivers it lists, and its Test button connecting
// through the SQLite3 driver.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "db/data_sources.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"
#include "ui/dialogs/data_source_dialog.h"
#include "ui/qt_host.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

using Kind = DataSourceChoice::Kind;

const QString kConnected = "Connected to the data source.";
const QString kConnectFailed = "Could not connect to data source.\n\n";

struct BuildCase {
    const char* name;
    DataSourceChoice choice;
    std::string expected;
};

TEST(ConnectStringOfChoice, JoinsTheGivenFieldsAndBracesWhatNeedsIt) {
    const BuildCase cases[] = {
        {"data source with user and password",
         {Kind::DataSource, "Sales", "SQLite3", "", "ann", "secret", ""},
         "DSN=Sales;UID=ann;PWD=secret"},
        {"driver with a database file",
         {Kind::Driver, "Sales", "SQLite3", "/data/a.db", "", "", ""},
         "DRIVER={SQLite3};Database=/data/a.db"},
        {"values the driver manager would misread",
         {Kind::DataSource, "My;Source", "", " padded", "x{y", "a;b}c", ""},
         "DSN={My;Source};Database={ padded};UID={x{y};PWD={a;b}}c}"},
        {"driver name holding a brace",
         {Kind::Driver, "", "Odd}Name", "", "", "", ""},
         "DRIVER={Odd}}Name}"},
        {"further keywords appended",
         {Kind::Driver, "", "SQLite3", "f.db", "", "", " ;StepAPI=1 "},
         "DRIVER={SQLite3};Database=f.db;StepAPI=1"},
        {"a whole string used as typed",
         {Kind::ConnectString, "Sales", "SQLite3", "f.db", "ann", "pw", "Driver=X; Database=y "},
         "Driver=X; Database=y "},
    };
    for (const BuildCase& c : cases) {
        EXPECT_EQ(buildConnectString(c.choice), c.expected) << c.name;
    }
}

// Points ODBCINI (the user's data sources) at `path` while it lives.
class UserDataSources {
public:
    explicit UserDataSources(const std::string& path) {
        if (const char* previous = std::getenv("ODBCINI")) {
            previous_ = previous;
        }
        setenv("ODBCINI", path.c_str(), 1);
    }
    ~UserDataSources() {
        if (previous_) {
            setenv("ODBCINI", previous_->c_str(), 1);
        } else {
            unsetenv("ODBCINI");
        }
    }
    UserDataSources(const UserDataSources&) = delete;
    UserDataSources& operator=(const UserDataSources&) = delete;

private:
    std::optional<std::string> previous_;
};

class DataSourceDialogTest : public ::testing::Test {
protected:
    DataSourceDialogTest() {
        auto owned = std::make_unique<ScriptedPrompts>();
        prompts = owned.get();
        host.setPrompts(std::move(owned));
    }

    template <typename T> T* child(QWidget& dialog, const char* name) {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TempDir dir;
    QtHost host;
    ScriptedPrompts* prompts = nullptr; // owned by the host
};

TEST_F(DataSourceDialogTest, OffersTheInstalledDriversAndTheUsersDataSources) {
    const std::string ini = dir.file("odbc.ini");
    writeFile(ini, "[ZentabDialogSource]\nDescription=Dialog test\nDriver=SQLite3\nDatabase=" +
                       dir.file("x.db") + "\n");
    const UserDataSources userSources(ini);

    const std::vector<std::string> drivers = listDrivers();
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), "SQLite3"), drivers.end());
    const std::vector<DataSourceEntry> sources = listDataSources();
    auto ours = std::find_if(sources.begin(), sources.end(), [](const DataSourceEntry& e) {
        return e.name == "ZentabDialogSource";
    });
    ASSERT_NE(ours, sources.end());
    EXPECT_FALSE(ours->system);

    DataSourceDialog dialog(host, nullptr);
    EXPECT_GE(child<QComboBox>(dialog, "drivers")->findText("SQLite3"), 0);
    QTreeWidget* list = child<QTreeWidget>(dialog, "dataSources");
    const auto items = list->findItems("ZentabDialogSource", Qt::MatchExactly, 0);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.front()->text(2), "User");
    list->setCurrentItem(items.front());
    child<QRadioButton>(dialog, "useDataSource")->click();
    child<QLineEdit>(dialog, "user")->setText("ann");
    EXPECT_EQ(dialog.connectString(), "DSN=ZentabDialogSource;UID=ann");
}

TEST_F(DataSourceDialogTest, BuildsAndTestsTheStringOfADatabaseFileChosenByBrowsing) {
    const std::string path = dir.file("side.db");
    executeSql(sqliteConnectString(path), {"CREATE TABLE t (a INTEGER)"});
    prompts->fileAnswers.push_back(QString::fromStdString(path));

    DataSourceDialog dialog(host, nullptr);
    dialog.show();
    child<QRadioButton>(dialog, "useDriver")->click();
    QComboBox* drivers = child<QComboBox>(dialog, "drivers");
    drivers->setCurrentIndex(drivers->findText("SQLite3"));
    child<QPushButton>(dialog, "browse")->click();
    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    EXPECT_FALSE(prompts->fileRequests.front().save);
    EXPECT_EQ(dialog.connectString(), "DRIVER={SQLite3};Database=" + path);
    EXPECT_EQ(child<QLineEdit>(dialog, "password")->echoMode(), QLineEdit::Password);

    child<QPushButton>(dialog, "test")->click();
    EXPECT_EQ(prompts->shown, std::vector<QString>{kConnected});
    EXPECT_TRUE(dialog.isVisible()) << "Test does not close the dialog";
}

TEST_F(DataSourceDialogTest, TestShowsTheDriversMessageWhenTheConnectionFails) {
    struct FailCase {
        const char* name;
        DataSourceChoice choice;
    };
    const FailCase cases[] = {
        {"driver not installed", {Kind::Driver, "", "ZentabNoSuchDriver", "f.db", "", "", ""}},
        {"data source not defined", {Kind::DataSource, "ZentabNoSuchSource", "", "", "", "", ""}},
        {"database file in a missing folder",
         {Kind::Driver, "", "SQLite3", "/nonexistent/folder/side.db", "", "", ""}},
    };
    for (const FailCase& c : cases) {
        DataSourceDialog dialog(host, nullptr);
        dialog.setChoice(c.choice);
        prompts->shown.clear();
        child<QPushButton>(dialog, "test")->click();
        ASSERT_EQ(prompts->shown.size(), 1u) << c.name;
        const QString& shown = prompts->shown.front();
        EXPECT_TRUE(shown.startsWith(kConnectFailed)) << c.name << ": " << shown.toStdString();
        EXPECT_GT(shown.size(), kConnectFailed.size()) << c.name << ": the driver's text";
    }
}

TEST_F(DataSourceDialogTest, ATestMessageNeverCarriesThePassword) {
    // The driver manager names the missing driver in its message: a password that is part of
    // that name must not come back with it.
    const std::optional<std::string> failure =
        testConnection("DRIVER={ZentabSecretDriver};PWD=Secret", 5);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("Zentab"), std::string::npos) << *failure;
    EXPECT_EQ(failure->find("Secret"), std::string::npos) << *failure;
}

TEST_F(DataSourceDialogTest, OkRefusesAChoiceThatNamesNothing) {
    struct RefusalCase {
        DataSourceChoice choice;
        QString message;
    };
    const RefusalCase cases[] = {
        {{Kind::ConnectString, "", "", "", "", "", "  "}, "Please enter a connect string."},
        {{Kind::Driver, "", "", "", "", "", ""}, "Please select a driver."},
    };
    for (const RefusalCase& c : cases) {
        DataSourceDialog dialog(host, nullptr);
        dialog.show();
        child<QComboBox>(dialog, "drivers")->setCurrentIndex(-1);
        dialog.setChoice(c.choice);
        prompts->shown.clear();
        dialog.accept();
        EXPECT_EQ(prompts->shown, std::vector<QString>{c.message});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
}

} // namespace
} // namespace zentab::test

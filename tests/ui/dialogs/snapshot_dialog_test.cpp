// The "Snapshot Parameters" dialog over a real SQLite database: its fields follow the database
// chosen, "Start" refuses what it must and keeps the dialog open, and a snapshot started from
// the dialog in the window writes its file.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare/snapshot/snapshot_parameters.h"
#include "engine/session.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/dialogs/snapshot_dialog.h"
#include "ui/main_window.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

std::tm fixedTime() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 14;
    t.tm_min = 5;
    return t;
}

class SnapshotDialogTest : public ::testing::Test {
protected:
    SnapshotDialogTest() {
        executeSql(connectString, {"create table T1 (ID integer primary key, NAME varchar(20))",
                                   "insert into T1 values (1, 'one')"});
        services.chooseDataSource = [this](QWidget*) -> std::optional<std::string> {
            return offered;
        };
        services.sidesChanged = [this] { ++sidesChanged; };
    }

    TempDir dir;
    std::string connectString = sqliteConnectString(dir.file("db.sqlite"));
    std::optional<std::string> offered = connectString;
    DialogServices services;
    int sidesChanged = 0;
    RecordingHost host;
    Session session{host};
    SnapshotParameters parameters{session, dir.path().string(), fixedTime};
};

TEST_F(SnapshotDialogTest, FieldsFollowTheChosenDatabase) {
    parameters.open();
    SnapshotDialog dialog(parameters, session, services, nullptr);
    EXPECT_EQ(dialog.databaseButton()->text(), "Press to select Database");
    EXPECT_EQ(dialog.ownerBox()->count(), 0);
    EXPECT_TRUE(dialog.locationEdit()->text().isEmpty());

    dialog.databaseButton()->click();
    ASSERT_TRUE(session.side1 && !session.side1->notUsable);
    const DatabaseSource& side = *session.side1;
    EXPECT_EQ(dialog.databaseButton()->text().toStdString(), side.displayName);
    const std::vector<OwnerEntry> owners = ownerBoxEntries(side);
    ASSERT_EQ(dialog.ownerBox()->count(), static_cast<int>(owners.size()));
    EXPECT_EQ(dialog.ownerBox()->itemText(dialog.ownerBox()->count() - 1), "-not required-");
    EXPECT_EQ(dialog.locationEdit()->text().toStdString(),
              defaultSnapshotLocation(&side, dir.path().string(), fixedTime()));
    EXPECT_TRUE(dialog.locationEdit()->text().endsWith("_03072026_1405.zsn"));
    EXPECT_EQ(sidesChanged, 1);

    // A cancelled choice leaves no database, and nothing to propose.
    offered.reset();
    dialog.databaseButton()->click();
    EXPECT_EQ(dialog.databaseButton()->text(), "Press to select Database");
    EXPECT_EQ(dialog.ownerBox()->count(), 0);
    EXPECT_TRUE(dialog.locationEdit()->text().isEmpty());
    EXPECT_EQ(sidesChanged, 2);
}

TEST_F(SnapshotDialogTest, StartRefusesWithoutDatabaseOrLocation) {
    parameters.open();
    SnapshotDialog dialog(parameters, session, services, nullptr);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    dialog.startButton()->click();
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"You must select a database before you can begin."});
    EXPECT_TRUE(dialog.isVisible());

    dialog.databaseButton()->click();
    dialog.locationEdit()->setText("   ");
    dialog.startButton()->setFocus();
    dialog.startButton()->click();
    EXPECT_EQ(host.messages().back(), "Please select a destination for this snapshot.");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.locationEdit()->hasFocus());

    // A typed location is taken trimmed, with the include options as they were left.
    const std::string path = dir.file("typed.zsn");
    dialog.locationEdit()->setText(QString::fromStdString("  " + path + "  "));
    for (int i = 0; i < 6; ++i) {
        dialog.includeBox(i)->setChecked(i == 1);
    }
    dialog.startButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(parameters.location, path);
    const SnapshotIncludes& in = parameters.includes;
    EXPECT_EQ(std::vector<bool>(
                  {in.tabStruct, in.index, in.tabData, in.viewStruct, in.viewData, in.procStruct}),
              std::vector<bool>({false, true, false, false, false, false}));
}

TEST_F(SnapshotDialogTest, CancelLeavesTheIncludeOptions) {
    parameters.includes = SnapshotIncludes{true, true, true, true, true, true};
    parameters.open();
    SnapshotDialog dialog(parameters, session, services, nullptr);
    dialog.includeBox(0)->setChecked(false);
    dialog.reject();
    EXPECT_TRUE(parameters.includes.tabStruct);
}

TEST_F(SnapshotDialogTest, AdvancedNeedsADatabaseAndKeepsOnlyAnAcceptedSheet) {
    std::vector<bool> database1Only;
    bool acceptSheet = false;
    services.advancedOptions = [&](QWidget*, CompareSettings& settings, bool only) {
        database1Only.push_back(only);
        settings.s_AutoSaveFile = "changed";
        return acceptSheet;
    };
    parameters.open();
    SnapshotDialog dialog(parameters, session, services, nullptr);

    dialog.advancedButton()->click();
    EXPECT_EQ(host.messages(), std::vector<std::string>{"You must select a database before you "
                                                        "can setup the advanced options."});
    EXPECT_TRUE(database1Only.empty());

    dialog.databaseButton()->click();
    const std::string before = session.settings.s_AutoSaveFile;
    dialog.advancedButton()->click();
    EXPECT_EQ(session.settings.s_AutoSaveFile, before);
    acceptSheet = true;
    dialog.advancedButton()->click();
    EXPECT_EQ(session.settings.s_AutoSaveFile, "changed");
    EXPECT_EQ(database1Only, std::vector<bool>({true, true}));
}

TEST_F(SnapshotDialogTest, BrowseAsksForASnapshotFile) {
    parameters.open();
    SnapshotDialog dialog(parameters, session, services, nullptr);
    host.answerFile(dir.file("chosen.zsn"));
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.locationEdit()->text().toStdString(), dir.file("chosen.zsn"));
    const std::vector<FileRequest> requests = host.fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filter, "Zentab Snapshot Files (*.zsn) | *.zsn||");
    EXPECT_EQ(requests[0].defaultExtension, "zsn");
    EXPECT_TRUE(requests[0].save);

    // A cancelled file dialog keeps what was there.
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.locationEdit()->text().toStdString(), dir.file("chosen.zsn"));
}

TEST_F(SnapshotDialogTest, SnapshotStartedFromTheDialogWritesItsFile) {
    MainWindow window;
    auto prompts = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts& shown = *prompts;
    window.host().setPrompts(std::move(prompts));
    Session& s = window.session();
    s.settings.b_DoTabStruct = true;
    s.settings.b_DoIndex = s.settings.b_DoTabData = false;
    s.settings.b_DoViewStruct = s.settings.b_DoViewData = s.settings.b_DoProcStruct = false;
    const std::string path = dir.file("made.zsn");

    SnapshotParameters windowParameters(s, dir.path().string(), fixedTime);
    createDatabaseSnapshot(s, window.driver(), windowParameters, [&](SnapshotParameters& p) {
        SnapshotDialog dialog(p, s, services, &window);
        QTimer::singleShot(0, &dialog, [&] {
            dialog.databaseButton()->click();
            dialog.locationEdit()->setText(QString::fromStdString(path));
            dialog.startButton()->click();
        });
        return dialog.exec() == QDialog::Accepted;
    });
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window.driver().workerActive(); }));
    window.driver().join();

    EXPECT_EQ(s.settings.s_SnapshotFile, path);
    const std::vector<std::string> records = readSnapshotRecords(path);
    const auto tables = std::find(records.begin(), records.end(), "<<<START TABLES");
    ASSERT_NE(tables, records.end());
    ASSERT_NE(tables + 1, records.end());
    EXPECT_EQ(*(tables + 1), "T1");
    EXPECT_NE(std::find(shown.shown.begin(), shown.shown.end(),
                        "Zentab has finished creating the database snapshot"),
              shown.shown.end());
}

} // namespace
} // namespace zentab::test

// "Zentab Parameters": sides chosen through its buttons (SQLite files through a data-source
// service, snapshot files through the host's file dialog), the owner box, the settings it
// writes on "Start", and the refusals while a side is missing.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "db/database_source.h"
#include "engine/session.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"
#include "ui/dialogs/parameters_dialog.h"
#include "ui/qt_host.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

const QString kSelectForStart = "You must select 2 database sources before you can begin.";
const QString kSelectForAdvanced =
    "You must select 2 databases before you can setup the advanced options.";
const char* const kPhaseNames[6] = {"b_DoTabStruct",  "b_DoIndex",    "b_DoTabData",
                                    "b_DoViewStruct", "b_DoViewData", "b_DoProcStruct"};

// Bit i of a mask stands for kPhaseNames[i].
void setPhases(CompareSettings& s, unsigned mask) {
    bool* fields[6] = {&s.b_DoTabStruct,  &s.b_DoIndex,    &s.b_DoTabData,
                       &s.b_DoViewStruct, &s.b_DoViewData, &s.b_DoProcStruct};
    for (int i = 0; i < 6; ++i) {
        *fields[i] = (mask >> i) & 1;
    }
}

auto dialogFields(const CompareSettings& s) {
    return std::make_tuple(s.b_DoTabStruct, s.b_DoIndex, s.b_DoTabData, s.b_DoViewStruct,
                           s.b_DoViewData, s.b_DoProcStruct, s.b_SummaryReportOnly,
                           s.side1IsSnapshot, s.side2IsSnapshot);
}

class ParametersTest : public ::testing::Test {
protected:
    ParametersTest() {
        auto owned = std::make_unique<ScriptedPrompts>();
        prompts = owned.get();
        host.setPrompts(std::move(owned));
        database1 = dir.file("one.db");
        database2 = dir.file("two.db");
        executeSql(sqliteConnectString(database1), {"CREATE TABLE t (a INTEGER)"});
        executeSql(sqliteConnectString(database2), {"CREATE TABLE t (a INTEGER)"});
        services.chooseDataSource = [this](QWidget*) -> std::optional<std::string> {
            if (dataSources.empty()) {
                return std::nullopt;
            }
            std::string next = dataSources.front();
            dataSources.pop_front();
            return next;
        };
        services.sidesChanged = [this] { ++sidesChanged; };
    }

    template <typename T> static T* child(QWidget& dialog, const char* name) {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(QWidget& dialog, const char* name) {
        if (auto* button = child<QAbstractButton>(dialog, name)) {
            button->click();
        }
    }
    static QString text(QWidget& dialog, const char* name) {
        auto* button = child<QAbstractButton>(dialog, name);
        return button ? button->text() : QString();
    }

    // Both sides on-line through their buttons.
    void chooseBothDatabases(QWidget& dialog) {
        dataSources = {sqliteConnectString(database1), sqliteConnectString(database2)};
        click(dialog, "select1");
        click(dialog, "select2");
    }

    TempDir dir;
    std::string database1;
    std::string database2;
    QtHost host;
    ScriptedPrompts* prompts = nullptr; // owned by the host
    Session session{host};
    DialogServices services;
    std::deque<std::string> dataSources;
    int sidesChanged = 0;
};

TEST_F(ParametersTest, ASelectButtonConnectsTheSideAndThenShowsItsName) {
    CompareSettings edited;
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    EXPECT_EQ(text(dialog, "select1"), "Press to select Database 1");
    EXPECT_EQ(text(dialog, "select2"), "Press to select Database 2");

    dataSources = {sqliteConnectString(database1)};
    click(dialog, "select1");
    ASSERT_TRUE(session.sideDefined1 && session.side1 && !session.side1->notUsable);
    EXPECT_EQ(text(dialog, "select1"), fromReportText(session.side1->displayName));
    EXPECT_FALSE(session.side1->displayName.empty());
    EXPECT_EQ(sidesChanged, 1);
    // SQLite lists no owners.
    EXPECT_EQ(child<QComboBox>(dialog, "owner1")->currentText(), "-not required-");

    // The kind shown decides the text; the side stays as it is until its button is pressed.
    click(dialog, "snapshot1");
    EXPECT_EQ(text(dialog, "select1"), "Press to select Snapshot 1");
    click(dialog, "online1");
    EXPECT_EQ(text(dialog, "select1"), fromReportText(session.side1->displayName));

    // A cancelled data-source dialog leaves the side chosen but not usable.
    click(dialog, "select1");
    EXPECT_EQ(text(dialog, "select1"), "Press to select Database 1");
    EXPECT_EQ(sidesChanged, 2);
}

TEST_F(ParametersTest, ASnapshotButtonOpensTheFileTheHostChooses) {
    const std::string snapshot = dir.file("two.zsn");
    writeEmptySnapshot(snapshot);
    prompts->fileAnswers.push_back(QString::fromStdString(snapshot));
    CompareSettings edited;
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    dataSources = {sqliteConnectString(database1)};
    click(dialog, "select1");
    click(dialog, "snapshot2");
    EXPECT_EQ(text(dialog, "select2"), "Press to select Snapshot 2");
    click(dialog, "select2");
    EXPECT_EQ(text(dialog, "select2"), "two.zsn");
    EXPECT_FALSE(child<QComboBox>(dialog, "owner2")->isEnabled());

    click(dialog, "start");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(edited.side1IsSnapshot);
    EXPECT_TRUE(edited.side2IsSnapshot);
}

TEST_F(ParametersTest, StartWritesThePhasesAndTheReportKind) {
    struct Case {
        unsigned phasesIn;
        bool summaryIn;
        unsigned phasesOut;
        bool summaryOut;
    };
    const Case cases[] = {
        {0b111111, false, 0b101010, true},
        {0b000000, true, 0b010101, false},
        {0b110011, false, 0b110011, false},
    };
    bool sidesChosen = false;
    for (const Case& c : cases) {
        CompareSettings edited;
        setPhases(edited, c.phasesIn);
        edited.b_SummaryReportOnly = c.summaryIn;
        edited.i_AutoSaveLines = 77; // not the dialog's: must come back unchanged
        ParametersDialog dialog(session, edited, services, nullptr);
        dialog.show();
        if (!sidesChosen) {
            chooseBothDatabases(dialog);
            sidesChosen = true;
        }
        // A dialog opened over chosen sides names them.
        EXPECT_EQ(text(dialog, "select2"), fromReportText(session.side2->displayName));
        for (int i = 0; i < 6; ++i) {
            QCheckBox* check = child<QCheckBox>(dialog, kPhaseNames[i]);
            EXPECT_EQ(check->isChecked(), bool((c.phasesIn >> i) & 1)) << kPhaseNames[i];
            check->setChecked((c.phasesOut >> i) & 1);
        }
        EXPECT_TRUE(child<QRadioButton>(dialog, c.summaryIn ? "summary" : "detailed")->isChecked());
        click(dialog, c.summaryOut ? "summary" : "detailed");

        CompareSettings expected = edited;
        setPhases(expected, c.phasesOut);
        expected.b_SummaryReportOnly = c.summaryOut;
        click(dialog, "start");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialogFields(edited), dialogFields(expected));
        EXPECT_EQ(edited.i_AutoSaveLines, 77);
    }
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(ParametersTest, CancelWritesNothingBack) {
    CompareSettings edited;
    const auto before = dialogFields(edited);
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    chooseBothDatabases(dialog);
    click(dialog, "b_DoIndex");
    click(dialog, "summary");
    click(dialog, "cancel");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialogFields(edited), before);
}

TEST_F(ParametersTest, StartAndAdvancedRefuseUntilBothSidesAreUsable) {
    int advancedCalls = 0;
    services.advancedOptions = [&](QWidget*, CompareSettings&, bool) {
        ++advancedCalls;
        return true;
    };
    CompareSettings edited;
    const auto before = dialogFields(edited);
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    dataSources = {sqliteConnectString(database1)};
    click(dialog, "select1");

    click(dialog, "start");
    click(dialog, "advanced");
    EXPECT_EQ(prompts->shown, (std::vector<QString>{kSelectForStart, kSelectForAdvanced}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(advancedCalls, 0);
    EXPECT_EQ(dialogFields(edited), before);

    // A side whose connection failed counts as missing too.
    dataSources = {sqliteConnectString(dir.file("missing/folder/x.db"))};
    click(dialog, "select2");
    prompts->shown.clear();
    click(dialog, "start");
    EXPECT_EQ(prompts->shown.back(), kSelectForStart);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ParametersTest, AdvancedAndGeneralEditTheCopyThatStartWrites) {
    services.advancedOptions = [](QWidget*, CompareSettings& s, bool database1Only) {
        EXPECT_FALSE(database1Only);
        s.b_IgnoreColLen = true;
        return true;
    };
    services.generalOptions = [](QWidget*, CompareSettings& s) {
        s.i_AutoSpecialName = 2;
        return true;
    };
    CompareSettings edited;
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    chooseBothDatabases(dialog);
    click(dialog, "advanced");
    click(dialog, "general");
    EXPECT_FALSE(edited.b_IgnoreColLen) << "written on Start only";
    click(dialog, "start");
    EXPECT_TRUE(edited.b_IgnoreColLen);
    EXPECT_EQ(edited.i_AutoSpecialName, 2);
}

TEST_F(ParametersTest, TheOwnerBoxQualifiesTheSide) {
    // An on-line side as a server with schemas and catalogs reports it, filled field by field.
    auto side = DatabaseSource::createUnconnected(host);
    side->notUsable = false;
    side->dataSourceName = "SALES";
    side->schemaNames = {"hr", "sales"};
    side->catalogNames = {"main"};
    side->s_DatabaseUser = "sales";
    side->b_IsCatalog = false;
    side->BuildDisplayName();
    DatabaseSource& shown = *side;
    session.side1 = std::move(side);
    session.sideDefined1 = true;
    session.listsLoaded[0] = true;

    CompareSettings edited;
    ParametersDialog dialog(session, edited, services, nullptr);
    dialog.show();
    QComboBox* owners = child<QComboBox>(dialog, "owner1");
    ASSERT_EQ(owners->count(), 4);
    EXPECT_EQ(owners->currentText(), "sales");
    EXPECT_EQ(text(dialog, "select1"), "sales:SALES");

    owners->setCurrentIndex(owners->findText("-not required-"));
    EXPECT_EQ(shown.s_DatabaseUser, "");
    EXPECT_EQ(text(dialog, "select1"), "SALES");
    EXPECT_FALSE(session.listsLoaded[0]);
    EXPECT_EQ(sidesChanged, 1);

    owners->setCurrentIndex(owners->findText("main"));
    EXPECT_EQ(shown.s_DatabaseUser, "main");
    EXPECT_TRUE(shown.b_IsCatalog);
    owners->setCurrentIndex(owners->findText("hr"));
    EXPECT_EQ(shown.s_DatabaseUser, "hr");
    EXPECT_FALSE(shown.b_IsCatalog);
    EXPECT_EQ(text(dialog, "select1"), "hr:SALES");
    EXPECT_EQ(sidesChanged, 3);
}

} // namespace
} // namespace zentab::test

// The "Advanced Options" sheet over two real databases: what the selection pages list and store,
// the page it opens at and remembers, the pattern lists' refusal, the Data page's options, and a
// run after the Tables page has read the lists.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/snapshot/snapshot_parameters.h"
#include "db/snapshot_file.h"
#include "options_fixture.h"
#include "support/run_fixture.h"
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/object_selection_page.h"
#include "ui/dialogs/pattern_list_page.h"

namespace zentab::test {
namespace {

class AdvancedOptionsTest : public OptionsFixture {
protected:
    QListWidget& pageList(AdvancedOptionsSheet& sheet, int page) {
        QWidget* widget = sheet.pages()->widget(page);
        auto* list = widget->findChild<QListWidget*>("objectList");
        EXPECT_NE(list, nullptr);
        return *list;
    }
    QAbstractButton& child(QWidget& parent, const char* name) {
        auto* button = parent.findChild<QAbstractButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return *button;
    }
};

TEST_F(AdvancedOptionsTest, TablesPageListsBothSidesOnceSortedAndStoresTheUnselected) {
    CompareSettings settings = session().settings;
    // Exclusions match exactly: ZETA does not deselect Zeta.
    settings.ignoreTables = {"beta", "ZETA"};
    settings.ignoreViews = {"gone"};
    AdvancedOptionsSheet sheet(session(), settings, false, &window);
    sheet.show();
    ASSERT_EQ(sheet.pages()->currentIndex(), AdvancedOptionsSheet::Tables);

    QListWidget& list = pageList(sheet, AdvancedOptionsSheet::Tables);
    EXPECT_EQ(itemTexts(list), (std::vector<std::string>{"alpha", "Alpha", "beta", "Common",
                                                         "Orders", "ORDERS", "Zeta"}));
    EXPECT_EQ(selectedTexts(list),
              (std::vector<std::string>{"alpha", "Alpha", "Common", "Orders", "ORDERS", "Zeta"}));
    list.item(6)->setSelected(false); // Zeta
    list.item(1)->setSelected(false); // Alpha
    press(sheet, QDialogButtonBox::Ok);

    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(settings.ignoreTables, (std::vector<std::string>{"Alpha", "beta", "Zeta"}));
    // The Views page was never shown: its list was not read and its exclusions stand.
    EXPECT_EQ(settings.ignoreViews, std::vector<std::string>{"gone"});
    EXPECT_TRUE(session().listsLoaded[0]);
    EXPECT_FALSE(session().listsLoaded[1]);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(AdvancedOptionsTest, SheetOfDatabase1AloneListsItsSideAndLeavesTheRunToReadBoth) {
    CompareSettings settings = session().settings;
    AdvancedOptionsSheet sheet(session(), settings, true, &window);
    sheet.show();
    EXPECT_EQ(itemTexts(pageList(sheet, AdvancedOptionsSheet::Tables)),
              (std::vector<std::string>{"alpha", "Common", "Orders", "Zeta"}));
    // A comparison run would find Database 2's list unread.
    EXPECT_FALSE(session().listsLoaded[0]);
}

TEST_F(AdvancedOptionsTest, SelectAllAndUnSelectAllTakeEveryEntry) {
    CompareSettings settings = session().settings;
    settings.ignoreViews = {"v_one"};
    {
        session().preferences.lastProp = AdvancedOptionsSheet::Views;
        AdvancedOptionsSheet sheet(session(), settings, false, &window);
        sheet.show();
        QWidget& page = *sheet.pages()->currentWidget();
        child(page, "unselectAll").click();
        EXPECT_TRUE(selectedTexts(pageList(sheet, AdvancedOptionsSheet::Views)).empty());
        press(sheet, QDialogButtonBox::Ok);
    }
    EXPECT_EQ(settings.ignoreViews, (std::vector<std::string>{"v_one", "V_Two", "v_two"}));
    {
        AdvancedOptionsSheet sheet(session(), settings, false, &window);
        sheet.show();
        child(*sheet.pages()->currentWidget(), "selectAll").click();
        press(sheet, QDialogButtonBox::Ok);
    }
    EXPECT_TRUE(settings.ignoreViews.empty());
}

TEST_F(AdvancedOptionsTest, OpensAtTheStoredPageAndRemembersThePageLeftEitherWay) {
    const struct {
        int stored;
        int opened;
    } cases[] = {{4, 4}, {5, 5}, {9, 0}, {-1, 0}};
    for (const auto& c : cases) {
        session().preferences.lastProp = c.stored;
        CompareSettings settings = session().settings;
        AdvancedOptionsSheet sheet(session(), settings, false, &window);
        EXPECT_EQ(sheet.pages()->currentIndex(), c.opened) << c.stored;
    }

    const std::vector<QString> titles{"Tables",     "Views", "Columns",
                                      "Data Types", "Data",  "Procedures"};
    CompareSettings settings = session().settings;
    AdvancedOptionsSheet sheet(session(), settings, false, &window);
    ASSERT_EQ(sheet.pages()->count(), 6);
    for (int page = 0; page < 6; ++page) {
        EXPECT_EQ(sheet.pages()->tabText(page), titles[static_cast<std::size_t>(page)]);
    }
    EXPECT_EQ(sheet.windowTitle(), "Advanced Options");
    sheet.show();
    sheet.pages()->setCurrentIndex(AdvancedOptionsSheet::DataTypes);
    press(sheet, QDialogButtonBox::Cancel);
    EXPECT_EQ(session().preferences.lastProp, 3);
    EXPECT_EQ(storedPreferences().lastProp, 3);
}

TEST_F(AdvancedOptionsTest, SnapshotSideIsReadFromItsSectionWhicheverPageComesFirst) {
    writeSnapshot(dir.file("two.zsn"), {{snapshot::kTables, {"snap_table", "Common"}},
                                        {snapshot::kColumns, {}},
                                        {snapshot::kIndex, {}},
                                        {snapshot::kData, {}},
                                        {snapshot::kViews, {"snap_view"}},
                                        {snapshot::kViewColumns, {}},
                                        {snapshot::kViewData, {}},
                                        {snapshot::kProcs, {}},
                                        {snapshot::kProcColumns, {}}});
    ASSERT_TRUE(window.setSide(
        2, DatabaseSource::ConnectInteractive(window.host(), true, dir.file("two.zsn"), nullptr,
                                              session().preferences.specialCharacters)));
    session().preferences.lastProp = AdvancedOptionsSheet::Views;
    CompareSettings settings = session().settings;
    AdvancedOptionsSheet sheet(session(), settings, false, &window);
    sheet.show();
    EXPECT_EQ(itemTexts(pageList(sheet, AdvancedOptionsSheet::Views)),
              (std::vector<std::string>{"snap_view", "v_one", "V_Two"}));
    // The reader has passed the tables: they are found only by reading the file again.
    sheet.pages()->setCurrentIndex(AdvancedOptionsSheet::Tables);
    EXPECT_EQ(itemTexts(pageList(sheet, AdvancedOptionsSheet::Tables)),
              (std::vector<std::string>{"alpha", "Common", "Orders", "snap_table", "Zeta"}));
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(AdvancedOptionsTest, SecondExpanderIsRefusedAndKeepsTheSheetOpen) {
    CompareSettings settings = session().settings;
    settings.ignoreColumns = {"ZZ"};
    session().preferences.lastProp = AdvancedOptionsSheet::Columns;
    AdvancedOptionsSheet sheet(session(), settings, false, &window);
    sheet.show();
    auto* columns = qobject_cast<PatternListPage*>(sheet.pages()->currentWidget());
    ASSERT_NE(columns, nullptr);
    const QString refusal = "You can have only one expander ('%') per string";

    columns->entry()->setText("%DATE%");
    child(*columns, "addPattern").click();
    EXPECT_EQ(prompts->shown, std::vector<QString>{refusal});
    EXPECT_EQ(columns->entry()->text(), "%DATE%");
    EXPECT_EQ(itemTexts(*columns->list()), std::vector<std::string>{"ZZ"});

    // OK with the text still there refuses again, from whichever page it was pressed on.
    sheet.pages()->setCurrentIndex(AdvancedOptionsSheet::Data);
    press(sheet, QDialogButtonBox::Ok);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.pages()->currentWidget(), columns);
    EXPECT_EQ(prompts->shown.size(), 2u);

    // A good entry left in the field is added by OK, which still waits for a second press.
    columns->entry()->setText("ID%");
    press(sheet, QDialogButtonBox::Ok);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(itemTexts(*columns->list()), (std::vector<std::string>{"ID%", "ZZ"}));
    EXPECT_TRUE(columns->entry()->text().isEmpty());
    columns->list()->item(1)->setSelected(true);
    child(*columns, "removePattern").click();
    press(sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(settings.ignoreColumns, std::vector<std::string>{"ID%"});
    EXPECT_EQ(prompts->shown.size(), 2u);
}

TEST_F(AdvancedOptionsTest, DataPageOptionsGoInAndOutAndCancelChangesNothing) {
    const struct {
        const char* name;
        bool CompareSettings::*field;
    } options[] = {
        {"b_IgnoreDatCase", &CompareSettings::b_IgnoreDatCase},
        {"b_IgnoreDatLead", &CompareSettings::b_IgnoreDatLead},
        {"b_IgnoreDatTrail", &CompareSettings::b_IgnoreDatTrail},
        {"b_CompDatValue", &CompareSettings::b_CompDatValue},
        {"b_IgnoreDatSecs", &CompareSettings::b_IgnoreDatSecs},
        {"b_IgnoreDatFrac", &CompareSettings::b_IgnoreDatFrac},
        {"b_NoDiffData", &CompareSettings::b_NoDiffData},
        {"b_DataAsCSV", &CompareSettings::b_DataAsCSV},
        {"b_SortRows", &CompareSettings::b_SortRows},
        {"b_CompareCommonColumns", &CompareSettings::b_CompareCommonColumns},
    };
    session().preferences.lastProp = AdvancedOptionsSheet::Data;
    for (const auto& option : options) {
        for (bool start : {false, true}) {
            CompareSettings settings = session().settings;
            settings.*option.field = start;
            const CompareSettings before = settings;
            {
                AdvancedOptionsSheet sheet(session(), settings, false, &window);
                auto* box = sheet.pages()->currentWidget()->findChild<QCheckBox*>(option.name);
                ASSERT_NE(box, nullptr) << option.name;
                EXPECT_EQ(box->isChecked(), start) << option.name;
                box->click();
                press(sheet, QDialogButtonBox::Cancel);
            }
            EXPECT_EQ(settings, before) << option.name;
            {
                AdvancedOptionsSheet sheet(session(), settings, false, &window);
                sheet.pages()->currentWidget()->findChild<QCheckBox*>(option.name)->click();
                press(sheet, QDialogButtonBox::Ok);
            }
            CompareSettings expected = before;
            expected.*option.field = !start;
            EXPECT_EQ(settings, expected) << option.name;
        }
    }
}

// The report of a run from the start to the line of its elapsed time.
std::string reportWithoutElapsedTime(const Session& session) {
    std::string text = session.report.text();
    return text.substr(0, text.find("--- End of Zentab --- Elapsed Time: "));
}

TEST_F(AdvancedOptionsTest, RunReusesTheListsThePageReadAndReportsAsWithoutIt) {
    // A name longer than the others widens the name column of the later sections.
    const std::string wide = "a_table_with_a_rather_long_name";
    for (const std::string& connect : {connect1, connect2}) {
        executeSql(connect, {"CREATE TABLE " + wide + " (id INTEGER PRIMARY KEY, n INTEGER)"});
    }
    executeSql(connect1, {"INSERT INTO " + wide + " VALUES (1, 1)"});
    chooseBothSides();
    {
        CompareSettings& settings = session().settings;
        AdvancedOptionsSheet sheet(session(), settings, false, &window);
        sheet.show();
        press(sheet, QDialogButtonBox::Ok);
    }
    ASSERT_TRUE(session().listsLoaded[0]);
    // Made after the page read the lists: a run that reuses them does not see it.
    executeSql(connect1, {"CREATE TABLE late (id INTEGER)"});
    ASSERT_TRUE(window.startRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window.driver().workerActive(); }));
    const std::string afterPage = reportWithoutElapsedTime(session());
    ASSERT_NE(afterPage.find(wide), std::string::npos);

    executeSql(connect1, {"DROP TABLE late"});
    chooseBothSides();
    ASSERT_FALSE(session().listsLoaded[0]);
    ASSERT_TRUE(window.startRun());
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window.driver().workerActive(); }));
    EXPECT_EQ(afterPage, reportWithoutElapsedTime(session()));
}

} // namespace
} // namespace zentab::test

// "Data Conditions" over two real databases: the condition kept per name, the choice of tables
// or views remembered per user, and the sheet's OK or Cancel deciding what is kept.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "options_fixture.h"
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/data_conditions_dialog.h"

namespace zentab::test {
namespace {

using Conditions = std::map<std::string, std::string>;

class DataConditionsTest : public OptionsFixture {
protected:
    // Selects the entry `name` of the dialog's list.
    static void select(DataConditionsDialog& dialog, const std::string& name) {
        const auto names = itemTexts(*dialog.objects());
        const auto at = std::find(names.begin(), names.end(), name);
        ASSERT_NE(at, names.end()) << name;
        dialog.objects()->setCurrentRow(static_cast<int>(at - names.begin()));
    }
};

TEST_F(DataConditionsTest, EachEditReplacesTheTrimmedConditionOfTheSelectedName) {
    Conditions conditions{{"Zeta", "id > 0"}};
    DataConditionsDialog dialog(session(), conditions, false, &window);
    EXPECT_TRUE(dialog.showTables()->isChecked());
    EXPECT_EQ(
        itemTexts(*dialog.objects()),
        (std::vector<std::string>{"alpha", "Alpha", "beta", "Common", "Orders", "ORDERS", "Zeta"}));

    select(dialog, "Orders");
    EXPECT_TRUE(dialog.condition()->toPlainText().isEmpty());
    dialog.condition()->setPlainText("  \ttotal > 10 and id < 5\n ");
    EXPECT_EQ(conditions, (Conditions{{"Orders", "total > 10 and id < 5"}, {"Zeta", "id > 0"}}));

    select(dialog, "Zeta");
    EXPECT_EQ(dialog.condition()->toPlainText(), "id > 0");
    select(dialog, "Orders");
    EXPECT_EQ(dialog.condition()->toPlainText(), "total > 10 and id < 5");
    // Showing a stored condition is no edit: the map is as it was.
    EXPECT_EQ(conditions.size(), 2u);

    dialog.condition()->setPlainText("   ");
    EXPECT_EQ(conditions, (Conditions{{"Zeta", "id > 0"}}));

    findChild<QAbstractButton>(dialog, "clearAll").click();
    EXPECT_TRUE(conditions.empty());
    EXPECT_TRUE(dialog.condition()->toPlainText().isEmpty());
}

TEST_F(DataConditionsTest, SwitchingListsRemembersTheChoiceAndEmptiesTheBox) {
    Conditions conditions{{"alpha", "id = 1"}};
    DataConditionsDialog dialog(session(), conditions, false, &window);
    select(dialog, "alpha");
    ASSERT_EQ(dialog.condition()->toPlainText(), "id = 1");

    dialog.showViews()->click();
    EXPECT_EQ(itemTexts(*dialog.objects()), (std::vector<std::string>{"v_one", "V_Two", "v_two"}));
    EXPECT_TRUE(dialog.condition()->toPlainText().isEmpty());
    EXPECT_EQ(conditions, (Conditions{{"alpha", "id = 1"}}));
    EXPECT_EQ(session().preferences.whereTab, 0);
    EXPECT_EQ(storedPreferences().whereTab, 0);

    // The next dialog opens on the views.
    {
        DataConditionsDialog again(session(), conditions, false, &window);
        EXPECT_TRUE(again.showViews()->isChecked());
        EXPECT_EQ(again.objects()->count(), 3);
    }
    dialog.showTables()->click();
    EXPECT_EQ(storedPreferences().whereTab, 1);
    EXPECT_EQ(dialog.objects()->count(), 7);
}

TEST_F(DataConditionsTest, TheSheetsOkOrCancelDecidesWhatIsKept) {
    session().preferences.lastProp = AdvancedOptionsSheet::Data;
    for (bool ok : {false, true}) {
        CompareSettings settings = session().settings;
        AdvancedOptionsSheet sheet(session(), settings, false, &window);
        sheet.show();
        bool typed = false;
        QTimer::singleShot(0, &sheet, [&] {
            auto* dialog = qobject_cast<DataConditionsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            select(*dialog, "Common");
            dialog->condition()->setPlainText("id <> 7");
            typed = true;
            dialog->accept();
        });
        findChild<QAbstractButton>(sheet, "dataConditions").click();
        ASSERT_TRUE(typed);
        press(sheet, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        const Conditions expected = ok ? Conditions{{"Common", "id <> 7"}} : Conditions{};
        EXPECT_EQ(settings.whereStatements, expected) << ok;
    }
}

} // namespace
} // namespace zentab::test

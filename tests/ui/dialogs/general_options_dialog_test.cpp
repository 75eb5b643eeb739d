// "General Options": the settings it shows, what OK writes back, what Cancel leaves alone, and
// the two refusals that keep it open.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "engine/session.h"
#include "ui/dialogs/general_options_dialog.h"
#include "ui/qt_host.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

const QString kLinesRange = "Please enter an integer between 1 and 999999.";
const QString kNoFileName = "Please enter a file name to save report";

// The fields the dialog edits, compared at once.
auto generalFields(const CompareSettings& s) {
    return std::make_tuple(s.b_OnlyToFile, s.b_AutoSave, s.i_AutoSaveLines, s.s_AutoSaveFile,
                           s.i_AutoSpecialName, s.b_DataType);
}

class GeneralOptionsTest : public ::testing::Test {
protected:
    GeneralOptionsTest() {
        auto owned = std::make_unique<ScriptedPrompts>();
        prompts = owned.get();
        host.setPrompts(std::move(owned));
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
    static void type(QWidget& dialog, const char* name, const QString& text) {
        if (auto* field = child<QLineEdit>(dialog, name)) {
            field->setText(text);
        }
    }
    static void pressOk(GeneralOptionsDialog& dialog) { dialog.accept(); }

    QtHost host;
    ScriptedPrompts* prompts = nullptr; // owned by the host
    Session session{host};
};

struct OptionsCase {
    const char* name;
    std::function<void(CompareSettings&)> before;
    std::function<void(QWidget&)> change;
    std::function<void(CompareSettings&)> after;
};

TEST_F(GeneralOptionsTest, OkWritesWhatTheControlsShow) {
    using S = CompareSettings;
    using D = QWidget;
    const OptionsCase cases[] = {
        {"screen to a file", [](S&) {},
         [](D& d) {
             click(d, "toFile");
             type(d, "autoSaveLines", "20");
             type(d, "reportFile", "  /tmp/report.txt ");
         },
         [](S& s) {
             s.b_OnlyToFile = true;
             s.i_AutoSaveLines = 20;
             s.s_AutoSaveFile = "/tmp/report.txt";
         }},
        {"a file to autosave",
         [](S& s) {
             s.b_OnlyToFile = true;
             s.s_AutoSaveFile = "a.txt";
         },
         [](D& d) { click(d, "autoSave"); },
         [](S& s) {
             s.b_OnlyToFile = false;
             s.b_AutoSave = true;
         }},
        {"back to the screen keeps a count it cannot correct",
         [](S& s) {
             s.b_AutoSave = true;
             s.i_AutoSaveLines = 0;
             s.s_AutoSaveFile = "a.txt";
         },
         [](D& d) { click(d, "toScreen"); }, [](S& s) { s.b_AutoSave = false; }},
        {"names and types", [](S&) {},
         [](D& d) {
             click(d, "autoSpecialName2");
             click(d, "dbmsTypes");
         },
         [](S& s) {
             s.i_AutoSpecialName = 2;
             s.b_DataType = 0;
         }},
        {"names and types the other way",
         [](S& s) {
             s.i_AutoSpecialName = 2;
             s.b_DataType = 0;
         },
         [](D& d) {
             click(d, "autoSpecialName1");
             click(d, "standardTypes");
         },
         [](S& s) {
             s.i_AutoSpecialName = 1;
             s.b_DataType = 1;
         }},
        {"nothing changed", [](S& s) { s.i_AutoSpecialName = 1; }, [](D&) {}, [](S&) {}},
    };
    for (const OptionsCase& c : cases) {
        CompareSettings edited;
        c.before(edited);
        CompareSettings expected = edited;
        c.after(expected);
        GeneralOptionsDialog dialog(session, edited, nullptr);
        dialog.show();
        c.change(dialog);
        pressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.name;
        EXPECT_EQ(generalFields(edited), generalFields(expected)) << c.name;
    }
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(GeneralOptionsTest, ShowsTheSettingsItIsGiven) {
    CompareSettings edited;
    edited.b_AutoSave = true;
    edited.i_AutoSaveLines = 1234;
    edited.s_AutoSaveFile = "/tmp/auto.txt";
    edited.i_AutoSpecialName = 1;
    edited.b_DataType = 0;
    GeneralOptionsDialog dialog(session, edited, nullptr);
    EXPECT_TRUE(child<QRadioButton>(dialog, "autoSave")->isChecked());
    EXPECT_EQ(child<QLineEdit>(dialog, "autoSaveLines")->text(), "1234");
    EXPECT_EQ(child<QLineEdit>(dialog, "reportFile")->text(), "/tmp/auto.txt");
    EXPECT_TRUE(child<QRadioButton>(dialog, "autoSpecialName1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "dbmsTypes")->isChecked());
    EXPECT_EQ(child<QRadioButton>(dialog, "standardTypes")->text(),
              "Use ODBC standard Data Types  (Recommended)");
}

TEST_F(GeneralOptionsTest, CancelChangesNothing) {
    CompareSettings edited;
    const auto before = generalFields(edited);
    GeneralOptionsDialog dialog(session, edited, nullptr);
    dialog.show();
    click(dialog, "toFile");
    type(dialog, "reportFile", "/tmp/x.txt");
    click(dialog, "autoSpecialName1");
    click(dialog, "dbmsTypes");
    dialog.reject();
    EXPECT_EQ(generalFields(edited), before);
}

TEST_F(GeneralOptionsTest, TheFileFieldsServeOnlyTheFileChoices) {
    CompareSettings edited;
    prompts->fileAnswers.push_back("/tmp/chosen.txt");
    GeneralOptionsDialog dialog(session, edited, nullptr);
    dialog.show();
    for (const char* field : {"autoSaveLines", "reportFile", "browse"}) {
        EXPECT_FALSE(child<QWidget>(dialog, field)->isEnabled()) << field;
    }
    click(dialog, "autoSave");
    for (const char* field : {"autoSaveLines", "reportFile", "browse"}) {
        EXPECT_TRUE(child<QWidget>(dialog, field)->isEnabled()) << field;
    }
    click(dialog, "browse");
    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    EXPECT_TRUE(prompts->fileRequests.front().save);
    EXPECT_EQ(child<QLineEdit>(dialog, "reportFile")->text(), "/tmp/chosen.txt");

    // Seven digits cannot be typed.
    QLineEdit* lines = child<QLineEdit>(dialog, "autoSaveLines");
    lines->clear();
    QTest::keyClicks(lines, "1234567");
    EXPECT_EQ(lines->text(), "123456");
}

TEST_F(GeneralOptionsTest, OkRefusesABadCountOrAMissingFileAndStaysOpen) {
    struct Refusal {
        const char* mode;
        QString lines;
        QString file;
        QString message;
    };
    const Refusal cases[] = {
        {"toFile", "0", "/tmp/r.txt", kLinesRange},
        {"autoSave", "", "/tmp/r.txt", kLinesRange},
        {"toFile", "500", "   ", kNoFileName},
        {"autoSave", "999999", "", kNoFileName},
    };
    for (const Refusal& c : cases) {
        CompareSettings edited;
        const auto before = generalFields(edited);
        GeneralOptionsDialog dialog(session, edited, nullptr);
        dialog.show();
        click(dialog, c.mode);
        type(dialog, "autoSaveLines", c.lines);
        type(dialog, "reportFile", c.file);
        prompts->shown.clear();
        pressOk(dialog);
        EXPECT_EQ(prompts->shown, std::vector<QString>{c.message})
            << c.mode << " " << c.lines.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(generalFields(edited), before);
    }
}

} // namespace
} // namespace zentab::test

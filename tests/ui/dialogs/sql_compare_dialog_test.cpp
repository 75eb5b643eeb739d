// The "Sql Compare" dialog: "Start" refuses an empty statement and keeps the dialog open with the
// focus on it, the copy button, the side buttons and "General", and a statement comparison
// started through the window's run driver with the dialog over two SQLite databases.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/session.h"
#include "support/odbc_fixture.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "ui/dialogs/dialog_services.h"
#include "ui/dialogs/sql_compare_dialog.h"
#include "ui/main_window.h"
#include "ui/report_view.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

const std::string kNoFirst = "Please enter a statement to be executed on the first database.";
const std::string kNoSecond = "Please enter a statement to be executed on the second database.";

class SqlCompareDialogTest : public ::testing::Test {
protected:
    SqlCompareDialogTest() {
        for (int number = 1; number <= 2; ++number) {
            executeSql(connectString(number),
                       {"create table T (id integer primary key, name varchar(8))",
                        "insert into T values (1, 'one')",
                        number == 1 ? "insert into T values (2, 'two')"
                                    : "insert into T values (3, 'three')"});
        }
        services.chooseDataSource = [this](QWidget*) -> std::optional<std::string> {
            return offered;
        };
        services.sidesChanged = [this] { ++sidesChanged; };
    }

    std::string connectString(int number) const {
        return sqliteConnectString(dir.file(number == 1 ? "one.sqlite" : "two.sqlite"));
    }

    TempDir dir;
    std::optional<std::string> offered;
    DialogServices services;
    int sidesChanged = 0;
    RecordingHost host;
    Session session{host};
    std::string statement1;
    std::string statement2;
};

TEST_F(SqlCompareDialogTest, StartRefusesAnEmptyStatement) {
    struct Case {
        const char* first;
        const char* second;
        std::string message;
        int focused;
    } cases[] = {
        {"", "select 1", kNoFirst, 1},
        {" \n\t ", "select 1", kNoFirst, 1},
        {"", "", kNoFirst, 1},
        {"select 1", "  \r\n", kNoSecond, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + " / " + c.first);
        statement1 = "unchanged";
        SqlCompareDialog dialog(session, statement1, statement2, services, nullptr);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.statementEdit(1)->setPlainText(c.first);
        dialog.statementEdit(2)->setPlainText(c.second);
        const std::size_t before = host.messages().size();
        dialog.startButton()->setFocus();
        dialog.startButton()->click();
        ASSERT_EQ(host.messages().size(), before + 1);
        EXPECT_EQ(host.messages().back(), c.message);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.statementEdit(c.focused)->hasFocus());
        EXPECT_EQ(statement1, "unchanged");
    }
}

TEST_F(SqlCompareDialogTest, CopyThenStartWritesBothStatements) {
    // 8-bit text in the locale's code page (UTF-8 here), trailing blanks kept.
    statement1 = "select name from T where name <> '\xC3\xA9t\xC3\xA9' ";
    statement2 = "select 2";
    SqlCompareDialog dialog(session, statement1, statement2, services, nullptr);
    EXPECT_EQ(dialog.statementEdit(1)->toPlainText(),
              QString::fromUtf8("select name from T where name <> 'été' "));
    EXPECT_EQ(dialog.statementEdit(2)->toPlainText(), "select 2");
    EXPECT_EQ(dialog.copyButton()->text(), "V  copy  V");
    EXPECT_EQ(dialog.statementEdit(1)->font().pointSizeF(), 8.5);

    dialog.copyButton()->click();
    EXPECT_EQ(dialog.statementEdit(2)->toPlainText(), dialog.statementEdit(1)->toPlainText());
    EXPECT_EQ(statement2, "select 2"); // not before "Start"
    dialog.startButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(statement1, "select name from T where name <> '\xC3\xA9t\xC3\xA9' ");
    EXPECT_EQ(statement2, statement1);
}

TEST_F(SqlCompareDialogTest, CancelKeepsTheStatements) {
    statement1 = "select 1";
    statement2 = "select 2";
    SqlCompareDialog dialog(session, statement1, statement2, services, nullptr);
    dialog.statementEdit(1)->setPlainText("select 3");
    dialog.copyButton()->click();
    dialog.reject();
    EXPECT_EQ(statement1, "select 1");
    EXPECT_EQ(statement2, "select 2");
}

TEST_F(SqlCompareDialogTest, SideButtonsShowTheChosenDatabases) {
    SqlCompareDialog dialog(session, statement1, statement2, services, nullptr);
    EXPECT_EQ(dialog.sideButton(1)->text(), "Press to select Database 1");
    EXPECT_EQ(dialog.sideButton(2)->text(), "Press to select Database 2");

    offered = connectString(2);
    dialog.sideButton(2)->click();
    ASSERT_TRUE(session.sideDefined2 && session.side2 && !session.side2->notUsable);
    EXPECT_EQ(dialog.sideButton(2)->text().toStdString(), session.side2->displayName);
    EXPECT_EQ(dialog.sideButton(1)->text(), "Press to select Database 1");
    EXPECT_EQ(sidesChanged, 1);

    // A cancelled choice leaves the side chosen but unusable.
    offered.reset();
    dialog.sideButton(2)->click();
    EXPECT_EQ(dialog.sideButton(2)->text(), "Press to select Database 2");
    EXPECT_EQ(sidesChanged, 2);
}

TEST_F(SqlCompareDialogTest, GeneralKeepsOnlyAnAcceptedDialog) {
    bool accept = false;
    services.generalOptions = [&](QWidget*, CompareSettings& settings) {
        settings.s_AutoSaveFile = "changed";
        return accept;
    };
    SqlCompareDialog dialog(session, statement1, statement2, services, nullptr);
    const std::string before = session.settings.s_AutoSaveFile;
    dialog.generalButton()->click();
    EXPECT_EQ(session.settings.s_AutoSaveFile, before);
    accept = true;
    dialog.generalButton()->click();
    EXPECT_EQ(session.settings.s_AutoSaveFile, "changed");
}

TEST_F(SqlCompareDialogTest, ComparisonStartedFromTheDialogReportsInTheWindow) {
    MainWindow window;
    auto prompts = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts& shown = *prompts;
    window.host().setPrompts(std::move(prompts));
    window.show();
    Session& s = window.session();
    const std::string statement = "select id, name from T order by id";

    window.driver().startSqlCompare([&](std::string& one, std::string& two) {
        SqlCompareDialog dialog(s, one, two, services, &window);
        QTimer::singleShot(0, &dialog, [&] {
            for (int number = 1; number <= 2; ++number) {
                offered = connectString(number);
                dialog.sideButton(number)->click();
            }
            dialog.statementEdit(1)->setPlainText(QString::fromStdString(statement));
            dialog.copyButton()->click();
            dialog.startButton()->click();
        });
        return dialog.exec() == QDialog::Accepted;
    });
    ASSERT_TRUE(turnEventLoopUntil([&] { return !window.driver().workerActive(); }));
    window.driver().join();

    EXPECT_EQ(s.settings.s_GlobalPassSql1, statement);
    EXPECT_EQ(s.settings.s_GlobalPassSql2, statement);
    std::vector<QString> blocks;
    for (QTextBlock b = window.reportView().document()->begin(); b.isValid(); b = b.next()) {
        blocks.push_back(b.text());
    }
    const auto has = [&](const QString& line) {
        return std::find(blocks.begin(), blocks.end(), line) != blocks.end();
    };
    EXPECT_TRUE(has("< 2          two      "));
    EXPECT_TRUE(has("> 3          three    "));
    EXPECT_FALSE(has("< 1          one      "));
    EXPECT_TRUE(blocks.back().startsWith("--- End of Zentab --- Elapsed Time: "));
    EXPECT_EQ(shown.shown.back(), "Zentab has finished comparing the databases");
}

} // namespace
} // namespace zentab::test

// The help window over Markdown pages in a folder: each dialog's topic opens its page, a missing
// page or topic opens the contents, no folder at all is told to the user, pages are shown as
// formatted text, the contents and the search open pages, and F1 asks for the topic of the
// dialog it was pressed in.

#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/help_files.h"
#include "ui/help_key_filter.h"
#include "ui/help_window.h"
#include "ui_fixture.h"

namespace zentab::test {
namespace {

namespace fs = std::filesystem;

// Every page of the manual, as the contents link them.
const std::vector<std::string> kManualPages = {"index.md",
                                               "getting-started.md",
                                               "reading-the-report.md",
                                               "parameters.md",
                                               "data-sources.md",
                                               "advanced-options.md",
                                               "general-options.md",
                                               "data-conditions.md",
                                               "snapshots.md",
                                               "sql-compare.md",
                                               "configuration-files.md",
                                               "executive-summary.md",
                                               "report-window.md",
                                               "batch.md",
                                               "troubleshooting.md"};

TEST(HelpTopics, EachDialogOpensItsOwnPageAndAnythingElseTheContents) {
    const std::map<std::string, QString> expected = {
        {"ParametersDialog", "parameters.md"},
        {"DataSourceDialog", "data-sources.md"},
        {"AdvancedOptionsSheet", "advanced-options.md"},
        {"GeneralOptionsDialog", "general-options.md"},
        {"DataConditionsDialog", "data-conditions.md"},
        {"SnapshotDialog", "snapshots.md"},
        {"SqlCompareDialog", "sql-compare.md"},
        {"ColorsDialog", "report-window.md"},
        {"FindDialog", "report-window.md"},
        {"", "index.md"},
        {"MainWindow", "index.md"},
        {"parametersdialog", "index.md"},
    };
    for (const auto& [topic, page] : expected) {
        EXPECT_EQ(helpPageFor(topic), page) << topic;
    }
    for (const HelpTopic& entry : helpTopics()) {
        EXPECT_TRUE(expected.contains(entry.topic)) << entry.topic << " is not checked here";
    }
}

// Runs for real once the manual is in the source tree: the build copied every page, each topic's
// page is among them, and no link of a page leads to a page that is not there.
TEST(HelpTopics, TheBuiltHelpHoldsEveryPageAndEveryLinkResolves) {
    if (!fs::exists(fs::path(ZENTAB_SOURCE_DIR) / "docs/manual/index.md")) {
        return; // no manual yet: nothing was copied
    }
    const fs::path built(ZENTAB_BUILD_HELP_DIR);
    for (const std::string& page : kManualPages) {
        EXPECT_TRUE(fs::is_regular_file(built / page)) << page;
    }
    for (const HelpTopic& entry : helpTopics()) {
        EXPECT_TRUE(fs::is_regular_file(built / entry.page)) << entry.topic;
    }
    std::set<QString> linkedFromContents;
    for (const fs::directory_entry& file : fs::directory_iterator(built)) {
        if (file.path().extension() != ".md") {
            continue;
        }
        const QString text = QString::fromStdString(readFile(file.path().string()));
        for (const HelpLink& link : markdownLinks(text)) {
            if (link.target.contains("://") || link.target.startsWith('#')) {
                continue;
            }
            const QString target = link.target.section('#', 0, 0);
            EXPECT_TRUE(fs::exists(file.path().parent_path() / target.toStdString()))
                << file.path().filename() << " links " << link.target.toStdString();
            if (file.path().filename() == "index.md") {
                linkedFromContents.insert(target);
            }
        }
    }
    for (const std::string& page : kManualPages) {
        if (page != "index.md") {
            EXPECT_TRUE(linkedFromContents.contains(QString::fromStdString(page))) << page;
        }
    }
}

TEST(HelpTopics, TheFirstCandidateFolderWithContentsIsUsed) {
    TempDir root;
    for (const char* folder : {"empty", "second", "third"}) {
        fs::create_directory(root.path() / folder);
    }
    writeFile(root.file("second/index.md"), "# Contents\n");
    writeFile(root.file("third/index.md"), "# Contents\n");
    const QString base = QString::fromStdString(root.path().string());
    EXPECT_EQ(firstHelpFolder({base + "/missing", base + "/empty", base + "/second/../third",
                               base + "/second"}),
              base + "/third");
    EXPECT_EQ(firstHelpFolder({base + "/missing", base + "/empty"}), std::nullopt);
}

TEST(HelpTopics, LinksAreReadInOrderWithoutImages) {
    const QString markdown = "- [Getting started](getting-started.md)\n"
                             "![The main window](../screenshots/main-window.png)\n"
                             "See [the web site](https://example.org \"Zentab\") and "
                             "[Parameters](parameters.md#owners).\n";
    const std::vector<HelpLink> expected = {{"Getting started", "getting-started.md"},
                                            {"the web site", "https://example.org"},
                                            {"Parameters", "parameters.md#owners"}};
    EXPECT_EQ(markdownLinks(markdown), expected);
}

// A help folder of its own, named to the program as an installer or a help writer would.
class HelpWindowTest : public ::testing::Test {
protected:
    HelpWindowTest() : window([this](const QString& text) { shown.push_back(text); }, nullptr) {
        ::setenv(kHelpFolderVariable, folder.path().c_str(), 1);
    }
    ~HelpWindowTest() override { ::unsetenv(kHelpFolderVariable); }

    void page(const std::string& name, const std::string& markdown) {
        writeFile(folder.file(name), markdown);
    }
    QStringList items(const QListWidget* list) const {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row) {
            texts << list->item(row)->text();
        }
        return texts;
    }
    // Clicks inside the first occurrence of `text`, a link, as the user does.
    void clickLink(QTextBrowser* browser, const QString& text) {
        const QTextCursor found = browser->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor inside(browser->document());
        inside.setPosition(found.selectionStart() + 2);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {},
                          browser->cursorRect(inside).center());
    }
    void click(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    TempDir folder;
    std::vector<QString> shown;
    HelpWindow window;
};

TEST_F(HelpWindowTest, WithoutAHelpFolderTheUserIsToldAndNothingOpens) {
    EXPECT_FALSE(window.showTopic("ParametersDialog"));
    EXPECT_EQ(shown, std::vector<QString>{"The help file could not be found."});
    EXPECT_FALSE(window.isVisible());
}

TEST_F(HelpWindowTest, ATopicWhosePageIsMissingOpensTheContents) {
    page("index.md", "# Zentab Help\n");
    ASSERT_TRUE(window.showTopic("ParametersDialog"));
    EXPECT_EQ(window.currentPage(), "index.md");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Zentab Help");
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWindowTest, APageIsShownAsFormattedText) {
    page("index.md", "# Zentab Help\n");
    page("parameters.md", "# The Parameters dialog\n\nChoose **both** sides:\n\n- one\n- two\n");
    ASSERT_TRUE(window.showTopic("ParametersDialog"));
    EXPECT_EQ(window.currentPage(), "parameters.md");
    const QTextDocument* document = window.browser()->document();
    const QTextBlock heading = document->firstBlock();
    EXPECT_EQ(heading.blockFormat().headingLevel(), 1);
    EXPECT_EQ(heading.text(), "The Parameters dialog");
    const QString plain = document->toPlainText();
    EXPECT_FALSE(plain.contains('#'));
    EXPECT_FALSE(plain.contains("**"));
    EXPECT_NE(document->findBlockByNumber(2).textList(), nullptr) << "the list is a list";
}

TEST_F(HelpWindowTest, APictureWiderThanThePageIsFittedToIt) {
    QImage wide(3000, 40, QImage::Format_RGB32);
    wide.fill(Qt::darkBlue);
    fs::create_directory(folder.path() / "pictures");
    ASSERT_TRUE(wide.save(QString::fromStdString(folder.file("pictures/wide.png"))));
    page("index.md", "# Zentab Help\n\n![A wide picture](pictures/wide.png)\n");
    ASSERT_TRUE(window.showTopic(""));
    const QVariant shown = window.browser()->document()->resource(QTextDocument::ImageResource,
                                                                  QUrl("pictures/wide.png"));
    ASSERT_EQ(shown.typeId(), QMetaType::QImage);
    EXPECT_GT(shown.value<QImage>().width(), 100);
    EXPECT_LE(shown.value<QImage>().width(), window.browser()->viewport()->width());
}

TEST_F(HelpWindowTest, TheContentsAndTheLinksOpenPagesAndBackAndForwardRetraceThem) {
    page("index.md", "# Zentab Help\n\n- [Parameters](parameters.md)\n"
                     "- [Snapshots](snapshots.md)\n- [The web site](https://example.org)\n");
    page("parameters.md", "# Parameters\n\nSee [snapshots](snapshots.md).\n");
    page("snapshots.md", "# Snapshots\n");
    ASSERT_TRUE(window.showTopic(""));
    EXPECT_EQ(items(window.contentsList()), (QStringList{"Contents", "Parameters", "Snapshots"}));

    click(window.contentsList(), 1);
    EXPECT_EQ(window.currentPage(), "parameters.md");
    clickLink(window.browser(), "snapshots");
    EXPECT_EQ(window.currentPage(), "snapshots.md");
    EXPECT_EQ(window.contentsList()->currentRow(), 2) << "the contents follow the page";

    auto* back = window.findChild<QPushButton*>("backButton");
    auto* forward = window.findChild<QPushButton*>("forwardButton");
    back->click();
    EXPECT_EQ(window.currentPage(), "parameters.md");
    back->click();
    EXPECT_EQ(window.currentPage(), "index.md");
    EXPECT_FALSE(back->isEnabled());
    forward->click();
    EXPECT_EQ(window.currentPage(), "parameters.md");
    window.findChild<QPushButton*>("homeButton")->click();
    EXPECT_EQ(window.currentPage(), "index.md");
}

TEST_F(HelpWindowTest, TheSearchListsPagesWithEveryWordInAnyCase) {
    page("index.md", "# Zentab Help\n\nThe pages of the help.\n");
    page("snapshots.md", "# Snapshot files\n\nA snapshot keeps the Catalog of one database.\n");
    page("batch.md", "# Batch runs\n\nThe catalog is read at the start.\n");
    ASSERT_TRUE(window.showTopic(""));

    window.searchEdit()->setText("CATALOG snapShot");
    EXPECT_EQ(items(window.searchResults()), QStringList{"Snapshot files"});
    click(window.searchResults(), 0);
    EXPECT_EQ(window.currentPage(), "snapshots.md");

    window.searchEdit()->setText("catalog");
    EXPECT_EQ(items(window.searchResults()), (QStringList{"Batch runs", "Snapshot files"}));
    window.searchEdit()->setText("catalog printer");
    EXPECT_TRUE(items(window.searchResults()).isEmpty());
}

TEST_F(HelpWindowTest, OverAModalDialogTheHelpIsModalTooSoThatItCanBeUsed) {
    page("index.md", "# Zentab Help\n");
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    ASSERT_TRUE(window.showTopic(""));
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(QApplication::activeModalWidget(), &window);
    window.close();
    dialog.close();
    ASSERT_TRUE(window.showTopic(""));
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_TRUE(window.isVisible());
}

TEST(HelpKeyFilterTest, F1AsksForTheTopicOfTheDialogItWasPressedIn) {
    std::vector<std::pair<QWidget*, std::string>> asked;
    HelpKeyFilter filter(
        [&](QWidget* window, const std::string& topic) { asked.emplace_back(window, topic); });
    qApp->installEventFilter(&filter);

    QDialog dialog;
    dialog.setObjectName("ParametersDialog");
    auto* edit = new QLineEdit(&dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    // Through the window system, as a real key arrives.
    QTest::keyClick(dialog.windowHandle(), Qt::Key_F1);
    EXPECT_EQ(asked,
              (std::vector<std::pair<QWidget*, std::string>>{{&dialog, "ParametersDialog"}}));
    EXPECT_TRUE(edit->text().isEmpty());

    QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(asked.size(), 1U) << "Shift+F1 is not the help key";

    HelpWindow help([](const QString&) {}, &dialog);
    auto* search = help.findChild<QLineEdit*>("searchEdit");
    QTest::keyClick(search, Qt::Key_F1);
    EXPECT_EQ(asked.size(), 1U) << "F1 in the help window asks for nothing";

    qApp->removeEventFilter(&filter);
}

TEST(HelpKeyFilterTest, AWindowWithoutAPageOfItsOwnTakesTheTopicOfTheDialogUnderIt) {
    QDialog dialog;
    dialog.setObjectName("SqlCompareDialog");
    QDialog question(&dialog);
    QLineEdit inQuestion(&question);
    QDialog mainWindow;
    mainWindow.setObjectName("MainWindow");
    EXPECT_EQ(HelpKeyFilter::topicOf(&inQuestion), "SqlCompareDialog");
    EXPECT_EQ(HelpKeyFilter::topicOf(&dialog), "SqlCompareDialog");
    EXPECT_EQ(HelpKeyFilter::topicOf(&mainWindow), "");
    EXPECT_EQ(HelpKeyFilter::topicOf(nullptr), "");
}

} // namespace
} // namespace zentab::test

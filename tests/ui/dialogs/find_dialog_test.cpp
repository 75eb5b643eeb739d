// The Find dialog over a report shown in a ReportView: successive matches are selected where the
// document has them, also after multibyte characters on the line, the wrap question continues
// from the top or ends the step, and a text that is not there is reported.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/session.h"
#include "support/recording_host.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/report_view.h"
#include "ui/ui_fixture.h"

namespace zentab::test {
namespace {

const std::string kWrap =
    "Zentab has reached the end of the report. Do you wish to continue from the top?";
const std::string kNotFound = "Could not find specified text";

// Where the view's selection is: block, column in the block, selected text.
struct Selection {
    int block = -1;
    int column = -1;
    QString text;
    bool operator==(const Selection&) const = default;
};

void PrintTo(const Selection& s, std::ostream* out) {
    *out << "{" << s.block << ", " << s.column << ", \"" << s.text.toStdString() << "\"}";
}

class FindDialogTest : public ::testing::Test {
protected:
    FindDialogTest() {
        // Pieces as a run writes them: a line break split over two pieces, and lines whose
        // characters take two bytes each.
        for (const char* piece :
             {"Report of one run\r", "\n\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9 ab ", "Ab ab\r\n",
              "gr\xC3\xB6\xC3\x9F"
              "e abc ab\r\n"}) {
            session.writer.append(piece, ReportColour::Text, false, false);
            view.appendPiece(piece, 0, false);
        }
        dialog.show();
    }

    Selection selection() const {
        const QTextCursor cursor = view.textCursor();
        const QTextBlock block = view.document()->findBlock(cursor.selectionStart());
        return {block.blockNumber(), cursor.selectionStart() - block.position(),
                cursor.selectedText()};
    }

    void search(const QString& what, bool matchCase, bool wholeWord) {
        dialog.findWhatEdit()->setText(what);
        dialog.matchCaseBox()->setChecked(matchCase);
        dialog.wholeWordBox()->setChecked(wholeWord);
    }

    void placeCursor(int block, int column) {
        QTextCursor cursor(view.document()->findBlockByNumber(block));
        cursor.setPosition(cursor.position() + column);
        view.setTextCursor(cursor);
    }

    RecordingHost host;
    Session session{host};
    ReportView view{session.preferences.font};
    FindDialog dialog{session.writer, view, nullptr};
};

TEST_F(FindDialogTest, FindNextSelectsEachMatchThenWrapsToTheFirst) {
    struct Case {
        const char* what;
        bool matchCase;
        bool wholeWord;
        std::vector<Selection> matches;
    };
    const std::vector<Case> cases = {
        {"ab",
         false,
         false,
         {{1, 6, "ab"}, {1, 9, "Ab"}, {1, 12, "ab"}, {2, 6, "ab"}, {2, 10, "ab"}}},
        {"ab", true, false, {{1, 6, "ab"}, {1, 12, "ab"}, {2, 6, "ab"}, {2, 10, "ab"}}},
        {"AB", false, true, {{1, 6, "ab"}, {1, 9, "Ab"}, {1, 12, "ab"}, {2, 10, "ab"}}},
        {"Ab", true, true, {{1, 9, "Ab"}}},
        {"GR\xC3\xB6\xC3\x9F"
         "E",
         false,
         false,
         {{2, 0,
           QString::fromUtf8("gr\xC3\xB6\xC3\x9F"
                             "e")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.hide();
        dialog.show();
        search(QString::fromUtf8(c.what), c.matchCase, c.wholeWord);
        const std::size_t asked = host.messages().size();
        for (const Selection& expected : c.matches) {
            ASSERT_TRUE(dialog.findNext());
            EXPECT_EQ(selection(), expected);
        }
        EXPECT_EQ(host.messages().size(), asked);
        // At the end: Yes continues from the top.
        ASSERT_TRUE(dialog.findNext());
        EXPECT_EQ(selection(), c.matches.front());
        EXPECT_EQ(host.messages(), std::vector<std::string>(asked + 1, kWrap));
    }
}

TEST_F(FindDialogTest, NoAtTheEndKeepsTheLastMatch) {
    search("Ab", true, true);
    ASSERT_TRUE(dialog.findNext());
    host.answerYesNo(false);
    EXPECT_FALSE(dialog.findNext());
    EXPECT_EQ(selection(), (Selection{1, 9, "Ab"}));
    EXPECT_EQ(host.messages(), std::vector<std::string>{kWrap});
}

TEST_F(FindDialogTest, MissingTextIsReportedEachTime) {
    search("nowhere", false, false);
    EXPECT_FALSE(dialog.findNext());
    EXPECT_FALSE(dialog.findNext());
    EXPECT_EQ(host.messages(), std::vector<std::string>(2, kNotFound));
}

TEST_F(FindDialogTest, SearchGoesOnFromWhereTheUserLeftTheCursor) {
    search("ab", false, false);
    ASSERT_TRUE(dialog.findNext()); // the first search of a showing starts at the top
    placeCursor(1, 8);              // after "ééééé ab"
    ASSERT_TRUE(dialog.findNext());
    EXPECT_EQ(selection(), (Selection{1, 9, "Ab"}));
    placeCursor(2, 0);
    ASSERT_TRUE(dialog.findNext());
    EXPECT_EQ(selection(), (Selection{2, 6, "ab"}));

    // A new showing is a new search: empty text, from the top again.
    dialog.hide();
    dialog.show();
    EXPECT_TRUE(dialog.findWhatEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.findNextButton()->isEnabled());
    search("ab", false, false);
    ASSERT_TRUE(dialog.findNext());
    EXPECT_EQ(selection(), (Selection{1, 6, "ab"}));
    EXPECT_TRUE(host.messages().empty());
}

} // namespace
} // namespace zentab::test

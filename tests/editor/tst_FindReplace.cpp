// The find bar's options, replace one, and replace all as a single undo step.
#include <gtest/gtest.h>

#include "o_FindBar.h"
#include "o_SynMemo.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <string>
#include <vector>

namespace {

const char *const kText = "select Name, name_id from names\r\nwhere name = 'NAME' -- name.\r\n";

struct Options {
    bool matchCase = false;
    bool wholeWord = false;
    bool regExp = false;
};

void setOptions(TqdFindBar *bar, Options o)
{
    bar->btnMatchCase()->setChecked(o.matchCase);
    bar->btnWholeWord()->setChecked(o.wholeWord);
    bar->btnRegExp()->setChecked(o.regExp);
}

void select(TqdSynMemo &memo, unsigned long from, long to)
{
    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, from, to);
}

long selStart(TqdSynMemo &memo) { return memo.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART); }

// All match starts, found one after the other from the top, until the search wraps.
std::vector<long> matchStarts(TqdSynMemo &memo)
{
    std::vector<long> starts;
    select(memo, 0, 0);
    while (memo.findBar()->find(true)) {
        const long at = selStart(memo);
        if (!starts.empty() && at <= starts.back())
            break;
        starts.push_back(at);
    }
    return starts;
}

struct MemoFixture : ::testing::Test {
    TqdSynMemo memo{nullptr};
    void SetUp() override
    {
        memo.resize(700, 300);
        memo.show();
        memo.Lines().SetText(kText);
    }
    TqdFindBar *bar() { return memo.findBar(); }
};

} // namespace

TEST_F(MemoFixture, OptionsNarrowTheMatches)
{
    struct Case {
        const char *what;
        Options options;
        std::vector<long> starts;
    } const cases[] = {
        {"name", {}, {7, 13, 26, 39, 47, 56}},
        {"name", {true, false, false}, {13, 26, 39, 56}},
        {"name", {false, true, false}, {7, 39, 47, 56}},
        {"name", {true, true, false}, {39, 56}},
        {"nam.s?\\b", {false, false, true}, {7, 26, 39, 47, 56}},
        {"^where", {false, false, true}, {33}},
        {"NAME", {true, false, true}, {47}},
        {"'[A-Z]+'", {true, false, true}, {46}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        bar()->activate(QString());
        bar()->edtFind()->setText(QString::fromLatin1(c.what));
        setOptions(bar(), c.options);
        EXPECT_EQ(matchStarts(memo), c.starts);
    }
}

TEST_F(MemoFixture, FindBackwardsAndReportsMissesAndBadExpressions)
{
    bar()->activate(QStringLiteral("name"));
    bar()->btnWholeWord()->setChecked(true);
    select(memo, 52, 52);
    ASSERT_TRUE(bar()->find(false));
    EXPECT_EQ(selStart(memo), 47);
    ASSERT_TRUE(bar()->find(false));
    EXPECT_EQ(selStart(memo), 39);
    ASSERT_TRUE(bar()->find(false));
    EXPECT_EQ(selStart(memo), 7);
    ASSERT_TRUE(bar()->find(false));
    EXPECT_EQ(selStart(memo), 56) << "wraps to the last match";

    bar()->edtFind()->setText(QStringLiteral("absent"));
    EXPECT_FALSE(bar()->find(true));
    EXPECT_EQ(bar()->status(), QStringLiteral("Not found"));

    const std::string before(memo.documentBytes());
    bar()->edtFind()->setText(QStringLiteral("(unclosed"));
    bar()->btnRegExp()->setChecked(true);
    EXPECT_FALSE(bar()->find(true));
    EXPECT_EQ(bar()->status(), QStringLiteral("Invalid expression"));
    EXPECT_EQ(bar()->replaceAll(), 0);
    EXPECT_EQ(std::string(memo.documentBytes()), before);
}

TEST_F(MemoFixture, CtrlHShowsTheReplaceRowAndReplaceOneWalksTheMatches)
{
    QTest::keyClick(&memo, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isVisible());
    ASSERT_TRUE(bar()->replaceVisible());
    bar()->edtFind()->setText(QStringLiteral("name"));
    bar()->btnWholeWord()->setChecked(true);
    bar()->edtReplace()->setText(QStringLiteral("title"));
    select(memo, 0, 0);

    // the first press selects a match, the next ones replace it and move on
    EXPECT_FALSE(bar()->replaceOne());
    EXPECT_EQ(selStart(memo), 7);
    QTest::keyClick(bar()->edtReplace(), Qt::Key_Return);
    EXPECT_EQ(memo.Lines().Strings(0), "select title, name_id from names");
    EXPECT_EQ(memo.SelText(), "name");
    EXPECT_EQ(selStart(memo), 40);

    // a selection that is no whole match is not replaced
    select(memo, 14, 18); // "name" of name_id
    EXPECT_FALSE(bar()->replaceOne());
    EXPECT_EQ(memo.Lines().Strings(0), "select title, name_id from names");

    QTest::keyClick(&memo, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(bar()->replaceVisible()) << "Ctrl+F shows find only";
}

TEST_F(MemoFixture, TheBarKeepsRoomForItsStatus)
{
    QTest::keyClick(&memo, Qt::Key_H, Qt::ControlModifier);
    const int before = bar()->width();
    bar()->edtFind()->setText(QStringLiteral("name"));
    bar()->edtReplace()->setText(QStringLiteral("n"));
    ASSERT_EQ(bar()->replaceAll(), 6);
    QApplication::processEvents();
    EXPECT_GT(bar()->width(), before);
    EXPECT_EQ(bar()->width(), bar()->sizeHint().width());
    EXPECT_EQ(bar()->geometry().right(), memo.viewport()->geometry().right());
}

TEST_F(MemoFixture, ReplaceAllIsOneUndoStep)
{
    struct Case {
        const char *what;
        const char *with;
        Options options;
        int count;
        const char *line0;
        const char *line1;
    } const cases[] = {
        {"name", "title", {}, 6, "select title, title_id from titles", "where title = 'title' -- title."},
        {"name", "n", {true, true, false}, 2, "select Name, name_id from names", "where n = 'NAME' -- n."},
        // the replacement may hold the match again: it is not searched twice
        {"name", "name_name", {false, true, false}, 4, "select name_name, name_id from names",
         "where name_name = 'name_name' -- name_name."},
        {"(\\w+)_id", "\\1_key", {false, false, true}, 1, "select Name, name_key from names",
         "where name = 'NAME' -- name."},
        // empty matches at each line start
        {"^", "-- ", {false, false, true}, 3, "-- select Name, name_id from names", "-- where name = 'NAME' -- name."},
    };
    const std::string original(memo.documentBytes());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        memo.Lines().SetText(kText);
        bar()->activate(QString::fromLatin1(c.what), true);
        setOptions(bar(), c.options);
        bar()->edtReplace()->setText(QString::fromLatin1(c.with));
        EXPECT_EQ(bar()->replaceAll(), c.count);
        EXPECT_EQ(memo.Lines().Strings(0), c.line0);
        EXPECT_EQ(memo.Lines().Strings(1), c.line1);
        memo.undo();
        EXPECT_EQ(std::string(memo.documentBytes()), original);
        memo.redo();
        EXPECT_EQ(memo.Lines().Strings(1), c.line1);
    }
}

// Keyword and function completion from the highlighter's word tables.
#include <gtest/gtest.h>

#include "memo_fixture.h"
#include "o_FindBar.h"

#include <QTest>

namespace {

struct CompletionFixture : HighlightedMemoFixture {
    bool listShown() { return memo.SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE) != 0; }
};

} // namespace

TEST(Completion, WordsComeFromTheDialectsTables)
{
    struct Case {
        TSQLDialect dialect;
        const char *prefix;
        QStringList mustHave;
        QStringList mustLack;
    } const cases[] = {
        {sqlMySQL, "group_", {"group_concat"}, {}},
        {sqlStandard, "GROUP_", {}, {"GROUP_CONCAT"}},
        {sqlOracle, "nvl", {"nvl", "nvl2"}, {"NVL"}},
        {sqlSQLite, "Sel", {"SELECT"}, {"select"}},        // mixed case: the table's own
        {sqlInterbase6, "gen_", {"gen_id"}, {}},
        {sqlMSSQL2K, "VARC", {"VARCHAR"}, {"CHAR"}},       // data types too, by prefix only
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.prefix);
        const QStringList words = TqdSynMemo::completionsFor(c.dialect, QString::fromLatin1(c.prefix));
        for (const QString &w : c.mustHave)
            EXPECT_TRUE(words.contains(w)) << w.toStdString();
        for (const QString &w : c.mustLack)
            EXPECT_FALSE(words.contains(w)) << w.toStdString();
        QStringList sorted = words;
        sorted.sort(Qt::CaseInsensitive);
        EXPECT_EQ(sorted.removeDuplicates(), 0);
        EXPECT_EQ(words, sorted);
    }
}

TEST_F(CompletionFixture, ListOpensAtTheThirdLetterAndEnterInsertsTheWord)
{
    QTest::keyClicks(&memo, "se");
    EXPECT_FALSE(listShown());
    QTest::keyClicks(&memo, "l");
    ASSERT_TRUE(listShown());
    // typing on narrows the open list instead of losing it
    QTest::keyClicks(&memo, "e");
    ASSERT_TRUE(listShown());
    QTest::keyClick(&memo, Qt::Key_Return);
    EXPECT_FALSE(listShown());
    EXPECT_EQ(memo.Lines().Text(), "select");

    // a word typed out in full opens nothing
    memo.Lines().SetText("");
    QTest::keyClicks(&memo, "from");
    EXPECT_FALSE(listShown());

    // no word fits: no list
    memo.Lines().SetText("");
    QTest::keyClicks(&memo, "xqz");
    EXPECT_FALSE(listShown());
}

TEST_F(CompletionFixture, EscapeClosesTheListBeforeTheFindBar)
{
    memo.showFindBar();
    memo.setFocus();
    QTest::keyClicks(&memo, "sel");
    ASSERT_TRUE(listShown());
    QTest::keyClick(&memo, Qt::Key_Escape);
    EXPECT_FALSE(listShown());
    EXPECT_TRUE(memo.findBar()->isVisible());
    EXPECT_EQ(memo.Lines().Text(), "sel");
    QTest::keyClick(&memo, Qt::Key_Escape);
    EXPECT_FALSE(memo.findBar()->isVisible());
}

TEST_F(CompletionFixture, CtrlSpaceOpensTheListForAShortPrefix)
{
    syn.SetSQLDialect(sqlMySQL);
    QTest::keyClicks(&memo, "select gr");
    EXPECT_FALSE(listShown());
    QTest::keyClick(&memo, Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(listShown());
    QTest::keyClicks(&memo, "oup_c");
    ASSERT_TRUE(listShown());
    QTest::keyClick(&memo, Qt::Key_Return);
    EXPECT_EQ(memo.Lines().Text(), "select group_concat");
    QTest::keyClick(&memo, Qt::Key_Escape);
    EXPECT_EQ(memo.Lines().Text(), "select group_concat");
}

// Scintilla places its list on the screen under the caret; an editor that is
// not on any screen (not shown yet, or pushed past the desktop's edge) types
// on without a list instead of crashing.
TEST(Completion, AnEditorOffEveryScreenTypesOnWithoutAList)
{
    TqdSynMemo hidden{nullptr};
    TqdSQLSyn syn;
    hidden.setLexer(&syn);
    QTest::keyClicks(&hidden, "sele");
    EXPECT_EQ(hidden.SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE), 0);
    EXPECT_EQ(hidden.Lines().Text(), "sele");

    TqdSynMemo outside{nullptr};
    outside.resize(300, 100);
    outside.show();
    outside.setLexer(&syn);
    outside.move(-100000, -100000);
    QTest::keyClicks(&outside, "sele");
    EXPECT_EQ(outside.SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE), 0);
    EXPECT_EQ(outside.Lines().Text(), "sele");
    hidden.setLexer(nullptr);
    outside.setLexer(nullptr);
}

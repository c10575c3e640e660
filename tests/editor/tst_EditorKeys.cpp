// Line comments per dialect, block indent and go to line.
#include <gtest/gtest.h>

#include "o_Prompts.h"
#include "memo_fixture.h"

#include <QTest>

#include <string>

namespace {

void select(TqdSynMemo &memo, unsigned long from, long to)
{
    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, from, to);
}

struct EditorFixture : HighlightedMemoFixture {
    void TearDown() override
    {
        HighlightedMemoFixture::TearDown();
        prompts::setIntegerAnswerer(nullptr);
    }
    std::string text() const { return memo.Lines().Text(); }
    void toggle() { QTest::keyClick(&memo, Qt::Key_Slash, Qt::ControlModifier); }
};

} // namespace

TEST_F(EditorFixture, CtrlSlashTogglesTheDialectsLineComment)
{
    struct Case {
        TSQLDialect dialect;
        // "# a" is a comment in MySQL only: elsewhere it gets a mark of its own
        const char *hashToggled;
    } const cases[] = {
        {sqlStandard, "-- # a\r\n-- -- b"},  {sqlInterbase6, "-- # a\r\n-- -- b"},
        {sqlMSSQL7, "-- # a\r\n-- -- b"},    {sqlMySQL, "a\r\nb"},
        {sqlOracle, "-- # a\r\n-- -- b"},    {sqlSybase, "-- # a\r\n-- -- b"},
        {sqlIngres, "-- # a\r\n-- -- b"},    {sqlMSSQL2K, "-- # a\r\n-- -- b"},
        {sqlSQLite, "-- # a\r\n-- -- b"},
    };
    const std::string script = "select 1\r\n  from t\r\n\r\nwhere x\r\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(dialectWords(c.dialect).name);
        syn.SetSQLDialect(c.dialect);
        memo.Lines().SetText(script);
        // the selection ends at the start of "where x": that line stays as it is
        select(memo, 0, 22);
        toggle();
        EXPECT_EQ(text(), "-- select 1\r\n--   from t\r\n\r\nwhere x\r\n");
        toggle();
        EXPECT_EQ(text(), script);
        toggle();
        memo.undo();
        EXPECT_EQ(text(), script) << "one undo step";

        memo.Lines().SetText("# a\r\n-- b");
        select(memo, 0, 9);
        toggle();
        EXPECT_EQ(text(), c.hashToggled);
    }
}

TEST_F(EditorFixture, CommentsGoAtTheBlocksIndentAndMixedLinesAreAllCommented)
{
    struct Case {
        const char *name;
        const char *before;
        long from, to;
        const char *after;
    } const cases[] = {
        // columns count a tab as four
        {"indented block", "    a\r\n\t  b\r\n      c", 0, 22, "    -- a\r\n\t--   b\r\n    --   c"},
        {"mixed lines", "--x\r\ny", 0, 6, "-- --x\r\n-- y"},
        {"uncomment without space", "  --x\r\n  --  y", 0, 14, "  x\r\n   y"},
        {"caret only", "a\r\nb\r\nc", 4, 4, "a\r\n-- b\r\nc"},
        {"blank lines only", "\r\n  \r\n", 0, 6, "\r\n  \r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        memo.Lines().SetText(c.before);
        select(memo, c.from, c.to);
        toggle();
        EXPECT_EQ(text(), c.after);
    }
}

TEST_F(EditorFixture, TabAndShiftTabIndentAndUnindentTheSelectedLines)
{
    memo.Lines().SetText("a\r\nb\r\nc");
    select(memo, 0, 4);
    QTest::keyClick(&memo, Qt::Key_Tab);
    EXPECT_EQ(text(), "\ta\r\n\tb\r\nc");
    QTest::keyClick(&memo, Qt::Key_Tab);
    EXPECT_EQ(text(), "\t\ta\r\n\t\tb\r\nc");
    QTest::keyClick(&memo, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(&memo, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(&memo, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(text(), "a\r\nb\r\nc");
    EXPECT_TRUE(memo.hasFocus() || !memo.isActiveWindow()) << "Tab stays in the editor";
}

TEST_F(EditorFixture, CtrlGAsksForALineAndGoesThere)
{
    memo.Lines().SetText("one\r\ntwo\r\nthree\r\nfour");
    struct Case {
        bool accepted;
        int answer;
        int line; // the caret's line afterwards
    } const cases[] = {
        {true, 3, 2},
        {true, 1, 0},
        {true, 99, 3}, // past the end: the last line
        {true, -5, 0},
        {false, 2, 3}, // cancelled: the caret stays
    };
    memo.setCursorPosition(3, 2);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        int line = 0, index = 0;
        memo.getCursorPosition(&line, &index);
        prompts::IntegerRequest asked;
        prompts::setIntegerAnswerer([&](const prompts::IntegerRequest &r) {
            asked = r;
            return prompts::IntegerAnswer{c.accepted, c.answer};
        });
        if (!c.accepted)
            memo.setCursorPosition(3, 2);
        QTest::keyClick(&memo, Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(asked.minimum, 1);
        EXPECT_EQ(asked.maximum, 4);
        memo.getCursorPosition(&line, &index);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(index, c.accepted ? 0 : 2);
    }
}

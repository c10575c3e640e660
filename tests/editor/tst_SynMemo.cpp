// The editor's line list, script files byte for byte, the change event and find.
#include <gtest/gtest.h>

#include "o_FindBar.h"
#include "o_SynMemo.h"
#include "files.h"
#include "testenv.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

namespace {

QString tempFile(const char *name)
{
    return QString::fromStdString(testenv::tempDir()) + QLatin1Char('/') + QLatin1String(name);
}

struct ScriptCase {
    const char *name;
    std::string bytes;
    int lines;
    std::string lastLine;
    std::string crlfText; // Lines().Text()
    TSynLineBreak style;
};

std::string S(const char *s, size_t n)
{
    return std::string(s, n);
}

} // namespace

TEST(SynMemoScript, FilesOpenAndSaveBackByteForByte)
{
    const ScriptCase cases[] = {
        {"crlf-with-last-break", "select 1\r\nfrom t\r\n", 3, "", "select 1\r\nfrom t\r\n", TSynLineBreak::CRLF},
        {"crlf-without-last-break", "select 1\r\nfrom t", 2, "from t", "select 1\r\nfrom t", TSynLineBreak::CRLF},
        {"lf-only", "a\nb\n\nc", 4, "c", "a\r\nb\r\n\r\nc", TSynLineBreak::LF},
        {"cr-only", "a\rb\r", 3, "", "a\r\nb\r\n", TSynLineBreak::CR},
        // 8-bit scripts show their letters (the editor holds UTF-8) and save back as they were
        {"windows-1252", "caf\xe9 \x80 \x93quoted\x94\r\n", 2, "",
         "caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cquoted\xe2\x80\x9d\r\n", TSynLineBreak::CRLF},
        // starts like a UTF-16 mark but is no UTF-16: the 8-bit rules keep its bytes
        {"invalid-utf8", "\xff\xfe\xc3( \xed\xa0\x80 \xc0\xaf", 1,
         "\xc3\xbf\xc3\xbe\xc3\x83( \xc3\xad\xc2\xa0\xe2\x82\xac \xc3\x80\xc2\xaf",
         "\xc3\xbf\xc3\xbe\xc3\x83( \xc3\xad\xc2\xa0\xe2\x82\xac \xc3\x80\xc2\xaf", TSynLineBreak::CRLF},
        {"nul-bytes", S("a\0b\nc\0", 6), 2, S("c\0", 2), S("a\0b\r\nc\0", 7), TSynLineBreak::LF},
        {"utf8", "na\xc3\xafve \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac", 1, "na\xc3\xafve \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac",
         "na\xc3\xafve \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac", TSynLineBreak::CRLF},
        {"empty", "", 0, "", "", TSynLineBreak::CRLF},
        {"only-a-break", "\n", 2, "", "\r\n", TSynLineBreak::LF},
    };
    for (const ScriptCase &c : cases) {
        SCOPED_TRACE(c.name);
        TqdSynMemo memo(nullptr);
        const QString in = tempFile("in.sql"), out = tempFile("out.sql");
        ASSERT_TRUE(testfiles::writeBytes(in, c.bytes));
        memo.Lines().LoadFromFile(in);
        EXPECT_EQ(memo.Lines().Count(), c.lines);
        if (c.lines > 0)
            EXPECT_EQ(memo.Lines().Strings(c.lines - 1), c.lastLine);
        EXPECT_EQ(memo.Lines().Text(), c.crlfText);
        EXPECT_EQ(memo.Lines().LineBreak(), c.style);
        memo.Lines().SaveToFile(out);
        EXPECT_EQ(testfiles::readBytes(out), c.bytes);
    }
}

TEST(SynMemoScript, Utf8ShowsAsText)
{
    TqdSynMemo memo(nullptr);
    const std::string utf8 = "select 'gr\xc3\xbc\xc3\x9f' -- \xe2\x82\xac";
    memo.Lines().SetText(utf8);
    EXPECT_EQ(memo.text(), QString::fromUtf8(utf8.data(), int(utf8.size())));
}

TEST(SynMemoScript, MixedBreaksSaveInTheRememberedStyle)
{
    TqdSynMemo memo(nullptr);
    const QString in = tempFile("mixed.sql"), out = tempFile("mixed-out.sql");
    ASSERT_TRUE(testfiles::writeBytes(in, "a\r\nb\nc\rd"));
    memo.Lines().LoadFromFile(in);
    EXPECT_EQ(memo.Lines().Count(), 4);
    EXPECT_EQ(memo.Lines().LineBreak(), TSynLineBreak::CRLF);
    memo.Lines().SaveToFile(out);
    EXPECT_EQ(testfiles::readBytes(out), "a\r\nb\r\nc\r\nd");
}

TEST(SynMemoScript, TextNeverLoadedUsesCrLfAndAddAppendsLines)
{
    TqdSynMemo memo(nullptr);
    EXPECT_EQ(memo.Lines().Count(), 0);
    memo.Lines().Add("select *");
    memo.Lines().Add("from t");
    EXPECT_EQ(memo.Lines().Count(), 2);
    EXPECT_EQ(memo.Lines().Strings(1), "from t");
    const QString out = tempFile("new.sql");
    memo.Lines().SaveToFile(out);
    EXPECT_EQ(testfiles::readBytes(out), "select *\r\nfrom t");

    // after an LF file, added lines take the file's style
    const QString in = tempFile("lf.sql");
    ASSERT_TRUE(testfiles::writeBytes(in, "a\n"));
    memo.Lines().Clear();
    memo.Lines().LoadFromFile(in);
    memo.Lines().Add("b");
    memo.Lines().SaveToFile(out);
    EXPECT_EQ(testfiles::readBytes(out), "a\n\nb");
    EXPECT_EQ(memo.Lines().Text(), "a\r\n\r\nb");
}

TEST(SynMemoScript, FileErrorsThrow)
{
    TqdSynMemo memo(nullptr);
    memo.Lines().SetText("keep");
    EXPECT_THROW(memo.Lines().LoadFromFile(tempFile("no-such-file.sql")), std::runtime_error);
    EXPECT_THROW(memo.Lines().SaveToFile(tempFile("no-such-folder/x.sql")), std::runtime_error);
    EXPECT_THROW(memo.Lines().Strings(5), std::out_of_range);
}

TEST(SynMemoSelection, SelectedBytesAndClipboardCommands)
{
    TqdSynMemo memo(nullptr);
    memo.Lines().SetText("select \xff\xfe from t");
    EXPECT_FALSE(memo.SelAvail());
    EXPECT_EQ(memo.SelText(), "");
    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 7UL, 9L);
    EXPECT_TRUE(memo.SelAvail());
    EXPECT_EQ(memo.SelText(), "\xff\xfe");

    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 7L);
    memo.CutToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("select "));
    EXPECT_EQ(memo.Lines().Text(), "\xff\xfe from t");
    memo.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 2UL);
    memo.PasteFromClipboard();
    EXPECT_EQ(memo.Lines().Text(), "\xff\xfeselect  from t");
    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 2L);
    memo.ClearSelection();
    EXPECT_EQ(memo.Lines().Text(), "select  from t");
    memo.ClearSelection(); // no selection: nothing is deleted
    EXPECT_EQ(memo.Lines().Text(), "select  from t");
}

TEST(SynMemoChangeEvent, RaisedForUserEditsOnly)
{
    TqdSynMemo memo(nullptr);
    int changes = 0;
    memo.OnChange = [&] { ++changes; };

    // through the line list: no event
    memo.Lines().Add("select 1");
    memo.Lines().Clear();
    memo.Lines().SetText("select a from t");
    const QString in = tempFile("event.sql");
    ASSERT_TRUE(testfiles::writeBytes(in, "select b\r\nfrom u"));
    memo.Lines().LoadFromFile(in);
    EXPECT_EQ(changes, 0);

    struct Edit {
        const char *name;
        std::function<void()> run;
    };
    const Edit edits[] = {
        {"typing", [&] { QTest::keyClicks(&memo, "x"); }},
        {"undo", [&] { memo.undo(); }},
        {"redo", [&] { memo.redo(); }},
        {"cut", [&] { memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 3L); memo.CutToClipboard(); }},
        {"paste", [&] { memo.PasteFromClipboard(); }},
        {"delete", [&] { memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 2L); memo.ClearSelection(); }},
        {"backspace key", [&] { memo.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND); QTest::keyClick(&memo, Qt::Key_Backspace); }},
    };
    for (const Edit &e : edits) {
        SCOPED_TRACE(e.name);
        const int before = changes;
        e.run();
        EXPECT_GT(changes, before);
    }
    const int before = changes;
    memo.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 2L);
    memo.CopyToClipboard();
    EXPECT_EQ(changes, before);
}

TEST(SynMemoChangeEvent, UndoDoesNotReachBackIntoALoadedFile)
{
    TqdSynMemo memo(nullptr);
    memo.Lines().SetText("old text");
    const QString in = tempFile("undo.sql");
    ASSERT_TRUE(testfiles::writeBytes(in, "new text"));
    memo.Lines().LoadFromFile(in);
    EXPECT_FALSE(memo.isUndoAvailable());
    EXPECT_EQ(memo.Lines().Text(), "new text");
}

TEST(SynMemoFind, CtrlFOpensTheBarAndFindsFromTheCaret)
{
    TqdSynMemo memo(nullptr);
    memo.resize(600, 300);
    memo.show();
    memo.Lines().SetText("select a\r\nfrom t\r\nwhere a in (select b from u)");
    QTest::keyClick(&memo, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(memo.findBar()->isVisible());
    memo.findBar()->edtFind()->setText("FROM");
    QTest::keyClick(memo.findBar()->edtFind(), Qt::Key_Return);
    EXPECT_EQ(memo.SelText(), "from");
    EXPECT_EQ(memo.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 10);
    QTest::keyClick(memo.findBar()->edtFind(), Qt::Key_Return);
    EXPECT_EQ(memo.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 39);
    QTest::keyClick(memo.findBar()->edtFind(), Qt::Key_Escape);
    EXPECT_FALSE(memo.findBar()->isVisible());
}

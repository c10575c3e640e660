// Scripts far larger than a screen: a script that is one long line, scripts of
// several MiB in each way they are written back, and the line-number margin,
// which follows the text after edits.
#include <gtest/gtest.h>

#include "memo_fixture.h"
#include "o_SynMemo.h"
#include "files.h"
#include "keys.h"
#include "testenv.h"

#include <QApplication>

namespace {

QString tempFile(const char *name)
{
    return QString::fromStdString(testenv::tempDir()) + QLatin1Char('/') + QLatin1String(name);
}

// `piece` repeated until the text holds at least `bytes` bytes.
std::string repeated(const std::string &piece, size_t bytes)
{
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes)
        text += piece;
    return text;
}

using LongLineMemo = HighlightedMemoFixture;

} // namespace

TEST_F(LongLineMemo, OpensTakesAKeyInTheMiddleAndSavesBack)
{
    // One line of statements, no break anywhere: 2 MiB.
    const std::string line =
        repeated("insert into t (id, name) values (42, 'a name, (with) \"quotes\"'); ", size_t(2) << 20);
    const QString in = tempFile("long-line.sql"), out = tempFile("long-line-out.sql");
    ASSERT_TRUE(testfiles::writeBytes(in, line));
    int changes = 0;
    memo.OnChange = [&] { ++changes; };

    memo.Lines().LoadFromFile(in);
    QApplication::processEvents(); // the first screen
    EXPECT_EQ(memo.Lines().Count(), 1);
    EXPECT_EQ(changes, 0) << "opening a script is not an edit";

    const size_t middle = line.size() / 2;
    memo.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)middle);
    testkeys::typeText(&memo, QStringLiteral("x"));
    QApplication::processEvents();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(memo.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), long(middle + 1));

    memo.Lines().SaveToFile(out);
    std::string expected = line;
    expected.insert(middle, "x");
    EXPECT_TRUE(testfiles::readBytes(out) == expected) << "the saved script differs from the edited one";
}

TEST(BigScript, SavesBackByteForByteAfterAnEditInTheMiddle)
{
    // Each way a save goes: the document written as it is (UTF-8 with its
    // own breaks), and converted (another encoding, mixed breaks made one).
    struct Case {
        const char *name;
        std::string fileLine;     // a line as the file holds it
        std::string documentLine; // the same line in the editor
        std::string savedLine;    // the same line as a save writes it
    } cases[] = {
        {"utf8-lf", "insert into t values (1, 'gr\xc3\xbc\xc3\x9f');\n", "insert into t values (1, 'gr\xc3\xbc\xc3\x9f');\n",
         "insert into t values (1, 'gr\xc3\xbc\xc3\x9f');\n"},
        {"utf8-crlf", "insert into t values (2, '\xe2\x82\xac');\r\n", "insert into t values (2, '\xe2\x82\xac');\r\n",
         "insert into t values (2, '\xe2\x82\xac');\r\n"},
        {"windows-1252-crlf", "insert into t values (3, 'caf\xe9 \x80');\r\n",
         "insert into t values (3, 'caf\xc3\xa9 \xe2\x82\xac');\r\n", "insert into t values (3, 'caf\xe9 \x80');\r\n"},
        // a lone LF among CR LF lines: saved as CR LF, the style of the file
        {"mixed-breaks", "select 1;\r\nselect 2;\n", "select 1;\r\nselect 2;\r\n", "select 1;\r\nselect 2;\r\n"},
    };
    constexpr int kLines = 60000; // about 3 MiB each
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file;
        for (int i = 0; i < kLines; ++i)
            file += c.fileLine;
        const QString in = tempFile("big-in.sql"), out = tempFile("big-out.sql");
        ASSERT_TRUE(testfiles::writeBytes(in, file));

        TqdSynMemo memo(nullptr);
        memo.Lines().LoadFromFile(in);
        ASSERT_EQ(memo.SendScintilla(QsciScintillaBase::SCI_GETLENGTH), long(c.documentLine.size() * kLines));

        // Untouched, the script saves back as it is (but for its breaks, made one).
        memo.Lines().SaveToFile(out);
        std::string saved;
        for (int i = 0; i < kLines; ++i)
            saved += c.savedLine;
        EXPECT_TRUE(testfiles::readBytes(out) == saved) << "untouched script";

        // A word at the start of the middle line.
        const int middle = kLines / 2;
        memo.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, (unsigned long)(c.documentLine.size() * middle), "-- x\r\n");
        memo.Lines().SaveToFile(out);
        const std::string brk = memo.Lines().LineBreak() == TSynLineBreak::LF ? "\n" : "\r\n";
        saved.insert(c.savedLine.size() * middle, "-- x" + brk);
        EXPECT_TRUE(testfiles::readBytes(out) == saved) << "edited script";
    }
}

TEST(BigScript, TheCopyOfTheDocumentIsWholeWhereverTheLastEditWas)
{
    TqdSynMemo memo(nullptr);
    std::string text = repeated("select 1 from t;\n", size_t(1) << 20);
    memo.Lines().SetText(text);
    for (const size_t at : {text.size() / 2, size_t(0), text.size()}) {
        SCOPED_TRACE(at);
        memo.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, (unsigned long)at, "x");
        text.insert(at, "x");
        EXPECT_TRUE(memo.copyDocumentBytes() == text);
    }
}

TEST_F(LongLineMemo, TheLineNumberMarginFollowsTypedAndRemovedLines)
{
    memo.Lines().SetText("select 1");
    QApplication::processEvents();
    const int narrow = memo.marginWidth(0);
    // Twelve thousand lines, typed: five digits need a wider margin.
    memo.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    memo.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 12000UL, std::string(12000, '\n').c_str());
    testkeys::typeText(&memo, QStringLiteral("\n"));
    QApplication::processEvents();
    const int wide = memo.marginWidth(0);
    EXPECT_GT(wide, narrow);
    // Replaced by one typed letter, the lines go and the margin narrows again.
    memo.selectAll();
    testkeys::typeText(&memo, QStringLiteral("y"));
    QApplication::processEvents();
    EXPECT_EQ(memo.Lines().Count(), 1);
    EXPECT_EQ(memo.marginWidth(0), narrow);
}

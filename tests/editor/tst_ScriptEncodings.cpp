// Scripts that are not UTF-8: opened, typed into through key events and saved,
// they keep their encoding; text that was not touched keeps its bytes; a
// save that cannot be done leaves the old file whole.
#include <gtest/gtest.h>

#include "keys.h"
#include "o_SynMemo.h"
#include "files.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

#include <sys/stat.h>

namespace {

QString tempFile(const QString &name)
{
    static const QString dir = QString::fromStdString(testenv::tempDir());
    return dir + QLatin1Char('/') + name;
}

void moveToEnd(TqdSynMemo &memo) { memo.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND); }

} // namespace

TEST(ScriptEncodings, TypedLettersAreStoredInTheScriptsEncoding)
{
    const struct {
        const char *name;
        std::string file;
        TSynEncoding encoding;
        std::string shown; // the editor's UTF-8
        QString typed;
        std::string saved;
    } cases[] = {
        {"windows-1252", "select '\x80 caf\xE9'\r\n", TSynEncoding::Windows1252,
         "select '\xE2\x82\xAC caf\xC3\xA9'\r\n", QStringLiteral("-- \u00E9\u00E0\u00FC \u20AC"),
         "select '\x80 caf\xE9'\r\n-- \xE9\xE0\xFC \x80"},
        {"latin-1", "select 'na\xEFve'\n", TSynEncoding::Latin1, "select 'na\xC3\xAFve'\n",
         QStringLiteral("-- \u00E9\u00E7"), "select 'na\xEFve'\n-- \xE9\xE7"},
        {"utf-8", "select 'caf\xC3\xA9'\n", TSynEncoding::UTF8, "select 'caf\xC3\xA9'\n", QStringLiteral("-- \u00E9"),
         "select 'caf\xC3\xA9'\n-- \xC3\xA9"},
        {"utf-16le", std::string("\xFF\xFE" "a\0\r\0\n\0", 8), TSynEncoding::UTF16LE, "a\r\n", QStringLiteral("\u00E9"),
         std::string("\xFF\xFE" "a\0\r\0\n\0\xE9\0", 10)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tempFile(QStringLiteral("typed-%1.sql").arg(QLatin1String(c.name)));
        ASSERT_TRUE(testfiles::writeBytes(path, c.file));
        TqdSynMemo memo(nullptr);
        memo.Lines().LoadFromFile(path);
        EXPECT_EQ(memo.Lines().Encoding(), c.encoding);
        EXPECT_EQ(std::string(memo.documentBytes()), c.shown);
        moveToEnd(memo);
        testkeys::typeText(&memo, c.typed);
        memo.Lines().SaveToFile(path);
        EXPECT_EQ(testfiles::readBytes(path), c.saved);
    }
}

TEST(ScriptEncodings, UntouchedScriptsSaveBackByteForByte)
{
    const struct {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"windows-1252 with every high byte", [] {
             std::string s = "select\r\n";
             for (int i = 0x80; i < 0x100; ++i)
                 s.push_back(char(i));
             return s + "\r\n";
         }()},
        {"latin-1 with lf", "select '\xE9t\xE9'\nfrom t\n"},
        {"utf-16le crlf", std::string("\xFF\xFE" "s\0\r\0\n\0\xE9\0\r\0\n\0", 14)},
        {"utf-16be cr", std::string("\xFE\xFF\0s\0\r\0\xE9\0\r", 10)},
        {"invalid utf-8 in a mostly utf-8 file", "caf\xC3\xA9 and caf\xE9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString in = tempFile(QStringLiteral("untouched-in.sql"));
        const QString out = tempFile(QStringLiteral("untouched-out.sql"));
        ASSERT_TRUE(testfiles::writeBytes(in, c.bytes));
        TqdSynMemo memo(nullptr);
        memo.Lines().LoadFromFile(in);
        memo.Lines().SaveToFile(out);
        EXPECT_EQ(testfiles::readBytes(out), c.bytes);
    }
}

TEST(ScriptEncodings, DamagedUtf16OpensWithItsBytesKept)
{
    // A UTF-16 mark followed by what is no UTF-16 (cut short, or an unpaired
    // surrogate): the script opens in an 8-bit mode and saves back unchanged.
    for (const std::string &bytes : {std::string("\xFF\xFE" "a\0b", 5), std::string("\xFF\xFE\x3D\xD8" "a\0", 6),
                                     std::string("\xFE\xFF\xDC\x00", 4)}) {
        const QString path = tempFile(QStringLiteral("damaged-utf16.sql"));
        ASSERT_TRUE(testfiles::writeBytes(path, bytes));
        TqdSynMemo memo(nullptr);
        memo.Lines().LoadFromFile(path);
        EXPECT_NE(memo.Lines().Encoding(), TSynEncoding::UTF16LE);
        EXPECT_NE(memo.Lines().Encoding(), TSynEncoding::UTF16BE);
        memo.Lines().SaveToFile(path);
        EXPECT_EQ(testfiles::readBytes(path), bytes);
    }
}

TEST(ScriptEncodings, FailedSaveLeavesTheOldFileWhole)
{
    // A Latin-1 script cannot hold the euro sign: the save fails before the
    // old file is touched.
    const QString path = tempFile(QStringLiteral("keep-old.sql"));
    const std::string old = "select 'caf\xE9'\n";
    ASSERT_TRUE(testfiles::writeBytes(path, old));
    TqdSynMemo memo(nullptr);
    memo.Lines().LoadFromFile(path);
    moveToEnd(memo);
    testkeys::typeText(&memo, QStringLiteral("\u20AC"));
    try {
        memo.Lines().SaveToFile(path);
        FAIL() << "saved";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("cannot hold the character"), std::string::npos) << e.what();
    }
    EXPECT_EQ(testfiles::readBytes(path), old);

    // A target that cannot be replaced (a folder stands in its place).
    const QString blocked = tempFile(QStringLiteral("blocked.sql"));
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    memo.Lines().SetText("select 1");
    EXPECT_THROW(memo.Lines().SaveToFile(blocked), std::runtime_error);
    EXPECT_TRUE(QFileInfo(blocked + QStringLiteral("/inside")).isDir());
    EXPECT_TRUE(QDir(tempFile(QString())).entryList({QStringLiteral("blocked.sql.*")}).isEmpty());
}

TEST(ScriptEncodings, SavingReplacesTheFileButKeepsItsLinkAndMode)
{
    // The new text is written beside the file and moved into its place; a
    // script reached through a symbolic link is still reached through it, and
    // keeps its permissions.
    const QString target = tempFile(QStringLiteral("linked-target.sql"));
    const QString link = tempFile(QStringLiteral("linked.sql"));
    ASSERT_TRUE(testfiles::writeBytes(target, "select 1"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link(target, link));
    TqdSynMemo memo(nullptr);
    memo.Lines().LoadFromFile(link);
    moveToEnd(memo);
    testkeys::typeText(&memo, QStringLiteral(" + 1"));
    memo.Lines().SaveToFile(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testfiles::readBytes(target), "select 1 + 1");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

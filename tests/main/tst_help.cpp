// Where "Tabulon Help" finds its pages: a help file beside the program first,
// then the manual of the build folder, then that of the installed layout.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "o_Help.h"

namespace {

void touch(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(HelpFile, FirstExistingCandidateWins)
{
    struct Case {
        const char *name;
        QStringList present;   // files under the temporary root
        QStringList folders;   // folders under the root (never a help file)
        const char *expected;  // relative to the root; "" when nothing is found
    };
    // The program folder is <root>/bin, as in an installed layout.
    const Case cases[] = {
        {"nothing", {}, {}, ""},
        {"help file beside the program", {"bin/Tabulon.chm", "bin/share/doc/tabulon/index.html", "share/doc/tabulon/index.html"}, {}, "bin/Tabulon.chm"},
        {"build folder's manual", {"bin/share/doc/tabulon/index.html", "share/doc/tabulon/index.html"}, {}, "bin/share/doc/tabulon/index.html"},
        {"installed manual", {"share/doc/tabulon/index.html"}, {}, "share/doc/tabulon/index.html"},
        {"a folder named like the help file", {"share/doc/tabulon/index.html"}, {"bin/Tabulon.chm"}, "share/doc/tabulon/index.html"},
        {"a manual folder without its first page", {"share/doc/tabulon/style.css"}, {"bin/share/doc/tabulon"}, ""},
    };
    for (const Case &c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("bin")));
        for (const QString &f : c.present)
            touch(root.filePath(f));
        for (const QString &d : c.folders)
            ASSERT_TRUE(QDir(root.path()).mkpath(d));
        const QString found = help::findHelpFile(root.filePath(QStringLiteral("bin")));
        const QString expected = *c.expected ? QDir::cleanPath(root.filePath(QString::fromLatin1(c.expected))) : QString();
        EXPECT_EQ(found, expected) << c.name;
    }
}

TEST(HelpFile, TheBuildFolderHasTheManual)
{
    const QString found = help::findHelpFile(QStringLiteral(TABULON_BINARY_DIR));
    ASSERT_FALSE(found.isEmpty()) << "no manual beside the program in the build folder";
    QFile page(found);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("<title>Tabulon manual</title>"));
    // Every page the contents link to is there too.
    for (const char *name : {"connecting.html", "tree.html", "tabs.html", "running.html", "grid.html",
                             "metadata.html", "journal.html", "shortcuts.html", "style.css"}) {
        EXPECT_TRUE(html.contains(name)) << name;
        EXPECT_TRUE(QFileInfo(QFileInfo(found).dir().filePath(QString::fromLatin1(name))).isFile()) << name;
    }
}

} // namespace

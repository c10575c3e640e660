// Scripts named on the command line: a tab each, without a connection, and
// the connect dialog when such a tab first runs.
#include "main_fixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QToolButton>

using namespace mainfixture;

namespace {

class ScriptFilesTest : public MainWindowTest {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = QDir(QString::fromStdString(testenv::tempDir())).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
};

TEST_F(ScriptFilesTest, EachFileOpensInATabOfItsOwnWithItsBytes)
{
    // CRLF line breaks and Latin-1 bytes must come back unchanged.
    const QByteArray latin = "select 'caf\xe9'\r\nfrom t;\r\n";
    const QByteArray utf8 = "-- \xc3\xa9t\xc3\xa9\nselect 1\n";
    const QString first = write(QStringLiteral("first report.sql"), latin);
    const QString second = write(QStringLiteral("second.txt"), utf8);

    w->OpenScriptFiles({first, second});

    ASSERT_EQ(w->SQLPageControl->PageCount(), 2);
    const struct {
        QString caption;
        QByteArray bytes;
    } expected[] = {{QStringLiteral("first report.sql"), latin}, {QStringLiteral("second.txt"), utf8}};
    for (int i = 0; i < 2; ++i) {
        TqdSQLTab *tab = w->SQLPageControl->SQLTab(i);
        EXPECT_EQ(tab->Caption(), expected[i].caption);
        EXPECT_EQ(QByteArray::fromStdString(tab->SynMemo->Lines().FileBytes()), expected[i].bytes) << i;
        EXPECT_TRUE(tab->Saved) << i;
        EXPECT_EQ(tab->ServerConnection->DBEngine, seNone) << i;
    }
    EXPECT_EQ(w->SQLPageControl->ActivePageIndex(), 1);
    EXPECT_TRUE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_TRUE(w->toolbtnRunSQL->isEnabled());
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_TRUE(w->lblConnectionInfo->text().isEmpty());
    EXPECT_EQ(connectDialogs, 0);
    EXPECT_TRUE(messages.empty());

    // Unchanged files close without a question.
    w->mnuCloseallTabs->trigger();
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ScriptFilesTest, AFileThatCannotBeReadOpensNoTabAndIsReported)
{
    const QString good = write(QStringLiteral("good.sql"), "select 1\n");
    const QString missing = QDir(QString::fromStdString(testenv::tempDir())).filePath(QStringLiteral("missing.sql"));
    const QString folder = QString::fromStdString(testenv::tempDir());

    w->OpenScriptFiles({missing, good, folder});

    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(w->SQLPageControl->SQLTab(0)->Caption(), QStringLiteral("good.sql"));
    EXPECT_EQ(w->SQLPageControl->ActivePageIndex(), 0);
    ASSERT_EQ(errorBoxes().size(), 2u);
    EXPECT_TRUE(errorBoxes()[0].text.contains(QStringLiteral("missing.sql"))) << errorBoxes()[0].text.toStdString();
    EXPECT_TRUE(errorBoxes()[1].text.contains(folder)) << errorBoxes()[1].text.toStdString();
}

TEST_F(ScriptFilesTest, NothingReadableLeavesTheWindowAsAtStart)
{
    w->OpenScriptFiles({QStringLiteral("/nonexistent/tabulon/none.sql")});
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_FALSE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_FALSE(w->toolbtnRunSQL->isEnabled());
    EXPECT_EQ(errorBoxes().size(), 1u);
}

TEST_F(ScriptFilesTest, RunningAFileTabAsksForAConnectionOnce)
{
    w->OpenScriptFiles({write(QStringLiteral("count.sql"), "SELECT id FROM Table1")});
    TqdSQLTab *tab = w->SQLPageControl->ActiveSQLTab();
    ASSERT_NE(tab, nullptr);

    // Cancelling the dialog runs nothing and leaves the tab as it was.
    w->mnuRunSQL->trigger();
    EXPECT_EQ(connectDialogs, 1);
    EXPECT_EQ(tab->ServerConnection->DBEngine, seNone);
    EXPECT_TRUE(w->StatusText().isEmpty());
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_TRUE(messages.empty());

    // Connecting runs the script on the new server; the tab keeps the connection.
    nextServer = [](TqdServerConnection &c) { accessSettings(c); };
    w->mnuRunSQL->trigger();
    EXPECT_EQ(connectDialogs, 2);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1);
    EXPECT_EQ(tab->ServerConnection->DBEngine, seMSAccess);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 4 Records fetched"));
    EXPECT_EQ(w->lblConnectionInfo->text(), TqdSQLPageControl::fileNamePart(accessFile()));
    EXPECT_EQ(tab->Caption(), QStringLiteral("count.sql"));

    nextServer = nullptr;
    w->mnuRunSQL->trigger();
    EXPECT_EQ(connectDialogs, 2);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 4 Records fetched"));
    EXPECT_TRUE(errorBoxes().empty());
}

} // namespace

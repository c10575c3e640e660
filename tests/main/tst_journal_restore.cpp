// Tabs reopened from the journal in the main window: the status line counts
// them, and their first run connects, asking for the password through the
// connect dialog filled with the rest of the tab's settings.
#include "main_fixture.h"

#include "o_JournalFiles.h"
#include "o_TabJournal.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>

using namespace mainfixture;

namespace {

class JournalRestoreTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        qunsetenv("PGPASSWORD");
        static int counter = 0;
        state = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/restore%1/tabulon").arg(++counter);
    }
    void TearDown() override
    {
        journal.reset();
        MainWindowTest::TearDown();
    }

    // Records of an instance that has ended, then the journal of this window.
    void restore(const std::vector<TJournalRecord> &records)
    {
        const QString old = state + QStringLiteral("/journal/99-1");
        ASSERT_TRUE(QDir().mkpath(old));
        uint64_t n = 0;
        for (const TJournalRecord &r : records) {
            QFile f(old + QLatin1Char('/') + journalFileName(++n));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(journalRecordBytes(r));
        }
        journal = std::make_unique<TqdTabJournal>(w->SQLPageControl, state);
        w->AttachJournal(journal.get());
    }

    static TJournalRecord pgRecord(const std::string &text)
    {
        TJournalRecord r;
        r.caption = QStringLiteral(" pg (tabulon) Query1*");
        r.engine = sePostGre;
        r.server = testenv::pgSocket();
        r.user = testenv::pgUser();
        r.port = testenv::pgPort();
        r.database = testenv::pgDatabase();
        r.text = text;
        r.cursor = 0;
        return r;
    }

    QString state;
    std::unique_ptr<TqdTabJournal> journal;
};

} // namespace

TEST_F(JournalRestoreTest, FirstRunAsksForThePasswordWithTheRestFilledIn)
{
    REQUIRE_PG();
    restore({pgRecord("select 41 + 1 as answer")});
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_TRUE(w->StatusText().contains(QStringLiteral("1 tab restored from the journal"))) << w->StatusText().toStdString();
    EXPECT_TRUE(w->toolbtnRunSQL->isEnabled());
    EXPECT_TRUE(w->toolbtnCloseActiveTab->isEnabled());
    TqdSQLTab *tab = w->SQLPageControl->SQLTab(0);
    EXPECT_FALSE(tab->ServerConnection->Connected()) << "connections are not opened at start-up";

    struct Shown {
        TqdServerEngine engine;
        QString server, user, password, port, database;
    };
    std::vector<Shown> shown;
    bool answer = false;
    w->ConnectDialogRunner = [&](TFrmConnect &dialog) {
        shown.push_back({engineAtPosition(dialog.cmbServerEngine->currentIndex()), dialog.cmbServerName->currentText(),
                         dialog.cmbUserName->currentText(), dialog.cmbPassword->text(), dialog.edtPortNumber->text(),
                         dialog.edtDataBaseName->text()});
        if (!answer)
            return false;
        dialog.cmbPassword->setText(QString::fromStdString(testenv::pgPassword()));
        dialog.btnConnectClick();
        return dialog.result() == QDialog::Accepted;
    };

    // Cancelled: nothing runs, the tab stays as it was.
    const QString statusBefore = w->StatusText();
    w->mnuRunSQL->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].engine, sePostGre);
    EXPECT_EQ(shown[0].server.toStdString(), testenv::pgSocket());
    EXPECT_EQ(shown[0].user.toStdString(), testenv::pgUser());
    EXPECT_EQ(shown[0].password, QString());
    EXPECT_EQ(shown[0].port, QString::number(testenv::pgPort()));
    EXPECT_EQ(shown[0].database.toStdString(), testenv::pgDatabase());
    EXPECT_EQ(w->StatusText(), statusBefore);
    EXPECT_FALSE(tab->ServerConnection->Connected());

    // Answered: the tab connects and runs; the next run asks nothing.
    answer = true;
    w->mnuRunSQL->trigger();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 1 Records fetched"));
    EXPECT_TRUE(tab->ServerConnection->Connected());
    w->mnuRunSQL->trigger();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(JournalRestoreTest, AnEngineWithoutPasswordConnectsWithoutAsking)
{
    TJournalRecord r;
    r.caption = QStringLiteral("access Query1*");
    r.engine = seMSAccess;
    r.server = accessFile();
    r.text = "select * from Table2";
    restore({r});
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    w->SQLPageControl->SetActivePageIndex(0);
    w->mnuRunSQL->trigger();
    EXPECT_EQ(connectDialogs, 0);
    EXPECT_TRUE(w->SQLPageControl->SQLTab(0)->ServerConnection->Connected());
    EXPECT_TRUE(w->StatusText().startsWith(QStringLiteral("Info  : "))) << w->StatusText().toStdString();
}

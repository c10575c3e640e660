// The journal of open tabs, in one process: the record format, what is
// written and when, closed tabs, restore of an ended instance's tabs, damaged
// records, failures that never stop the program.
#include <gtest/gtest.h>

#include "keys.h"
#include "o_JournalFiles.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_TabJournal.h"
#include "files.h"
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

namespace {

unsigned modeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

TJournalRecord sampleRecord()
{
    TJournalRecord r;
    r.caption = QStringLiteral(" db\u00E9 (u) Query1*");
    r.fileName = QStringLiteral("/tmp/with space/x.sql");
    r.saved = false;
    r.encoding = "Windows-1252";
    r.lineBreak = "lf";
    r.cursor = 5;
    r.engine = 8;
    r.server = "/run/pg: socket";
    r.user = "u%1";
    r.port = 5432;
    r.database = "shop";
    r.text = std::string("select\n\n\0x \xE2\x82\xAC\r\n\n\n", 17);
    return r;
}

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        state = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/state%1/tabulon").arg(++counter);
        tabs = std::make_unique<TqdSQLPageControl>();
    }
    void TearDown() override
    {
        journal.reset();
        tabs.reset();
    }

    TqdTabJournal &startJournal()
    {
        journal = std::make_unique<TqdTabJournal>(tabs.get(), state);
        spy = std::make_unique<QSignalSpy>(journal.get(), &TqdTabJournal::report);
        EXPECT_TRUE(journal->Start());
        return *journal;
    }

    TqdSQLTab *addTab(const QString &caption)
    {
        TqdSQLTab *tab = tabs->AddSQLTab();
        tab->ServerConnection->DBEngine = sePostGre;
        tab->ServerConnection->ServerName = "pghost";
        tab->ServerConnection->UserName = "alice";
        tab->ServerConnection->Password = "s3cret-pw";
        tab->ServerConnection->Port = 5433;
        tab->ServerConnection->DataBaseName = "shop";
        tab->SetCaption(caption);
        return tab;
    }

    QStringList records(const QString &folder) const
    {
        return QDir(folder).entryList({QStringLiteral("tab-*.journal")}, QDir::Files, QDir::Name);
    }

    // An instance folder whose owner has ended: no lock beside it.
    QString orphanFolder(const QString &name)
    {
        const QString folder = state + QStringLiteral("/journal/") + name;
        EXPECT_TRUE(QDir().mkpath(folder));
        return folder;
    }

    QString reports() const
    {
        QStringList all;
        for (const QList<QVariant> &args : *spy)
            all << args.at(0).toString();
        return all.join(QLatin1Char('\n'));
    }

    QString state;
    std::unique_ptr<TqdSQLPageControl> tabs;
    std::unique_ptr<TqdTabJournal> journal;
    std::unique_ptr<QSignalSpy> spy;
};

} // namespace

TEST(JournalRecord, ReadsBackWhatWasWritten)
{
    const TJournalRecord r = sampleRecord();
    TJournalRecord back;
    QString reason;
    ASSERT_TRUE(readJournalRecord(journalRecordBytes(r), back, reason)) << reason.toStdString();
    EXPECT_EQ(back.caption, r.caption);
    EXPECT_EQ(back.fileName, r.fileName);
    EXPECT_EQ(back.saved, r.saved);
    EXPECT_EQ(back.encoding, r.encoding);
    EXPECT_EQ(back.lineBreak, r.lineBreak);
    EXPECT_EQ(back.cursor, r.cursor);
    EXPECT_EQ(back.engine, r.engine);
    EXPECT_EQ(back.server, r.server);
    EXPECT_EQ(back.user, r.user);
    EXPECT_EQ(back.port, r.port);
    EXPECT_EQ(back.database, r.database);
    EXPECT_EQ(back.text, r.text);
}

TEST(JournalRecord, DamagedRecordsAreRejected)
{
    const QByteArray good = journalRecordBytes(sampleRecord());
    const qsizetype textStart = good.indexOf("\n\n") + 2;
    QByteArray flipped = good;
    flipped[textStart + 3] = 'X';
    QByteArray noField = good;
    noField.replace("port: 5432\n", "");
    QByteArray badNumber = good;
    badNumber.replace("cursor: 5\n", "cursor: five\n");
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"other file", QByteArray("select 1\n\nfrom t")},
        {"cut in the header", good.left(40)},
        {"cut in the text", good.left(good.size() - 2)},
        {"bytes added", good + "x"},
        {"a byte of the text changed", flipped},
        {"a field missing", noField},
        {"a number damaged", badNumber},
        {"zeros", QByteArray(good.size(), '\0')},
    };
    for (const auto &c : cases) {
        TJournalRecord r;
        QString reason;
        EXPECT_FALSE(readJournalRecord(c.bytes, r, reason)) << c.name;
        EXPECT_FALSE(reason.isEmpty()) << c.name;
    }
}

TEST_F(JournalTest, EditsAreWrittenWithinASecondAndClosedTabsLeave)
{
    startJournal();
    TqdSQLTab *first = addTab(QStringLiteral("pghost Query1*"));
    TqdSQLTab *second = addTab(QStringLiteral("pghost Query2*"));
    const QString folder = journal->InstanceFolder();
    testkeys::typeText(first->SynMemo, QStringLiteral("select 1\nfrom t"));
    testkeys::typeText(second->SynMemo, QStringLiteral("select '\u00E9'"));

    const auto written = [&](TqdSQLTab *tab, const QString &name) {
        TJournalRecord r;
        QString reason;
        QFile f(folder + QLatin1Char('/') + name);
        return f.open(QIODevice::ReadOnly) && readJournalRecord(f.readAll(), r, reason) &&
               r.text == std::string(tab->SynMemo->documentBytes());
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return written(first, journalFileName(1)) && written(second, journalFileName(2)); },
                                3000))
        << "an edit reaches the journal within about a second";

    const std::string bytes = testfiles::readBytes(folder + QLatin1Char('/') + journalFileName(1));
    TJournalRecord r;
    QString reason;
    ASSERT_TRUE(readJournalRecord(QByteArray::fromStdString(bytes), r, reason));
    EXPECT_EQ(r.text, "select 1\r\nfrom t");
    EXPECT_EQ(r.caption, QStringLiteral("pghost Query1*"));
    EXPECT_EQ(r.engine, int(sePostGre));
    EXPECT_EQ(r.server, "pghost");
    EXPECT_EQ(r.user, "alice");
    EXPECT_EQ(r.port, 5433);
    EXPECT_EQ(r.database, "shop");
    EXPECT_EQ(r.cursor, int64_t(r.text.size()));
    EXPECT_EQ(bytes.find("s3cret-pw"), std::string::npos) << "the password is never written";
    EXPECT_EQ(modeOf(folder + QLatin1Char('/') + journalFileName(1)), 0600u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(folder + QStringLiteral(".lock")), 0600u);
    EXPECT_EQ(modeOf(state), 0700u);

    // Closing a tab takes its record away; the other stays.
    tabs->RemoveSQLTab(0);
    journal->Flush();
    EXPECT_EQ(records(folder), QStringList{journalFileName(2)});
    tabs->RemoveSQLTab(0);
    journal->Flush();
    EXPECT_TRUE(records(folder).isEmpty());

    // A normal end with every tab closed leaves nothing behind.
    journal.reset();
    EXPECT_TRUE(QDir(state + QStringLiteral("/journal")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(JournalTest, AnIdleTabIsNotWrittenAgain)
{
    startJournal();
    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    testkeys::typeText(tab->SynMemo, QStringLiteral("select 1"));
    const QString path = journal->InstanceFolder() + QLatin1Char('/') + journalFileName(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(path); }, 3000));
    QTest::qWait(TqdTabJournal::kCoalesceMs + 200);
    struct stat before {};
    ::stat(QFile::encodeName(path).constData(), &before);
    QTest::qWait(3 * TqdTabJournal::kCoalesceMs);
    struct stat after {};
    ::stat(QFile::encodeName(path).constData(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an idle tab was rewritten";
}

TEST_F(JournalTest, RestoresTheTabsOfAnEndedInstance)
{
    const QString scripts = QString::fromStdString(testenv::tempDir());
    const QString kept = scripts + QStringLiteral("/kept.sql");
    ASSERT_TRUE(testfiles::writeBytes(kept, "select 1\nfrom t"));
    const QString gone = scripts + QStringLiteral("/deleted-since.sql");

    const QString old = orphanFolder(QStringLiteral("4242-1"));
    TJournalRecord unsaved = sampleRecord();
    TJournalRecord saved;
    saved.caption = QStringLiteral("pghost [kept.sql]");
    saved.fileName = kept;
    saved.saved = true;
    saved.lineBreak = "lf";
    saved.text = "select 1\nfrom t";
    saved.engine = sePostGre;
    TJournalRecord deleted = saved;
    deleted.caption = QStringLiteral("pghost [deleted-since.sql]");
    deleted.fileName = gone;
    ASSERT_TRUE(testfiles::writeBytes(old + QStringLiteral("/tab-000007.journal"), journalRecordBytes(unsaved).toStdString()));
    ASSERT_TRUE(testfiles::writeBytes(old + QStringLiteral("/tab-000009.journal"), journalRecordBytes(saved).toStdString()));
    ASSERT_TRUE(testfiles::writeBytes(old + QStringLiteral("/tab-000012.journal"), journalRecordBytes(deleted).toStdString()));
    ASSERT_TRUE(testfiles::writeBytes(old + QStringLiteral("/tab-000010.journal"), journalRecordBytes(saved).left(50).toStdString()));
    ASSERT_TRUE(testfiles::writeBytes(old + QStringLiteral("/tab-000013.journal.tmp"), "half a write"));

    startJournal();
    EXPECT_EQ(journal->Restore(), 3);
    ASSERT_EQ(tabs->PageCount(), 3);

    TqdSQLTab *a = tabs->SQLTab(0);
    EXPECT_EQ(std::string(a->SynMemo->documentBytes()), unsaved.text);
    EXPECT_EQ(a->SynMemo->Lines().Encoding(), TSynEncoding::Windows1252);
    EXPECT_EQ(a->SynMemo->Lines().LineBreak(), TSynLineBreak::LF);
    EXPECT_EQ(a->SynMemo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 5);
    EXPECT_EQ(a->Caption(), unsaved.caption);
    EXPECT_FALSE(a->Saved);
    EXPECT_EQ(a->FileName, unsaved.fileName);
    EXPECT_EQ(a->ServerConnection->DBEngine, sePostGre);
    EXPECT_EQ(a->ServerConnection->ServerName, unsaved.server);
    EXPECT_EQ(a->ServerConnection->UserName, unsaved.user);
    EXPECT_EQ(a->ServerConnection->Port, 5432);
    EXPECT_EQ(a->ServerConnection->DataBaseName, "shop");
    EXPECT_EQ(a->ServerConnection->Password, "");
    EXPECT_FALSE(a->ServerConnection->Connected());
    EXPECT_EQ(tabs->tabText(0), unsaved.caption);

    // A script that still holds the text keeps the tab saved.
    TqdSQLTab *b = tabs->SQLTab(1);
    EXPECT_TRUE(b->Saved);
    EXPECT_EQ(b->Caption(), saved.caption);
    // A script deleted since: the text is only in the tab, so it is unsaved.
    TqdSQLTab *c = tabs->SQLTab(2);
    EXPECT_EQ(std::string(c->SynMemo->documentBytes()), deleted.text);
    EXPECT_FALSE(c->Saved);
    EXPECT_EQ(c->Caption(), deleted.caption + QLatin1Char('*'));

    // The records moved into this instance's folder, the old folder is gone,
    // the damaged one was set aside and reported.
    journal->Flush();
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(records(journal->InstanceFolder()).size(), 3);
    const QStringList aside = QDir(journal->DamagedFolder()).entryList(QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(testfiles::readBytes(journal->DamagedFolder() + QLatin1Char('/') + aside.at(0)), journalRecordBytes(saved).left(50).toStdString());
    const QString report = reports();
    EXPECT_TRUE(report.contains(QStringLiteral("3 tabs restored from the journal"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Damaged journal file set aside"))) << report.toStdString();
    EXPECT_TRUE(report.contains(aside.at(0))) << report.toStdString();

    // Closing restored tabs takes their records away like any other.
    while (tabs->PageCount() > 0)
        tabs->RemoveSQLTab(0);
    journal->Flush();
    EXPECT_TRUE(records(journal->InstanceFolder()).isEmpty());
}

TEST_F(JournalTest, TabsLeftOpenAtTheEndComeBackAndLiveInstancesAreLeftAlone)
{
    startJournal();
    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    testkeys::typeText(tab->SynMemo, QStringLiteral("select 'left open'"));
    const std::string text(tab->SynMemo->documentBytes());

    // A second instance on the same state folder while the first runs.
    TqdSQLPageControl otherTabs;
    TqdTabJournal other(&otherTabs, state);
    ASSERT_TRUE(other.Start());
    EXPECT_EQ(other.Restore(), 0);
    EXPECT_EQ(otherTabs.PageCount(), 0);
    EXPECT_NE(other.InstanceFolder(), journal->InstanceFolder());

    // The first ends without its tab being closed (the tab set outlives it,
    // as at a logout): the pending edit is written and the tab comes back.
    journal.reset();
    TqdSQLPageControl laterTabs;
    TqdTabJournal later(&laterTabs, state);
    ASSERT_TRUE(later.Start());
    EXPECT_EQ(later.Restore(), 1);
    ASSERT_EQ(laterTabs.PageCount(), 1);
    EXPECT_EQ(std::string(laterTabs.SQLTab(0)->SynMemo->documentBytes()), text);
}

TEST_F(JournalTest, AnUnwritableStateFolderIsReportedAndNothingStops)
{
    // A file where the state folder should be: no folder can be made there.
    const QString blocker = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/not-a-folder");
    ASSERT_TRUE(testfiles::writeBytes(blocker, "x"));
    state = blocker + QStringLiteral("/tabulon");
    journal = std::make_unique<TqdTabJournal>(tabs.get(), state);
    spy = std::make_unique<QSignalSpy>(journal.get(), &TqdTabJournal::report);
    EXPECT_FALSE(journal->Start());
    EXPECT_EQ(journal->Restore(), 0);
    ASSERT_EQ(spy->size(), 1);
    EXPECT_TRUE(reports().contains(QStringLiteral("cannot be written"))) << reports().toStdString();

    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    testkeys::typeText(tab->SynMemo, QStringLiteral("select 1"));
    QTest::qWait(TqdTabJournal::kCoalesceMs + 200);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "select 1");
    EXPECT_EQ(spy->size(), 1);
}

TEST_F(JournalTest, AFailingWriteIsReportedOnce)
{
    startJournal();
    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    // The folder goes and a file takes its place: every write fails from now on.
    const QString folder = journal->InstanceFolder();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(testfiles::writeBytes(folder, "in the way"));
    for (int round = 0; round < 3; ++round) {
        testkeys::typeText(tab->SynMemo, QStringLiteral("x"));
        journal->Flush();
        QTest::qWait(50);
    }
    ASSERT_EQ(spy->size(), 1) << reports().toStdString();
    EXPECT_TRUE(reports().contains(folder)) << reports().toStdString();
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "xxx");
    QFile::remove(folder);
}

TEST_F(JournalTest, LargeTabWriteTime)
{
    // Not a limit, a figure: the time a 20 MiB tab's record takes to be
    // snapshotted and written, and to be read back.
    startJournal();
    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    std::string big;
    const std::string line = "insert into t values (1, 'some text of a typical script line');\r\n";
    while (big.size() < 20u << 20)
        big += line;
    tab->SynMemo->Lines().SetText(big);
    journal->Flush();
    QElapsedTimer clock;
    clock.start();
    testkeys::typeText(tab->SynMemo, QStringLiteral("x"));
    journal->Flush();
    const qint64 writeMs = clock.elapsed();
    clock.restart();
    QFile f(journal->InstanceFolder() + QLatin1Char('/') + journalFileName(1));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    TJournalRecord r;
    QString reason;
    ASSERT_TRUE(readJournalRecord(f.readAll(), r, reason));
    const qint64 readMs = clock.elapsed();
    EXPECT_EQ(r.text.size(), big.size() + 1);

    // The window thread's share of a write: the copy of the editor's bytes
    // (after an edit near the start, the worst place for the editor's gap).
    testkeys::typeText(tab->SynMemo, QStringLiteral("y"));
    clock.restart();
    const std::string copy(tab->SynMemo->documentBytes());
    const qint64 copyMs = clock.elapsed();
    EXPECT_EQ(copy.size(), big.size() + 2);
    RecordProperty("write_ms", int(writeMs));
    std::printf("journal of a %zu MiB tab: written in %lld ms (of which %lld ms on the window thread), "
                "read back in %lld ms\n",
                big.size() >> 20, (long long)writeMs, (long long)copyMs, (long long)readMs);
}

TEST_F(JournalTest, ALargeTabEditedInTheMiddleIsWrittenWholeAndComesBack)
{
    // A few MiB, the last edit in the middle of the text (where the editor
    // keeps its gap, which the journal's copy reads around).
    startJournal();
    TqdSQLTab *tab = addTab(QStringLiteral("Query1*"));
    std::string big;
    while (big.size() < 3u << 20)
        big += "insert into t values (1, 'gr\xc3\xbc\xc3\x9f');\r\n";
    tab->SynMemo->Lines().SetText(big);
    const size_t middle = big.size() / 2;
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)middle);
    testkeys::typeText(tab->SynMemo, QStringLiteral("x"));
    big.insert(middle, "x");
    journal->Flush();

    // The instance ends without closing the tab; the next one brings it back.
    journal.reset();
    TqdSQLPageControl laterTabs;
    TqdTabJournal later(&laterTabs, state);
    ASSERT_TRUE(later.Start());
    EXPECT_EQ(later.Restore(), 1);
    ASSERT_EQ(laterTabs.PageCount(), 1);
    TqdSynMemo *restored = laterTabs.SQLTab(0)->SynMemo;
    EXPECT_TRUE(std::string(restored->documentBytes()) == big) << "the restored text differs";
    EXPECT_EQ(restored->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), long(middle + 1));
}

TEST_F(JournalTest, ADamagedRecordThatCannotBeSetAsideIsLeftWhereItIs)
{
    const QString old = orphanFolder(QStringLiteral("77-1"));
    const QString damaged = old + QStringLiteral("/tab-000001.journal");
    ASSERT_TRUE(testfiles::writeBytes(damaged, "TABULON TAB JOURNAL 1\ncaption: x\n"));
    ASSERT_TRUE(testfiles::writeBytes(state + QStringLiteral("/damaged"), "a file where the folder goes"));
    startJournal();
    EXPECT_EQ(journal->Restore(), 0);
    EXPECT_EQ(testfiles::readBytes(damaged), "TABULON TAB JOURNAL 1\ncaption: x\n");
    EXPECT_TRUE(reports().contains(QStringLiteral("Damaged journal file left behind: ") + damaged))
        << reports().toStdString();
}

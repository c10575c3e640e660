// The journal with the tabulon executable itself: typed into through its
// editor (key events from the test driver plugin), killed with SIGKILL and
// started again on the same state folder.
#include <gtest/gtest.h>

#include "o_JournalFiles.h"
#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <memory>

namespace {

struct TabDump {
    QString caption;
    std::string text;
};

QString pct(const std::string &s) { return QString::fromLatin1(QByteArray::fromStdString(s).toPercentEncoding()); }
QString pct(const QString &s) { return QString::fromLatin1(s.toUtf8().toPercentEncoding()); }

// The tabulon executable under the test driver, on a state folder of the test's choosing.
class Program {
public:
    explicit Program(const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(TABULON_BINARY_DIR "/tests/plugins"));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("tabulondriver"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral(TABULON_BINARY_DIR "/tabulon"), {});
        m_started = m_process.waitForStarted(10000);
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    bool started() const { return m_started; }

    // One command; its reply ("ok ..." or "error ...").
    QByteArray send(const QString &command, int timeoutMs = 30000)
    {
        m_process.write(command.toUtf8() + '\n');
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (!m_process.canReadLine() && !m_process.waitForReadyRead(200)) {
                if (m_process.state() == QProcess::NotRunning)
                    return "error the program ended: " + m_process.readAllStandardError();
                continue;
            }
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().trimmed();
                if (line.startsWith("ok") || line.startsWith("error"))
                    return line;
            }
        }
        return "error no reply to " + command.toUtf8();
    }
    void ok(const QString &command, int timeoutMs = 30000)
    {
        const QByteArray reply = send(command, timeoutMs);
        EXPECT_TRUE(reply.startsWith("ok")) << command.toStdString() << ": " << reply.toStdString();
    }

    std::vector<TabDump> dump(const QString &file)
    {
        ok(QStringLiteral("dump ") + pct(file));
        std::vector<TabDump> tabs;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return tabs;
        const int count = f.readLine().trimmed().mid(5).toInt();
        for (int i = 0; i < count; ++i) {
            TabDump t;
            t.caption = QString::fromUtf8(f.readLine().chopped(1));
            const qint64 size = f.readLine().trimmed().toLongLong();
            t.text = f.read(size).toStdString();
            f.read(1);
            tabs.push_back(t);
        }
        return tabs;
    }

    // Once `count` tabs are open (after a restore, say), what they hold.
    std::vector<TabDump> dumpWhenOpen(int count, const QString &file)
    {
        ok(QStringLiteral("tabs %1").arg(count));
        return dump(file);
    }

    QString status() { return QString::fromUtf8(send(QStringLiteral("status")).mid(3)); }

    void killHard()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000); // reaped: its pid no longer holds its lock
    }
    int closeNormally()
    {
        ok(QStringLiteral("close"));
        m_process.waitForFinished(30000);
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // New Tab; the first one connects through the connect dialog.
    void openPgTab(bool firstTab, int tabsAfter)
    {
        ok(QStringLiteral("invoke mnuNewTabClick"));
        if (firstTab)
            ok(QStringList{QStringLiteral("connect 8"), pct(testenv::pgSocket()), pct(testenv::pgUser()),
                           pct(testenv::pgPassword()), QString::number(testenv::pgPort()), pct(testenv::pgDatabase())}
                   .join(QLatin1Char(' ')));
        ok(QStringLiteral("tabs %1").arg(tabsAfter));
    }

private:
    QProcess m_process;
    bool m_started = false;
};

QString freshHome()
{
    static int counter = 0;
    const QString home = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/home%1").arg(++counter);
    QDir().mkpath(home);
    return home;
}

QString journalFolder(const QString &home) { return home + QStringLiteral("/state/tabulon/journal"); }

// Every record file under the journal folder.
QStringList recordFiles(const QString &home)
{
    QStringList files;
    QDirIterator it(journalFolder(home), {QStringLiteral("tab-*.journal")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

bool anyTemporaryRecord(const QString &home)
{
    QDirIterator it(journalFolder(home), {QStringLiteral("*.tmp")}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext();
}

void writeText(const QString &path, const std::string &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), qint64(text.size()));
}

} // namespace

TEST(JournalProcess, KilledProgramGetsBothTabsBackByteForByte)
{
    REQUIRE_PG();
    const QString home = freshHome();
    std::vector<TabDump> before;
    {
        Program first(home);
        ASSERT_TRUE(first.started());
        first.openPgTab(true, 1);
        first.openPgTab(false, 2);
        first.ok(QStringLiteral("select 0"));
        first.ok(QStringLiteral("type ") + pct(QStringLiteral("select 'caf\u00e9 \u20ac',\n2 -- first tab")));
        first.ok(QStringLiteral("select 1"));
        first.ok(QStringLiteral("type ") + pct(QStringLiteral("update t set a = 1\nwhere b = '\u00fc' ")));
        first.ok(QStringLiteral("key Ctrl+Home"));
        before = first.dump(home + QStringLiteral("/before"));
        ASSERT_EQ(before.size(), 2u);
        EXPECT_EQ(before[0].text, "select 'caf\xC3\xA9 \xE2\x82\xAC',\r\n2 -- first tab");
        // At most the last second of typing may be lost.
        QThread::msleep(1500);
        first.killHard();
    }
    Program second(home);
    ASSERT_TRUE(second.started());
    const std::vector<TabDump> after = second.dumpWhenOpen(2, home + QStringLiteral("/after"));
    ASSERT_EQ(after.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i].text, before[i].text) << "tab " << i;
        EXPECT_EQ(after[i].caption, before[i].caption) << "tab " << i;
        EXPECT_TRUE(after[i].caption.endsWith(QLatin1Char('*'))) << after[i].caption.toStdString();
    }
    EXPECT_TRUE(second.status().contains(QStringLiteral("2 tabs restored from the journal"))) << second.status().toStdString();

    // Restored tabs close like any other; a normal end then leaves nothing.
    second.ok(QStringLiteral("invoke mnuCloseallTabsClick"));
    second.ok(QStringLiteral("answer No"));
    second.ok(QStringLiteral("answer No"));
    second.ok(QStringLiteral("tabs 0"));
    EXPECT_EQ(second.closeNormally(), 0);
    EXPECT_TRUE(QDir(journalFolder(home)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    Program third(home);
    ASSERT_TRUE(third.started());
    third.ok(QStringLiteral("tabs 0"));
    EXPECT_FALSE(third.status().contains(QStringLiteral("restored"))) << third.status().toStdString();
}

TEST(JournalProcess, KillDuringALargeWriteGivesTheOldOrTheNewTextWhole)
{
    REQUIRE_PG();
    const QString home = freshHome();
    std::string partA, partB;
    for (int i = 0; partA.size() < (8u << 20); ++i)
        partA += "insert into a values (" + std::to_string(i) + ", 'first part');\n";
    for (int i = 0; partB.size() < (8u << 20); ++i)
        partB += "insert into b values (" + std::to_string(i) + ", 'second part');\n";
    writeText(home + QStringLiteral("/a.sql"), partA);
    writeText(home + QStringLiteral("/b.sql"), partB);
    // the editor keeps the tab's CR LF breaks for pasted text
    const auto crlf = [](std::string s) {
        std::string out;
        for (char c : s) {
            if (c == '\n')
                out += '\r';
            out += c;
        }
        return out;
    };
    std::vector<TabDump> oldText;
    bool caughtWriting = false;
    {
        Program first(home);
        ASSERT_TRUE(first.started());
        first.openPgTab(true, 1);
        first.ok(QStringLiteral("select 0"));
        first.ok(QStringLiteral("paste ") + pct(home + QStringLiteral("/a.sql")));
        oldText = first.dump(home + QStringLiteral("/old"));
        ASSERT_EQ(oldText.size(), 1u);
        // wait until the first text is in the journal, and the writer is idle
        QElapsedTimer clock;
        clock.start();
        bool written = false;
        while (!written && clock.elapsed() < 30000) {
            for (const QString &file : recordFiles(home)) {
                QFile f(file);
                TJournalRecord r;
                QString reason;
                written = written || (f.open(QIODevice::ReadOnly) && readJournalRecord(f.readAll(), r, reason) &&
                                      r.text == oldText[0].text);
            }
            QThread::msleep(20);
        }
        ASSERT_TRUE(written);
        QThread::msleep(300);
        first.ok(QStringLiteral("paste ") + pct(home + QStringLiteral("/b.sql")));
        clock.restart();
        while (!(caughtWriting = anyTemporaryRecord(home)) && clock.elapsed() < 30000)
            QThread::usleep(200);
        // into the write of some 16 MiB (its bytes go out in the first few
        // milliseconds, the flush to disk takes longer)
        QThread::msleep(4);
        first.killHard();
    }
    ASSERT_TRUE(caughtWriting) << "the kill did not land in a write";
    EXPECT_EQ(oldText[0].text, crlf(partA));
    const std::string newText = crlf(partA) + crlf(partB);
    Program second(home);
    ASSERT_TRUE(second.started());
    const std::vector<TabDump> after = second.dumpWhenOpen(1, home + QStringLiteral("/after"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].text == oldText[0].text || after[0].text == newText)
        << "restored " << after[0].text.size() << " bytes; old " << oldText[0].text.size() << ", new "
        << newText.size();
}

TEST(JournalProcess, TwoRunningInstancesKeepTheirOwnTabs)
{
    REQUIRE_PG();
    const QString home = freshHome();
    Program first(home);
    ASSERT_TRUE(first.started());
    first.openPgTab(true, 1);
    first.ok(QStringLiteral("select 0"));
    first.ok(QStringLiteral("type ") + pct(QStringLiteral("select 'first instance'")));
    QElapsedTimer clock;
    clock.start();
    while (recordFiles(home).isEmpty() && clock.elapsed() < 10000)
        QThread::msleep(20);
    ASSERT_EQ(recordFiles(home).size(), 1);

    {
        Program second(home);
        ASSERT_TRUE(second.started());
        second.ok(QStringLiteral("tabs 0"));
        EXPECT_FALSE(second.status().contains(QStringLiteral("restored"))) << second.status().toStdString();
        EXPECT_EQ(second.closeNormally(), 0);
    }
    EXPECT_EQ(recordFiles(home).size(), 1) << "the second instance touched the first one's journal";

    first.killHard();
    Program third(home);
    ASSERT_TRUE(third.started());
    const std::vector<TabDump> after = third.dumpWhenOpen(1, home + QStringLiteral("/after"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].text, "select 'first instance'");
}

TEST(JournalProcess, StartUpTimeWithTwentyRestoredTabs)
{
    // A figure, not a limit: start-up to a usable window with an empty
    // journal, and with 20 tabs of 64 KiB each to restore.
    const QString home = freshHome();
    const auto timeStart = [&](int tabs) {
        QElapsedTimer clock;
        clock.start();
        Program p(home);
        EXPECT_TRUE(p.started());
        p.ok(QStringLiteral("tabs %1").arg(tabs));
        const qint64 ms = clock.elapsed();
        EXPECT_EQ(p.closeNormally(), 0);
        return ms;
    };
    const qint64 empty = timeStart(0);

    const QString old = journalFolder(home) + QStringLiteral("/1-1");
    ASSERT_TRUE(QDir().mkpath(old));
    for (int i = 1; i <= 20; ++i) {
        TJournalRecord r;
        r.caption = QStringLiteral("pghost Query%1*").arg(i);
        r.engine = 8;
        r.server = "pghost";
        while (r.text.size() < 64 * 1024)
            r.text += "select a, b, c from some_table where id = " + std::to_string(r.text.size()) + ";\r\n";
        QFile f(old + QLatin1Char('/') + journalFileName(uint64_t(i)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(journalRecordBytes(r));
    }
    QElapsedTimer clock;
    clock.start();
    Program p(home);
    ASSERT_TRUE(p.started());
    p.ok(QStringLiteral("tabs 20"));
    const qint64 restored = clock.elapsed();
    EXPECT_TRUE(p.status().contains(QStringLiteral("20 tabs restored"))) << p.status().toStdString();
    std::printf("start-up: %lld ms with an empty journal, %lld ms with 20 tabs of 64 KiB to restore\n",
                (long long)empty, (long long)restored);
}

TEST(JournalProcess, AnUnwritableStateFolderIsReportedAndTheProgramGoesOn)
{
    // A file where the state folder should be.
    const QString home = freshHome();
    writeText(home + QStringLiteral("/state"), "not a folder");
    Program p(home);
    ASSERT_TRUE(p.started());
    p.ok(QStringLiteral("tabs 0"));
    const QString status = p.status();
    EXPECT_TRUE(status.contains(QStringLiteral("cannot be written"))) << status.toStdString();
    EXPECT_EQ(p.closeNormally(), 0);
}

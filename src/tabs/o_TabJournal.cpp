#include "o_TabJournal.h"

#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

const char *lineBreakName(TSynLineBreak style)
{
    switch (style) {
    case TSynLineBreak::LF: return "lf";
    case TSynLineBreak::CR: return "cr";
    case TSynLineBreak::CRLF: break;
    }
    return "crlf";
}

TSynLineBreak lineBreakFromName(const std::string &name)
{
    if (name == "lf")
        return TSynLineBreak::LF;
    if (name == "cr")
        return TSynLineBreak::CR;
    return TSynLineBreak::CRLF;
}

QString counted(int n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// Whether the script file still holds what a save of the tab would write.
bool scriptMatches(TqdSQLTab *tab)
{
    if (tab->FileName.isEmpty())
        return false;
    QFile file(tab->FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray onDisk = file.readAll();
    try {
        const std::string bytes = tab->SynMemo->Lines().FileBytes();
        return onDisk == QByteArrayView(bytes.data(), qsizetype(bytes.size()));
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

TqdTabJournal::TqdTabJournal(TqdSQLPageControl *tabs, const QString &stateFolder, QObject *parent)
    : QObject(parent), m_tabs(tabs), m_folders(stateFolder)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kCoalesceMs);
    connect(&m_timer, &QTimer::timeout, this, &TqdTabJournal::writeDirty);
}

TqdTabJournal::~TqdTabJournal()
{
    if (m_writer) {
        Flush();
        m_writer.reset();
    }
    m_folders.close();
}

QString TqdTabJournal::defaultStateFolder()
{
    // Qt before 6.7 has no state location: $XDG_STATE_HOME when it is an
    // absolute path, ~/.local/state otherwise.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::HomeLocation) + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tabulon");
}

bool TqdTabJournal::Start()
{
    if (m_writer || !m_tabs)
        return m_writer != nullptr;
    QString error;
    if (!m_folders.open(error)) {
        emit report(QStringLiteral("The journal of unsaved tabs cannot be written (%1): unsaved tabs are not "
                                   "kept if Tabulon ends unexpectedly")
                        .arg(error));
        return false;
    }
    m_writer = std::make_unique<TJournalWriter>(
        m_folders.instanceFolder(), [this](uint64_t number, bool removed, const QString &error) {
            QMetaObject::invokeMethod(
                this, [this, number, removed, error] { written(number, removed, error); }, Qt::QueuedConnection);
        });
    connect(m_tabs, &TqdSQLPageControl::tabAdded, this, [this](TqdSQLTab *tab) {
        const bool restoring = m_restoring != 0;
        watch(tab, restoring ? m_restoring : m_next++, !restoring);
    });
    connect(m_tabs, &TqdSQLPageControl::tabClosed, this, &TqdTabJournal::tabClosed);
    connect(m_tabs, &TqdSQLPageControl::tabCaptionChanged, this, &TqdTabJournal::markDirty);
    for (int i = 0; i < m_tabs->PageCount(); ++i)
        watch(m_tabs->SQLTab(i), m_next++, true);
    return true;
}

void TqdTabJournal::watch(TqdSQLTab *tab, uint64_t number, bool dirty)
{
    m_entries[tab] = Entry{number, false, false};
    auto changed = [this, tab] { markDirty(tab); };
    connect(tab->SynMemo, &QsciScintilla::textChanged, this, changed);
    // A move of the cursor alone rewrites the record of a small text only; a
    // large one keeps its last cursor until its text changes again.
    connect(tab->SynMemo, &QsciScintilla::cursorPositionChanged, this, [this, tab] {
        if (tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) <= kCursorOnlyBytes)
            markDirty(tab);
    });
    // Pages still open when the tab set goes keep their records for the next start.
    connect(tab, &QObject::destroyed, this, [this](QObject *gone) { m_entries.erase(static_cast<TqdSQLTab *>(gone)); });
    if (dirty)
        markDirty(tab);
}

void TqdTabJournal::tabClosed(TqdSQLTab *tab)
{
    const auto it = m_entries.find(tab);
    if (it == m_entries.end())
        return;
    m_writer->remove(it->second.number);
    m_entries.erase(it);
    disconnect(tab->SynMemo, nullptr, this, nullptr);
}

void TqdTabJournal::markDirty(TqdSQLTab *tab)
{
    if (m_restoring != 0)
        return; // a restored tab is written once its restore is complete, if at all
    const auto it = m_entries.find(tab);
    if (it == m_entries.end())
        return;
    it->second.dirty = true;
    if (!it->second.writing && !m_timer.isActive())
        m_timer.start();
}

std::shared_ptr<TJournalRecord> TqdTabJournal::snapshot(TqdSQLTab *tab) const
{
    auto record = std::make_shared<TJournalRecord>();
    record->caption = tab->Caption();
    record->fileName = tab->FileName;
    record->saved = tab->Saved;
    record->encoding = encodingName(tab->SynMemo->Lines().Encoding());
    record->lineBreak = lineBreakName(tab->SynMemo->Lines().LineBreak());
    record->cursor = tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const TqdServerConnection &c = *tab->ServerConnection;
    record->engine = int(c.DBEngine);
    record->server = c.ServerName;
    record->user = c.UserName;
    record->port = c.Port;
    record->database = c.DataBaseName;
    record->text = tab->SynMemo->copyDocumentBytes();
    return record;
}

void TqdTabJournal::writeDirty()
{
    if (!m_writer)
        return;
    for (auto &[tab, entry] : m_entries) {
        if (!entry.dirty || entry.writing)
            continue;
        entry.dirty = false;
        entry.writing = true;
        m_writer->write(entry.number, snapshot(tab));
    }
}

void TqdTabJournal::written(uint64_t number, bool removed, const QString &error)
{
    if (!error.isEmpty()) {
        if (!m_failureReported)
            emit report(QStringLiteral("The journal of unsaved tabs cannot be written (%1): unsaved tabs are not "
                                       "kept if Tabulon ends unexpectedly")
                            .arg(error));
        m_failureReported = true;
    } else if (!removed) {
        m_failureReported = false;
    }
    if (removed)
        return;
    for (auto &[tab, entry] : m_entries) {
        if (entry.number != number)
            continue;
        entry.writing = false;
        if (entry.dirty && !m_timer.isActive())
            m_timer.start();
    }
}

void TqdTabJournal::Flush()
{
    if (!m_writer)
        return;
    m_timer.stop();
    m_writer->flush();
    for (auto &[tab, entry] : m_entries)
        entry.writing = false; // their completions are still queued; the writer is idle
    writeDirty();
    m_writer->flush();
    for (auto &[tab, entry] : m_entries)
        entry.writing = false;
}

bool TqdTabJournal::restoreTab(const TJournalRecord &record, uint64_t number, bool adopted)
{
    m_restoring = number;
    TqdSQLTab *tab = m_tabs->AddSQLTab();
    TqdServerConnection &c = *tab->ServerConnection;
    c.DBEngine = record.engine >= seNone && record.engine <= seOracleMS ? TqdServerEngine(record.engine) : seNone;
    c.ServerName = record.server;
    c.UserName = record.user;
    c.Port = record.port;
    c.DataBaseName = record.database;
    tab->ApplyDialect();
    TSynEncoding encoding = TSynEncoding::UTF8;
    encodingFromName(record.encoding, encoding);
    tab->SynMemo->Lines().Restore(record.text, lineBreakFromName(record.lineBreak), encoding);
    const int64_t cursor = std::clamp<int64_t>(record.cursor, 0, int64_t(record.text.size()));
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)cursor);
    tab->FileName = record.fileName;
    tab->SetCaption(record.caption);
    // Saved only while the script still holds this very text: a script that
    // was deleted or changed since makes the tab unsaved, so closing it asks.
    const bool saved = record.saved && scriptMatches(tab);
    m_restoring = 0;
    tab->Saved = saved;
    if (record.saved && !saved)
        tab->MarkModified();
    if (!adopted || record.saved != saved)
        markDirty(tab);
    return true;
}

int TqdTabJournal::Restore()
{
    if (!m_writer)
        return 0;
    int restored = 0;
    QStringList setAside;
    QStringList unreadable;
    for (const QString &folder : m_folders.claimOrphans()) {
        const QStringList names = QDir(folder).entryList({QStringLiteral("tab-*.journal")}, QDir::Files, QDir::Name);
        std::vector<std::pair<uint64_t, QString>> records;
        for (const QString &name : names)
            if (const uint64_t n = journalFileNumber(name))
                records.emplace_back(n, folder + QLatin1Char('/') + name);
        std::sort(records.begin(), records.end());
        for (const auto &[oldNumber, path] : records) {
            QFile file(path);
            TJournalRecord record;
            QString reason;
            const bool read = file.open(QIODevice::ReadOnly) && readJournalRecord(file.readAll(), record, reason);
            file.close();
            if (!read) {
                if (reason.isEmpty())
                    reason = file.errorString();
                const QString aside = m_folders.setAside(path);
                if (aside.isEmpty()) {
                    unreadable << QStringLiteral("%1 (%2)").arg(path, reason);
                    m_folders.keepClaimed(folder);
                } else {
                    setAside << QStringLiteral("%1 (%2)").arg(aside, reason);
                }
                continue;
            }
            const uint64_t number = m_next++;
            const bool adopted = m_folders.adopt(path, journalFileName(number));
            restoreTab(record, number, adopted);
            ++restored;
        }
    }
    m_folders.releaseClaimed();

    QStringList messages;
    if (restored > 0)
        messages << counted(restored, "tab", "tabs") + QStringLiteral(" restored from the journal");
    if (!setAside.isEmpty())
        messages << QStringLiteral("Damaged journal file set aside: ") + setAside.join(QStringLiteral(", "));
    if (!unreadable.isEmpty())
        messages << QStringLiteral("Damaged journal file left behind: ") + unreadable.join(QStringLiteral(", "));
    if (!messages.isEmpty())
        emit report(messages.join(QStringLiteral("; ")));
    return restored;
}

#pragma once
// TqdTabJournal: keeps a copy of every open query tab in the user's state
// folder, so that a crash, a kill or a logout loses no text. It watches the
// tab set: an edit marks the tab, and about half a second later every marked
// tab is written (by a thread of its own, one write per tab at a time, so a
// large tab is rewritten no faster than the disk takes it). A closed tab
// leaves the journal. At start-up Restore() reopens the tabs of instances
// that ended without closing them.
//
// Failures never stop the program: they are reported once through report().

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>

#include "o_JournalFiles.h"

class TqdSQLPageControl;
class TqdSQLTab;

class TqdTabJournal : public QObject {
    Q_OBJECT
public:
    // Journals the tabs of `tabs` under `stateFolder` (see defaultStateFolder).
    TqdTabJournal(TqdSQLPageControl *tabs, const QString &stateFolder, QObject *parent = nullptr);
    // Writes what is still pending; the folder of this instance goes when no
    // tab is left in it.
    ~TqdTabJournal() override;

    // $XDG_STATE_HOME/tabulon, ~/.local/state/tabulon when it is not set.
    static QString defaultStateFolder();

    // Takes a journal folder for this instance and starts journaling the
    // tabs already open. False (reported) when the state folder cannot be written.
    bool Start();
    // Reopens the tabs of instances that have ended; the number reopened.
    int Restore();
    // Writes every pending change now and waits for the disk.
    void Flush();

    bool IsActive() const { return m_writer != nullptr; }
    QString InstanceFolder() const { return m_folders.instanceFolder(); }
    QString DamagedFolder() const { return m_folders.damagedFolder(); }

    static constexpr int kCoalesceMs = 500;
    // The largest text whose record a move of the cursor alone rewrites.
    static constexpr long kCursorOnlyBytes = 1 << 20;

signals:
    void report(const QString &message);

private:
    struct Entry {
        uint64_t number = 0;
        bool dirty = false;
        bool writing = false;
    };
    void watch(TqdSQLTab *tab, uint64_t number, bool dirty);
    void tabClosed(TqdSQLTab *tab);
    void markDirty(TqdSQLTab *tab);
    void writeDirty();
    void written(uint64_t number, bool removed, const QString &error);
    std::shared_ptr<TJournalRecord> snapshot(TqdSQLTab *tab) const;
    bool restoreTab(const TJournalRecord &record, uint64_t number, bool adopted);

    QPointer<TqdSQLPageControl> m_tabs;
    TJournalFolders m_folders;
    std::unique_ptr<TJournalWriter> m_writer;
    std::map<TqdSQLTab *, Entry> m_entries;
    uint64_t m_next = 1;
    uint64_t m_restoring = 0; // the record number of the tab being restored
    QTimer m_timer;
    bool m_failureReported = false;
};

#pragma once
// The files of the tab journal, without any widget: one record per open tab,
// written atomically (temporary file, fsync, rename, fsync of the folder) by
// a writer thread of its own, in a folder per running instance that a lock
// file marks as taken.
//
// <state folder>/journal/<instance>/lock            held while the instance runs
// <state folder>/journal/<instance>/tab-<n>.journal one per open tab, n gives the order
// <state folder>/damaged/                           records that could not be read

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// What a tab is made of, as far as a restore needs it. The password of the
// connection is never part of it.
struct TJournalRecord {
    QString caption;
    QString fileName;
    bool saved = false;
    std::string encoding = "UTF-8";
    std::string lineBreak = "crlf";
    int64_t cursor = 0;
    int engine = 0;
    std::string server;
    std::string user;
    int port = 0;
    std::string database;
    std::string text; // the editor's bytes
};

// The record as file bytes, and back. readJournalRecord gives false (with a
// reason) for anything that is not a whole record: a wrong first line, a
// missing field, a text shorter or longer than declared, a wrong checksum.
QByteArray journalRecordBytes(const TJournalRecord &record);
bool readJournalRecord(const QByteArray &bytes, TJournalRecord &record, QString &reason);

// Replace `path` with `head` followed by `body`, or leave it as it was.
// The new file has mode 0600. False with the system's reason on failure.
bool writeFileAtomically(const QString &path, const QByteArray &head, std::string_view body, QString &error);

// A folder with mode 0700 (created with its parents when missing).
bool makePrivateFolder(const QString &path, QString &error);

// "tab-000042.journal" for 42; 0 for a name that is not a record's.
QString journalFileName(uint64_t number);
uint64_t journalFileNumber(const QString &fileName);

// The folders of the journal under one state folder.
class TJournalFolders {
public:
    explicit TJournalFolders(const QString &stateFolder);
    ~TJournalFolders();

    // Creates and locks this instance's folder. False (with the reason) when
    // the state folder cannot be written.
    bool open(QString &error);
    QString instanceFolder() const { return m_instance; }
    QString damagedFolder() const;

    // The instance folders whose owner has ended (or that no one holds): each
    // is locked for this instance on return and released by releaseClaimed().
    QStringList claimOrphans();
    // Moves a claimed record into this instance's folder under a new name;
    // false when it cannot be moved.
    bool adopt(const QString &recordPath, const QString &newName);
    // Moves a record that cannot be read out of the way; the new path, or
    // empty when even that fails.
    QString setAside(const QString &recordPath);
    // A claimed folder that must stay (it holds a record that could be
    // neither read nor set aside): released, not removed.
    void keepClaimed(const QString &folder);
    // Removes the claimed folders (whatever is left in them) but the kept ones.
    void releaseClaimed();

    // At a normal end: this instance's folder goes when it holds no record;
    // otherwise only its lock goes, so the next start restores the rest.
    void close();

private:
    QString m_journal;
    QString m_instance;
    std::unique_ptr<QLockFile> m_lock;
    struct Claim {
        QString folder;
        std::unique_ptr<QLockFile> lock;
        bool keep = false;
    };
    std::vector<Claim> m_claimed;
};

// The writer thread. Requests for one record are carried out in the order
// given; done() is called on the writer thread after each write or removal,
// with an empty error on success.
class TJournalWriter {
public:
    using Done = std::function<void(uint64_t number, bool removed, const QString &error)>;
    TJournalWriter(const QString &folder, Done done);
    ~TJournalWriter(); // carries out what is queued, then ends

    void write(uint64_t number, std::shared_ptr<const TJournalRecord> record);
    // Drops queued writes of the record, then deletes its file.
    void remove(uint64_t number);
    // Returns once everything queued so far is carried out.
    void flush();

private:
    struct Job {
        uint64_t number;
        std::shared_ptr<const TJournalRecord> record; // null: remove
    };
    void run();

    QString m_folder;
    Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

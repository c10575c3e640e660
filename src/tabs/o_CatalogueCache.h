#pragma once
// TqdCatalogueCache: the catalogue names that the editors' completion offers,
// kept per server and database. A name list that is not in yet is read on a
// worker thread through connections of the cache's own (opened with the
// settings of the tab that asks), so typing never waits for the database;
// `arrived` tells the editors when a list has come in. The tree's Refresh
// forgets a server's lists, so that the next completion reads them again.

#include <QObject>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "o_CompletionContext.h"

class TqdServerConnection;

class TqdCatalogueCache : public QObject {
    Q_OBJECT
public:
    enum class TKind { DefaultSchema, Schemas, Tables, Columns };
    using TNames = std::shared_ptr<const TqdNameList>;

    explicit TqdCatalogueCache(QObject *owner = nullptr);
    ~TqdCatalogueCache() override;

    // The cached list; null when it is not in yet: then a read starts (once)
    // and `arrived` follows. A list that could not be read is empty.
    // DefaultSchema is a list of one name (none for engines without schemas).
    TNames names(const TqdServerConnection &server, TKind kind, const std::string &schema = {},
                 const std::string &table = {});
    // Forget the lists of the server (every database on it); all of them
    // without a server.
    void refresh(const TqdServerConnection *server = nullptr);
    // True while reads are queued or running.
    bool busy() const;

signals:
    void arrived();

private:
    struct TSettings;
    struct TJob;
    struct TEntry {
        TNames names;       // null while the read runs
        unsigned generation = 0;
    };
    void work();
    void deliver(const std::string &key, unsigned generation, std::vector<std::string> names);

    std::map<std::string, TEntry> m_entries;
    unsigned m_generation = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::unique_ptr<TJob>> m_jobs;
    TqdServerConnection *m_reading = nullptr; // the worker's connection while a read runs
    int m_pending = 0;                         // jobs queued or running
    bool m_stop = false;
    std::thread m_worker;
};

#include "o_CatalogueCache.h"

#include "o_CatalogueNames.h"
#include "o_ServerConnection.h"

#include <QPointer>

// What the worker needs to open a connection like the asking tab's.
struct TqdCatalogueCache::TSettings {
    TqdServerEngine engine = seNone;
    std::string serverName, dataBaseName, userName, password, customConnectionString;
    int port = 0;
    bool useCustomConnectionString = false;

    explicit TSettings(const TqdServerConnection &c)
        : engine(c.DBEngine), serverName(c.ServerName), dataBaseName(c.DataBaseName), userName(c.UserName),
          password(c.Password), customConnectionString(c.CustomConnectionString), port(c.Port),
          useCustomConnectionString(c.UseCustomConnectionString)
    {
    }
    // The server, without the database.
    std::string serverKey() const
    {
        if (useCustomConnectionString)
            return customConnectionString + '\x1e';
        return std::to_string(int(engine)) + '\x1f' + serverName + '\x1f' + std::to_string(port) + '\x1f' + userName +
               '\x1e';
    }
    std::string databaseKey() const { return serverKey() + (useCustomConnectionString ? std::string() : dataBaseName); }
    void applyTo(TqdServerConnection &c) const
    {
        c.DBEngine = engine;
        c.ServerName = serverName;
        c.DataBaseName = dataBaseName;
        c.UserName = userName;
        c.Password = password;
        c.Port = port;
        c.UseCustomConnectionString = useCustomConnectionString;
        c.CustomConnectionString = customConnectionString;
    }
};

struct TqdCatalogueCache::TJob {
    TSettings settings;
    TKind kind;
    std::string schema, table, key;
    unsigned generation;
};

TqdCatalogueCache::TqdCatalogueCache(QObject *owner) : QObject(owner) {}

TqdCatalogueCache::~TqdCatalogueCache()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        if (m_reading && m_reading->ADOConnection())
            m_reading->ADOConnection()->Cancel();
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

TqdCatalogueCache::TNames TqdCatalogueCache::names(const TqdServerConnection &server, TKind kind,
                                                   const std::string &schema, const std::string &table)
{
    TSettings settings(server);
    std::string key = settings.databaseKey() + '\x1d' + char('0' + int(kind)) + '\x1d' + schema + '\x1d' + table;
    auto found = m_entries.find(key);
    if (found != m_entries.end())
        return found->second.names;
    m_entries[key].generation = m_generation;
    auto job = std::make_unique<TJob>(TJob{std::move(settings), kind, schema, table, std::move(key), m_generation});
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        ++m_pending;
        if (!m_worker.joinable())
            m_worker = std::thread([this] { work(); });
    }
    m_wake.notify_one();
    return nullptr;
}

void TqdCatalogueCache::refresh(const TqdServerConnection *server)
{
    ++m_generation;
    if (!server) {
        m_entries.clear();
        return;
    }
    const std::string prefix = TSettings(*server).serverKey();
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = it->first.compare(0, prefix.size(), prefix) == 0 ? m_entries.erase(it) : std::next(it);
}

bool TqdCatalogueCache::busy() const
{
    std::lock_guard lock(m_mutex);
    return m_pending > 0;
}

void TqdCatalogueCache::deliver(const std::string &key, unsigned generation, std::vector<std::string> names)
{
    {
        std::lock_guard lock(m_mutex);
        --m_pending;
    }
    auto found = m_entries.find(key);
    // a list read before a refresh is stale
    if (found == m_entries.end() || found->second.generation != generation || found->second.names)
        return;
    found->second.names = std::make_shared<const TqdNameList>(std::move(names));
    emit arrived();
}

// The worker: one connection per server and database, opened when first needed
// and kept until the cache goes.
void TqdCatalogueCache::work()
{
    std::map<std::string, std::unique_ptr<TqdServerConnection>> connections;
    for (;;) {
        std::unique_ptr<TJob> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        std::unique_ptr<TqdServerConnection> &connection = connections[job->settings.databaseKey()];
        if (!connection) {
            connection = std::make_unique<TqdServerConnection>();
            job->settings.applyTo(*connection);
        }
        {
            std::lock_guard lock(m_mutex);
            m_reading = connection.get();
        }
        std::vector<std::string> names;
        try {
            if (!connection->Connected())
                connection->ReConnect();
            switch (job->kind) {
            case TKind::DefaultSchema: {
                std::string schema = catalogue_names::defaultSchema(*connection);
                if (!schema.empty())
                    names.push_back(std::move(schema));
                break;
            }
            case TKind::Schemas: names = catalogue_names::schemas(*connection); break;
            case TKind::Tables: names = catalogue_names::tables(*connection, job->schema); break;
            case TKind::Columns: names = catalogue_names::columns(*connection, job->schema, job->table); break;
            }
        } catch (...) {
            // a list that cannot be read offers nothing; the next Refresh tries again
            names.clear();
        }
        {
            std::lock_guard lock(m_mutex);
            m_reading = nullptr;
            if (m_stop)
                break;
        }
        QMetaObject::invokeMethod(
            this, [this, key = job->key, generation = job->generation, names = std::move(names)]() mutable {
                deliver(key, generation, std::move(names));
            },
            Qt::QueuedConnection);
    }
    // the connections close on this thread, where they were opened
    connections.clear();
}

#pragma once
// A session with a SQLite database file through libsqlite3.
//
// Connection-string keys: Data Source (the database file). The file is opened
// for reading and writing, or for reading only when it is write-protected; a
// missing file is never created. A statement that waits for another
// connection's lock gives up after a few seconds with "database is locked".
// A text of several statements runs them one after the other and returns what
// the last one returned.

#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>

#include "provider.h"

namespace ado::sqlite {

// How long a statement waits for a lock that another connection holds.
constexpr int kBusyTimeoutMs = 5000;

class Connection final : public ProviderConnection {
public:
    explicit Connection(ConnectionString settings);
    ~Connection() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_db != nullptr; }
    ExecResult execute(const std::string &statement) override;
    std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) override;
    std::vector<std::string> tableNames() override;
    std::vector<std::string> fieldNames(const std::string &table) override;
    void cancel() override;

    // Whether the file was opened for reading only.
    bool isReadOnly() const;

private:
    using RowCallback = std::function<void(sqlite3_stmt *)>;

    sqlite3 *requireOpen() const;
    [[noreturn]] void fail() const;
    ExecResult runPrepared(sqlite3_stmt *statement);
    // Runs one catalogue statement with text parameters ?1, ?2, ... and hands
    // each row to `onRow`.
    void each(const char *sql, std::initializer_list<std::string> parameters, const RowCallback &onRow);
    // Tables and views (name, type), those of the engine itself only when asked.
    std::vector<std::pair<std::string, std::string>> objects(const std::string &table, bool withInternal);

    std::unique_ptr<RowSet> tablesRowSet(const SchemaRestrictions &restrictions);
    std::unique_ptr<RowSet> columnsRowSet(const SchemaRestrictions &restrictions);
    std::unique_ptr<RowSet> indexesRowSet(const SchemaRestrictions &restrictions);
    std::unique_ptr<RowSet> foreignKeysRowSet(const SchemaRestrictions &restrictions);
    std::unique_ptr<RowSet> primaryKeysRowSet(const SchemaRestrictions &restrictions);

    ConnectionString m_settings;
    sqlite3 *m_db = nullptr;
    std::mutex m_cancelMutex; // guards m_db against cancel() from another thread
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancelRequested{false};
};

} // namespace ado::sqlite

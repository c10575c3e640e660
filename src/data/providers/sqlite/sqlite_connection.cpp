#include "sqlite_connection.h"

#include <sys/stat.h>
#include <unistd.h>

#include "ado_errors.h"
#include "providers/row_blocks.h"
#include "sqlite_rowset.h"

namespace ado::sqlite {

namespace {

// Finalizes a prepared statement when the scope ends.
struct Finalizer {
    sqlite3_stmt *statement;
    ~Finalizer() { sqlite3_finalize(statement); }
};

// Write-protected: no write permission for this process, or no write bit at
// all (which a process with every right, such as root's, would not heed).
bool writeProtected(const std::string &path, const struct stat &info)
{
    return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

} // namespace

Connection::Connection(ConnectionString settings) : m_settings(std::move(settings)) {}

Connection::~Connection() { close(); }

void Connection::open()
{
    close();
    const std::string path = m_settings.value("Data Source");
    if (path.empty())
        throw EProviderError("No database file was given");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw EProviderError("The database file \"" + path + "\" does not exist");
    if (S_ISDIR(info.st_mode))
        throw EProviderError("\"" + path + "\" is a folder, not a database file");

    // Never SQLITE_OPEN_CREATE: a mistyped name must not leave an empty database behind.
    // One thread at a time uses a connection, so the engine's own locking of
    // every call is left out (NOMUTEX); sqlite3_interrupt needs none.
    const int flags = (writeProtected(path, info) ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw EProviderError(message + ": " + path);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);

    // The engine reads the file's header only when it first needs it: read it
    // now, so that a file of another kind fails here and not at the first statement.
    const int rc = sqlite3_exec(db, "select count(*) from sqlite_schema", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        if ((rc & 0xFF) == SQLITE_NOTADB)
            throw EProviderError("The file \"" + path + "\" is not a SQLite database (" + message + ")");
        throw EProviderError(message);
    }
    std::lock_guard lock(m_cancelMutex);
    m_db = db;
}

void Connection::close()
{
    sqlite3 *db;
    {
        std::lock_guard lock(m_cancelMutex);
        db = m_db;
        m_db = nullptr;
    }
    // Row sets hold copies of their values, so nothing of ours keeps a
    // statement open; close_v2 still waits for any that the engine keeps.
    if (db)
        sqlite3_close_v2(db);
}

bool Connection::isReadOnly() const { return m_db && sqlite3_db_readonly(m_db, "main") == 1; }

sqlite3 *Connection::requireOpen() const
{
    if (!m_db)
        throw EADOError("Operation is not allowed when the object is closed");
    return m_db;
}

void Connection::fail() const { throw EProviderError(sqlite3_errmsg(m_db)); }

ExecResult Connection::execute(const std::string &statement)
{
    sqlite3 *db = requireOpen();
    m_cancelRequested = false;
    RunningScope running(m_running);
    ExecResult result;
    const char *next = statement.c_str();
    const char *end = next + statement.size();
    while (next < end) {
        // A cancel that falls between two statements stops the script too.
        if (m_cancelRequested)
            throw EProviderError(sqlite3_errstr(SQLITE_INTERRUPT));
        sqlite3_stmt *prepared = nullptr;
        const char *tail = nullptr;
        if (sqlite3_prepare_v2(db, next, int(end - next), &prepared, &tail) != SQLITE_OK)
            fail();
        next = tail;
        if (!prepared) // only blanks or comments were left
            continue;
        Finalizer finalizer{prepared};
        result = runPrepared(prepared);
    }
    return result;
}

ExecResult Connection::runPrepared(sqlite3_stmt *statement)
{
    ExecResult result;
    const int columns = sqlite3_column_count(statement);
    std::unique_ptr<RowStore> rows;
    if (columns > 0) {
        std::vector<std::string> names;
        names.reserve(size_t(columns));
        for (int i = 0; i < columns; ++i) {
            const char *name = sqlite3_column_name(statement, i);
            names.emplace_back(name ? name : "");
        }
        rows = std::make_unique<RowStore>(std::move(names));
    }
    const sqlite3_int64 changesBefore = sqlite3_total_changes64(m_db);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        if (rows)
            rows->appendRow(statement);
    if (rc != SQLITE_DONE)
        fail();
    // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE
    // whatever ran since; a statement that changed nothing changed nothing.
    const bool changed = sqlite3_total_changes64(m_db) != changesBefore;
    if (changed)
        result.recordsAffected = sqlite3_changes64(m_db);
    else
        result.recordsAffected = rows ? -1 : 0;
    result.rows = std::move(rows);
    return result;
}

void Connection::each(const char *sql, std::initializer_list<std::string> parameters, const RowCallback &onRow)
{
    sqlite3 *db = requireOpen();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        fail();
    Finalizer finalizer{statement};
    int index = 1;
    for (const std::string &p : parameters)
        sqlite3_bind_text(statement, index++, p.data(), int(p.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        onRow(statement);
    if (rc != SQLITE_DONE)
        fail();
}

void Connection::cancel()
{
    std::lock_guard lock(m_cancelMutex);
    if (!m_db || !m_running)
        return;
    m_cancelRequested = true;
    sqlite3_interrupt(m_db);
}

} // namespace ado::sqlite

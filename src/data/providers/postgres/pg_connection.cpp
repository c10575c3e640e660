#include <algorithm>
#include "pg_connection.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

#include "ado_errors.h"
#include "pg_rowset.h"
#include "pg_schema.h"

namespace ado::pg {
namespace {

constexpr int kConnectTimeoutSeconds = 30;

// libpq's messages end with a newline; the text before it is kept as it is.
std::string trimmed(const char *message)
{
    std::string s = message ? message : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

[[noreturn]] void fail(PGconn *conn, PGresult *result)
{
    // A session that the server ended carries all that was said, in order, in
    // the connection's message (FATAL: ..., then the closed socket).
    std::string message = result && PQstatus(conn) != CONNECTION_BAD ? trimmed(PQresultErrorMessage(result))
                                                                      : std::string();
    if (message.empty())
        message = trimmed(PQerrorMessage(conn));
    if (result)
        PQclear(result);
    throw EProviderError(message);
}

bool transactionOpen(PGconn *conn)
{
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

long long affectedRows(PGresult *result)
{
    const char *n = PQcmdTuples(result);
    return n && *n ? std::stoll(n) : -1;
}

} // namespace

std::vector<std::pair<std::string, std::string>> connectionParameters(const ConnectionString &cs)
{
    std::vector<std::pair<std::string, std::string>> p;
    auto add = [&p](const char *keyword, const std::string &value) {
        if (!value.empty())
            p.emplace_back(keyword, value);
    };
    // A Data Source that starts with "/" is a socket folder; libpq tells the
    // two apart by that same rule.
    add("host", cs.value("Data Source"));
    add("port", cs.value("Port"));
    // Without a catalog the session goes to the "postgres" database, which
    // every cluster has, rather than to libpq's default of a database named
    // after the user, which usually does not exist.
    std::string database = cs.value("Initial Catalog");
    add("dbname", database.empty() ? std::string("postgres") : database);
    add("user", cs.value("User ID"));
    add("password", cs.value("Password"));
    const std::string extended = cs.value("Extended Properties");
    if (!extended.empty()) {
        const ConnectionString inner = ConnectionString::parse(extended);
        add("sslmode", inner.value("SSL"));
    }
    add("client_encoding", "UTF8");
    add("connect_timeout", std::to_string(kConnectTimeoutSeconds));
    add("fallback_application_name", "Tabulon");
    return p;
}

PgConnection::~PgConnection() { close(); }

void PgConnection::open()
{
    close();
    const auto params = connectionParameters(m_cs);
    std::vector<const char *> keywords, values;
    for (const auto &[k, v] : params) {
        keywords.push_back(k.c_str());
        values.push_back(v.c_str());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_stopConnecting = false;
    PGconn *conn = connectStoppably(keywords.data(), values.data());
    PQsetNoticeReceiver(conn, &PgConnection::collectNotice, this);
    // A SQL_ASCII database holds bytes in no known encoding, and the server
    // refuses to send them to a UTF-8 client unless they happen to be valid
    // UTF-8. Such a session takes the bytes as they are.
    const char *serverEncoding = PQparameterStatus(conn, "server_encoding");
    if (serverEncoding && std::string_view(serverEncoding) == "SQL_ASCII" &&
        PQsetClientEncoding(conn, "SQL_ASCII") != 0) {
        std::string message = trimmed(PQerrorMessage(conn));
        PQfinish(conn);
        throw EProviderError(message);
    }
    std::lock_guard lock(m_cancelMutex);
    m_conn = conn;
    m_cancel = PQgetCancel(conn);
}

PGconn *PgConnection::connectStoppably(const char *const *keywords, const char *const *values)
{
    PGconn *conn = PQconnectStartParams(keywords, values, 0);
    if (!conn)
        throw EProviderError("out of memory");
    auto failed = [conn] {
        std::string message = trimmed(PQerrorMessage(conn));
        PQfinish(conn);
        throw EProviderError(message);
    };
    if (PQstatus(conn) == CONNECTION_BAD)
        failed();
    // libpq leaves the connect_timeout of a polled attempt to its caller; the
    // wait for the socket is cut into short slices so that cancel() is seen soon.
    constexpr int kSliceMs = 20;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kConnectTimeoutSeconds);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    for (;;) {
        if (state == PGRES_POLLING_OK)
            return conn;
        if (state == PGRES_POLLING_FAILED)
            failed();
        pollfd wait{PQsocket(conn), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        int ready = 0;
        while (ready == 0) {
            if (m_stopConnecting) {
                PQfinish(conn);
                throw ECancelled("Connecting was cancelled");
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                PQfinish(conn);
                throw EProviderError("timeout expired"); // libpq's own words for it
            }
            ready = ::poll(&wait, 1, kSliceMs);
            if (ready < 0 && errno == EINTR)
                ready = 0;
        }
        state = PQconnectPoll(conn);
    }
}

void PgConnection::close()
{
    {
        std::lock_guard lock(m_cancelMutex);
        if (m_cancel)
            PQfreeCancel(m_cancel);
        m_cancel = nullptr;
    }
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

bool PgConnection::isOpen() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }

PGconn *PgConnection::requireOpen() const
{
    if (!m_conn)
        throw EADOError("Operation is not allowed when the object is closed");
    return m_conn;
}

void PgConnection::collectNotice(void *self, const PGresult *notice)
{
    static_cast<PgConnection *>(self)->m_notices.push_back(trimmed(PQresultErrorMessage(notice)));
}

ExecResult PgConnection::execute(const std::string &statement)
{
    PGconn *conn = requireOpen();
    m_notices.clear();
    const bool inTransaction = transactionOpen(conn);
    try {
        if (!PQsendQuery(conn, statement.c_str()))
            fail(conn, nullptr);
        // Rows one by one, into our own store as they come, rather than
        // libpq's whole result; a mode refused leaves whole results, also fine.
        PQsetSingleRowMode(conn);
        ExecResult result = collect();
        result.notices = std::move(m_notices);
        m_notices.clear();
        return result;
    } catch (const EProviderError &e) {
        // A query written into a socket that the server has closed fails
        // with the connection still marked good; reading shows the truth.
        if (PQstatus(conn) == CONNECTION_BAD || !PQconsumeInput(conn) || PQstatus(conn) == CONNECTION_BAD) {
            close(); // the next statement opens a new session
            throw EProviderError(sessionLostMessage(e.message(), inTransaction));
        }
        throw;
    }
}

ExecResult PgConnection::collect()
{
    // As a plain PQexec would: the last result counts, a copy stream stops the
    // reading. The rows of a row set are kept as they come; a later row set
    // of the same text replaces them.
    std::shared_ptr<PgRowSet> rows;
    std::optional<ArrivalScope> arriving; // of `rows`
    bool rowsWhole = false;
    PGresult *last = nullptr;
    while (PGresult *next = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(next);
        if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
            if (!rows || rowsWhole) {
                arriving.reset();
                rows = std::make_shared<PgRowSet>(next);
                rowsWhole = false;
                arriving.emplace(*rows);
                if (rowsArriving)
                    rowsArriving(rows);
            }
            rows->appendRows(next);
            rowsWhole = status == PGRES_TUPLES_OK;
            if (rowsWhole)
                arriving->whole();
            if (status == PGRES_SINGLE_TUPLE) {
                PQclear(next);
                continue;
            }
        }
        if (last)
            PQclear(last);
        last = next;
        if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH ||
            PQstatus(m_conn) == CONNECTION_BAD)
            break;
    }
    if (last && PQresultStatus(last) == PGRES_TUPLES_OK) {
        ExecResult r;
        r.recordsAffected = affectedRows(last);
        PQclear(last);
        r.rows = sharedRowSet(std::move(rows));
        return r;
    }
    // A row set cut short by a cancel keeps the rows that had come.
    const char *state = last ? PQresultErrorField(last, PG_DIAG_SQLSTATE) : nullptr;
    if (rows && !rowsWhole && rows->rowCount() > 0 && state && std::string_view(state) == "57014") {
        ExecResult r;
        r.fetchStopped = trimmed(PQresultErrorMessage(last));
        PQclear(last);
        r.rows = sharedRowSet(std::move(rows));
        return r;
    }
    return take(last);
}

ExecResult PgConnection::take(PGresult *result)
{
    if (!result)
        fail(m_conn, nullptr);
    switch (PQresultStatus(result)) {
    case PGRES_TUPLES_OK: {
        ExecResult r;
        r.recordsAffected = affectedRows(result);
        auto rows = std::make_unique<PgRowSet>(result);
        rows->appendRows(result);
        PQclear(result);
        r.rows = std::move(rows);
        return r;
    }
    case PGRES_COMMAND_OK: {
        ExecResult r;
        // DDL and other commands that touch no rows carry no count: none affected.
        r.recordsAffected = std::max(0LL, affectedRows(result));
        PQclear(result);
        return r;
    }
    case PGRES_EMPTY_QUERY: {
        // Only blanks and comments: a command that touched nothing.
        PQclear(result);
        ExecResult r;
        r.recordsAffected = 0;
        return r;
    }
    case PGRES_COPY_OUT: {
        // Nothing here reads a copy stream: drain it so the session stays usable.
        PQclear(result);
        char *buffer = nullptr;
        while (PQgetCopyData(m_conn, &buffer, 0) > 0)
            PQfreemem(buffer);
        return takeLast();
    }
    case PGRES_COPY_IN:
        PQclear(result);
        PQputCopyEnd(m_conn, "COPY FROM STDIN is not supported");
        return takeLast();
    default:
        fail(m_conn, result);
    }
}

ExecResult PgConnection::takeLast()
{
    PGresult *kept = nullptr;
    while (PGresult *next = PQgetResult(m_conn)) {
        const bool keptFailed = kept && PQresultStatus(kept) == PGRES_FATAL_ERROR;
        if (keptFailed) {
            PQclear(next);
            continue;
        }
        if (kept)
            PQclear(kept);
        kept = next;
    }
    if (!kept)
        return {};
    return take(kept);
}

std::unique_ptr<RowSet> PgConnection::openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    const char *sql = schemaStatement(kind);
    if (!sql)
        throw EADOError("Invalid Enum Value");
    PGconn *conn = requireOpen();
    const char *values[3] = {restrictions.catalog.c_str(), restrictions.schema.c_str(), restrictions.table.c_str()};
    const Oid types[3] = {25, 25, 25}; // text
    ExecResult r = take(PQexecParams(conn, sql, 3, types, values, nullptr, nullptr, 0));
    return std::move(r.rows);
}

void PgConnection::cancel()
{
    m_stopConnecting = true; // seen only while open() waits for the server
    std::lock_guard lock(m_cancelMutex);
    if (!m_cancel)
        return;
    char error[256];
    PQcancel(m_cancel, error, int(sizeof error)); // a failed request changes nothing
}

} // namespace ado::pg

// The floors: each client library's own result read value by value, with
// nothing kept and nothing drawn.
#include "bench_env.h"
#include "bench_sides.h"
#include "bench_stream.h"

#include <firebird/Interface.h>
#include <libpq-fe.h>
#include <mysql.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// Kept visible so that the compiler cannot drop the reads.
volatile unsigned long long g_sink = 0;

} // namespace

PGconn *pgConnect()
{
    const Settings &s = settings();
    const std::string port = std::to_string(s.pgPort);
    const char *keys[] = {"host", "port", "user", "password", "dbname", "client_encoding", nullptr};
    const char *values[] = {s.pgSocket.c_str(), port.c_str(), s.pgUser.c_str(), s.pgPassword.c_str(),
                            s.rowsDatabase.c_str(), "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn) != CONNECTION_OK)
        throw std::runtime_error(std::string("libpq: ") + PQerrorMessage(conn));
    return conn;
}

SideResult pgFloor() { return pgFloorOn(rowsStatement()); }

SideResult pgFloorOn(const char *statement)
{
    Stopwatch clock;
    PGconn *conn = pgConnect();
    PGresult *result = PQexec(conn, statement);
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        throw std::runtime_error(std::string("libpq: ") + PQerrorMessage(conn));
    const int rows = PQntuples(result);
    const int fields = PQnfields(result);
    unsigned long long sum = 0;
    for (int r = 0; r < rows; ++r)
        for (int f = 0; f < fields; ++f) {
            if (PQgetisnull(result, r, f))
                continue;
            const char *value = PQgetvalue(result, r, f);
            const int length = PQgetlength(result, r, f);
            sum += unsigned(length) + (unsigned char)value[0] + (unsigned char)value[length - 1];
        }
    SideResult out{clock.seconds(), rows};
    g_sink = sum;
    PQclear(result);
    PQfinish(conn);
    return out;
}

SideResult myFloor()
{
    const Settings &s = settings();
    Stopwatch clock;
    MYSQL *conn = mysql_init(nullptr);
    mysql_options(conn, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (!mysql_real_connect(conn, nullptr, s.myUser.c_str(), s.myPassword.c_str(), s.rowsDatabase.c_str(), 0,
                            s.myDirSocket.c_str(), 0))
        throw std::runtime_error(std::string("libmariadb: ") + mysql_error(conn));
    if (mysql_query(conn, rowsStatement()) != 0)
        throw std::runtime_error(std::string("libmariadb: ") + mysql_error(conn));
    MYSQL_RES *result = mysql_store_result(conn);
    if (!result)
        throw std::runtime_error(std::string("libmariadb: ") + mysql_error(conn));
    const unsigned fields = mysql_num_fields(result);
    long long rows = 0;
    unsigned long long sum = 0;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long *lengths = mysql_fetch_lengths(result);
        for (unsigned f = 0; f < fields; ++f) {
            if (!row[f])
                continue;
            sum += lengths[f] + (unsigned char)row[f][0];
            if (lengths[f])
                sum += (unsigned char)row[f][lengths[f] - 1];
        }
        ++rows;
    }
    SideResult out{clock.seconds(), rows};
    g_sink = sum;
    mysql_free_result(result);
    mysql_close(conn);
    return out;
}

SideResult fbFloor()
{
    using namespace Firebird;
    const Settings &s = settings();
    Stopwatch clock;
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper status(master->getStatus());
    long long rows = 0;
    unsigned long long sum = 0;
    try {
        IUtil *util = master->getUtilInterface();
        IXpbBuilder *dpb = util->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&status, isc_dpb_user_name, "SYSDBA");
        IProvider *provider = master->getDispatcher();
        IAttachment *attachment = provider->attachDatabase(&status, s.fbPath.c_str(), dpb->getBufferLength(&status),
                                                           dpb->getBuffer(&status));
        ITransaction *transaction = attachment->startTransaction(&status, 0, nullptr);
        IStatement *statement =
            attachment->prepare(&status, transaction, 0, rowsStatement(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata *meta = statement->getOutputMetadata(&status);
        const unsigned fields = meta->getCount(&status);
        struct Field {
            unsigned type, offset, nullOffset, length;
        };
        std::vector<Field> layout;
        for (unsigned f = 0; f < fields; ++f)
            layout.push_back({meta->getType(&status, f) & ~1u, meta->getOffset(&status, f),
                              meta->getNullOffset(&status, f), meta->getLength(&status, f)});
        std::vector<unsigned char> buffer(meta->getMessageLength(&status));
        IResultSet *cursor = statement->openCursor(&status, transaction, nullptr, nullptr, meta, 0);
        while (cursor->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
            for (const Field &f : layout) {
                if (*reinterpret_cast<const int16_t *>(&buffer[f.nullOffset]))
                    continue;
                const unsigned char *value = &buffer[f.offset];
                if (f.type == 448) { // SQL_VARYING: length, then bytes
                    uint16_t length;
                    std::memcpy(&length, value, 2);
                    sum += length + (length ? value[2] + value[1 + length] : 0);
                } else {
                    for (unsigned i = 0; i < f.length; ++i)
                        sum += value[i];
                }
            }
            ++rows;
        }
        SideResult out{clock.seconds(), rows};
        g_sink = sum;
        cursor->close(&status);
        statement->free(&status);
        meta->release();
        transaction->commit(&status);
        attachment->detach(&status);
        dpb->dispose();
        status.dispose();
        return out;
    } catch (const FbException &e) {
        char text[1024];
        master->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
        status.dispose();
        throw std::runtime_error(std::string("fbclient: ") + text);
    }
}

SideResult sqliteFloor()
{
    const Settings &s = settings();
    Stopwatch clock;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(s.sqlitePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("libsqlite3: ") + sqlite3_errmsg(db));
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sqliteRowsStatement(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("libsqlite3: ") + sqlite3_errmsg(db));
    const int fields = sqlite3_column_count(statement);
    long long rows = 0;
    unsigned long long sum = 0;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int f = 0; f < fields; ++f) {
            switch (sqlite3_column_type(statement, f)) {
            case SQLITE_INTEGER: sum += (unsigned long long)sqlite3_column_int64(statement, f); break;
            case SQLITE_FLOAT: sum += (unsigned long long)sqlite3_column_double(statement, f); break;
            case SQLITE_TEXT: {
                const unsigned char *text = sqlite3_column_text(statement, f);
                const int length = sqlite3_column_bytes(statement, f);
                sum += unsigned(length) + (length ? text[0] + text[length - 1] : 0);
                break;
            }
            case SQLITE_BLOB: sum += unsigned(sqlite3_column_bytes(statement, f)); break;
            default: break;
            }
        }
        ++rows;
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("libsqlite3: ") + sqlite3_errmsg(db));
    SideResult out{clock.seconds(), rows};
    g_sink = sum;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return out;
}

} // namespace bench

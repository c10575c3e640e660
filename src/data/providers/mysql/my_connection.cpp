#include "my_connection.h"

#include <errmsg.h>
#include <mysqld_error.h>

#include <memory>

#include "ado_errors.h"
#include "my_rowset.h"
#include "my_schema.h"

namespace ado::my {

MyConnection::~MyConnection() { close(); }

void MyConnection::open()
{
    close();
    m_mysql = connectSession(m_settings);
    m_threadId = mysql_thread_id(m_mysql);
}

void MyConnection::close()
{
    m_threadId = 0;
    if (m_mysql)
        mysql_close(m_mysql);
    m_mysql = nullptr;
}

MYSQL *MyConnection::requireOpen() const
{
    if (!m_mysql)
        throw EADOError("Operation is not allowed when the object is closed");
    return m_mysql;
}

bool MyConnection::transactionOpen() const
{
    unsigned int status = 0;
    return m_mysql && mariadb_get_infov(m_mysql, MARIADB_CONNECTION_SERVER_STATUS, &status) == 0 &&
           (status & SERVER_STATUS_IN_TRANS) != 0;
}

void MyConnection::fail(bool transactionWasOpen)
{
    std::string message = mysql_error(m_mysql);
    const unsigned int code = mysql_errno(m_mysql);
    if (code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == ER_CONNECTION_KILLED) {
        close();
        throw EProviderError(sessionLostMessage(message, transactionWasOpen));
    }
    throw EProviderError(message);
}

void MyConnection::collectWarnings(unsigned int count, bool lastResult, std::vector<std::string> &notices)
{
    if (count == 0)
        return;
    // Their texts can be asked for only once no further result is pending.
    if (lastResult) {
        const size_t before = notices.size();
        static const std::string show = "SHOW WARNINGS";
        if (mysql_real_query(m_mysql, show.data(), show.size()) == 0) {
            if (MYSQL_RES *result = mysql_store_result(m_mysql)) {
                while (MYSQL_ROW row = mysql_fetch_row(result))
                    notices.push_back(std::string(row[0] ? row[0] : "") + " " + (row[1] ? row[1] : "") + ": " +
                                      (row[2] ? row[2] : ""));
                mysql_free_result(result);
            }
        }
        // The server keeps a limited number of texts; the rest are counted.
        const size_t listed = notices.size() - before;
        if (listed >= count)
            return;
        count -= unsigned(listed);
    }
    notices.push_back(count == 1 ? std::string("Warning: 1 warning whose text the server did not keep")
                                 : "Warning: " + std::to_string(count) + " warnings whose texts the server did not keep");
}

ExecResult MyConnection::execute(const std::string &statement)
{
    MYSQL *m = requireOpen();
    const bool inTransaction = transactionOpen();
    if (mysql_real_query(m, statement.data(), statement.size()))
        fail(inTransaction);
    // Of several results the last row set counts; without one, the last count.
    ExecResult out;
    for (;;) {
        if (mysql_field_count(m) > 0) {
            // Rows one by one into our own store, readable as they come.
            MYSQL_RES *result = mysql_use_result(m);
            if (!result)
                fail(inTransaction);
            const std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES *)> held(result, &mysql_free_result);
            auto rows = std::make_shared<MyRowSet>(result);
            ArrivalScope arriving(*rows);
            if (rowsArriving)
                rowsArriving(rows);
            while (MYSQL_ROW row = mysql_fetch_row(result))
                rows->appendRow(row, mysql_fetch_lengths(result));
            if (!mysql_errno(m))
                arriving.whole();
            if (mysql_errno(m) == ER_QUERY_INTERRUPTED && rows->rowCount() > 0) {
                // Cancelled while the rows came: those that came are kept.
                out.fetchStopped = mysql_error(m);
                out.rows = sharedRowSet(std::move(rows));
                out.recordsAffected = out.rows->rowCount();
                return out;
            }
            if (mysql_errno(m))
                fail(inTransaction);
            out.rows = sharedRowSet(std::move(rows));
            out.recordsAffected = out.rows->rowCount();
        } else if (!out.rows) {
            const my_ulonglong n = mysql_affected_rows(m);
            out.recordsAffected = n == (my_ulonglong)-1 ? -1 : (long long)n;
        }
        const unsigned int warnings = mysql_warning_count(m);
        const bool last = !mysql_more_results(m);
        collectWarnings(warnings, last, out.notices);
        if (last)
            return out;
        const int next = mysql_next_result(m);
        if (next > 0)
            fail(inTransaction);
        if (next < 0)
            return out;
    }
}

std::unique_ptr<RowSet> MyConnection::openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    switch (kind) {
    case adSchemaTables:
    case adSchemaColumns:
    case adSchemaIndexes:
    case adSchemaForeignKeys:
    case adSchemaPrimaryKeys:
        break;
    default:
        throw EADOError("Invalid Enum Value");
    }
    MYSQL *m = requireOpen();
    const Quoter quote = [m](const std::string &value) {
        std::string escaped(value.size() * 2 + 1, '\0');
        escaped.resize(mysql_real_escape_string(m, escaped.data(), value.data(), (unsigned long)value.size()));
        return "'" + escaped + "'";
    };
    return std::move(execute(schemaStatement(kind, restrictions, quote)).rows);
}

void MyConnection::cancel()
{
    const unsigned long id = m_threadId;
    if (!id)
        return;
    SessionSettings killer = m_settings;
    killer.database.clear();
    killer.clientFlags = 0;
    try {
        MYSQL *k = connectSession(killer);
        const std::string sql = "KILL QUERY " + std::to_string(id);
        mysql_real_query(k, sql.data(), sql.size()); // nothing running is no failure
        mysql_close(k);
    } catch (const Exception &) {
        // Cancelling is a request; when it cannot be delivered the statement runs on.
    }
}

} // namespace ado::my

#include "odbc_connection.h"

#include <cctype>

#include "access_catalog.h"
#include "access_file.h"
#include "ado_errors.h"
#include "odbc_schema.h"

namespace ado::odbc {
namespace {

bool firstStateIs(SQLSMALLINT type, SQLHANDLE handle, const char *state)
{
    SQLCHAR got[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLCHAR message[8];
    SQLRETURN rc = SQLGetDiagRec(type, handle, 1, got, &native, message, sizeof message, &length);
    return SQL_SUCCEEDED(rc) && std::string_view(reinterpret_cast<const char *>(got)) == state;
}

} // namespace

// Registers a statement for cancel() while it runs; unregisters before it is
// freed, so that cancel() never reaches a handle that is gone or reused. For
// the Access driver it also catches the driver's output for the statement.
class OdbcConnection::RunningStatement {
public:
    explicit RunningStatement(OdbcConnection &connection)
        : m_connection(connection), m_capture(connection.m_target.engine == Engine::Access),
          m_handle(SQL_HANDLE_STMT, connection.m_dbc.get())
    {
        std::lock_guard lock(m_connection.m_cancelMutex);
        m_connection.m_running = m_handle.get();
        m_connection.m_cancelled = false;
    }
    ~RunningStatement()
    {
        std::lock_guard lock(m_connection.m_cancelMutex);
        m_connection.m_running = SQL_NULL_HANDLE;
    }
    SQLHSTMT get() const { return m_handle.get(); }
    const std::atomic<bool> &cancelled() const { return m_connection.m_cancelled; }
    // Runs `work` on the statement. When the driver told of a page that it
    // could not read, that is the failure: the rows it returned are fewer
    // than the file holds, or its own message ("Couldn't parse SQL") hides
    // the cause.
    template <class Work>
    auto reading(Work work) const
    {
        auto result = [&] {
            try {
                return work();
            } catch (const EProviderError &) {
                checkReads();
                throw;
            }
        }();
        checkReads();
        return result;
    }

private:
    void checkReads() const
    {
        const std::string error = m_capture.readError();
        if (!error.empty())
            throw EProviderError("The database file '" + m_connection.m_target.dataSource +
                                 "' could not be read: " + error);
    }

    OdbcConnection &m_connection;
    DriverOutputCapture m_capture;
    Handle m_handle; // freed after the destructor body has unregistered it
};

OdbcConnection::OdbcConnection(ConnectionString connectionString) : m_connectionString(std::move(connectionString)) {}

OdbcConnection::~OdbcConnection()
{
    close();
}

void OdbcConnection::open()
{
    close();
    DriverTarget target = translate(m_connectionString, registeredDrivers());
    if (target.engine == Engine::Access)
        checkAccessFile(target.dataSource);
    const DriverOutputCapture capture(target.engine == Engine::Access);
    Handle env = makeEnvironment();
    Handle dbc(SQL_HANDLE_DBC, env.get());
    SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(30), 0);
    SQLRETURN rc = SQLDriverConnect(dbc.get(), nullptr,
                                    reinterpret_cast<SQLCHAR *>(const_cast<char *>(target.connectionString.c_str())),
                                    SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        std::string message = diagnostics(SQL_HANDLE_DBC, dbc.get());
        if (message.empty())
            message = target.engine == Engine::Access
                          ? "The MDBTools driver could not open '" + target.dataSource + "'."
                          : "The ODBC driver " + (target.driver.empty() ? std::string("named in the connection string")
                                                                        : "'" + target.driver + "'") +
                                " could not connect.";
        throw EProviderError(message);
    }
    SQLCHAR escape[8] = {};
    SQLSMALLINT length = 0;
    m_searchEscape.clear();
    if (SQL_SUCCEEDED(SQLGetInfo(dbc.get(), SQL_SEARCH_PATTERN_ESCAPE, escape, sizeof escape, &length)))
        m_searchEscape = reinterpret_cast<const char *>(escape);
    m_target = std::move(target);
    m_env = std::move(env);
    m_dbc = std::move(dbc);
    m_open = true;
}

void OdbcConnection::close()
{
    {
        std::lock_guard lock(m_cancelMutex);
        m_running = SQL_NULL_HANDLE;
    }
    const DriverOutputCapture capture(m_target.engine == Engine::Access);
    m_dbc.reset();
    m_env.reset();
    m_open = false;
}

ExecResult OdbcConnection::execute(const std::string &statement)
{
    if (!m_open)
        throw EProviderError("The connection is not open.");
    if (m_target.engine == Engine::Access) {
        const std::string keyword = leadingKeyword(statement);
        if (!keyword.empty() && keyword != "SELECT")
            throw EProviderError("The Access engine on this system reads Access files only; " + keyword +
                                 " statements are not supported.");
    }
    // The MDBTools parser knows no comments; those before the statement are dropped.
    const std::string text =
        m_target.engine == Engine::Access ? statement.substr(statementStart(statement)) : statement;
    RunningStatement running(*this);
    return running.reading([&] { return runStatement(running, text); });
}

ExecResult OdbcConnection::runStatement(RunningStatement &running, const std::string &text)
{
    const SQLHSTMT stmt = running.get();
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR *>(const_cast<char *>(text.c_str())),
                                 SQLINTEGER(text.size()));
    check(rc, SQL_HANDLE_STMT, stmt, "The driver failed to run the statement.");
    ExecResult result;
    if (rc == SQL_NO_DATA) { // a searched UPDATE or DELETE that touched no row
        result.recordsAffected = 0;
        return result;
    }
    for (;;) {
        SQLSMALLINT columns = 0;
        check(SQLNumResultCols(stmt, &columns), SQL_HANDLE_STMT, stmt, "The driver could not describe the result.");
        if (columns > 0) {
            if (!result.rows)
                result.rows = OdbcRowSet::fetchAll(stmt, &running.cancelled());
            else
                SQLCloseCursor(stmt);
        } else {
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLRowCount(stmt, &count)) && count >= 0)
                result.recordsAffected = (result.recordsAffected < 0 ? 0 : result.recordsAffected) + count;
        }
        if (m_target.engine == Engine::Access)
            break; // one statement a call; the driver has no further results
        rc = SQLMoreResults(stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            if (firstStateIs(SQL_HANDLE_STMT, stmt, "IM001"))
                break; // the driver does not know SQLMoreResults
            check(rc, SQL_HANDLE_STMT, stmt, "The driver failed to run the statement.");
        }
    }
    return result;
}

std::unique_ptr<RowSet> OdbcConnection::openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    if (kind != adSchemaTables && kind != adSchemaColumns && kind != adSchemaIndexes &&
        kind != adSchemaForeignKeys && kind != adSchemaPrimaryKeys)
        throw EADOError("Invalid Enum Value");
    if (!m_open)
        throw EProviderError("The connection is not open.");
    if (m_target.engine == Engine::Access)
        return accessSchema(*this, kind, restrictions);
    return driverSchema(*this, kind, restrictions);
}

void OdbcConnection::cancel()
{
    std::lock_guard lock(m_cancelMutex);
    if (m_running == SQL_NULL_HANDLE)
        return;
    m_cancelled = true; // the fetch stops before its next block
    // The MDBTools driver frees the statement's state in SQLCancel while the
    // fetch still uses it; its statements stop at the flag alone.
    if (m_target.engine != Engine::Access)
        SQLCancel(m_running);
}

std::unique_ptr<OdbcRowSet> OdbcConnection::catalog(const std::function<SQLRETURN(SQLHSTMT)> &call)
{
    RunningStatement running(*this);
    return running.reading([&] {
        check(call(running.get()), SQL_HANDLE_STMT, running.get(), "The driver failed to answer a catalogue request.");
        return OdbcRowSet::fetchAll(running.get(), &running.cancelled());
    });
}

std::unique_ptr<OdbcRowSet> OdbcConnection::query(const std::string &statement)
{
    return catalog([&](SQLHSTMT stmt) {
        return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR *>(const_cast<char *>(statement.c_str())),
                             SQLINTEGER(statement.size()));
    });
}

size_t statementStart(std::string_view text)
{
    size_t i = 0;
    const size_t n = text.size();
    for (;;) {
        while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (text.substr(i, 2) == "--") {
            while (i < n && text[i] != '\n')
                ++i;
        } else if (text.substr(i, 2) == "/*") {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else {
            return i;
        }
    }
}

std::string leadingKeyword(std::string_view text)
{
    size_t i = statementStart(text);
    while (i < text.size() && (text[i] == '(' || std::isspace(static_cast<unsigned char>(text[i]))))
        i = i + 1 + statementStart(text.substr(i + 1));
    std::string keyword;
    while (i < text.size() && (std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '_'))
        keyword += char(std::toupper(static_cast<unsigned char>(text[i++])));
    return keyword;
}

} // namespace ado::odbc

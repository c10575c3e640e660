#pragma once
// One session through the ODBC driver manager: Access files (MDBTools, read
// only), SQL Server (Microsoft's driver or FreeTDS), Oracle, and any other
// DRIVER={...} string.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "access_file.h"
#include "odbc_api.h"
#include "odbc_driver_strings.h"
#include "odbc_rowset.h"
#include "provider.h"

namespace ado::odbc {

class OdbcConnection : public ProviderConnection {
public:
    explicit OdbcConnection(ConnectionString connectionString);
    ~OdbcConnection() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    ExecResult execute(const std::string &statement) override;
    std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) override;
    void cancel() override;

    // For the catalogue helpers.
    const DriverTarget &target() const { return m_target; }
    // Runs one catalogue call (SQLTables, SQLColumns, ...) on a fresh statement
    // and fetches its rows.
    std::unique_ptr<OdbcRowSet> catalog(const std::function<SQLRETURN(SQLHSTMT)> &call);
    // A SELECT run without the read-only check, its rows fetched.
    std::unique_ptr<OdbcRowSet> query(const std::string &statement);
    // The driver's escape for '_' and '%' in catalogue patterns (may be empty).
    const std::string &searchEscape() const { return m_searchEscape; }

private:
    class RunningStatement;
    ExecResult runStatement(RunningStatement &running, const std::string &text);
    ConnectionString m_connectionString;
    DriverTarget m_target;
    Handle m_env;
    Handle m_dbc;
    bool m_open = false;
    std::string m_searchEscape;
    std::mutex m_cancelMutex;
    SQLHSTMT m_running = SQL_NULL_HANDLE; // guarded by m_cancelMutex
    std::atomic<bool> m_cancelled{false}; // set by cancel() for the statement that runs
};

// The first keyword of a statement after blanks, comments and opening
// parentheses, in upper case ("" when there is none).
std::string leadingKeyword(std::string_view statement);
// Where a statement begins after blanks and comments.
size_t statementStart(std::string_view statement);

} // namespace ado::odbc

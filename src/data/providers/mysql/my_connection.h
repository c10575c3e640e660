#pragma once
// A MySQL/MariaDB session through MariaDB Connector/C, for connection strings
// with DRIVER={MySQL ODBC 5.1 Driver}.

#include <mysql.h>

#include <atomic>
#include <string>
#include <vector>

#include "my_session.h"
#include "provider.h"

namespace ado::my {

class MyConnection : public ProviderConnection {
public:
    explicit MyConnection(const ConnectionString &cs) : m_settings(sessionSettings(cs)) {}
    ~MyConnection() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_mysql != nullptr; }
    ExecResult execute(const std::string &statement) override;
    std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) override;
    // Runs KILL QUERY for this session's thread from a session of its own.
    void cancel() override;

private:
    MYSQL *requireOpen() const;
    // Throws the session's last error; a session that the server dropped is
    // closed first, and the message tells whether a transaction went with it.
    [[noreturn]] void fail(bool transactionWasOpen = false);
    bool transactionOpen() const;
    // Adds a result's warnings to `notices`: their texts when no result
    // follows, else their number.
    void collectWarnings(unsigned int count, bool lastResult, std::vector<std::string> &notices);

    const SessionSettings m_settings;
    MYSQL *m_mysql = nullptr;
    std::atomic<unsigned long> m_threadId{0}; // read by cancel() from another thread
};

} // namespace ado::my

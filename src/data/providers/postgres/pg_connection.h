#pragma once
// A PostgreSQL session through libpq, for connection strings with
// Provider=PGNP.1.

#include <libpq-fe.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "provider.h"

namespace ado::pg {

// The libpq keywords and values that a connection string stands for.
std::vector<std::pair<std::string, std::string>> connectionParameters(const ConnectionString &cs);

class PgConnection : public ProviderConnection {
public:
    explicit PgConnection(ConnectionString cs) : m_cs(std::move(cs)) {}
    ~PgConnection() override;

    void open() override;
    void close() override;
    bool isOpen() const override;
    ExecResult execute(const std::string &statement) override;
    std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) override;
    void cancel() override;

private:
    PGconn *requireOpen() const;
    // PQconnectStartParams and PQconnectPoll until the session is up, failed,
    // or cancel() asked to stop (ECancelled).
    PGconn *connectStoppably(const char *const *keywords, const char *const *values);
    // The results of the statement sent, rows stored as they come.
    ExecResult collect();
    // Turns a finished statement's result into what execute() returns; takes `result`.
    ExecResult take(PGresult *result);
    // After a copy stream: the first failure, or the last result, of what is left.
    ExecResult takeLast();
    // libpq's notice receiver: keeps the notices of the statement that runs.
    static void collectNotice(void *self, const PGresult *notice);

    ConnectionString m_cs;
    PGconn *m_conn = nullptr;
    std::mutex m_cancelMutex; // guards m_cancel against cancel() from another thread
    PGcancel *m_cancel = nullptr;
    std::atomic<bool> m_stopConnecting{false};
    std::vector<std::string> m_notices; // of the statement that runs
};

} // namespace ado::pg

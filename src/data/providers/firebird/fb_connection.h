#pragma once
// A session with a Firebird database through fbclient: embedded for a local
// path, through a server for "host:path" or "host/port:path".
//
// Connection-string keys: Location (the database), User ID, Password, ctype
// (the connection character set; default UTF8; NONE passes bytes unchanged),
// auto_commit (true: each statement runs in a transaction of its own, committed
// when it has run and its rows are fetched; otherwise one transaction lasts
// until a COMMIT or ROLLBACK statement, or until close, which commits it).
// Data Source, dbclient_library and Persist Security Info are accepted and
// ignored.

#include <atomic>
#include <mutex>

#include "fb_client.h"
#include "fb_rowset.h"
#include "provider.h"

namespace ado::fb {

class Connection final : public ProviderConnection {
public:
    explicit Connection(ConnectionString settings);
    ~Connection() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_attachment != nullptr; }
    ExecResult execute(const std::string &statement) override;
    std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) override;
    std::vector<std::string> tableNames() override;
    std::vector<std::string> fieldNames(const std::string &table) override;
    void cancel() override;

private:
    ExecResult run(const std::string &statement);
    ExecResult runIn(Firebird::ITransaction *&transaction, const std::string &statement, Status &st);
    void readBlob(Firebird::ITransaction *transaction, const ISC_QUAD &id, std::string &out, Status &st);
    Firebird::ITransaction *startTransaction(Status &st);
    void clearPendingCancel();
    // After a failure that ended the attachment: closed without a word to the server.
    void dropLostAttachment();
    std::vector<std::string> firstColumn(const std::string &statement);

    ConnectionString m_settings;
    bool m_autoCommit = false;
    Firebird::IAttachment *m_attachment = nullptr;
    Firebird::ITransaction *m_transaction = nullptr; // without auto-commit: the open transaction
    std::mutex m_cancelMutex;                        // guards m_attachment against cancel()
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancelRequested{false};
};

} // namespace ado::fb

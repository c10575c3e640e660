#include "fb_connection.h"

#include <ibase.h>

#include "ado_errors.h"
#include "providers/row_blocks.h"

using namespace Firebird;

namespace ado::fb {

namespace {

bool isTrue(const std::string &value)
{
    return equalsNoCase(value, "true") || value == "1" || equalsNoCase(value, "yes");
}

// Ends a transaction without caring whether that works (after a failure).
void abandon(ITransaction *transaction)
{
    if (!transaction)
        return;
    CheckStatusWrapper st(master()->getStatus());
    transaction->rollback(&st);
    if (st.getState() & IStatus::STATE_ERRORS)
        transaction->release();
    st.dispose();
}

// Whether a failure means that the attachment is gone: the server went down,
// the connection broke, or the attachment was shut down or deleted.
bool attachmentLost(const IStatus *status)
{
    const ISC_STATUS *v = status->getErrors();
    while (v && *v != isc_arg_end) {
        const ISC_STATUS type = *v++;
        const ISC_STATUS value = *v++;
        if (type == isc_arg_cstring)
            ++v; // a length and then the text
        else if (type == isc_arg_gds)
            switch (value) {
            case isc_shutdown:
            case isc_conn_lost:
            case isc_network_error:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_lost_db_connection:
            case isc_att_shutdown:
                return true;
            default:
                break;
            }
    }
    return false;
}

} // namespace

Connection::Connection(ConnectionString settings) : m_settings(std::move(settings)) {}

Connection::~Connection()
{
    try {
        close();
    } catch (...) {
    }
}

void Connection::open()
{
    close();
    std::string location = m_settings.value("Location");
    std::string user = m_settings.valueOf({"User ID", "UID", "User"});
    std::string password = m_settings.valueOf({"Password", "PWD"});
    std::string charset = m_settings.value("ctype");
    m_autoCommit = isTrue(m_settings.value("auto_commit"));
    try {
        Status st;
        IXpbBuilder *dpb = master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        struct Dispose {
            IXpbBuilder *b;
            ~Dispose() { b->dispose(); }
        } disposeDpb{dpb};
        dpb->insertString(&st, isc_dpb_user_name, user.empty() ? "SYSDBA" : user.c_str());
        if (!password.empty())
            dpb->insertString(&st, isc_dpb_password, password.c_str());
        dpb->insertString(&st, isc_dpb_lc_ctype, charset.empty() ? "UTF8" : charset.c_str());
        Ref<IProvider> provider(master()->getDispatcher());
        IAttachment *attachment =
            provider->attachDatabase(&st, location.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        std::lock_guard lock(m_cancelMutex);
        m_attachment = attachment;
    } catch (const FbException &e) {
        throwStatus(e.getStatus());
    }
}

void Connection::close()
{
    if (!m_attachment)
        return;
    IAttachment *attachment;
    {
        std::lock_guard lock(m_cancelMutex);
        attachment = m_attachment;
        m_attachment = nullptr;
    }
    std::string failure;
    Status st;
    if (m_transaction) {
        try {
            m_transaction->commit(&st);
        } catch (const FbException &e) {
            failure = statusText(e.getStatus());
            abandon(m_transaction);
        }
        m_transaction = nullptr;
    }
    try {
        attachment->detach(&st);
    } catch (const FbException &e) {
        if (failure.empty())
            failure = statusText(e.getStatus());
        attachment->release();
    }
    if (!failure.empty())
        throw EProviderError(failure);
}

ITransaction *Connection::startTransaction(Status &st)
{
    return m_attachment->startTransaction(&st, 0, nullptr);
}

ExecResult Connection::execute(const std::string &statement)
{
    return run(statement);
}

ExecResult Connection::run(const std::string &statement)
{
    if (!m_attachment)
        throw EProviderError("The connection is not open");
    m_cancelRequested = false;
    const bool transactionOpen = m_transaction != nullptr;
    ITransaction *own = nullptr;
    try {
        Status st;
        ExecResult result;
        {
            RunningScope running(m_running);
            if (m_autoCommit) {
                own = startTransaction(st);
                result = runIn(own, statement, st);
                if (own) // still open unless the statement was COMMIT or ROLLBACK
                    own->commit(&st);
                own = nullptr;
            } else {
                if (!m_transaction)
                    m_transaction = startTransaction(st);
                result = runIn(m_transaction, statement, st);
            }
        }
        clearPendingCancel();
        return result;
    } catch (const FbException &e) {
        abandon(own);
        std::string text = statusText(e.getStatus());
        if (attachmentLost(e.getStatus())) {
            dropLostAttachment();
            throw EProviderError(sessionLostMessage(text, transactionOpen));
        }
        clearPendingCancel();
        throw EProviderError(text);
    }
}

void Connection::dropLostAttachment()
{
    IAttachment *attachment;
    {
        std::lock_guard lock(m_cancelMutex);
        attachment = m_attachment;
        m_attachment = nullptr;
    }
    m_cancelRequested = false;
    // Nothing can be ended on the server any more; only the client's objects go.
    if (m_transaction)
        m_transaction->release();
    m_transaction = nullptr;
    if (attachment)
        attachment->release();
}

ExecResult Connection::runIn(ITransaction *&transaction, const std::string &statement, Status &st)
{
    Ref<IStatement> prepared(m_attachment->prepare(&st, transaction, unsigned(statement.size()), statement.data(),
                                                   SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA));
    ExecResult result;
    unsigned type = prepared->getType(&st);
    if (type == isc_info_sql_stmt_commit || type == isc_info_sql_stmt_rollback) {
        // The statement ends the transaction it would run in; do it here so
        // that the connection knows. In auto-commit mode it ends the
        // statement's own (empty) transaction.
        prepared.reset();
        if (type == isc_info_sql_stmt_commit)
            transaction->commit(&st);
        else
            transaction->rollback(&st);
        transaction = nullptr;
        result.recordsAffected = 0;
        return result;
    }

    Ref<IMessageMetadata> output(prepared->getOutputMetadata(&st));
    std::vector<Column> columns = describeColumns(output.get());
    std::vector<unsigned char> message(output->getMessageLength(&st));
    auto blobs = [&](const ISC_QUAD &id, std::string &out) { readBlob(transaction, id, out, st); };
    if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd) {
        auto rows = std::make_shared<RowStore>(std::move(columns));
        Ref<IResultSet> cursor(prepared->openCursor(&st, transaction, nullptr, nullptr, output.get(), 0));
        ArrivalScope arriving(*rows);
        if (rowsArriving)
            rowsArriving(rows);
        while (cursor->fetchNext(&st, message.data()) == IStatus::RESULT_OK)
            rows->appendMessage(message.data(), blobs);
        arriving.whole();
        cursor->close(&st);
        cursor.take();
        result.rows = sharedRowSet(std::move(rows));
        result.recordsAffected = -1;
    } else if (!columns.empty()) {
        // EXECUTE PROCEDURE, INSERT ... RETURNING: one row of output.
        auto rows = std::make_unique<RowStore>(std::move(columns));
        prepared->execute(&st, transaction, nullptr, nullptr, output.get(), message.data());
        rows->appendMessage(message.data(), blobs);
        result.rows = std::move(rows);
        result.recordsAffected = (long long)prepared->getAffectedRecords(&st);
    } else {
        prepared->execute(&st, transaction, nullptr, nullptr, nullptr, nullptr);
        result.recordsAffected = (long long)prepared->getAffectedRecords(&st);
    }
    prepared->free(&st);
    prepared.take();
    return result;
}

void Connection::readBlob(ITransaction *transaction, const ISC_QUAD &id, std::string &out, Status &st)
{
    ISC_QUAD blobId = id;
    Ref<IBlob> blob(m_attachment->openBlob(&st, transaction, &blobId, 0, nullptr));
    char buffer[32768];
    for (;;) {
        unsigned length = 0;
        int state = blob->getSegment(&st, sizeof buffer, buffer, &length);
        if (state != IStatus::RESULT_OK && state != IStatus::RESULT_SEGMENT)
            break;
        out.append(buffer, length);
    }
    blob->close(&st);
    blob.take();
}

void Connection::cancel()
{
    std::lock_guard lock(m_cancelMutex);
    if (!m_attachment || !m_running)
        return;
    m_cancelRequested = true;
    CheckStatusWrapper st(master()->getStatus());
    m_attachment->cancelOperation(&st, fb_cancel_raise);
    st.dispose();
}

// A cancel that came after the engine's last check of the statement would stay
// pending and stop the next statement: switching cancelling off and on again
// drops it.
void Connection::clearPendingCancel()
{
    if (!m_cancelRequested.exchange(false))
        return;
    std::lock_guard lock(m_cancelMutex);
    if (!m_attachment)
        return;
    CheckStatusWrapper st(master()->getStatus());
    m_attachment->cancelOperation(&st, fb_cancel_disable);
    m_attachment->cancelOperation(&st, fb_cancel_enable);
    st.dispose();
}

} // namespace ado::fb

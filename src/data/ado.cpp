#include "ado.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <thread>
#include <utility>

namespace ado {

// ---- TADOConnection --------------------------------------------------------

TADOConnection::TADOConnection() = default;

TADOConnection::~TADOConnection()
{
    for (TADODataSet *ds : m_dataSets)
        ds->m_connection = nullptr;
    m_dataSets.clear();
    Close();
}

// One connection attempt, shared by the thread that connects and the caller
// that waits for it; either may be the last to let go.
struct TADOConnection::OpenAttempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;      // guarded by mutex
    bool cancelled = false; // guarded by mutex
    std::exception_ptr failure;
    std::unique_ptr<ProviderConnection> provider;
};

void TADOConnection::Open()
{
    m_restoring = false;
    openProvider();
}

void TADOConnection::openProvider()
{
    closeProvider();
    auto attempt = std::make_shared<OpenAttempt>();
    attempt->provider = ProviderRegistry::instance().create(ConnectionString);
    ProviderConnection *provider = attempt->provider.get();
    {
        std::lock_guard lock(m_cancelMutex);
        m_opening = attempt;
    }
    // The login runs on a thread of its own, so that the caller can give up
    // on a server that does not answer even when the client library offers
    // no way to stop the attempt.
    std::thread([attempt, provider] {
        std::exception_ptr failure;
        try {
            provider->open();
        } catch (...) {
            failure = std::current_exception();
        }
        std::unique_lock lock(attempt->mutex);
        attempt->done = true;
        attempt->failure = failure;
        if (attempt->cancelled) {
            // No one waits any more: a session that came too late is closed here.
            std::unique_ptr<ProviderConnection> abandoned = std::move(attempt->provider);
            lock.unlock();
            abandoned.reset();
            return;
        }
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock wait(attempt->mutex);
    attempt->finished.wait(wait, [&] { return attempt->done || attempt->cancelled; });
    // Cancel marks only an attempt that has not finished, and such an attempt
    // is the thread's to close.
    const bool cancelled = attempt->cancelled;
    {
        std::lock_guard lock(m_cancelMutex);
        m_opening.reset();
    }
    if (cancelled)
        throw ECancelled("Connecting was cancelled");
    if (attempt->failure)
        std::rethrow_exception(attempt->failure);
    std::unique_ptr<ProviderConnection> opened = std::move(attempt->provider);
    wait.unlock();
    std::lock_guard lock(m_cancelMutex);
    m_provider = std::move(opened);
}

void TADOConnection::Close()
{
    m_restoring = false;
    closeProvider();
}

void TADOConnection::closeProvider()
{
    std::unique_ptr<ProviderConnection> provider;
    {
        std::lock_guard lock(m_cancelMutex);
        provider = std::move(m_provider);
    }
    if (provider)
        provider->close();
}

bool TADOConnection::Connected() const
{
    std::lock_guard lock(m_cancelMutex);
    return m_provider && m_provider->isOpen();
}

void TADOConnection::ensureOpen()
{
    if (Connected())
        return;
    {
        // A provider that is there but not open has lost its session; the
        // mark stays until a new one is opened (a first try may fail).
        std::lock_guard lock(m_cancelMutex);
        if (m_provider)
            m_restoring = true;
    }
    openProvider();
    if (std::exchange(m_restoring, false) && OnSessionRestored)
        OnSessionRestored();
}

ExecResult TADOConnection::ExecuteWithResult(const std::string &commandText)
{
    ensureOpen();
    // The watcher is this statement's alone: schema requests and the like
    // that the provider runs later are not shown as they arrive.
    struct Watch {
        ProviderConnection *provider;
        ~Watch() { provider->rowsArriving = nullptr; }
    } watch{m_provider.get()};
    watch.provider->rowsArriving = OnRowsArriving;
    ExecResult result = m_provider->execute(commandText);
    // Rows cut short by a cancel are kept only for a caller that watched
    // them arrive; for the others the cancel fails the statement.
    if (!result.fetchStopped.empty() && !OnRowsArriving)
        throw EProviderError(result.fetchStopped);
    return result;
}

void TADOConnection::Execute(const std::string &commandText, int &recordsAffected)
{
    ExecResult result = ExecuteWithResult(commandText);
    recordsAffected = int(result.recordsAffected);
}

void TADOConnection::OpenSchema(SchemaEnum kind, TADODataSet &dataSet, const SchemaRestrictions &restrictions)
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
    dataSet.Close();
    ensureOpen();
    dataSet.OpenResult(m_provider->openSchema(kind, restrictions));
    dataSet.m_cursorLocation = CursorLocation;
}

void TADOConnection::GetTableNames(TStringList &list)
{
    ensureOpen();
    const std::vector<std::string> names = m_provider->tableNames();
    list.Clear();
    for (const auto &n : names)
        list.Add(n);
}

void TADOConnection::GetFieldNames(const std::string &table, TStringList &list)
{
    ensureOpen();
    const std::vector<std::string> names = m_provider->fieldNames(table);
    list.Clear();
    for (const auto &n : names)
        list.Add(n);
}

void TADOConnection::Cancel()
{
    std::lock_guard lock(m_cancelMutex);
    if (m_provider)
        m_provider->cancel();
    if (m_opening) {
        std::lock_guard attemptLock(m_opening->mutex);
        if (!m_opening->done) {
            m_opening->cancelled = true;
            // A provider that can stop its login does so; the others finish on their own.
            if (m_opening->provider)
                m_opening->provider->cancel();
            m_opening->finished.notify_all();
        }
    }
}

void TADOConnection::attach(TADODataSet *dataSet)
{
    if (std::find(m_dataSets.begin(), m_dataSets.end(), dataSet) == m_dataSets.end())
        m_dataSets.push_back(dataSet);
}

void TADOConnection::detach(TADODataSet *dataSet)
{
    m_dataSets.erase(std::remove(m_dataSets.begin(), m_dataSets.end(), dataSet), m_dataSets.end());
}

// ---- TField ----------------------------------------------------------------

std::string TField::FieldName() const { return m_dataSet->rowSet()->fieldName(m_index); }

std::string TField::AsString() const
{
    RowSet *rows = m_dataSet->rowSet();
    if (!rows || m_dataSet->Eof())
        return {};
    return rows->value(m_dataSet->RecNo(), m_index);
}

bool TField::IsNull() const
{
    RowSet *rows = m_dataSet->rowSet();
    if (!rows || m_dataSet->Eof())
        return true;
    return rows->isNull(m_dataSet->RecNo(), m_index);
}

FieldKind TField::Kind() const { return m_dataSet->rowSet()->fieldKind(m_index); }

// ---- TADODataSet -----------------------------------------------------------

TADODataSet::TADODataSet(TADOConnection *connection) { SetConnection(connection); }

TADODataSet::~TADODataSet()
{
    if (m_connection)
        m_connection->detach(this);
    const std::vector<TDataSource *> observers = m_observers;
    m_observers.clear();
    for (TDataSource *source : observers)
        source->dataSetChanged(this, true);
}

void TADODataSet::SetConnection(TADOConnection *connection)
{
    if (m_connection)
        m_connection->detach(this);
    m_connection = connection;
    if (m_connection)
        m_connection->attach(this);
}

void TADODataSet::Open()
{
    if (!m_connection)
        throw EADOError("Missing Connection or ConnectionString");
    Close();
    ExecResult result = m_connection->ExecuteWithResult(CommandText());
    if (!result.rows)
        throw EDatabaseError("CommandText does not return a result set");
    OpenResult(std::move(result.rows));
    m_cursorLocation = adUseClient;
}

void TADODataSet::OpenResult(std::unique_ptr<RowSet> rows)
{
    m_rows = std::move(rows);
    m_row = 0;
    notifyChanged();
}

void TADODataSet::Close()
{
    if (!m_rows)
        return;
    m_rows.reset();
    m_row = 0;
    notifyChanged();
}

long long TADODataSet::RecordCount() const { return m_rows ? m_rows->rowCount() : 0; }

void TADODataSet::First() { m_row = 0; }

void TADODataSet::Next()
{
    if (m_rows && m_row < m_rows->rowCount())
        ++m_row;
}

bool TADODataSet::Eof() const { return !m_rows || m_row >= m_rows->rowCount(); }

bool TADODataSet::MoveTo(long long row)
{
    if (!m_rows || row < 0 || row >= m_rows->rowCount())
        return false;
    m_row = row;
    return true;
}

int TADODataSet::FieldCount() const { return m_rows ? m_rows->fieldCount() : 0; }

TField TADODataSet::Fields(int index) const
{
    if (!m_rows || index < 0 || index >= m_rows->fieldCount())
        throw EDatabaseError("Field index out of range");
    return TField(this, index);
}

TField TADODataSet::FindField(const std::string &name) const
{
    if (!m_rows)
        return {};
    const int i = m_rows->fieldIndex(name);
    return i < 0 ? TField() : TField(this, i);
}

TField TADODataSet::FieldByName(const std::string &name) const
{
    TField f = FindField(name);
    if (!f)
        throw EDatabaseError("Field '" + name + "' not found");
    return f;
}

bool TADODataSet::Locate(const std::string &fieldName, const std::string &value)
{
    const TField f = FieldByName(fieldName);
    std::string scratch;
    const long long n = m_rows->rowCount();
    for (long long r = 0; r < n; ++r) {
        if (m_rows->isNull(r, f.Index()))
            continue;
        if (m_rows->text(r, f.Index(), scratch) == value) {
            m_row = r;
            return true;
        }
    }
    return false;
}

void TADODataSet::addObserver(TDataSource *source)
{
    if (std::find(m_observers.begin(), m_observers.end(), source) == m_observers.end())
        m_observers.push_back(source);
}

void TADODataSet::removeObserver(TDataSource *source)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), source), m_observers.end());
}

void TADODataSet::notifyChanged()
{
    const std::vector<TDataSource *> observers = m_observers;
    for (TDataSource *source : observers)
        source->dataSetChanged(this, false);
}

// ---- TDataSource -----------------------------------------------------------

TDataSource::TDataSource(QObject *owner) : QObject(owner) {}

TDataSource::~TDataSource()
{
    if (m_dataSet)
        m_dataSet->removeObserver(this);
    m_dataSet = nullptr;
    m_owned.clear();
}

void TDataSource::SetDataSet(TADODataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->removeObserver(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->addObserver(this);
    emit changed();
}

void TDataSource::adopt(std::unique_ptr<TADODataSet> dataSet) { m_owned.push_back(std::move(dataSet)); }

void TDataSource::dataSetChanged(TADODataSet *dataSet, bool destroyed)
{
    if (dataSet != m_dataSet)
        return;
    if (destroyed)
        m_dataSet = nullptr;
    emit changed();
}

} // namespace ado

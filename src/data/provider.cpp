#include "provider.h"

#include "ado_errors.h"
#include "providers/builtin.h"

namespace ado {
namespace {
std::string lowerKey(const std::string &s)
{
    std::string out = s;
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

bool isBlankText(const std::string &s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

constexpr unsigned long long kNullBit = 1ULL << 63;
} // namespace

int RowSet::fieldIndex(std::string_view name) const
{
    const int n = fieldCount();
    for (int i = 0; i < n; ++i)
        if (equalsNoCase(fieldName(i), name))
            return i;
    return -1;
}

std::string RowSet::value(long long row, int field) const
{
    std::string scratch;
    return std::string(text(row, field, scratch));
}

std::vector<std::string> ProviderConnection::tableNames()
{
    std::vector<std::string> names;
    auto rows = openSchema(adSchemaTables, {});
    const int nameField = rows->fieldIndex("TABLE_NAME");
    const int typeField = rows->fieldIndex("TABLE_TYPE");
    if (nameField < 0 || typeField < 0)
        return names;
    std::string scratch;
    for (long long r = 0; r < rows->rowCount(); ++r) {
        const std::string_view type = rows->text(r, typeField, scratch);
        if (type == "TABLE" || type == "VIEW")
            names.push_back(rows->value(r, nameField));
    }
    return names;
}

std::vector<std::string> ProviderConnection::fieldNames(const std::string &table)
{
    std::vector<std::string> names;
    SchemaRestrictions restrictions;
    restrictions.table = table;
    auto rows = openSchema(adSchemaColumns, restrictions);
    const int tableField = rows->fieldIndex("TABLE_NAME");
    const int columnField = rows->fieldIndex("COLUMN_NAME");
    if (columnField < 0)
        return names;
    for (long long r = 0; r < rows->rowCount(); ++r) {
        if (tableField >= 0 && rows->value(r, tableField) != table)
            continue;
        names.push_back(rows->value(r, columnField));
    }
    return names;
}

ProviderRegistry::ProviderRegistry() = default;

ProviderRegistry &ProviderRegistry::instance()
{
    static ProviderRegistry *registry = [] {
        auto *r = new ProviderRegistry;
        registerBuiltinProviders(*r);
        return r;
    }();
    return *registry;
}

void ProviderRegistry::registerProvider(const std::string &name, ProviderFactory factory)
{
    std::lock_guard lock(m_mutex);
    m_factories[lowerKey(name)] = std::move(factory);
}

void ProviderRegistry::unregisterProvider(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    m_factories.erase(lowerKey(name));
}

void ProviderRegistry::setDriverFallback(ProviderFactory factory)
{
    std::lock_guard lock(m_mutex);
    m_driverFallback = std::move(factory);
}

std::unique_ptr<ProviderConnection> ProviderRegistry::create(const std::string &connectionString)
{
    if (isBlankText(connectionString))
        throw EADOError("The connection string is empty: no database engine is chosen.");
    const ConnectionString cs = ConnectionString::parse(connectionString);
    ProviderFactory factory;
    {
        std::lock_guard lock(m_mutex);
        if (auto provider = cs.find("Provider")) {
            auto it = m_factories.find(lowerKey(*provider));
            if (it == m_factories.end())
                throw EADOError("Provider cannot be found: \"" + *provider + "\". It may not be properly installed.");
            factory = it->second;
        } else if (auto driver = cs.find("DRIVER")) {
            auto it = m_factories.find(lowerKey(*driver));
            if (it != m_factories.end())
                factory = it->second;
            else if (m_driverFallback)
                factory = m_driverFallback;
            else
                throw EADOError("No provider serves the ODBC driver \"" + *driver + "\".");
        } else {
            throw EADOError("The connection string names no provider (Provider=...) and no driver (DRIVER={...}).");
        }
    }
    return factory(cs);
}

namespace {

class SharedRowSet : public RowSet {
public:
    explicit SharedRowSet(std::shared_ptr<const RowSet> rows) : m_rows(std::move(rows)) {}
    int fieldCount() const override { return m_rows->fieldCount(); }
    std::string fieldName(int field) const override { return m_rows->fieldName(field); }
    FieldKind fieldKind(int field) const override { return m_rows->fieldKind(field); }
    long long rowCount() const override { return m_rows->rowCount(); }
    bool isNull(long long row, int field) const override { return m_rows->isNull(row, field); }
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        return m_rows->text(row, field, scratch);
    }
    const RowSet &holder() const override { return m_rows->holder(); }
    Arrival arrival() const override { return m_rows->arrival(); }

private:
    std::shared_ptr<const RowSet> m_rows;
};

} // namespace

std::unique_ptr<RowSet> sharedRowSet(std::shared_ptr<const RowSet> rows)
{
    return std::make_unique<SharedRowSet>(std::move(rows));
}

MemoryRowSet::MemoryRowSet(std::vector<std::string> fieldNames) : m_names(std::move(fieldNames))
{
    m_kinds.assign(m_names.size(), FieldKind::Text);
}

void MemoryRowSet::addField(std::string name, FieldKind kind)
{
    m_names.push_back(std::move(name));
    m_kinds.push_back(kind);
}

void MemoryRowSet::addRow(const std::vector<std::optional<std::string>> &cells)
{
    for (size_t f = 0; f < m_names.size(); ++f) {
        if (f < cells.size() && cells[f]) {
            m_data += *cells[f];
            m_ends.push_back(m_data.size());
        } else {
            m_ends.push_back(m_data.size() | kNullBit);
        }
    }
}

long long MemoryRowSet::rowCount() const
{
    return m_names.empty() ? 0 : (long long)(m_ends.size() / m_names.size());
}

bool MemoryRowSet::isNull(long long row, int field) const
{
    return (m_ends[size_t(row) * m_names.size() + size_t(field)] & kNullBit) != 0;
}

std::string_view MemoryRowSet::text(long long row, int field, std::string &) const
{
    const size_t cell = size_t(row) * m_names.size() + size_t(field);
    const unsigned long long end = m_ends[cell] & ~kNullBit;
    const unsigned long long begin = cell == 0 ? 0 : (m_ends[cell - 1] & ~kNullBit);
    return std::string_view(m_data).substr(begin, end - begin);
}

std::string sessionLostMessage(const std::string &engineMessage, bool transactionWasOpen)
{
    if (!transactionWasOpen)
        return engineMessage;
    std::string message = engineMessage;
    if (!message.empty())
        message += '\n';
    return message + "The connection to the server was lost while a transaction was open: the server has rolled "
                     "the transaction back and none of its changes were kept. The next statement opens a new session.";
}

} // namespace ado

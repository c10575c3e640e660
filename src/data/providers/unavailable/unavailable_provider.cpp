#include "../builtin.h"
#include "ado_errors.h"
#include "provider.h"

namespace ado {
namespace {

// A provider that exists on Windows only: every open fails and says so.
class UnavailableConnection : public ProviderConnection {
public:
    UnavailableConnection(std::string provider, std::string product)
        : m_provider(std::move(provider)), m_product(std::move(product))
    {
    }
    void open() override
    {
        throw EProviderError("The provider " + m_provider + " (" + m_product +
                             ") is not available on this system: SQL Server Compact database files cannot be opened "
                             "on Linux.");
    }
    void close() override {}
    bool isOpen() const override { return false; }
    ExecResult execute(const std::string &) override { open(); return {}; }
    std::unique_ptr<RowSet> openSchema(SchemaEnum, const SchemaRestrictions &) override { open(); return nullptr; }
    void cancel() override {}

private:
    std::string m_provider;
    std::string m_product;
};

void add(ProviderRegistry &registry, const std::string &provider, const std::string &product)
{
    registry.registerProvider(provider, [provider, product](const ConnectionString &) {
        return std::make_unique<UnavailableConnection>(provider, product);
    });
}

} // namespace

void registerUnavailableProviders(ProviderRegistry &registry)
{
    add(registry, "Microsoft.SQLSERVER.MOBILE.OLEDB.3.0", "SQL Server Compact 3.1");
    add(registry, "Microsoft.SQLSERVER.CE.OLEDB.3.5", "SQL Server Compact 3.5");
}

} // namespace ado

#include "../builtin.h"
#include "odbc_connection.h"
#include "provider.h"

namespace ado {

void registerOdbcProviders(ProviderRegistry &registry)
{
    auto factory = [](const ConnectionString &text) -> std::unique_ptr<ProviderConnection> {
        return std::make_unique<odbc::OdbcConnection>(text);
    };
    for (const char *name : {"Microsoft.Jet.OLEDB.4.0", "SQLOLEDB.1", "OraOLEDB.Oracle.1", "MSDAORA.1"})
        registry.registerProvider(name, factory);
    registry.setDriverFallback(factory);
}

} // namespace ado

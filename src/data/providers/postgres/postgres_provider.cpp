#include "../builtin.h"
#include "pg_connection.h"
#include "provider.h"

namespace ado {
void registerPostgresProvider(ProviderRegistry &registry)
{
    registry.registerProvider("PGNP.1", [](const ConnectionString &cs) -> std::unique_ptr<ProviderConnection> {
        return std::make_unique<pg::PgConnection>(cs);
    });
}
} // namespace ado

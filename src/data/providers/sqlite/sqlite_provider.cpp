#include "../builtin.h"
#include "sqlite_connection.h"

namespace ado {

void registerSQLiteProvider(ProviderRegistry &registry)
{
    registry.registerProvider("SQLite", [](const ConnectionString &settings) {
        return std::make_unique<sqlite::Connection>(settings);
    });
}

} // namespace ado

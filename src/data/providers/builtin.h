#pragma once
// The providers that come with the program, one registration function each.
namespace ado {
class ProviderRegistry;
void registerPostgresProvider(ProviderRegistry &registry);   // PGNP.1
void registerMySqlProvider(ProviderRegistry &registry);      // DRIVER={MySQL ODBC 5.1 Driver}
void registerFirebirdProvider(ProviderRegistry &registry);   // LCPI.IBProvider.3.Free
void registerSQLiteProvider(ProviderRegistry &registry);     // SQLite
void registerOdbcProviders(ProviderRegistry &registry);      // Jet, SQLOLEDB, Oracle, other DRIVER={...}
void registerUnavailableProviders(ProviderRegistry &registry); // SQL Server Compact
inline void registerBuiltinProviders(ProviderRegistry &registry)
{
    registerPostgresProvider(registry);
    registerMySqlProvider(registry);
    registerFirebirdProvider(registry);
    registerSQLiteProvider(registry);
    registerOdbcProviders(registry);
    registerUnavailableProviders(registry);
}
} // namespace ado

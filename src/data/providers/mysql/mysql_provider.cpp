#include "../builtin.h"
#include "my_connection.h"
#include "provider.h"

namespace ado {
void registerMySqlProvider(ProviderRegistry &registry)
{
    registry.registerProvider("MySQL ODBC 5.1 Driver",
                              [](const ConnectionString &cs) -> std::unique_ptr<ProviderConnection> {
                                  return std::make_unique<my::MyConnection>(cs);
                              });
}
} // namespace ado

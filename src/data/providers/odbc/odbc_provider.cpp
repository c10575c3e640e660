#include "../builtin.h"
#include "provider.h"

namespace ado {
void registerOdbcProviders(ProviderRegistry &) {}
} // namespace ado

#include "../builtin.h"
#include "provider.h"

namespace ado {
void registerMySqlProvider(ProviderRegistry &) {}
} // namespace ado

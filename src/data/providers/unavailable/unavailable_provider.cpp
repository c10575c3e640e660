#include "../builtin.h"
#include "provider.h"

namespace ado {
void registerUnavailableProviders(ProviderRegistry &) {}
} // namespace ado

#include "../builtin.h"
#include "provider.h"

namespace ado {
void registerFirebirdProvider(ProviderRegistry &) {}
} // namespace ado

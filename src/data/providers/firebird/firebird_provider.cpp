#include "../builtin.h"
#include "fb_connection.h"

namespace ado {

void registerFirebirdProvider(ProviderRegistry &registry)
{
    registry.registerProvider("LCPI.IBProvider.3.Free", [](const ConnectionString &settings) {
        return std::make_unique<fb::Connection>(settings);
    });
}

} // namespace ado

#pragma once
// Turns the OLE DB style strings the program builds for Access, SQL Server
// and Oracle into driver connection strings for the ODBC drivers that stand
// in for those providers here, and picks the driver among the registered ones.

#include <string>
#include <vector>

#include "connection_string.h"

namespace ado::odbc {

enum class Engine { Access, SqlServer, Oracle, Other };

struct DriverTarget {
    Engine engine = Engine::Other;
    std::string driver;           // the chosen driver's name; empty for Other
    std::string connectionString; // what SQLDriverConnect receives
    std::string dataSource;       // Access: the file's path
};

// The engine that a provider name stands for (Other for anything else).
Engine engineOfProvider(const std::string &provider);

// A value for a driver connection string: as it stands when it is safe,
// otherwise in braces with every inner '}' doubled.
std::string braceValue(const std::string &value);

// Builds the driver string for `text` (a parsed connection string) with the
// drivers in `drivers` (as SQLDrivers lists them). A DRIVER={...} string is
// passed on unchanged. Throws EProviderError naming the engine and what to
// install when no suitable driver is registered.
DriverTarget translate(const ConnectionString &text, const std::vector<std::string> &drivers);

} // namespace ado::odbc

#pragma once
// The names that the editor's completion offers, read from a connection's
// catalogue: the schemas (a MariaDB server's databases), the tables and views
// of one schema, the columns of one table. Engines without schemas answer
// through their command set, with the connection's own database.

#include <string>
#include <vector>

class TqdServerConnection;

namespace catalogue_names {

// The schema that unqualified table names resolve to (PostgreSQL's current
// schema, MariaDB's current database); empty for engines without schemas.
std::string defaultSchema(TqdServerConnection &connection);
// Empty for engines without schemas.
std::vector<std::string> schemas(TqdServerConnection &connection);
// Tables and views; `schema` empty: those of the engine's only namespace.
std::vector<std::string> tables(TqdServerConnection &connection, const std::string &schema);
std::vector<std::string> columns(TqdServerConnection &connection, const std::string &schema, const std::string &table);

} // namespace catalogue_names

#pragma once
// The information_schema statements behind the schema row sets of a
// MySQL/MariaDB connection. In MySQL terms a catalog is a database:
// TABLE_CATALOG holds the database name and TABLE_SCHEMA stays null.

#include <functional>
#include <string>

#include "provider.h"

namespace ado::my {

// Quotes a value as an SQL string literal for the open session.
using Quoter = std::function<std::string(const std::string &)>;

// The statement for a schema kind, or empty text when the kind is not
// served. The database restriction is the catalog, else the schema; without
// one, the current database, or every user database when none is selected.
std::string schemaStatement(SchemaEnum kind, const SchemaRestrictions &restrictions, const Quoter &quote);

} // namespace ado::my

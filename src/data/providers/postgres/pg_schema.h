#pragma once
// The catalogue statements behind the schema row sets of a PostgreSQL
// connection. Each takes three text parameters: $1 catalog, $2 schema,
// $3 table; an empty parameter does not restrict.

#include "provider.h"

namespace ado::pg {

// The statement for a schema kind, or null when the kind is not served.
const char *schemaStatement(SchemaEnum kind);

} // namespace ado::pg

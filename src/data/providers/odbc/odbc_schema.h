#pragma once
// Schema row sets with the OLE DB column names, built from the ODBC
// catalogue functions (SQLTables, SQLColumns, SQLStatistics, SQLForeignKeys,
// SQLPrimaryKeys).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "provider.h"

namespace ado::odbc {

class OdbcConnection;

// An empty row set with the columns of a schema kind.
std::unique_ptr<MemoryRowSet> emptySchema(SchemaEnum kind);

// A cell by column name (any of the spellings), nullopt when null or absent.
std::optional<std::string> cellOf(const RowSet &rows, long long row, std::initializer_list<const char *> names);

// "CASCADE", "NO ACTION", ... for an ODBC SQL_CASCADE .. SQL_SET_DEFAULT code.
std::optional<std::string> ruleName(const std::optional<std::string> &code);

// Through the driver's catalogue functions.
std::unique_ptr<RowSet> driverSchema(OdbcConnection &connection, SchemaEnum kind, const SchemaRestrictions &restrictions);

// SQLTables with the restrictions, as OLE DB TABLES rows.
std::unique_ptr<MemoryRowSet> driverTables(OdbcConnection &connection, const SchemaRestrictions &restrictions);
// SQLColumns for one table or (table empty) all, as OLE DB COLUMNS rows.
void appendDriverColumns(OdbcConnection &connection, const SchemaRestrictions &restrictions, MemoryRowSet &out,
                         bool trustNullable);

} // namespace ado::odbc

#pragma once
// Schema row sets of Access files read through the MDBTools driver. The
// driver answers SQLTables and SQLColumns (the latter only for a named
// table); its SQLStatistics result crashes the fetch and it has no
// SQLForeignKeys or SQLPrimaryKeys. So saved queries come from MSysObjects,
// relationships from MSysRelationships (both read through the driver), and
// indexes and primary keys from the mdb-schema program of mdbtools.

#include <memory>
#include <string>
#include <vector>

#include "provider.h"

namespace ado::odbc {

class OdbcConnection;

std::unique_ptr<RowSet> accessSchema(OdbcConnection &connection, SchemaEnum kind, const SchemaRestrictions &restrictions);

// One index as mdb-schema describes it.
struct AccessIndex {
    std::string table;
    std::string name;
    bool primaryKey = false;
    bool unique = false;
    std::vector<std::string> columns;
};

// Parses the MySQL-flavoured output of `mdb-schema --indexes ... mysql`.
std::vector<AccessIndex> parseAccessIndexes(const std::string &schemaText);

} // namespace ado::odbc

#include "o_CatalogueNames.h"

#include "o_ServerConnection.h"
#include "string_list.h"

namespace catalogue_names {

namespace {

bool hasSchemas(TqdServerEngine engine) { return engine == sePostGre || engine == seMySQL; }

// `value` as a string literal of the connection's engine.
std::string literal(const TqdServerConnection &connection, const std::string &value)
{
    std::string text = "'";
    for (char c : value) {
        if (c == '\'' || (c == '\\' && connection.DBEngine == seMySQL))
            text += c;
        text += c;
    }
    return text + "'";
}

// The first column of a statement's rows.
std::vector<std::string> firstColumn(TqdServerConnection &connection, const std::string &statement)
{
    ado::TADODataSet *query = connection.OpenQuery(statement);
    std::vector<std::string> values;
    try {
        if (query->FieldCount() > 0) {
            const ado::TField field = query->Fields(0);
            for (query->First(); !query->Eof(); query->Next())
                values.push_back(field.AsString());
        }
    } catch (...) {
        connection.ReleaseQuery(query);
        throw;
    }
    connection.ReleaseQuery(query);
    return values;
}

} // namespace

std::string defaultSchema(TqdServerConnection &connection)
{
    if (!hasSchemas(connection.DBEngine))
        return {};
    const std::vector<std::string> found =
        firstColumn(connection, connection.DBEngine == sePostGre ? "SELECT current_schema()" : "SELECT DATABASE()");
    return found.empty() ? std::string() : found.front();
}

std::vector<std::string> schemas(TqdServerConnection &connection)
{
    switch (connection.DBEngine) {
    case sePostGre:
        return firstColumn(connection, "SELECT nspname FROM pg_catalog.pg_namespace "
                                       "WHERE nspname NOT LIKE 'pg\\_%' AND nspname <> 'information_schema'");
    case seMySQL:
        return firstColumn(connection, "SELECT schema_name FROM information_schema.schemata");
    default:
        return {};
    }
}

std::vector<std::string> tables(TqdServerConnection &connection, const std::string &schema)
{
    switch (connection.DBEngine) {
    case sePostGre:
        return firstColumn(connection, "SELECT c.relname FROM pg_catalog.pg_class c "
                                       "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                       "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') AND n.nspname = " +
                                           literal(connection, schema));
    case seMySQL:
        return firstColumn(connection, "SELECT table_name FROM information_schema.tables WHERE table_schema = " +
                                           literal(connection, schema));
    default: {
        TStringList list;
        connection.ListTables(&list, connection.DataBaseName);
        return list.items();
    }
    }
}

std::vector<std::string> columns(TqdServerConnection &connection, const std::string &schema, const std::string &table)
{
    switch (connection.DBEngine) {
    case sePostGre:
        return firstColumn(connection, "SELECT a.attname FROM pg_catalog.pg_attribute a "
                                       "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
                                       "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                       "WHERE a.attnum > 0 AND NOT a.attisdropped AND n.nspname = " +
                                           literal(connection, schema) + " AND c.relname = " +
                                           literal(connection, table) + " ORDER BY a.attnum");
    case seMySQL:
        return firstColumn(connection, "SELECT column_name FROM information_schema.columns WHERE table_schema = " +
                                           literal(connection, schema) + " AND table_name = " +
                                           literal(connection, table) + " ORDER BY ordinal_position");
    default: {
        TStringList list;
        connection.ListFields(&list, connection.DataBaseName, table);
        return list.items();
    }
    }
}

} // namespace catalogue_names

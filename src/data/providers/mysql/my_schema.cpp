#include "my_schema.h"

namespace ado::my {
namespace {

const char *const kSystemDatabases = "('information_schema', 'mysql', 'performance_schema', 'sys')";

struct Scope {
    std::string databaseColumn;
    std::string tableColumn;
};

std::string where(const Scope &scope, const SchemaRestrictions &r, const Quoter &quote)
{
    const std::string &database = r.catalog.empty() ? r.schema : r.catalog;
    std::string w;
    if (!database.empty())
        w = scope.databaseColumn + " = " + quote(database);
    else
        w = "(" + scope.databaseColumn + " = database() or (database() is null and " + scope.databaseColumn +
            " not in " + kSystemDatabases + "))";
    if (!r.table.empty())
        w += " and " + scope.tableColumn + " = " + quote(r.table);
    return w;
}

std::string tables(const SchemaRestrictions &r, const Quoter &quote)
{
    return std::string("select table_schema as TABLE_CATALOG, cast(null as char) as TABLE_SCHEMA,"
                       " table_name as TABLE_NAME,"
                       " case when table_schema in ") +
           kSystemDatabases +
           " then case when table_type in ('VIEW', 'SYSTEM VIEW') then 'SYSTEM VIEW' else 'SYSTEM TABLE' end"
           " when table_type = 'VIEW' then 'VIEW'"
           " when table_type = 'SYSTEM VIEW' then 'SYSTEM VIEW'"
           " when table_type = 'TEMPORARY' then 'LOCAL TEMPORARY'"
           " when table_type = 'SEQUENCE' then 'SEQUENCE'"
           " else 'TABLE' end as TABLE_TYPE,"
           " case when table_type = 'VIEW' or table_comment = '' then null else table_comment end as DESCRIPTION"
           " from information_schema.tables where " +
           where({"table_schema", "table_name"}, r, quote) + " order by 4, 1, 3";
}

std::string columns(const SchemaRestrictions &r, const Quoter &quote)
{
    return "select table_schema as TABLE_CATALOG, cast(null as char) as TABLE_SCHEMA, table_name as TABLE_NAME,"
           " column_name as COLUMN_NAME, ordinal_position as ORDINAL_POSITION, column_default as COLUMN_DEFAULT,"
           " is_nullable as IS_NULLABLE, data_type as DATA_TYPE,"
           " character_maximum_length as CHARACTER_MAXIMUM_LENGTH, numeric_precision as NUMERIC_PRECISION,"
           " numeric_scale as NUMERIC_SCALE"
           " from information_schema.columns where " +
           where({"table_schema", "table_name"}, r, quote) + " order by 1, 3, 5";
}

std::string indexes(const SchemaRestrictions &r, const Quoter &quote)
{
    return "select table_schema as TABLE_CATALOG, cast(null as char) as TABLE_SCHEMA, table_name as TABLE_NAME,"
           " index_name as INDEX_NAME, if(index_name = 'PRIMARY', 'true', 'false') as PRIMARY_KEY,"
           " if(non_unique = 0, 'true', 'false') as `UNIQUE`, column_name as COLUMN_NAME,"
           " seq_in_index as ORDINAL_POSITION"
           " from information_schema.statistics where " +
           where({"table_schema", "table_name"}, r, quote) + " order by 1, 3, 4, 8";
}

// Restricted by the table that holds the foreign key.
std::string foreignKeys(const SchemaRestrictions &r, const Quoter &quote)
{
    return "select k.referenced_table_schema as PK_TABLE_CATALOG, cast(null as char) as PK_TABLE_SCHEMA,"
           " k.referenced_table_name as PK_TABLE_NAME, k.referenced_column_name as PK_COLUMN_NAME,"
           " k.table_schema as FK_TABLE_CATALOG, cast(null as char) as FK_TABLE_SCHEMA,"
           " k.table_name as FK_TABLE_NAME, k.column_name as FK_COLUMN_NAME, k.ordinal_position as ORDINAL,"
           " c.update_rule as UPDATE_RULE, c.delete_rule as DELETE_RULE, k.constraint_name as FK_NAME,"
           " c.unique_constraint_name as PK_NAME"
           " from information_schema.key_column_usage k"
           " join information_schema.referential_constraints c on c.constraint_schema = k.constraint_schema"
           " and c.constraint_name = k.constraint_name and c.table_name = k.table_name"
           " where k.referenced_table_name is not null and " +
           where({"k.table_schema", "k.table_name"}, r, quote) + " order by 5, 7, 12, 9";
}

std::string primaryKeys(const SchemaRestrictions &r, const Quoter &quote)
{
    return "select table_schema as TABLE_CATALOG, cast(null as char) as TABLE_SCHEMA, table_name as TABLE_NAME,"
           " column_name as COLUMN_NAME, ordinal_position as ORDINAL, constraint_name as PK_NAME"
           " from information_schema.key_column_usage where constraint_name = 'PRIMARY' and " +
           where({"table_schema", "table_name"}, r, quote) + " order by 1, 3, 5";
}

} // namespace

std::string schemaStatement(SchemaEnum kind, const SchemaRestrictions &restrictions, const Quoter &quote)
{
    switch (kind) {
    case adSchemaTables: return tables(restrictions, quote);
    case adSchemaColumns: return columns(restrictions, quote);
    case adSchemaIndexes: return indexes(restrictions, quote);
    case adSchemaForeignKeys: return foreignKeys(restrictions, quote);
    case adSchemaPrimaryKeys: return primaryKeys(restrictions, quote);
    }
    return {};
}

} // namespace ado::my

#include "pg_schema.h"

namespace ado::pg {
namespace {

// Schemas of the server itself: their tables and views are system objects.
#define PG_SYSTEM_SCHEMA(ns)                                                                                \
    "(" ns " in ('pg_catalog', 'information_schema') or " ns " like 'pg\\_toast%')"

const char *const kTables =
    "select current_database()::text as \"TABLE_CATALOG\", n.nspname::text as \"TABLE_SCHEMA\","
    " c.relname::text as \"TABLE_NAME\","
    " case when " PG_SYSTEM_SCHEMA("n.nspname") " then"
    "   case when c.relkind in ('v', 'm') then 'SYSTEM VIEW' else 'SYSTEM TABLE' end"
    " when n.nspname like 'pg\\_temp\\_%' then 'LOCAL TEMPORARY'"
    " when c.relkind in ('v', 'm') then 'VIEW'"
    " else 'TABLE' end as \"TABLE_TYPE\","
    " obj_description(c.oid, 'pg_class') as \"DESCRIPTION\""
    " from pg_catalog.pg_class c join pg_catalog.pg_namespace n on n.oid = c.relnamespace"
    " where c.relkind in ('r', 'p', 'v', 'm', 'f')"
    " and ($1 = '' or $1 = current_database()) and ($2 = '' or n.nspname = $2) and ($3 = '' or c.relname = $3)"
    " order by 4, 2, 3";

const char *const kColumns =
    "select table_catalog::text as \"TABLE_CATALOG\", table_schema::text as \"TABLE_SCHEMA\","
    " table_name::text as \"TABLE_NAME\", column_name::text as \"COLUMN_NAME\","
    " ordinal_position::int as \"ORDINAL_POSITION\", column_default::text as \"COLUMN_DEFAULT\","
    " is_nullable::text as \"IS_NULLABLE\","
    " case when data_type in ('USER-DEFINED', 'ARRAY') then udt_name::text else data_type::text end"
    "   as \"DATA_TYPE\","
    " character_maximum_length::int as \"CHARACTER_MAXIMUM_LENGTH\","
    " numeric_precision::int as \"NUMERIC_PRECISION\", numeric_scale::int as \"NUMERIC_SCALE\""
    " from information_schema.columns"
    " where ($1 = '' or table_catalog = $1) and ($2 = '' or table_schema = $2) and ($3 = '' or table_name = $3)"
    " order by 1, 2, 3, 5";

const char *const kIndexes =
    "select current_database()::text as \"TABLE_CATALOG\", n.nspname::text as \"TABLE_SCHEMA\","
    " t.relname::text as \"TABLE_NAME\", i.relname::text as \"INDEX_NAME\","
    " x.indisprimary::text as \"PRIMARY_KEY\", x.indisunique::text as \"UNIQUE\","
    " a.attname::text as \"COLUMN_NAME\", k.ord::int as \"ORDINAL_POSITION\""
    " from pg_catalog.pg_index x"
    " join pg_catalog.pg_class i on i.oid = x.indexrelid"
    " join pg_catalog.pg_class t on t.oid = x.indrelid"
    " join pg_catalog.pg_namespace n on n.oid = t.relnamespace"
    " cross join lateral unnest(x.indkey::int2[]) with ordinality as k(attnum, ord)"
    " left join pg_catalog.pg_attribute a on a.attrelid = t.oid and a.attnum = k.attnum and k.attnum > 0"
    " where ($1 = '' or $1 = current_database()) and ($2 = '' or n.nspname = $2) and ($3 = '' or t.relname = $3)"
    " order by 2, 3, 4, 8";

// Restricted by the table that holds the foreign key.
const char *const kForeignKeys =
    "select current_database()::text as \"PK_TABLE_CATALOG\", pn.nspname::text as \"PK_TABLE_SCHEMA\","
    " pt.relname::text as \"PK_TABLE_NAME\", pa.attname::text as \"PK_COLUMN_NAME\","
    " current_database()::text as \"FK_TABLE_CATALOG\", fn.nspname::text as \"FK_TABLE_SCHEMA\","
    " ft.relname::text as \"FK_TABLE_NAME\", fa.attname::text as \"FK_COLUMN_NAME\","
    " k.ord::int as \"ORDINAL\","
    " case c.confupdtype when 'c' then 'CASCADE' when 'n' then 'SET NULL' when 'd' then 'SET DEFAULT'"
    "   when 'r' then 'RESTRICT' else 'NO ACTION' end as \"UPDATE_RULE\","
    " case c.confdeltype when 'c' then 'CASCADE' when 'n' then 'SET NULL' when 'd' then 'SET DEFAULT'"
    "   when 'r' then 'RESTRICT' else 'NO ACTION' end as \"DELETE_RULE\","
    " c.conname::text as \"FK_NAME\", pk.relname::text as \"PK_NAME\""
    " from pg_catalog.pg_constraint c"
    " join pg_catalog.pg_class ft on ft.oid = c.conrelid"
    " join pg_catalog.pg_namespace fn on fn.oid = ft.relnamespace"
    " join pg_catalog.pg_class pt on pt.oid = c.confrelid"
    " join pg_catalog.pg_namespace pn on pn.oid = pt.relnamespace"
    " cross join lateral unnest(c.conkey, c.confkey) with ordinality as k(fkatt, pkatt, ord)"
    " join pg_catalog.pg_attribute fa on fa.attrelid = c.conrelid and fa.attnum = k.fkatt"
    " join pg_catalog.pg_attribute pa on pa.attrelid = c.confrelid and pa.attnum = k.pkatt"
    " left join pg_catalog.pg_class pk on pk.oid = c.conindid"
    " where c.contype = 'f'"
    " and ($1 = '' or $1 = current_database()) and ($2 = '' or fn.nspname = $2) and ($3 = '' or ft.relname = $3)"
    " order by 6, 7, 12, 9";

const char *const kPrimaryKeys =
    "select current_database()::text as \"TABLE_CATALOG\", n.nspname::text as \"TABLE_SCHEMA\","
    " t.relname::text as \"TABLE_NAME\", a.attname::text as \"COLUMN_NAME\", k.ord::int as \"ORDINAL\","
    " c.conname::text as \"PK_NAME\""
    " from pg_catalog.pg_constraint c"
    " join pg_catalog.pg_class t on t.oid = c.conrelid"
    " join pg_catalog.pg_namespace n on n.oid = t.relnamespace"
    " cross join lateral unnest(c.conkey) with ordinality as k(attnum, ord)"
    " join pg_catalog.pg_attribute a on a.attrelid = c.conrelid and a.attnum = k.attnum"
    " where c.contype = 'p'"
    " and ($1 = '' or $1 = current_database()) and ($2 = '' or n.nspname = $2) and ($3 = '' or t.relname = $3)"
    " order by 2, 3, 5";

} // namespace

const char *schemaStatement(SchemaEnum kind)
{
    switch (kind) {
    case adSchemaTables: return kTables;
    case adSchemaColumns: return kColumns;
    case adSchemaIndexes: return kIndexes;
    case adSchemaForeignKeys: return kForeignKeys;
    case adSchemaPrimaryKeys: return kPrimaryKeys;
    }
    return nullptr;
}

} // namespace ado::pg

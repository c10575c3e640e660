// PostgreSQL: pg_catalog and information_schema of the open database.
// Tables outside the default schema are listed as schema.table.
#include "o_SQLCommands.h"

#include "o_SQLNames.h"

namespace {
using C = TqdGenericSQLCommands;

const std::string kListDataBases = C::crLines(
    {
        C::padded(" SELECT", 60),
        C::padded("    d.datname as DB_NAME", 60),
        C::padded("  FROM pg_catalog.pg_database d", 60),
        C::padded("    LEFT JOIN pg_catalog.pg_user u ON d.datdba = u.usesysid", 60),
        C::padded("  ORDER BY 1", 60),
    },
    true);

const std::string kListTables = C::crLines(
    {
        C::padded("SELECT table_schema, table_name", 40),
        C::padded("FROM information_schema.tables", 40),
        C::padded("WHERE table_type = 'BASE TABLE'", 38),
        C::padded("AND table_catalog =%s", 40),
        C::padded("AND table_schema NOT IN", 40),
        "('pg_catalog', 'information_schema')",
        C::padded("order by table_name, table_schema", 40),
    },
    true);

// The columns of one relation of one schema. Dropped columns stay in
// pg_attribute under a made-up name; they are left out.
const std::string kListFields = C::crLines(
    {
        C::padded("SELECT a.attname", 43),
        C::padded("FROM pg_class c, pg_attribute a, pg_type t,", 43),
        C::padded("pg_namespace n", 43),
        C::padded("WHERE c.relname = %s", 43),
        C::padded("AND n.nspname = %s", 43),
        C::padded("AND c.relnamespace = n.oid", 43),
        C::padded("AND a.attnum > 0", 43),
        C::padded("AND NOT a.attisdropped", 43),
        C::padded("AND a.attrelid = c.oid", 43),
        C::padded("AND a.atttypid = t.oid", 43),
        C::padded("order by a.attname", 43),
    },
    true);
} // namespace

void TqdPostGreCommands::ListDataBases(TStringList *list)
{
    runStatement(kListDataBases, {});
    FillListByName(Query(), list, "DB_NAME");
}

void TqdPostGreCommands::ListTables(TStringList *list, const std::string &dataBase)
{
    runStatement(kListTables, {quoted(dataBase)});
    const ado::TField schema = Query()->FindField("table_schema");
    const ado::TField table = Query()->FindField("table_name");
    if (!list || !schema || !table)
        return;
    list->Clear();
    for (Query()->First(); !Query()->Eof(); Query()->Next())
        list->Add(listedTableName(sePostGre, schema.AsString(), table.AsString()));
}

void TqdPostGreCommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    const TqdTableName name = splitListedTableName(sePostGre, table);
    const std::string schema = name.schema.empty() ? std::string(nameRule(sePostGre).defaultSchema) : name.schema;
    runStatement(kListFields, {quoted(name.table), quoted(schema)});
    FillListByName(Query(), list, "attname");
}

bool TqdPostGreCommands::DataBaseExists(const std::string &dataBase)
{
    TStringList dataBases;
    ListDataBases(&dataBases);
    return listHolds(dataBases, dataBase);
}

bool TqdPostGreCommands::TableExists(const std::string &dataBase, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, dataBase);
    return listHolds(tables, table);
}

bool TqdPostGreCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdPostGreCommands::GetFieldType(const std::string &, const std::string &, const std::string &)
{
    return std::string();
}

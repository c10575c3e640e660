// SQLite: sqlite_schema and the table-valued pragmas of the open file. One
// database per file; the engine's own tables (sqlite_sequence, sqlite_stat1,
// ...) are left out. Table names go in as string literals, so any name works.
#include "o_SQLCommands.h"

namespace {
const std::string kListTables = "select name as TABLE_NAME from sqlite_schema"
                                " where type in ('table', 'view') and name not like 'sqlite\\_%' escape '\\'"
                                " order by type, name";
// Generated columns included (table_xinfo), a virtual table's hidden ones not.
const std::string kListFields = "select name as FIELD_NAME, type as FIELD_TYPE from pragma_table_xinfo(%s)"
                                " where hidden <> 1 order by cid";
} // namespace

void TqdSQLiteCommands::ListDataBases(TStringList *list) { ListTables(list, std::string()); }

void TqdSQLiteCommands::ListTables(TStringList *list, const std::string & /*dataBase*/)
{
    runStatement(kListTables, {});
    FillListByName(Query(), list, "TABLE_NAME");
}

void TqdSQLiteCommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    runStatement(kListFields, {quoted(table)});
    FillListByName(Query(), list, "FIELD_NAME");
}

bool TqdSQLiteCommands::DataBaseExists(const std::string & /*dataBase*/) { return true; }

bool TqdSQLiteCommands::TableExists(const std::string &dataBase, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, dataBase);
    return listHolds(tables, table);
}

bool TqdSQLiteCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdSQLiteCommands::GetFieldType(const std::string & /*dataBase*/, const std::string &table,
                                            const std::string &field)
{
    runStatement(kListFields, {quoted(table)});
    if (Query()->Locate("FIELD_NAME", field)) {
        if (const ado::TField type = Query()->FindField("FIELD_TYPE"))
            return type.AsString();
    }
    return std::string();
}

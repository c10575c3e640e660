// SQL Server Compact 3.1 and 3.5: information_schema of the database file.
#include "o_SQLCommands.h"

namespace {
const std::string kListTables = "select convert(nvarchar(126),TABLE_NAME) as TABLE_NAME from "
                                "information_schema.tables order by TABLE_NAME";
const std::string kListFields = "select convert(nvarchar(126),COLUMN_NAME) as COLUMN_NAME from "
                                "information_schema.columns where TABLE_NAME = %s order by COLUMN_NAME";
const std::string kGetFieldType = "select cast(DATA_TYPE as nvarchar(127)) as DATA_TYPE from "
                                  "information_schema.columns where (TABLE_NAME = %s) and (COLUMN_NAME=%s)";
} // namespace

void TqdMSSQLCECommands::ListDataBases(TStringList *list) { ListTables(list, std::string()); }

void TqdMSSQLCECommands::ListTables(TStringList *list, const std::string & /*dataBase*/)
{
    runStatement(kListTables, {});
    FillListByName(Query(), list, "TABLE_NAME");
}

void TqdMSSQLCECommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    runStatement(kListFields, {quoted(table)});
    FillListByName(Query(), list, "COLUMN_NAME");
}

bool TqdMSSQLCECommands::DataBaseExists(const std::string & /*dataBase*/) { return true; }

bool TqdMSSQLCECommands::TableExists(const std::string & /*dataBase*/, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, std::string());
    return listHolds(tables, table);
}

bool TqdMSSQLCECommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdMSSQLCECommands::GetFieldType(const std::string & /*dataBase*/, const std::string &table,
                                             const std::string &field)
{
    runStatement(kGetFieldType, {quoted(table), quoted(field)});
    std::string type;
    if (Query()->RecordCount() == 1)
        type = Query()->FieldByName("DATA_TYPE").AsString();
    return type;
}

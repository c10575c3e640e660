// MySQL and MariaDB: the SHOW statements. Database and table names go in as
// SQL names, quoted where they need it, so names with blanks, hyphens, quotes
// or reserved words can be browsed.
#include "o_SQLCommands.h"

#include "o_SQLNames.h"

namespace {
const std::string kListDataBases = "show databases";
const std::string kListTables = "show tables from %s";
const std::string kListFields = "show columns from %s.%s";

std::string identifier(const std::string &name) { return sqlName(seMySQL, name); }
} // namespace

void TqdMySQLCommands::ListDataBases(TStringList *list)
{
    runStatement(kListDataBases, {});
    FillListByName(Query(), list, "DataBase");
}

void TqdMySQLCommands::ListTables(TStringList *list, const std::string &dataBase)
{
    runStatement(kListTables, {identifier(dataBase)});
    FillListByIndex(Query(), list, 0);
}

void TqdMySQLCommands::ListFields(TStringList *list, const std::string &dataBase, const std::string &table)
{
    runStatement(kListFields, {identifier(dataBase), identifier(table)});
    FillListByName(Query(), list, "Field");
}

bool TqdMySQLCommands::DataBaseExists(const std::string &dataBase)
{
    TStringList dataBases;
    ListDataBases(&dataBases);
    return listHolds(dataBases, dataBase);
}

bool TqdMySQLCommands::TableExists(const std::string &dataBase, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, dataBase);
    return listHolds(tables, table);
}

bool TqdMySQLCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdMySQLCommands::GetFieldType(const std::string &dataBase, const std::string &table,
                                           const std::string &field)
{
    runStatement(kListFields, {identifier(dataBase), identifier(table)});
    if (Query()->Locate("Field", field)) {
        if (const ado::TField type = Query()->FindField("Type"))
            return type.AsString();
    }
    return std::string();
}

// Oracle, through either provider: a user (schema owner) stands for a database.
#include "o_SQLCommands.h"

namespace {
const std::string kListDataBases = "select username as DB_NAME from all_users order by username";
const std::string kListTables = "select OBJECT_NAME as TABLE_NAME from ALL_OBJECTS where OWNER =%s and "
                                "OBJECT_TYPE='TABLE' order by OBJECT_NAME";
const std::string kListFields = "select COLUMN_NAME from ALL_TAB_COLUMNS where (OWNER =%s) and (TABLE_NAME=%s) "
                                "order by COLUMN_NAME";
const std::string kGetFieldType = "select DATA_TYPE from ALL_TAB_COLUMNS where (OWNER =%s) and (TABLE_NAME=%s) and "
                                  "(COLUMN_NAME=%s)";
} // namespace

void TqdOracleCommands::ListDataBases(TStringList *list)
{
    runStatement(kListDataBases, {});
    FillListByName(Query(), list, "DB_NAME");
}

void TqdOracleCommands::ListTables(TStringList *list, const std::string &dataBase)
{
    runStatement(kListTables, {quoted(dataBase)});
    FillListByName(Query(), list, "TABLE_NAME");
}

void TqdOracleCommands::ListFields(TStringList *list, const std::string &dataBase, const std::string &table)
{
    runStatement(kListFields, {quoted(dataBase), quoted(table)});
    FillListByName(Query(), list, "COLUMN_NAME");
}

bool TqdOracleCommands::DataBaseExists(const std::string &dataBase)
{
    TStringList dataBases;
    ListDataBases(&dataBases);
    return listHolds(dataBases, dataBase);
}

bool TqdOracleCommands::TableExists(const std::string &dataBase, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, dataBase);
    return listHolds(tables, table);
}

bool TqdOracleCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdOracleCommands::GetFieldType(const std::string &dataBase, const std::string &table,
                                            const std::string &field)
{
    runStatement(kGetFieldType, {quoted(dataBase), quoted(table), quoted(field)});
    const ado::TField type = Query()->FieldByName("DATA_TYPE");
    return Query()->Eof() ? std::string() : type.AsString();
}

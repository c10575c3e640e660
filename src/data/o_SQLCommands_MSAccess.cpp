// Access: the names come from the data-access layer's own table and field
// lists; no catalogue statement is run.
#include "o_SQLCommands.h"

#include "o_ServerConnection.h"

void TqdMSAccessCommands::ListDataBases(TStringList *list) { ListTables(list, std::string()); }

void TqdMSAccessCommands::ListTables(TStringList *list, const std::string & /*dataBase*/)
{
    if (!list)
        return;
    list->SetSorted(true);
    ServerConnection()->ADOConnection()->GetTableNames(*list);
}

void TqdMSAccessCommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    if (!list)
        return;
    list->SetSorted(true);
    ServerConnection()->ADOConnection()->GetFieldNames(table, *list);
}

bool TqdMSAccessCommands::DataBaseExists(const std::string & /*dataBase*/) { return true; }

bool TqdMSAccessCommands::TableExists(const std::string & /*dataBase*/, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, std::string());
    return listHolds(tables, table);
}

bool TqdMSAccessCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return listHolds(fields, field);
}

std::string TqdMSAccessCommands::GetFieldType(const std::string &, const std::string &, const std::string &)
{
    throw EqdNotSupported("Operation GetFieldType not supported in engine " + std::string(engineName(seMSAccess)));
}

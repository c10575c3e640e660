// SQL Server: the sys catalogue views of the database the connection is open on.
#include "o_SQLCommands.h"

namespace {
using C = TqdGenericSQLCommands;

const std::string kListDataBases = "select name from sys.databases";

const std::string kListTables = C::crLines(
    {
        C::padded("select", 60),
        C::padded("sysTbl.NAME", 60),
        C::padded("from", 60),
        C::padded("\tsys.tables sysTbl", 60),
        C::padded("left join", 60),
        C::padded("\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 60),
        C::padded("--where (sysDB.name = %s)", 60),
        "order by sysTbl.NAME",
    },
    false);

// Lines 1 to 8 of the field statements, filled to `width`.
std::string fieldsFrom(std::size_t width)
{
    return C::crLines(
        {
            C::padded("select", width),
            C::padded("sysCol.NAME", width),
            C::padded("from", width),
            C::padded("\tsys.columns sysCol", width),
            C::padded("left join", width),
            C::padded("\tsys.tables sysTbl on sysTbl.object_id = sysCol.object_id", width),
            C::padded("left join", width),
            C::padded("\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", width),
        },
        true);
}

const std::string kListFields = fieldsFrom(67) + C::crLines(
    {
        C::padded("where (sysTbl.name = %s)", 67),
        "order by sysCol.name",
    },
    false);

const std::string kDataBaseExists = "select NAME as DB_NAME from SYS.DATABASES where NAME = %s";

const std::string kTableExists = C::crLines(
    {
        C::padded("select", 60),
        C::padded("sysTbl.NAME", 60),
        C::padded("from", 60),
        C::padded("\tsys.tables sysTbl", 60),
        C::padded("left join", 60),
        C::padded("\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 60),
        C::padded("where (sysDB.name = %s) and (sysTbl.name = %s)", 60),
    },
    true);

const std::string kFieldExists = fieldsFrom(67) + C::crLines(
    {
        C::padded("where (sysDB.name = %s) and (sysTbl.name = %s) and (sysCol.name=%s)", 67),
    },
    true);

const std::string kGetFieldType = C::crLines(
    {
        C::padded("select", 70),
        C::padded("sysTyp.name", 70),
        C::padded("from", 70),
        C::padded("\tsys.columns sysCol", 70),
        C::padded("left join", 70),
        C::padded("\tsys.tables sysTbl on sysTbl.object_id = sysCol.object_id", 70),
        C::padded("left join", 70),
        C::padded("\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 70),
        C::padded("left join", 70),
        C::padded("\tsys.types     sysTyp on sysTyp.system_type_id = sysCol.system_type_id", 70),
        C::padded("where (sysDB.name = %s) and (sysTbl.name = %s) and (sysCol.name = %s)", 70),
    },
    true);
} // namespace

void TqdMSSQLCommands::ListDataBases(TStringList *list)
{
    runStatement(kListDataBases, {});
    FillListByName(Query(), list, "name");
}

void TqdMSSQLCommands::ListTables(TStringList *list, const std::string &dataBase)
{
    runStatement(kListTables, {quoted(dataBase)});
    FillListByName(Query(), list, "name");
}

void TqdMSSQLCommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    runStatement(kListFields, {quoted(table)});
    FillListByName(Query(), list, "name");
}

bool TqdMSSQLCommands::DataBaseExists(const std::string &dataBase)
{
    runStatement(kDataBaseExists, {quoted(dataBase)});
    return Query()->RecordCount() == 1;
}

bool TqdMSSQLCommands::TableExists(const std::string &dataBase, const std::string &table)
{
    runStatement(kTableExists, {quoted(dataBase), quoted(table)});
    return Query()->RecordCount() == 1;
}

bool TqdMSSQLCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    runStatement(kFieldExists, {quoted(dataBase), quoted(table), quoted(field)});
    return Query()->RecordCount() == 1;
}

std::string TqdMSSQLCommands::GetFieldType(const std::string &dataBase, const std::string &table,
                                           const std::string &field)
{
    runStatement(kGetFieldType, {quoted(dataBase), quoted(table), quoted(field)});
    std::string type;
    if (Query()->RecordCount() == 1)
        type = Query()->FieldByName("name").AsString();
    return type;
}

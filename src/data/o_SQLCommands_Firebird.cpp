// Firebird: the rdb$ system tables of the open database file.
#include "o_SQLCommands.h"

namespace {
using C = TqdGenericSQLCommands;

const std::string kListTables = C::crLines(
    {
        C::padded("select rdb$relation_name as TABLE_NAME", 52),
        C::padded("from rdb$relations", 52),
        C::padded("where rdb$view_blr is null", 52),
        C::padded("and (rdb$system_flag is null or rdb$system_flag = 0)", 52),
        C::padded("order by 1", 52),
    },
    true);

const std::string kListFields = C::crLines(
    {
        C::padded("select f.rdb$relation_name as TABLE_NAME, f.rdb$field_name as FIELD_NAME", 72),
        C::padded("from rdb$relation_fields f", 72),
        C::padded("join rdb$relations r on f.rdb$relation_name = r.rdb$relation_name", 72),
        C::padded("and r.rdb$view_blr is null", 72),
        C::padded("and (r.rdb$system_flag is null or r.rdb$system_flag = 0)", 72),
        C::padded("where f.rdb$relation_name  = %s", 72),
        C::padded("order by 1, f.rdb$field_position", 72),
    },
    true);
// The catalogue keeps names blank-padded to their column's length; a name
// asked for matches whatever padding either side has.
bool holdsPadded(const TStringList &list, const std::string &name)
{
    auto unpadded = [](std::string s) {
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    };
    const std::string wanted = unpadded(name);
    for (const std::string &entry : list.items())
        if (compareTextNoCase(unpadded(entry), wanted) == 0)
            return true;
    return false;
}
} // namespace

void TqdFirebirdCommands::ListDataBases(TStringList *list) { ListTables(list, std::string()); }

void TqdFirebirdCommands::ListTables(TStringList *list, const std::string & /*dataBase*/)
{
    runStatement(kListTables, {});
    FillListByName(Query(), list, "TABLE_NAME");
}

void TqdFirebirdCommands::ListFields(TStringList *list, const std::string & /*dataBase*/, const std::string &table)
{
    runStatement(kListFields, {quoted(table)});
    FillListByName(Query(), list, "FIELD_NAME");
}

bool TqdFirebirdCommands::DataBaseExists(const std::string & /*dataBase*/) { return true; }

bool TqdFirebirdCommands::TableExists(const std::string & /*dataBase*/, const std::string &table)
{
    TStringList tables;
    ListTables(&tables, std::string());
    return holdsPadded(tables, table);
}

bool TqdFirebirdCommands::FieldExists(const std::string &dataBase, const std::string &table, const std::string &field)
{
    TStringList fields;
    ListFields(&fields, dataBase, table);
    return holdsPadded(fields, field);
}

std::string TqdFirebirdCommands::GetFieldType(const std::string &, const std::string &, const std::string &)
{
    return std::string();
}

// Schema row sets of a Firebird connection, read from the RDB$ tables, with
// the OLE DB schema rowsets' column names. Names are trimmed of the blanks that
// pad them in the catalogue; Firebird has no catalogs or schemas, so those
// columns are null and their restrictions are not used.
#include "fb_connection.h"

#include "ado_errors.h"

namespace ado::fb {

namespace {

std::string quoted(const std::string &text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// " and <column> = '<table>'" when a table restriction is given.
std::string tableFilter(const char *column, const SchemaRestrictions &restrictions)
{
    if (restrictions.table.empty())
        return {};
    return std::string(" and ") + column + " = " + quoted(restrictions.table);
}

const char *const kNullName = "cast(null as varchar(1))";

std::string tablesStatement(const SchemaRestrictions &r)
{
    return std::string("select ") + kNullName + " as TABLE_CATALOG, " + kNullName + " as TABLE_SCHEMA,"
           " trim(trailing from r.rdb$relation_name) as TABLE_NAME,"
           " trim(case when coalesce(r.rdb$system_flag, 0) <> 0 then 'SYSTEM TABLE'"
           " when r.rdb$view_blr is not null then 'VIEW' else 'TABLE' end) as TABLE_TYPE,"
           " r.rdb$description as DESCRIPTION"
           " from rdb$relations r where 1 = 1"
           + tableFilter("r.rdb$relation_name", r) + " order by 4, 3";
}

std::string columnsStatement(const SchemaRestrictions &r)
{
    // DATA_TYPE is the OLE DB type number: I2 2, I4 3, R4 4, R8 5, BOOL 11,
    // I8 20, BYTES 128, STR 129, NUMERIC 131, DBDATE 133, DBTIME 134,
    // DBTIMESTAMP 135.
    return std::string("select ") + kNullName + " as TABLE_CATALOG, " + kNullName + " as TABLE_SCHEMA,"
           " trim(trailing from rf.rdb$relation_name) as TABLE_NAME,"
           " trim(trailing from rf.rdb$field_name) as COLUMN_NAME,"
           " rf.rdb$field_position + 1 as ORDINAL_POSITION,"
           " case when upper(substring(coalesce(rf.rdb$default_source, f.rdb$default_source) from 1 for 7))"
           " = 'DEFAULT' then trim(substring(coalesce(rf.rdb$default_source, f.rdb$default_source) from 8))"
           " else coalesce(rf.rdb$default_source, f.rdb$default_source) end as COLUMN_DEFAULT,"
           " coalesce(rf.rdb$null_flag, f.rdb$null_flag, 0) = 0 as IS_NULLABLE,"
           " case when f.rdb$field_type in (7, 8, 16)"
           "   and (f.rdb$field_scale < 0 or f.rdb$field_sub_type in (1, 2)) then 131"
           " when f.rdb$field_type = 7 then 2 when f.rdb$field_type = 8 then 3"
           " when f.rdb$field_type = 16 then 20 when f.rdb$field_type = 10 then 4"
           " when f.rdb$field_type in (11, 27) then 5 when f.rdb$field_type = 12 then 133"
           " when f.rdb$field_type = 13 then 134 when f.rdb$field_type = 35 then 135"
           " when f.rdb$field_type = 23 then 11"
           " when f.rdb$field_type in (14, 37, 40) then iif(f.rdb$character_set_id = 1, 128, 129)"
           " when f.rdb$field_type = 261 then iif(f.rdb$field_sub_type = 1, 129, 128)"
           " else 0 end as DATA_TYPE,"
           " case when f.rdb$field_type in (14, 37, 40)"
           "   then coalesce(f.rdb$character_length, f.rdb$field_length) end as CHARACTER_MAXIMUM_LENGTH,"
           " case when f.rdb$field_type in (7, 8, 16) then coalesce(nullif(f.rdb$field_precision, 0),"
           "   case f.rdb$field_type when 7 then 5 when 8 then 10 else 19 end)"
           " when f.rdb$field_type = 10 then 7 when f.rdb$field_type in (11, 27) then 15"
           " end as NUMERIC_PRECISION,"
           " case when f.rdb$field_type in (7, 8, 16) then -f.rdb$field_scale end as NUMERIC_SCALE,"
           " rf.rdb$description as DESCRIPTION"
           " from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = rf.rdb$field_source"
           " where 1 = 1"
           + tableFilter("rf.rdb$relation_name", r) + " order by rf.rdb$relation_name, rf.rdb$field_position";
}

std::string indexesStatement(const SchemaRestrictions &r)
{
    return std::string("select ") + kNullName + " as TABLE_CATALOG, " + kNullName + " as TABLE_SCHEMA,"
           " trim(trailing from i.rdb$relation_name) as TABLE_NAME, "
           + kNullName + " as INDEX_CATALOG, " + kNullName + " as INDEX_SCHEMA,"
           " trim(trailing from i.rdb$index_name) as INDEX_NAME,"
           " coalesce(rc.rdb$constraint_type = 'PRIMARY KEY', false) as PRIMARY_KEY,"
           " coalesce(i.rdb$unique_flag, 0) = 1 as \"UNIQUE\","
           " trim(trailing from s.rdb$field_name) as COLUMN_NAME,"
           " s.rdb$field_position + 1 as ORDINAL_POSITION"
           " from rdb$indices i join rdb$index_segments s on s.rdb$index_name = i.rdb$index_name"
           " left join rdb$relation_constraints rc on rc.rdb$index_name = i.rdb$index_name"
           " where 1 = 1"
           + tableFilter("i.rdb$relation_name", r) + " order by 3, 6, 10";
}

std::string foreignKeysStatement(const SchemaRestrictions &r)
{
    auto rule = [](const char *column) {
        return std::string(" trim(case when ") + column + " = 'RESTRICT' then 'NO ACTION' else " + column
               + " end)";
    };
    return std::string("select ") + kNullName + " as PK_TABLE_CATALOG, " + kNullName + " as PK_TABLE_SCHEMA,"
           " trim(trailing from pk.rdb$relation_name) as PK_TABLE_NAME,"
           " trim(trailing from ps.rdb$field_name) as PK_COLUMN_NAME, "
           + kNullName + " as FK_TABLE_CATALOG, " + kNullName + " as FK_TABLE_SCHEMA,"
           " trim(trailing from fk.rdb$relation_name) as FK_TABLE_NAME,"
           " trim(trailing from fs.rdb$field_name) as FK_COLUMN_NAME,"
           " fs.rdb$field_position + 1 as ORDINAL,"
           + rule("rf.rdb$update_rule") + " as UPDATE_RULE," + rule("rf.rdb$delete_rule") + " as DELETE_RULE,"
           " trim(trailing from pk.rdb$constraint_name) as PK_NAME,"
           " trim(trailing from fk.rdb$constraint_name) as FK_NAME"
           " from rdb$relation_constraints fk"
           " join rdb$ref_constraints rf on rf.rdb$constraint_name = fk.rdb$constraint_name"
           " join rdb$relation_constraints pk on pk.rdb$constraint_name = rf.rdb$const_name_uq"
           " join rdb$index_segments fs on fs.rdb$index_name = fk.rdb$index_name"
           " join rdb$index_segments ps on ps.rdb$index_name = pk.rdb$index_name"
           "   and ps.rdb$field_position = fs.rdb$field_position"
           " where fk.rdb$constraint_type = 'FOREIGN KEY'"
           + tableFilter("fk.rdb$relation_name", r) + " order by 7, 13, 9";
}

std::string primaryKeysStatement(const SchemaRestrictions &r)
{
    return std::string("select ") + kNullName + " as TABLE_CATALOG, " + kNullName + " as TABLE_SCHEMA,"
           " trim(trailing from c.rdb$relation_name) as TABLE_NAME,"
           " trim(trailing from s.rdb$field_name) as COLUMN_NAME,"
           " s.rdb$field_position + 1 as ORDINAL,"
           " trim(trailing from c.rdb$constraint_name) as PK_NAME"
           " from rdb$relation_constraints c"
           " join rdb$index_segments s on s.rdb$index_name = c.rdb$index_name"
           " where c.rdb$constraint_type = 'PRIMARY KEY'"
           + tableFilter("c.rdb$relation_name", r) + " order by 3, 5";
}

} // namespace

std::unique_ptr<RowSet> Connection::openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    std::string statement;
    switch (kind) {
    case adSchemaTables: statement = tablesStatement(restrictions); break;
    case adSchemaColumns: statement = columnsStatement(restrictions); break;
    case adSchemaIndexes: statement = indexesStatement(restrictions); break;
    case adSchemaForeignKeys: statement = foreignKeysStatement(restrictions); break;
    case adSchemaPrimaryKeys: statement = primaryKeysStatement(restrictions); break;
    default: throw EADOError("Invalid Enum Value");
    }
    return run(statement).rows;
}

std::vector<std::string> Connection::firstColumn(const std::string &statement)
{
    std::unique_ptr<RowSet> rows = run(statement).rows;
    std::vector<std::string> names;
    std::string scratch;
    for (long long row = 0; row < rows->rowCount(); ++row)
        names.emplace_back(rows->text(row, 0, scratch));
    return names;
}

std::vector<std::string> Connection::tableNames()
{
    // The schema row set's order: tables, then views, each by name.
    return firstColumn("select trim(trailing from rdb$relation_name), iif(rdb$view_blr is null, 0, 1)"
                       " from rdb$relations where coalesce(rdb$system_flag, 0) = 0 order by 2, 1");
}

std::vector<std::string> Connection::fieldNames(const std::string &table)
{
    return firstColumn("select trim(trailing from rdb$field_name) from rdb$relation_fields"
                       " where rdb$relation_name = " + quoted(table) + " order by rdb$field_position");
}

} // namespace ado::fb

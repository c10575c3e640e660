// Schema row sets of a SQLite connection, with the OLE DB schema rowsets'
// column names, read from sqlite_schema and the table-valued pragmas. A file
// is one database with no catalogs or schemas: those columns are null and
// their restrictions are not used. Names compare as SQLite compares them,
// without regard to ASCII case.
#include "sqlite_connection.h"

#include <cctype>
#include <optional>

#include "ado_errors.h"

namespace ado::sqlite {

namespace {

using Cell = std::optional<std::string>;

Cell columnText(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return std::string(text, size_t(sqlite3_column_bytes(statement, column)));
}

std::string columnString(sqlite3_stmt *statement, int column) { return columnText(statement, column).value_or(""); }

// The engine's own tables (sqlite_sequence, sqlite_stat1, ...).
bool isInternal(const std::string &name)
{
    return name.size() >= 7 && sqlite3_strnicmp(name.c_str(), "sqlite_", 7) == 0;
}

const char *boolText(bool value) { return value ? "true" : "false"; }

// Sizes written in a declared type: "VARCHAR(20)" has a length of 20,
// "DECIMAL(10, 2)" a precision of 10 and a scale of 2. SQLite keeps them as
// written and enforces none; they are shown as the table's author meant them.
struct DeclaredSizes {
    Cell length, precision, scale;
};

DeclaredSizes declaredSizes(const std::string &type)
{
    DeclaredSizes sizes;
    const size_t open = type.find('(');
    if (open == std::string::npos)
        return sizes;
    std::vector<std::string> numbers(1);
    for (size_t i = open + 1; i < type.size() && type[i] != ')'; ++i) {
        const char c = type[i];
        if (std::isdigit(static_cast<unsigned char>(c)))
            numbers.back() += c;
        else if (c == ',')
            numbers.emplace_back();
        else if (c != ' ')
            return sizes; // not a plain list of sizes
    }
    if (numbers.front().empty())
        return sizes;
    // Text affinity by SQLite's own rule: the name contains CHAR, CLOB or TEXT.
    std::string upper;
    for (char c : type.substr(0, open))
        upper += char(std::toupper(static_cast<unsigned char>(c)));
    const bool text = upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos ||
                      upper.find("TEXT") != std::string::npos;
    if (text) {
        sizes.length = numbers[0];
    } else {
        sizes.precision = numbers[0];
        if (numbers.size() > 1 && !numbers[1].empty())
            sizes.scale = numbers[1];
    }
    return sizes;
}

} // namespace

std::vector<std::pair<std::string, std::string>> Connection::objects(const std::string &table, bool withInternal)
{
    std::vector<std::pair<std::string, std::string>> found;
    each("select name, type from sqlite_schema where type in ('table', 'view')"
         " and (?1 = '' or name = ?1 collate nocase) order by type, name",
         {table}, [&](sqlite3_stmt *s) {
             std::string name = columnString(s, 0);
             if (withInternal || !isInternal(name))
                 found.emplace_back(std::move(name), columnString(s, 1));
         });
    return found;
}

std::unique_ptr<RowSet> Connection::tablesRowSet(const SchemaRestrictions &r)
{
    auto rows = std::make_unique<MemoryRowSet>(
        std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE", "DESCRIPTION"});
    // The row set's order: by type ("SYSTEM TABLE", "TABLE", "VIEW"), then by name.
    for (const char *wanted : {"SYSTEM TABLE", "TABLE", "VIEW"}) {
        for (const auto &[name, type] : objects(r.table, true)) {
            const std::string shown = isInternal(name) ? "SYSTEM TABLE" : type == "view" ? "VIEW" : "TABLE";
            if (shown == wanted)
                rows->addRow({std::nullopt, std::nullopt, name, shown, std::nullopt});
        }
    }
    return rows;
}

std::unique_ptr<RowSet> Connection::columnsRowSet(const SchemaRestrictions &r)
{
    auto rows = std::make_unique<MemoryRowSet>(std::vector<std::string>{
        "TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION", "COLUMN_DEFAULT",
        "IS_NULLABLE", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION", "NUMERIC_SCALE"});
    for (const auto &[table, type] : objects(r.table, true)) {
        int ordinal = 0;
        // hidden: 1 for a virtual table's hidden column, 2 and 3 for generated columns.
        each("select name, type, \"notnull\", dflt_value from pragma_table_xinfo(?1) where hidden <> 1"
             " order by cid",
             {table}, [&](sqlite3_stmt *s) {
                 const std::string declared = columnString(s, 1);
                 const DeclaredSizes sizes = declaredSizes(declared);
                 rows->addRow({std::nullopt, std::nullopt, table, columnString(s, 0), std::to_string(++ordinal),
                               columnText(s, 3), sqlite3_column_int(s, 2) ? "NO" : "YES", declared, sizes.length,
                               sizes.precision, sizes.scale});
             });
    }
    return rows;
}

std::unique_ptr<RowSet> Connection::indexesRowSet(const SchemaRestrictions &r)
{
    auto rows = std::make_unique<MemoryRowSet>(std::vector<std::string>{
        "TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME",
        "ORDINAL_POSITION"});
    for (const auto &[table, type] : objects(r.table, true)) {
        if (type != "table")
            continue;
        // origin: "pk" for the primary key's index, "u" for a UNIQUE
        // constraint's, "c" for CREATE INDEX. A column of an index on an
        // expression has no name.
        each("select il.name, il.\"unique\", il.origin = 'pk', ii.name, ii.seqno + 1"
             " from pragma_index_list(?1) il join pragma_index_info(il.name) ii order by il.name, ii.seqno",
             {table}, [&](sqlite3_stmt *s) {
                 rows->addRow({std::nullopt, std::nullopt, table, columnString(s, 0),
                               boolText(sqlite3_column_int(s, 2) != 0), boolText(sqlite3_column_int(s, 1) != 0),
                               columnText(s, 3), columnString(s, 4)});
             });
    }
    return rows;
}

std::unique_ptr<RowSet> Connection::foreignKeysRowSet(const SchemaRestrictions &r)
{
    auto rows = std::make_unique<MemoryRowSet>(std::vector<std::string>{
        "PK_TABLE_CATALOG", "PK_TABLE_SCHEMA", "PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_CATALOG",
        "FK_TABLE_SCHEMA", "FK_TABLE_NAME", "FK_COLUMN_NAME", "ORDINAL", "UPDATE_RULE", "DELETE_RULE", "FK_NAME",
        "PK_NAME"});
    for (const auto &[table, type] : objects(r.table, true)) {
        if (type != "table")
            continue;
        // A reference without columns, REFERENCES parent, means the parent's
        // primary key: its n-th column pairs with the n-th referencing one.
        each("select f.\"table\", coalesce(f.\"to\", (select p.name from pragma_table_info(f.\"table\") p"
             "   where p.pk = f.seq + 1)), f.\"from\", f.seq + 1, f.on_update, f.on_delete"
             " from pragma_foreign_key_list(?1) f order by f.id, f.seq",
             {table}, [&](sqlite3_stmt *s) {
                 rows->addRow({std::nullopt, std::nullopt, columnString(s, 0), columnText(s, 1), std::nullopt,
                               std::nullopt, table, columnString(s, 2), columnString(s, 3), columnString(s, 4),
                               columnString(s, 5), std::nullopt, std::nullopt});
             });
    }
    return rows;
}

std::unique_ptr<RowSet> Connection::primaryKeysRowSet(const SchemaRestrictions &r)
{
    auto rows = std::make_unique<MemoryRowSet>(
        std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME", "ORDINAL", "PK_NAME"});
    for (const auto &[table, type] : objects(r.table, true)) {
        if (type != "table")
            continue;
        // The key's own index, when it has one (an INTEGER PRIMARY KEY is the rowid and has none).
        each("select c.name, c.pk, (select il.name from pragma_index_list(?1) il where il.origin = 'pk')"
             " from pragma_table_info(?1) c where c.pk > 0 order by c.pk",
             {table}, [&](sqlite3_stmt *s) {
                 rows->addRow({std::nullopt, std::nullopt, table, columnString(s, 0), columnString(s, 1),
                               columnText(s, 2)});
             });
    }
    return rows;
}

std::unique_ptr<RowSet> Connection::openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    requireOpen();
    switch (kind) {
    case adSchemaTables: return tablesRowSet(restrictions);
    case adSchemaColumns: return columnsRowSet(restrictions);
    case adSchemaIndexes: return indexesRowSet(restrictions);
    case adSchemaForeignKeys: return foreignKeysRowSet(restrictions);
    case adSchemaPrimaryKeys: return primaryKeysRowSet(restrictions);
    }
    throw EADOError("Invalid Enum Value");
}

std::vector<std::string> Connection::tableNames()
{
    std::vector<std::string> names;
    for (auto &[name, type] : objects(std::string(), false))
        names.push_back(std::move(name));
    return names;
}

std::vector<std::string> Connection::fieldNames(const std::string &table)
{
    std::vector<std::string> names;
    each("select name from pragma_table_xinfo(?1) where hidden <> 1 order by cid", {table},
         [&](sqlite3_stmt *s) { names.push_back(columnString(s, 0)); });
    return names;
}

} // namespace ado::sqlite

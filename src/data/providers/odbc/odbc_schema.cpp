#include "odbc_schema.h"

#include <sqlext.h>

#include "ado_errors.h"
#include "odbc_connection.h"

namespace ado::odbc {
namespace {

const std::vector<std::string> kTableColumns = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE",
                                                "DESCRIPTION"};
const std::vector<std::string> kColumnColumns = {
    "TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",       "COLUMN_NAME",       "ORDINAL_POSITION",
    "COLUMN_DEFAULT", "IS_NULLABLE", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION",
    "NUMERIC_SCALE"};
const std::vector<std::string> kIndexColumns = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",
                                                "INDEX_NAME",    "PRIMARY_KEY",  "UNIQUE",
                                                "COLUMN_NAME",   "ORDINAL_POSITION"};
const std::vector<std::string> kForeignKeyColumns = {
    "PK_TABLE_CATALOG", "PK_TABLE_SCHEMA", "PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_CATALOG",
    "FK_TABLE_SCHEMA",  "FK_TABLE_NAME",   "FK_COLUMN_NAME", "ORDINAL",       "UPDATE_RULE",
    "DELETE_RULE",      "FK_NAME",         "PK_NAME"};
const std::vector<std::string> kPrimaryKeyColumns = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",
                                                     "COLUMN_NAME",   "ORDINAL",      "PK_NAME"};

using Cell = std::optional<std::string>;

// Catalogue arguments: null for "no restriction"; patterns get their '_' and '%' escaped.
struct Arg {
    std::string text;
    bool set = false;
    SQLCHAR *ptr() { return set ? reinterpret_cast<SQLCHAR *>(text.data()) : nullptr; }
    SQLSMALLINT len() const { return set ? SQLSMALLINT(text.size()) : 0; }
};

Arg plain(const std::string &value)
{
    return Arg{value, !value.empty()};
}

Arg pattern(const std::string &value, const std::string &escape)
{
    Arg arg = plain(value);
    if (arg.set && !escape.empty()) {
        std::string escaped;
        for (char c : value) {
            if (c == '_' || c == '%' || escape.find(c) == 0)
                escaped += escape;
            escaped += c;
        }
        arg.text = escaped;
    }
    return arg;
}

bool isCharacterType(int type)
{
    return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR || type == SQL_WCHAR ||
           type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR;
}

bool isNumericType(int type)
{
    return type == SQL_DECIMAL || type == SQL_NUMERIC || type == SQL_SMALLINT || type == SQL_INTEGER ||
           type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE || type == SQL_BIGINT || type == SQL_TINYINT;
}

bool sameName(const Cell &cell, const std::string &want)
{
    return want.empty() || (cell && *cell == want);
}

// The base tables (catalog, schema, name) that per-table calls go through.
struct TableRef {
    Cell catalog, schema;
    std::string name;
};

std::vector<TableRef> baseTables(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    std::vector<TableRef> tables;
    auto rows = driverTables(connection, restrictions);
    for (long long r = 0; r < rows->rowCount(); ++r) {
        Cell type = cellOf(*rows, r, {"TABLE_TYPE"});
        Cell name = cellOf(*rows, r, {"TABLE_NAME"});
        if (name && type && *type == "TABLE")
            tables.push_back({cellOf(*rows, r, {"TABLE_CATALOG"}), cellOf(*rows, r, {"TABLE_SCHEMA"}), *name});
    }
    return tables;
}

Arg argOf(const Cell &cell)
{
    return cell ? plain(*cell) : Arg{};
}

std::unique_ptr<RowSet> driverIndexes(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaIndexes);
    for (const TableRef &table : baseTables(connection, restrictions)) {
        Arg cat = argOf(table.catalog), sch = argOf(table.schema), name = plain(table.name);
        std::string primaryName;
        try {
            auto pk = connection.catalog([&](SQLHSTMT s) {
                return SQLPrimaryKeys(s, cat.ptr(), cat.len(), sch.ptr(), sch.len(), name.ptr(), name.len());
            });
            if (pk->rowCount() > 0)
                primaryName = cellOf(*pk, 0, {"PK_NAME"}).value_or("");
        } catch (const EProviderError &) {
            // a driver without SQLPrimaryKeys: no index is marked as the primary key
        }
        auto rows = connection.catalog([&](SQLHSTMT s) {
            return SQLStatistics(s, cat.ptr(), cat.len(), sch.ptr(), sch.len(), name.ptr(), name.len(),
                                 SQL_INDEX_ALL, SQL_QUICK);
        });
        for (long long r = 0; r < rows->rowCount(); ++r) {
            Cell type = cellOf(*rows, r, {"TYPE"});
            Cell indexName = cellOf(*rows, r, {"INDEX_NAME"});
            if (!indexName || (type && *type == std::to_string(SQL_TABLE_STAT)))
                continue;
            Cell nonUnique = cellOf(*rows, r, {"NON_UNIQUE"});
            out->addRow({cellOf(*rows, r, {"TABLE_CAT", "TABLE_QUALIFIER"}), cellOf(*rows, r, {"TABLE_SCHEM", "TABLE_OWNER"}),
                         cellOf(*rows, r, {"TABLE_NAME"}), indexName,
                         std::string(!primaryName.empty() && *indexName == primaryName ? "true" : "false"),
                         nonUnique ? Cell(*nonUnique == "0" ? "true" : "false") : Cell(),
                         cellOf(*rows, r, {"COLUMN_NAME"}), cellOf(*rows, r, {"ORDINAL_POSITION", "SEQ_IN_INDEX"})});
        }
    }
    return out;
}

std::unique_ptr<RowSet> driverForeignKeys(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaForeignKeys);
    for (const TableRef &table : baseTables(connection, restrictions)) {
        Arg cat = argOf(table.catalog), sch = argOf(table.schema), name = plain(table.name);
        auto rows = connection.catalog([&](SQLHSTMT s) {
            return SQLForeignKeys(s, nullptr, 0, nullptr, 0, nullptr, 0, cat.ptr(), cat.len(), sch.ptr(), sch.len(),
                                  name.ptr(), name.len());
        });
        for (long long r = 0; r < rows->rowCount(); ++r)
            out->addRow({cellOf(*rows, r, {"PKTABLE_CAT", "PKTABLE_QUALIFIER"}),
                         cellOf(*rows, r, {"PKTABLE_SCHEM", "PKTABLE_OWNER"}), cellOf(*rows, r, {"PKTABLE_NAME"}),
                         cellOf(*rows, r, {"PKCOLUMN_NAME"}), cellOf(*rows, r, {"FKTABLE_CAT", "FKTABLE_QUALIFIER"}),
                         cellOf(*rows, r, {"FKTABLE_SCHEM", "FKTABLE_OWNER"}), cellOf(*rows, r, {"FKTABLE_NAME"}),
                         cellOf(*rows, r, {"FKCOLUMN_NAME"}), cellOf(*rows, r, {"KEY_SEQ"}),
                         ruleName(cellOf(*rows, r, {"UPDATE_RULE"})), ruleName(cellOf(*rows, r, {"DELETE_RULE"})),
                         cellOf(*rows, r, {"FK_NAME"}), cellOf(*rows, r, {"PK_NAME"})});
    }
    return out;
}

std::unique_ptr<RowSet> driverPrimaryKeys(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaPrimaryKeys);
    for (const TableRef &table : baseTables(connection, restrictions)) {
        Arg cat = argOf(table.catalog), sch = argOf(table.schema), name = plain(table.name);
        auto rows = connection.catalog([&](SQLHSTMT s) {
            return SQLPrimaryKeys(s, cat.ptr(), cat.len(), sch.ptr(), sch.len(), name.ptr(), name.len());
        });
        for (long long r = 0; r < rows->rowCount(); ++r)
            out->addRow({cellOf(*rows, r, {"TABLE_CAT", "TABLE_QUALIFIER"}), cellOf(*rows, r, {"TABLE_SCHEM", "TABLE_OWNER"}),
                         cellOf(*rows, r, {"TABLE_NAME"}), cellOf(*rows, r, {"COLUMN_NAME"}),
                         cellOf(*rows, r, {"KEY_SEQ"}), cellOf(*rows, r, {"PK_NAME"})});
    }
    return out;
}

} // namespace

std::unique_ptr<MemoryRowSet> emptySchema(SchemaEnum kind)
{
    switch (kind) {
    case adSchemaTables: return std::make_unique<MemoryRowSet>(kTableColumns);
    case adSchemaColumns: return std::make_unique<MemoryRowSet>(kColumnColumns);
    case adSchemaIndexes: return std::make_unique<MemoryRowSet>(kIndexColumns);
    case adSchemaForeignKeys: return std::make_unique<MemoryRowSet>(kForeignKeyColumns);
    case adSchemaPrimaryKeys: return std::make_unique<MemoryRowSet>(kPrimaryKeyColumns);
    }
    throw EADOError("Invalid Enum Value");
}

Cell cellOf(const RowSet &rows, long long row, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        const int field = rows.fieldIndex(name);
        if (field < 0)
            continue;
        if (rows.isNull(row, field))
            return std::nullopt;
        return rows.value(row, field);
    }
    return std::nullopt;
}

Cell ruleName(const Cell &code)
{
    if (!code)
        return std::nullopt;
    switch (std::atoi(code->c_str())) {
    case SQL_CASCADE: return std::string("CASCADE");
    case SQL_RESTRICT: return std::string("RESTRICT");
    case SQL_SET_NULL: return std::string("SET NULL");
    case SQL_NO_ACTION: return std::string("NO ACTION");
    case SQL_SET_DEFAULT: return std::string("SET DEFAULT");
    }
    return code;
}

std::unique_ptr<MemoryRowSet> driverTables(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    const std::string &escape = connection.searchEscape();
    Arg cat = plain(restrictions.catalog), sch = pattern(restrictions.schema, escape),
        name = pattern(restrictions.table, escape);
    auto rows = connection.catalog([&](SQLHSTMT s) {
        return SQLTables(s, cat.ptr(), cat.len(), sch.ptr(), sch.len(), name.ptr(), name.len(), nullptr, 0);
    });
    auto out = emptySchema(adSchemaTables);
    for (long long r = 0; r < rows->rowCount(); ++r) {
        Cell schema = cellOf(*rows, r, {"TABLE_SCHEM", "TABLE_OWNER"});
        Cell tableName = cellOf(*rows, r, {"TABLE_NAME"});
        if (!sameName(schema, restrictions.schema) || !sameName(tableName, restrictions.table))
            continue;
        out->addRow({cellOf(*rows, r, {"TABLE_CAT", "TABLE_QUALIFIER"}), schema, tableName,
                     cellOf(*rows, r, {"TABLE_TYPE"}), cellOf(*rows, r, {"REMARKS"})});
    }
    return out;
}

void appendDriverColumns(OdbcConnection &connection, const SchemaRestrictions &restrictions, MemoryRowSet &out,
                         bool trustNullable)
{
    const std::string &escape = connection.searchEscape();
    Arg cat = plain(restrictions.catalog), sch = pattern(restrictions.schema, escape),
        name = pattern(restrictions.table, escape);
    auto rows = connection.catalog([&](SQLHSTMT s) {
        return SQLColumns(s, cat.ptr(), cat.len(), sch.ptr(), sch.len(), name.ptr(), name.len(), nullptr, 0);
    });
    for (long long r = 0; r < rows->rowCount(); ++r) {
        Cell schema = cellOf(*rows, r, {"TABLE_SCHEM", "TABLE_OWNER"});
        Cell tableName = cellOf(*rows, r, {"TABLE_NAME"});
        if (!sameName(schema, restrictions.schema) || !sameName(tableName, restrictions.table))
            continue;
        const int type = std::atoi(cellOf(*rows, r, {"DATA_TYPE"}).value_or("0").c_str());
        Cell size = cellOf(*rows, r, {"COLUMN_SIZE", "PRECISION"});
        Cell nullable = cellOf(*rows, r, {"IS_NULLABLE"});
        if (!nullable && trustNullable) {
            Cell code = cellOf(*rows, r, {"NULLABLE"});
            if (code && *code == std::to_string(SQL_NO_NULLS))
                nullable = "NO";
            else if (code && *code == std::to_string(SQL_NULLABLE))
                nullable = "YES";
        }
        out.addRow({cellOf(*rows, r, {"TABLE_CAT", "TABLE_QUALIFIER"}), schema, tableName,
                    cellOf(*rows, r, {"COLUMN_NAME"}), cellOf(*rows, r, {"ORDINAL_POSITION"}),
                    cellOf(*rows, r, {"COLUMN_DEF"}), nullable, cellOf(*rows, r, {"TYPE_NAME"}),
                    isCharacterType(type) ? size : Cell(), isNumericType(type) ? size : Cell(),
                    isNumericType(type) ? cellOf(*rows, r, {"DECIMAL_DIGITS", "SCALE"}) : Cell()});
    }
}

std::unique_ptr<RowSet> driverSchema(OdbcConnection &connection, SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    switch (kind) {
    case adSchemaTables: return driverTables(connection, restrictions);
    case adSchemaColumns: {
        auto out = emptySchema(adSchemaColumns);
        appendDriverColumns(connection, restrictions, *out, true);
        return out;
    }
    case adSchemaIndexes: return driverIndexes(connection, restrictions);
    case adSchemaForeignKeys: return driverForeignKeys(connection, restrictions);
    case adSchemaPrimaryKeys: return driverPrimaryKeys(connection, restrictions);
    }
    throw EADOError("Invalid Enum Value");
}

} // namespace ado::odbc

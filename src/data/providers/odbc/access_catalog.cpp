#include "access_catalog.h"

#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "ado_errors.h"
#include "odbc_connection.h"
#include "odbc_schema.h"

namespace ado::odbc {
namespace {

using Cell = std::optional<std::string>;

// The name Access gives the index behind a table's primary key; mdb-schema
// prints the key without its index's name.
const char *const kPrimaryKeyIndexName = "PrimaryKey";

// MSysObjects: Type 5 is a saved query; Flags tells its kind.
constexpr int kQueryType = 5;
bool returnsRows(int flags)
{
    return flags == 0 /* select */ || flags == 16 /* crosstab */ || flags == 128 /* union */;
}

// MSysRelationships.grbit
constexpr long kNotEnforced = 0x2;
constexpr long kCascadeUpdates = 0x100;
constexpr long kCascadeDeletes = 0x1000;
constexpr long kCascadeNullOnDelete = 0x2000;

bool isSystemName(const std::string &name)
{
    return name.rfind("MSys", 0) == 0 || name.rfind("~", 0) == 0;
}

// The driver lists every saved query as a VIEW; those that change data
// (update, append, delete, make-table, pass-through, data definition) are
// procedures rather than views and stay out, as with Jet.
std::unique_ptr<RowSet> accessTables(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto tables = driverTables(connection, restrictions);
    std::set<std::string> actionQueries;
    auto objects = connection.query("SELECT Name, Type, Flags FROM MSysObjects");
    for (long long r = 0; r < objects->rowCount(); ++r)
        if (std::atoi(objects->value(r, 1).c_str()) == kQueryType && !returnsRows(std::atoi(objects->value(r, 2).c_str())))
            actionQueries.insert(objects->value(r, 0));
    auto out = emptySchema(adSchemaTables);
    const int nameField = tables->fieldIndex("TABLE_NAME"), typeField = tables->fieldIndex("TABLE_TYPE");
    for (long long r = 0; r < tables->rowCount(); ++r) {
        if (tables->value(r, typeField) == "VIEW" && actionQueries.count(tables->value(r, nameField)))
            continue;
        std::vector<Cell> row;
        for (int f = 0; f < tables->fieldCount(); ++f)
            row.push_back(tables->isNull(r, f) ? Cell() : Cell(tables->value(r, f)));
        out->addRow(row);
    }
    return out;
}

std::unique_ptr<RowSet> accessColumns(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaColumns);
    // The driver lists columns only for a named table.
    std::vector<std::string> tables;
    if (!restrictions.table.empty()) {
        tables.push_back(restrictions.table);
    } else {
        auto rows = driverTables(connection, {});
        for (long long r = 0; r < rows->rowCount(); ++r)
            tables.push_back(rows->value(r, rows->fieldIndex("TABLE_NAME")));
    }
    for (const auto &table : tables)
        appendDriverColumns(connection, {"", "", table}, *out, /*trustNullable=*/false);
    return out;
}

std::vector<AccessIndex> readIndexes(OdbcConnection &connection, const std::string &table)
{
    QStringList arguments{"--indexes", "--no-relations", "--no-drop-table"};
    if (!table.empty())
        arguments << "-T" << QString::fromStdString(table);
    arguments << QString::fromStdString(connection.target().dataSource) << "mysql";
    QProcess process;
    process.start("mdb-schema", arguments);
    if (!process.waitForStarted(10000))
        throw EProviderError("Index information of Access files is read with the mdb-schema program, which could "
                             "not be started: install the mdbtools package.");
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        const std::string error = process.readAllStandardError().trimmed().toStdString();
        throw EProviderError("mdb-schema could not read the indexes of '" + connection.target().dataSource + "'" +
                             (error.empty() ? std::string(".") : ": " + error));
    }
    return parseAccessIndexes(process.readAllStandardOutput().toStdString());
}

std::unique_ptr<RowSet> accessIndexes(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaIndexes);
    for (const AccessIndex &index : readIndexes(connection, restrictions.table))
        for (size_t i = 0; i < index.columns.size(); ++i)
            out->addRow({Cell(), Cell(), index.table, index.name, std::string(index.primaryKey ? "true" : "false"),
                         std::string(index.unique ? "true" : "false"), index.columns[i], std::to_string(i + 1)});
    return out;
}

std::unique_ptr<RowSet> accessPrimaryKeys(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    auto out = emptySchema(adSchemaPrimaryKeys);
    for (const AccessIndex &index : readIndexes(connection, restrictions.table))
        if (index.primaryKey)
            for (size_t i = 0; i < index.columns.size(); ++i)
                out->addRow({Cell(), Cell(), index.table, index.columns[i], std::to_string(i + 1), index.name});
    return out;
}

std::unique_ptr<RowSet> accessForeignKeys(OdbcConnection &connection, const SchemaRestrictions &restrictions)
{
    struct Link {
        std::string name, fkTable, fkColumn, pkTable, pkColumn;
        long flags = 0;
        int position = 0;
    };
    std::vector<Link> links;
    auto rows = connection.query("SELECT szRelationship, grbit, icolumn, szObject, szColumn, szReferencedObject, "
                                 "szReferencedColumn FROM MSysRelationships");
    for (long long r = 0; r < rows->rowCount(); ++r) {
        Link link{rows->value(r, 0), rows->value(r, 3), rows->value(r, 4), rows->value(r, 5), rows->value(r, 6),
                  std::atol(rows->value(r, 1).c_str()), std::atoi(rows->value(r, 2).c_str())};
        if ((link.flags & kNotEnforced) || isSystemName(link.fkTable) || isSystemName(link.pkTable))
            continue;
        if (!restrictions.table.empty() && link.fkTable != restrictions.table)
            continue;
        links.push_back(std::move(link));
    }
    std::sort(links.begin(), links.end(), [](const Link &a, const Link &b) {
        return std::tie(a.fkTable, a.name, a.position) < std::tie(b.fkTable, b.name, b.position);
    });

    // The referenced key's index: the primary key or unique index over exactly the referenced columns.
    std::vector<AccessIndex> indexes;
    if (!links.empty()) {
        try {
            indexes = readIndexes(connection, {});
        } catch (const EProviderError &) {
            // without mdb-schema the PK_NAME column stays empty
        }
    }
    std::map<std::string, std::vector<std::string>> referenced; // relationship -> referenced columns
    for (const Link &link : links)
        referenced[link.name].push_back(link.pkColumn);
    auto keyName = [&](const Link &link) -> Cell {
        for (const AccessIndex &index : indexes)
            if (index.table == link.pkTable && (index.primaryKey || index.unique) &&
                index.columns == referenced[link.name])
                return index.name;
        return std::nullopt;
    };

    auto out = emptySchema(adSchemaForeignKeys);
    for (const Link &link : links) {
        const char *deleteRule = (link.flags & kCascadeDeletes)        ? "CASCADE"
                                 : (link.flags & kCascadeNullOnDelete) ? "SET NULL"
                                                                        : "NO ACTION";
        out->addRow({Cell(), Cell(), link.pkTable, link.pkColumn, Cell(), Cell(), link.fkTable, link.fkColumn,
                     std::to_string(link.position + 1),
                     std::string((link.flags & kCascadeUpdates) ? "CASCADE" : "NO ACTION"), std::string(deleteRule),
                     link.name, keyName(link)});
    }
    return out;
}

// Reads a `quoted` identifier at `at`; doubled backquotes stand for one.
bool readQuoted(const std::string &line, size_t &at, std::string &name)
{
    if (at >= line.size() || line[at] != '`')
        return false;
    name.clear();
    for (++at; at < line.size(); ++at) {
        if (line[at] == '`') {
            if (at + 1 < line.size() && line[at + 1] == '`') {
                name += '`';
                ++at;
                continue;
            }
            ++at;
            return true;
        }
        name += line[at];
    }
    return false;
}

bool consume(const std::string &line, size_t &at, const std::string &word)
{
    if (line.compare(at, word.size(), word) != 0)
        return false;
    at += word.size();
    return true;
}

} // namespace

std::vector<AccessIndex> parseAccessIndexes(const std::string &text)
{
    std::vector<AccessIndex> indexes;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        AccessIndex index;
        size_t at = 0;
        if (!consume(line, at, "ALTER TABLE ") || !readQuoted(line, at, index.table) || !consume(line, at, " ADD "))
            continue;
        if (consume(line, at, "PRIMARY KEY ")) {
            index.primaryKey = index.unique = true;
            index.name = kPrimaryKeyIndexName;
        } else {
            index.unique = consume(line, at, "UNIQUE ");
            if (!(consume(line, at, "INDEX ") || consume(line, at, "KEY ")) || !readQuoted(line, at, index.name) ||
                !consume(line, at, " "))
                continue;
        }
        if (!consume(line, at, "("))
            continue;
        std::string column;
        while (readQuoted(line, at, column)) {
            index.columns.push_back(column);
            consume(line, at, " DESC");
            if (!consume(line, at, ", "))
                break;
        }
        if (!index.columns.empty())
            indexes.push_back(std::move(index));
    }
    return indexes;
}

std::unique_ptr<RowSet> accessSchema(OdbcConnection &connection, SchemaEnum kind, const SchemaRestrictions &restrictions)
{
    switch (kind) {
    case adSchemaTables: return accessTables(connection, restrictions);
    case adSchemaColumns: return accessColumns(connection, restrictions);
    case adSchemaIndexes: return accessIndexes(connection, restrictions);
    case adSchemaForeignKeys: return accessForeignKeys(connection, restrictions);
    case adSchemaPrimaryKeys: return accessPrimaryKeys(connection, restrictions);
    }
    throw EADOError("Invalid Enum Value");
}

} // namespace ado::odbc

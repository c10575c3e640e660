// Access files through the MDBTools driver: tables, rows, saved queries,
// indexes, relationships, the read-only guard and the open failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "ado_errors.h"
#include "provider.h"
#include "testenv.h"

using namespace ado;

namespace {

std::string fixture(const char *file)
{
    return testenv::accessFixtureDir() + "/" + file;
}

std::unique_ptr<ProviderConnection> openAccess(const std::string &path)
{
    auto connection = ProviderRegistry::instance().create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                                                          ";Persist Security Info=False");
    connection->open();
    return connection;
}

using Row = std::vector<std::string>;

// The named columns of every row ("<null>" for a null).
std::vector<Row> rowsOf(const RowSet &rows, const std::vector<std::string> &columns)
{
    std::vector<Row> out;
    for (long long r = 0; r < rows.rowCount(); ++r) {
        Row row;
        for (const auto &column : columns) {
            const int field = rows.fieldIndex(column);
            EXPECT_GE(field, 0) << column;
            row.push_back(field < 0 ? "?" : rows.isNull(r, field) ? "<null>" : rows.value(r, field));
        }
        out.push_back(row);
    }
    return out;
}

std::string openError(const std::string &path)
{
    try {
        openAccess(path);
    } catch (const EProviderError &e) {
        return e.message();
    }
    return "open succeeded";
}

// Both index files hold the same tables, rows, indexes and relationships.
class AccessIndexFile : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override { connection = openAccess(fixture(GetParam())); }
    std::unique_ptr<ProviderConnection> connection;
};

TEST_P(AccessIndexFile, TablesWithoutSystemTables)
{
    EXPECT_EQ(connection->tableNames(), (std::vector<std::string>{"Table1", "Table2", "Table3"}));
    auto tables = connection->openSchema(adSchemaTables, {});
    std::set<std::string> system;
    for (const auto &row : rowsOf(*tables, {"TABLE_NAME", "TABLE_TYPE"}))
        if (row[1] == "SYSTEM TABLE")
            system.insert(row[0]);
    EXPECT_TRUE(system.count("MSysObjects")) << "the schema row set still lists system tables";
}

TEST_P(AccessIndexFile, RowsAndValues)
{
    const struct {
        const char *table;
        long long rows;
    } counts[] = {{"Table1", 4}, {"Table2", 3}, {"Table3", 4}};
    for (const auto &c : counts) {
        ExecResult result = connection->execute(std::string("SELECT * FROM ") + c.table);
        ASSERT_TRUE(result.rows) << c.table;
        EXPECT_EQ(result.rows->rowCount(), c.rows) << c.table;
    }
    ExecResult result = connection->execute("/* rows */ SELECT id, otherfk1, otherfk2, data FROM Table1");
    ASSERT_TRUE(result.rows);
    std::set<Row> rows;
    for (const auto &row : rowsOf(*result.rows, {"id", "otherfk1", "otherfk2", "data"}))
        rows.insert(row);
    EXPECT_EQ(rows, (std::set<Row>{{"0", "0", "10", "baz0"},
                                   {"1", "1", "11", "baz11"},
                                   {"2", "1", "11", "baz11-2"},
                                   {"3", "2", "13", "baz13"}}));
    EXPECT_EQ(result.rows->fieldKind(0), FieldKind::Number);
    EXPECT_EQ(result.rows->fieldKind(3), FieldKind::Text);
}

TEST_P(AccessIndexFile, Columns)
{
    EXPECT_EQ(connection->fieldNames("Table1"),
              (std::vector<std::string>{"id", "otherfk1", "otherfk2", "data", "otherfk3"}));
    auto columns = connection->openSchema(adSchemaColumns, {});
    std::set<std::string> tables;
    for (const auto &row : rowsOf(*columns, {"TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION"}))
        tables.insert(row[0]);
    EXPECT_TRUE(tables.count("Table2") && tables.count("Table3")) << "unrestricted COLUMNS misses tables";
}

TEST_P(AccessIndexFile, IndexesAndPrimaryKeys)
{
    auto indexes = connection->openSchema(adSchemaIndexes, {});
    std::set<Row> rows;
    for (const auto &row :
         rowsOf(*indexes, {"TABLE_NAME", "INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME", "ORDINAL_POSITION"}))
        rows.insert(row);
    std::set<Row> expected;
    for (const char *table : {"Table1", "Table2", "Table3"}) {
        expected.insert({table, "id", "false", "false", "id", "1"});
        expected.insert({table, "PrimaryKey", "true", "true", "id", "1"});
    }
    EXPECT_EQ(rows, expected);

    auto keys = connection->openSchema(adSchemaPrimaryKeys, {"", "", "Table2"});
    EXPECT_EQ(rowsOf(*keys, {"TABLE_NAME", "COLUMN_NAME", "ORDINAL", "PK_NAME"}),
              (std::vector<Row>{{"Table2", "id", "1", "PrimaryKey"}}));
}

TEST_P(AccessIndexFile, ForeignKeys)
{
    auto keys = connection->openSchema(adSchemaForeignKeys, {});
    EXPECT_EQ(rowsOf(*keys, {"PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_NAME", "FK_COLUMN_NAME", "ORDINAL",
                             "UPDATE_RULE", "DELETE_RULE", "FK_NAME", "PK_NAME"}),
              (std::vector<Row>{
                  {"Table2", "id", "Table1", "otherfk1", "1", "NO ACTION", "CASCADE", "Table2Table1", "PrimaryKey"},
                  {"Table3", "id", "Table1", "otherfk2", "1", "CASCADE", "NO ACTION", "Table3Table1", "PrimaryKey"},
              }));
    EXPECT_EQ(connection->openSchema(adSchemaForeignKeys, {"", "", "Table2"})->rowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, AccessIndexFile, ::testing::Values("indexTestV2000.mdb", "indexTestV2010.accdb"),
                         [](const auto &info) { return std::string(info.param).substr(9, 5); });

TEST(AccessQueries, SavedQueriesThatReturnRowsAreViews)
{
    auto connection = openAccess(fixture("queryTestV2000.mdb"));
    // Of the nine saved queries, the six that change data are no views.
    EXPECT_EQ(connection->tableNames(), (std::vector<std::string>{"Table1", "Table2", "Table3", "SelectQuery",
                                                                  "CrosstabQuery", "UnionQuery"}));
    ExecResult result = connection->execute("SELECT col1, col2, col3 FROM Table2");
    ASSERT_TRUE(result.rows);
    EXPECT_EQ(result.rows->rowCount(), 0);
    EXPECT_EQ(result.rows->fieldCount(), 3);
}

TEST(AccessReadOnly, StatementsThatWriteAreRefused)
{
    // A writable copy shows that nothing reaches the file.
    const std::string copy = testenv::tempDir() + "/writable.mdb";
    std::filesystem::copy_file(fixture("indexTestV2000.mdb"), copy);
    auto readAll = [&] {
        std::ifstream in(copy, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = readAll();
    auto connection = openAccess(copy);
    const struct {
        const char *statement;
        const char *keyword;
    } cases[] = {
        {"INSERT INTO Table2 (id, data) VALUES (9, 'x')", "INSERT"},
        {"-- change\n  update Table2 set data = 'y'", "UPDATE"},
        {"/* gone */ delete from Table3", "DELETE"},
        {"create table T9 (a int)", "CREATE"},
        {"drop table Table3", "DROP"},
        {"Alter Table Table2 add column c int", "ALTER"},
    };
    for (const auto &c : cases) {
        try {
            connection->execute(c.statement);
            ADD_FAILURE() << "ran: " << c.statement;
        } catch (const EProviderError &e) {
            EXPECT_EQ(e.message(), std::string("The Access engine on this system reads Access files only; ") +
                                       c.keyword + " statements are not supported.");
        }
    }
    EXPECT_EQ(connection->execute("SELECT * FROM Table2").rows->rowCount(), 3);
    connection->openSchema(adSchemaForeignKeys, {});
    connection->close();
    EXPECT_TRUE(readAll() == before) << "the file changed";
}

TEST(AccessErrors, OpenFailures)
{
    const std::string folder = testenv::tempDir();
    const std::string missing = folder + "/missing.mdb";
    EXPECT_EQ(openError(missing), "Could not find file '" + missing + "'.");

    const std::string text = folder + "/notes.mdb";
    std::ofstream(text) << "These are notes, not a database.\n";
    EXPECT_EQ(openError(text), "Unrecognized database format '" + text + "'.");

    EXPECT_EQ(openError(folder), "Could not find file '" + folder + "'.");
}

TEST(AccessErrors, DriverErrorsAndUnknownSchemaKind)
{
    auto connection = openAccess(fixture("indexTestV2000.mdb"));
    try {
        connection->execute("SELECT * FROM NoSuchTable");
        ADD_FAILURE() << "no error";
    } catch (const EProviderError &e) {
        EXPECT_FALSE(e.message().empty());
    }
    try {
        connection->openSchema(SchemaEnum(99), {});
        ADD_FAILURE() << "no error";
    } catch (const EADOError &e) {
        EXPECT_EQ(e.message(), "Invalid Enum Value");
    }
}

} // namespace

// The SQLite catalogue command set through the server connection, on a file
// made in a temporary folder.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "o_ServerConnection.h"
#include "testenv.h"

namespace {

class SQLiteCatalogue : public testing::Test {
protected:
    void SetUp() override
    {
        path = testenv::tempDir() + "/catalogue.sqlite";
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
        const char *sql =
            "create table zeta (id integer primary key autoincrement, note varchar(20));"
            "insert into zeta (note) values ('x');" // sqlite_sequence
            "create table \"it's a \"\"table\"\"\" (\"o'k\" int, [two words] text, `x-y` blob);"
            "create table alpha (w real primary key, area real generated always as (w * w) stored, k int) without rowid;"
            "create view beta as select note from zeta;"
            "analyze;"; // sqlite_stat1
        char *error = nullptr;
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_close(db);
        connection.DBEngine = seSQLite;
        connection.ServerName = path;
        connection.UserName = "ignored";
        connection.ReConnect();
    }

    std::vector<std::string> tables()
    {
        TStringList l;
        connection.ListTables(&l, "");
        return l.items();
    }

    std::vector<std::string> fields(const std::string &table)
    {
        TStringList l;
        connection.ListFields(&l, "", table);
        return l.items();
    }

    std::string path;
    TqdServerConnection connection;
};

TEST_F(SQLiteCatalogue, ListsTablesThenViewsWithoutTheEnginesOwnTables)
{
    const std::vector<std::string> expected{"alpha", "it's a \"table\"", "zeta", "beta"};
    EXPECT_EQ(tables(), expected);
    TStringList dataBases;
    connection.ListDataBases(&dataBases);
    EXPECT_EQ(dataBases.items(), expected) << "one database per file: its tables stand under the server";
    TqdSQLiteCommands *commands = connection.SQLiteCommands();
    EXPECT_TRUE(commands->DataBaseExists("anything"));
    EXPECT_TRUE(commands->TableExists("", "ZETA"));
    EXPECT_TRUE(commands->TableExists("", "beta"));
    EXPECT_FALSE(commands->TableExists("", "sqlite_sequence"));
    EXPECT_FALSE(commands->TableExists("", "nothing"));
}

TEST_F(SQLiteCatalogue, ListsFieldsInDeclaredOrderWithTheirTypes)
{
    EXPECT_EQ(fields("alpha"), (std::vector<std::string>{"w", "area", "k"})) << "generated columns included";
    EXPECT_EQ(fields("it's a \"table\""), (std::vector<std::string>{"o'k", "two words", "x-y"}));
    EXPECT_EQ(fields("beta"), (std::vector<std::string>{"note"}));
    EXPECT_TRUE(fields("nothing").empty());
    TqdSQLiteCommands *commands = connection.SQLiteCommands();
    EXPECT_TRUE(commands->FieldExists("", "it's a \"table\"", "O'K"));
    EXPECT_FALSE(commands->FieldExists("", "zeta", "rowid"));
    EXPECT_EQ(commands->GetFieldType("", "zeta", "note"), "varchar(20)");
    EXPECT_EQ(commands->GetFieldType("", "alpha", "area"), "REAL");
    EXPECT_EQ(commands->GetFieldType("", "zeta", "missing"), "");
}

} // namespace

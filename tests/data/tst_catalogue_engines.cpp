// The catalogue command sets against real engines: PostgreSQL and MariaDB
// servers, embedded Firebird files and the Access fixtures.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "o_ServerConnection.h"
#include "testenv.h"

namespace {

std::vector<std::string> listDataBases(TqdServerConnection &c)
{
    TStringList l;
    c.ListDataBases(&l);
    return l.items();
}

std::vector<std::string> listTables(TqdServerConnection &c, const std::string &dataBase)
{
    TStringList l;
    c.ListTables(&l, dataBase);
    return l.items();
}

std::vector<std::string> listFields(TqdServerConnection &c, const std::string &dataBase, const std::string &table)
{
    TStringList l;
    c.ListFields(&l, dataBase, table);
    return l.items();
}

bool holds(const std::vector<std::string> &names, const std::string &name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// The test runner starts one program per case, several at a time: every
// program works on databases of its own.
const std::string kRun = std::to_string(QCoreApplication::applicationPid());

// ---- PostgreSQL ------------------------------------------------------------

const std::string kPgShop = "tqd_catalogue_shop_" + kRun;
// As long as a name can be: 63 characters.
const std::string kPgLong = [] {
    std::string name = "tqd_catalogue_" + kRun + "_a_long_database_name";
    name.resize(63, 'x');
    return name;
}();

class PostgresCatalogue : public testing::Test {
protected:
    static void createFixtures()
    {
        for (const std::string &db : {kPgShop, kPgLong})
            testenv::pgExec("DROP DATABASE IF EXISTS \"" + db + "\" WITH (FORCE);\n"
                            "CREATE DATABASE \"" + db + "\" TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C';\n");
        testenv::pgExec("CREATE SCHEMA sales;\n"
                        "CREATE TABLE public.orders (zeta int, alpha text);\n"
                        "CREATE TABLE sales.invoices (id int, total numeric);\n"
                        "CREATE TABLE sales.orders (id int, \"Net\" numeric, \"order\" int);\n"
                        "CREATE SCHEMA \"Sales\";\n"
                        "CREATE TABLE \"Sales\".\"Order Lines\" (\"Qty\" int);\n"
                        "CREATE TABLE items (a int, b int, c int);\n"
                        "ALTER TABLE items DROP COLUMN b;\n"
                        "CREATE TABLE \"it's\" (\"o'k\" int, plain int);\n"
                        "CREATE VIEW order_view AS SELECT zeta FROM orders;\n",
                        kPgShop);
        testenv::pgExec("CREATE TABLE elsewhere (x int);\n", kPgLong);
    }

    static void TearDownTestSuite()
    {
        if (testenv::pgAvailable())
            testenv::pgExec("DROP DATABASE IF EXISTS \"" + kPgShop + "\" WITH (FORCE);\n"
                            "DROP DATABASE IF EXISTS \"" + kPgLong + "\" WITH (FORCE);\n");
    }

    void SetUp() override
    {
        REQUIRE_PG();
        static bool created = false;
        if (!created) {
            createFixtures();
            created = true;
        }
        connection.DBEngine = sePostGre;
        connection.ServerName = testenv::pgSocket();
        connection.Port = testenv::pgPort();
        connection.UserName = testenv::pgUser();
        connection.Password = testenv::pgPassword();
        connection.DataBaseName = kPgShop;
        connection.ReConnect();
    }

    TqdServerConnection connection;
};

TEST_F(PostgresCatalogue, ListsEveryDatabaseWithItsWholeName)
{
    const auto dataBases = listDataBases(connection);
    EXPECT_TRUE(holds(dataBases, kPgShop));
    EXPECT_TRUE(holds(dataBases, testenv::pgDatabase()));
    EXPECT_TRUE(holds(dataBases, "tabulon_other"));
    ASSERT_EQ(kPgLong.size(), 63u);
    EXPECT_TRUE(holds(dataBases, kPgLong));
    EXPECT_FALSE(holds(dataBases, kPgLong.substr(0, 50)));
    EXPECT_TRUE(connection.PostGreCommands()->DataBaseExists("TQD_CATALOGUE_SHOP_" + kRun));
    EXPECT_FALSE(connection.PostGreCommands()->DataBaseExists("tqd_catalogue_none"));
}

TEST_F(PostgresCatalogue, ListsTheBaseTablesOfEverySchemaOfTheOpenDatabase)
{
    // Tables outside public carry their schema; ordered by table name, then schema.
    EXPECT_EQ(listTables(connection, kPgShop), (std::vector<std::string>{"\"Sales\".\"Order Lines\"", "sales.invoices",
                                                                         "it's", "items", "orders", "sales.orders"}));
    // Another database's name finds nothing on this connection...
    EXPECT_EQ(listTables(connection, kPgLong), std::vector<std::string>{});
    // ...until the connection is opened on it.
    connection.DataBaseName = kPgLong;
    connection.ReConnect();
    EXPECT_EQ(listTables(connection, kPgLong), std::vector<std::string>{"elsewhere"});
}

TEST_F(PostgresCatalogue, ListsFieldsByNameWithoutDroppedColumns)
{
    EXPECT_EQ(listFields(connection, kPgShop, "orders"), (std::vector<std::string>{"alpha", "zeta"}));
    EXPECT_EQ(listFields(connection, kPgShop, "items"), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(listFields(connection, kPgShop, "it's"), (std::vector<std::string>{"o'k", "plain"}));
    // Two tables of one name: each lists its own columns only.
    EXPECT_EQ(listFields(connection, kPgShop, "sales.orders"), (std::vector<std::string>{"Net", "id", "order"}));
    EXPECT_EQ(listFields(connection, kPgShop, "\"Sales\".\"Order Lines\""), std::vector<std::string>{"Qty"});
    EXPECT_EQ(listFields(connection, kPgShop, "nowhere.orders"), std::vector<std::string>{});
    TqdPostGreCommands *commands = connection.PostGreCommands();
    EXPECT_TRUE(commands->TableExists(kPgShop, "IT'S"));
    EXPECT_TRUE(commands->TableExists(kPgShop, "SALES.ORDERS"));
    EXPECT_TRUE(commands->FieldExists(kPgShop, "it's", "O'K"));
    EXPECT_FALSE(commands->TableExists(kPgShop, "order_view"));
    EXPECT_EQ(commands->GetFieldType(kPgShop, "orders", "zeta"), "");
}

// ---- MariaDB ---------------------------------------------------------------

const std::string kMyShop = "tqd-catalogue-shop-" + kRun;
const std::string kMyBlank = "tqd catalogue 2024 " + kRun;

class MariaDbCatalogue : public testing::Test {
protected:
    static void createFixtures()
    {
        testenv::myExec("DROP DATABASE IF EXISTS `" + kMyShop + "`;\n"
                        "DROP DATABASE IF EXISTS `" + kMyBlank + "`;\n"
                        "CREATE DATABASE `" + kMyShop + "`;\n"
                        "CREATE DATABASE `" + kMyBlank + "`;\n"
                        "CREATE TABLE `" + kMyShop + "`.orders (zeta int, alpha varchar(10), mid decimal(9,2));\n"
                        "CREATE TABLE `" + kMyShop + "`.`sales 2024` (id int);\n"
                        "CREATE TABLE `" + kMyBlank + "`.`we``ird` (`x-y` int);\n");
    }

    static void TearDownTestSuite()
    {
        if (testenv::myAvailable())
            testenv::myExec("DROP DATABASE IF EXISTS `" + kMyShop + "`;\n"
                            "DROP DATABASE IF EXISTS `" + kMyBlank + "`;\n");
    }

    void SetUp() override
    {
        REQUIRE_MY();
        static bool created = false;
        if (!created) {
            createFixtures();
            created = true;
        }
        connection.DBEngine = seMySQL;
        connection.ServerName = testenv::mySocket();
        connection.Port = testenv::myPort();
        connection.UserName = testenv::myUser();
        connection.Password = testenv::myPassword();
        connection.ReConnect();
    }

    TqdServerConnection connection;
};

TEST_F(MariaDbCatalogue, BrowsesDatabasesWithHyphensAndBlanks)
{
    const auto dataBases = listDataBases(connection);
    EXPECT_TRUE(holds(dataBases, kMyShop));
    EXPECT_TRUE(holds(dataBases, kMyBlank));
    EXPECT_EQ(listTables(connection, kMyShop), (std::vector<std::string>{"orders", "sales 2024"}));
    EXPECT_EQ(listTables(connection, kMyBlank), std::vector<std::string>{"we`ird"});
    EXPECT_EQ(listFields(connection, kMyBlank, "we`ird"), std::vector<std::string>{"x-y"});
    EXPECT_EQ(listFields(connection, kMyShop, "sales 2024"), std::vector<std::string>{"id"});
}

TEST_F(MariaDbCatalogue, KeepsTheServersColumnOrderAndTypes)
{
    EXPECT_EQ(listFields(connection, kMyShop, "orders"), (std::vector<std::string>{"zeta", "alpha", "mid"}));
    TqdMySQLCommands *commands = connection.MySQLCommands();
    EXPECT_EQ(commands->GetFieldType(kMyShop, "orders", "mid"), "decimal(9,2)");
    EXPECT_EQ(commands->GetFieldType(kMyShop, "orders", "missing"), "");
    EXPECT_TRUE(commands->DataBaseExists("TQD-CATALOGUE-SHOP-" + kRun));
    EXPECT_TRUE(commands->TableExists(kMyShop, "Sales 2024"));
    EXPECT_TRUE(commands->FieldExists(kMyShop, "orders", "ALPHA"));
    EXPECT_FALSE(commands->FieldExists(kMyShop, "orders", "beta"));
}

TEST_F(MariaDbCatalogue, AMissingDatabaseFailsWithTheServersMessage)
{
    TStringList l;
    l.Add("kept");
    try {
        connection.ListTables(&l, "tqd-catalogue-none");
        FAIL() << "listing a missing database should fail";
    } catch (const ado::EProviderError &e) {
        EXPECT_NE(std::string(e.what()).find("tqd-catalogue-none"), std::string::npos) << e.what();
    }
    EXPECT_EQ(l.items(), std::vector<std::string>{"kept"});
}

// ---- Firebird --------------------------------------------------------------

class FirebirdCatalogue : public testing::Test {
protected:
    void SetUp() override
    {
        path = testenv::tempDir() + "/catalogue.fdb";
        testenv::fbCreate(path, "create table orders (zeta integer, alpha varchar(10), mid numeric(9,2));\n"
                                "create view order_view as select alpha from orders;\n");

        connection.DBEngine = seFireBird;
        connection.ServerName = path;
        connection.UserName = "SYSDBA";
        connection.ReConnect();
    }

    std::string path;
    TqdServerConnection connection;
};

TEST_F(FirebirdCatalogue, ListsTablesButNoViewsOrSystemRelations)
{
    const auto tables = listDataBases(connection);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(rtrim(tables[0]), "ORDERS");
    EXPECT_EQ(listTables(connection, "ignored"), tables);
    EXPECT_TRUE(connection.FirebirdCommands()->DataBaseExists("anything"));
}

TEST_F(FirebirdCatalogue, ListsFieldsInPositionOrderWithTheirPadding)
{
    const auto fields = listFields(connection, "", "ORDERS");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(rtrim(fields[0]), "ZETA");
    EXPECT_EQ(rtrim(fields[1]), "ALPHA");
    EXPECT_EQ(rtrim(fields[2]), "MID");
    EXPECT_GT(fields[0].size(), std::string("ZETA").size()) << "names come as the engine stores them";
    // The padded name that the table list gives works as well.
    EXPECT_EQ(listFields(connection, "", listTables(connection, "")[0]), fields);
    EXPECT_EQ(listFields(connection, "", "ORDER_VIEW"), std::vector<std::string>{});
    EXPECT_EQ(listFields(connection, "", "RDB$RELATIONS"), std::vector<std::string>{});
    EXPECT_EQ(connection.FirebirdCommands()->GetFieldType("", "ORDERS", "ZETA"), "");
    // Membership looks past the padding.
    EXPECT_TRUE(connection.FirebirdCommands()->TableExists("", "orders"));
    EXPECT_TRUE(connection.FirebirdCommands()->FieldExists("", "ORDERS", "Alpha"));
    EXPECT_FALSE(connection.FirebirdCommands()->TableExists("", "ORDER_VIEW"));
    EXPECT_FALSE(connection.FirebirdCommands()->FieldExists("", "ORDERS", "ALPH"));
}

// ---- Access ----------------------------------------------------------------

class AccessCatalogue : public testing::Test {
protected:
    void open(const char *file)
    {
        connection.DBEngine = seMSAccess;
        connection.ServerName = testenv::accessFixtureDir() + "/" + file;
        connection.ReConnect();
    }
    TqdServerConnection connection;
};

TEST_F(AccessCatalogue, ListsTablesAndViewsSorted)
{
    open("queryTestV2000.mdb");
    TStringList tables;
    connection.ListDataBases(&tables);
    EXPECT_EQ(tables.items(), (std::vector<std::string>{"CrosstabQuery", "SelectQuery", "Table1", "Table2", "Table3",
                                                        "UnionQuery"}));
    EXPECT_TRUE(tables.Sorted());
    EXPECT_TRUE(connection.MSAccessCommands()->DataBaseExists("no such database"));
    EXPECT_TRUE(connection.MSAccessCommands()->TableExists("", "selectquery"));
}

TEST_F(AccessCatalogue, ListsFieldsSortedAndHasNoTypes)
{
    for (const char *file : {"indexTestV2000.mdb", "indexTestV2010.accdb"}) {
        SCOPED_TRACE(file);
        open(file);
        EXPECT_EQ(listFields(connection, "ignored", "Table1"),
                  (std::vector<std::string>{"data", "id", "otherfk1", "otherfk2", "otherfk3"}));
        EXPECT_TRUE(connection.MSAccessCommands()->FieldExists("", "Table1", "OTHERFK3"));
        EXPECT_THROW(connection.MSAccessCommands()->GetFieldType("", "Table1", "id"), EqdNotSupported);
    }
}

} // namespace

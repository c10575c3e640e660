// The connection string of every engine, and the cursor location that
// building it leaves on the ADO connection.
#include <gtest/gtest.h>

#include "connection_string.h"
#include "o_ServerConnection.h"
#include "recording_provider.h"

namespace {

struct Settings {
    TqdServerEngine engine;
    std::string server, dataBase, user, password;
    int port = 0;
};

struct Case {
    const char *name;
    Settings settings;
    std::string expected;
    ado::TCursorLocation cursor = ado::adUseClient;
};

void apply(TqdServerConnection &c, const Settings &s)
{
    c.DBEngine = s.engine;
    c.ServerName = s.server;
    c.DataBaseName = s.dataBase;
    c.UserName = s.user;
    c.Password = s.password;
    c.Port = s.port;
}

const Case kCases[] = {
    {"none", {seNone, "srv", "db", "usr", "pw"}, ""},
    {"firebird",
     {seFireBird, "/data/shop.fdb", "ignored", "SYSDBA", "masterkey", 3050},
     "Provider=LCPI.IBProvider.3.Free;Password=masterkey;Persist Security Info=True;User ID=SYSDBA;"
     "Data Source=\"\";Location=/data/shop.fdb;ctype=NONE;dbclient_library=\"\";auto_commit=true"},
    {"access",
     {seMSAccess, "C:\\db\\shop.mdb", "ignored", "usr", "pw"},
     "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\shop.mdb;Persist Security Info=False"},
    {"compact 3.1",
     {seMSCE31, "C:\\db\\shop.sdf", "ignored", "usr", "pw"},
     "Provider=Microsoft.SQLSERVER.MOBILE.OLEDB.3.0;Data Source=C:\\db\\shop.sdf;Persist Security Info=False",
     ado::adUseServer},
    {"compact 3.5",
     {seMSCE35, "C:\\db\\shop.sdf", "", "", ""},
     "Provider=Microsoft.SQLSERVER.CE.OLEDB.3.5;Data Source=C:\\db\\shop.sdf;Persist Security Info=False",
     ado::adUseServer},
    {"sql server",
     {seMSSQL, "HOST\\SQLEXPRESS", "master", "sa", "secret", 1433},
     "Provider=SQLOLEDB.1;Password=secret;User ID=sa;Initial Catalog=master;Data Source=HOST\\SQLEXPRESS"},
    {"mysql, port never set, empty database and password",
     {seMySQL, "localhost", "", "root", ""},
     "DRIVER={MySQL ODBC 5.1 Driver}; SERVER=localhost; PORT=0; DATABASE=; UID=root; PASSWORD=;OPTION=3;"},
    {"mysql with port and database",
     {seMySQL, "db.example", "shop", "ann", "pw", 3307},
     "DRIVER={MySQL ODBC 5.1 Driver}; SERVER=db.example; PORT=3307; DATABASE=shop; UID=ann; PASSWORD=pw;OPTION=3;"},
    {"oracle",
     {seOracle, "ORCL", "ignored", "scott", "tiger", 1521},
     "Provider=OraOLEDB.Oracle.1;Password=tiger;Persist Security Info=False;User ID=scott;Data Source=ORCL"},
    {"oracle through the microsoft provider",
     {seOracleMS, "ORCL", "ignored", "scott", "tiger"},
     "Provider=MSDAORA.1;Password=tiger;User ID=scott;Data Source=ORCL;Persist Security Info=False"},
    {"postgres without database",
     {sePostGre, "pghost", "", "pg", "pw"},
     "Provider=PGNP.1;Password=pw;Persist Security Info=True;User ID=pg;Data Source=pghost;"
     "Extended Properties=\"SSL=allow;\""},
    {"postgres with database",
     {sePostGre, "pghost", "shop", "pg", "pw"},
     "Provider=PGNP.1;Password=pw;Persist Security Info=True;User ID=pg;Initial Catalog=shop;Data Source=pghost;"
     "Extended Properties=\"SSL=allow;\""},
    {"postgres with port, without database",
     {sePostGre, "/run/pg", "", "pg", "pw", 5433},
     "Provider=PGNP.1;Password=pw;Persist Security Info=True;User ID=pg;Data Source=/run/pg;Port=5433;"
     "Extended Properties=\"SSL=allow;\""},
    {"postgres with port and database",
     {sePostGre, "pghost", "shop", "pg", "pw", 5433},
     "Provider=PGNP.1;Password=pw;Persist Security Info=True;User ID=pg;Initial Catalog=shop;Data Source=pghost;"
     "Port=5433;Extended Properties=\"SSL=allow;\""},
    // Values that would break the string are quoted in its own syntax.
    {"sql server password with a semicolon",
     {seMSSQL, "srv", "db", "sa", "a;b"},
     "Provider=SQLOLEDB.1;Password=\"a;b\";User ID=sa;Initial Catalog=db;Data Source=srv"},
    {"sql server values with quotes, braces, equals and blanks",
     {seMSSQL, " srv", "it's", "x=y", "say \"hi\""},
     "Provider=SQLOLEDB.1;Password=\"say \"\"hi\"\"\";User ID=\"x=y\";Initial Catalog=\"it's\";Data Source=\" srv\""},
    {"postgres password with braces and a trailing blank",
     {sePostGre, "pghost", "shop", "pg", "{pw} "},
     "Provider=PGNP.1;Password=\"{pw} \";Persist Security Info=True;User ID=pg;Initial Catalog=shop;"
     "Data Source=pghost;Extended Properties=\"SSL=allow;\""},
    {"firebird path with a semicolon",
     {seFireBird, "/data/a;b.fdb", "", "SYSDBA", "masterkey"},
     "Provider=LCPI.IBProvider.3.Free;Password=masterkey;Persist Security Info=True;User ID=SYSDBA;"
     "Data Source=\"\";Location=\"/data/a;b.fdb\";ctype=NONE;dbclient_library=\"\";auto_commit=true"},
    {"mysql password and database needing braces",
     {seMySQL, "localhost", "my shop ", "root", "p;w}d", 3306},
     "DRIVER={MySQL ODBC 5.1 Driver}; SERVER=localhost; PORT=3306; DATABASE={my shop }; UID=root; "
     "PASSWORD={p;w}}d};OPTION=3;"},
    // SQLite takes the file alone; user, password, database and port stay out.
    {"sqlite", {seSQLite, "/home/ann/shop.sqlite", "ignored", "usr", "pw", 99},
     "Provider=SQLite;Data Source=/home/ann/shop.sqlite"},
    {"sqlite path with a semicolon, quotes and a leading blank",
     {seSQLite, " /data/a;b \"q\".db", "", "", ""},
     "Provider=SQLite;Data Source=\" /data/a;b \"\"q\"\".db\""},
};

class ConnectionStringCase : public testing::TestWithParam<Case> {};

TEST_P(ConnectionStringCase, BuildsTheEngineString)
{
    const Case &c = GetParam();
    TqdServerConnection connection;
    apply(connection, c.settings);
    EXPECT_EQ(connection.ConnectionString(), c.expected);
    EXPECT_EQ(connection.ADOConnection()->CursorLocation, c.cursor);
}

// Whatever the values hold, the string parses back to the same settings.
TEST(ConnectionString, ReadsBackEverySetting)
{
    for (const Case &c : kCases) {
        if (c.settings.engine == seNone)
            continue;
        SCOPED_TRACE(c.name);
        TqdServerConnection connection;
        apply(connection, c.settings);
        const auto parsed = ado::ConnectionString::parse(connection.ConnectionString());
        const TqdServerEngine e = c.settings.engine;
        const bool fileEngine = e == seMSAccess || e == seMSCE31 || e == seMSCE35 || e == seSQLite;
        if (e == seMySQL) {
            EXPECT_EQ(parsed.value("PASSWORD"), c.settings.password);
            EXPECT_EQ(parsed.value("DATABASE"), c.settings.dataBase);
            EXPECT_EQ(parsed.value("UID"), c.settings.user);
            EXPECT_EQ(parsed.value("SERVER"), c.settings.server);
        } else if (e == seFireBird) {
            EXPECT_EQ(parsed.value("Password"), c.settings.password);
            EXPECT_EQ(parsed.value("Location"), c.settings.server);
        } else if (fileEngine) {
            EXPECT_EQ(parsed.value("Data Source"), c.settings.server);
        } else {
            EXPECT_EQ(parsed.value("Password"), c.settings.password);
            EXPECT_EQ(parsed.value("User ID"), c.settings.user);
            EXPECT_EQ(parsed.value("Data Source"), c.settings.server);
            if (e == seMSSQL || (e == sePostGre && !c.settings.dataBase.empty()))
                EXPECT_EQ(parsed.value("Initial Catalog"), c.settings.dataBase);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConnectionStringCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                             std::string n;
                             for (const char *p = info.param.name; *p; ++p)
                                 n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n;
                         });

TEST(CursorLocation, CompactLeavesServerSideUntilAnotherEngineIsBuilt)
{
    TqdServerConnection connection;
    EXPECT_EQ(connection.ADOConnection()->CursorLocation, ado::adUseClient);
    connection.DBEngine = seMSCE35;
    connection.ConnectionString();
    EXPECT_EQ(connection.ADOConnection()->CursorLocation, ado::adUseServer);
    connection.DBEngine = seMSSQL;
    connection.ConnectionString();
    EXPECT_EQ(connection.ADOConnection()->CursorLocation, ado::adUseClient);
}

TEST(CursorLocation, CustomConnectionStringLeavesItAsItWas)
{
    recording::server().reset();
    TqdServerConnection connection;
    connection.DBEngine = seMSCE31;
    connection.ServerName = "a.sdf";
    connection.ReConnect();
    ASSERT_EQ(connection.ADOConnection()->CursorLocation, ado::adUseServer);

    connection.UseCustomConnectionString = true;
    connection.CustomConnectionString = "Provider=SQLOLEDB.1;Data Source=other";
    connection.ReConnect();
    EXPECT_EQ(connection.ADOConnection()->CursorLocation, ado::adUseServer);
    EXPECT_EQ(connection.ADOConnection()->ConnectionString, "Provider=SQLOLEDB.1;Data Source=other");
    EXPECT_EQ(recording::server().connectionStrings.back(), "Provider=SQLOLEDB.1;Data Source=other");
}

// The location reaches the schema row sets that the connection returns; a
// statement's row set is always client-side.
TEST(CursorLocation, SchemaRowSetsTakeTheLocationOfTheLastBuiltString)
{
    recording::server().reset();
    TqdServerConnection connection;
    ado::TDataSource source;
    auto shown = [&] {
        connection.LoadSchema(ado::adSchemaTables, &source);
        return source.DataSet()->CursorLocation();
    };
    connection.DBEngine = seMSCE35;
    connection.ServerName = "a.sdf";
    connection.ReConnect();
    EXPECT_EQ(shown(), ado::adUseServer);
    ado::TADODataSet *query = connection.OpenQuery("select 1");
    EXPECT_EQ(query->CursorLocation(), ado::adUseClient);
    connection.ReleaseQuery(query);

    // A custom string keeps what the Compact string set.
    connection.UseCustomConnectionString = true;
    connection.CustomConnectionString = "Provider=SQLOLEDB.1;Data Source=other";
    connection.ReConnect();
    EXPECT_EQ(shown(), ado::adUseServer);

    connection.UseCustomConnectionString = false;
    connection.DBEngine = seMSSQL;
    connection.ReConnect();
    EXPECT_EQ(shown(), ado::adUseClient);
}

TEST(EngineNames, NameEveryValueAndTellSingleDatabaseEngines)
{
    const struct {
        TqdServerEngine engine;
        const char *name;
        bool single;
    } cases[] = {
        {seNone, "seNone", false},         {seFireBird, "seFireBird", true}, {seMSAccess, "seMSAccess", true},
        {seMSCE31, "seMSCE31", true},      {seMSCE35, "seMSCE35", true},     {seMSSQL, "seMSSQL", false},
        {seMySQL, "seMySQL", false},       {seOracle, "seOracle", false},    {sePostGre, "sePostGre", false},
        {seOracleMS, "seOracleMS", false}, {seSQLite, "seSQLite", true},
    };
    int ordinal = 0;
    for (const auto &c : cases) {
        EXPECT_EQ(int(c.engine), ordinal++) << c.name;
        EXPECT_STREQ(engineName(c.engine), c.name);
        EXPECT_EQ(isSingleDatabaseEngine(c.engine), c.single) << c.name;
    }
}

} // namespace

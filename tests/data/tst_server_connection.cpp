// The connection's life: connect, disconnect and reconnect with their events,
// settings passed on by AssignConnection, result queries handed out and taken
// back, schema row sets, and what destruction takes with it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "o_ServerConnection.h"
#include "recording_provider.h"

namespace {

class ServerConnectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        recording::server().reset();
        connection = std::make_unique<TqdServerConnection>();
        connection->DBEngine = seMSSQL;
        connection->ServerName = "srv";
        connection->UserName = "sa";
        connection->Password = "pw";
        connection->DataBaseName = "shop";
        connection->OnDisConnect = [this](TqdServerConnection *s) { log += s == connection.get() ? "D" : "d?"; };
        connection->OnConnect = [this](TqdServerConnection *s) { log += s == connection.get() ? "C" : "c?"; };
        connection->OnReConnect = [this](TqdServerConnection *s) { log += s == connection.get() ? "R" : "r?"; };
    }

    recording::Server &server() { return recording::server(); }

    std::unique_ptr<TqdServerConnection> connection;
    std::string log;
};

TEST_F(ServerConnectionTest, ReConnectFiresDisConnectConnectReConnectInOrder)
{
    connection->ReConnect();
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(log, "DCR");
    connection->ReConnect();
    EXPECT_EQ(log, "DCRDCR");
    EXPECT_EQ(server().opens, 2);
    EXPECT_EQ(server().closes, 1);
}

TEST_F(ServerConnectionTest, DisConnectFiresAlsoWhenAlreadyClosed)
{
    connection->DisConnect();
    EXPECT_EQ(log, "D");
    EXPECT_EQ(server().closes, 0);
    connection->ReConnect();
    connection->DisConnect();
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(log, "DDCRD");
    EXPECT_EQ(server().closes, 1);
}

TEST_F(ServerConnectionTest, FailedOpenPassesTheProviderMessageAndFiresNoConnect)
{
    server().openError = "Login failed for user 'sa'.";
    try {
        connection->ReConnect();
        FAIL() << "the open should fail";
    } catch (const ado::EProviderError &e) {
        EXPECT_STREQ(e.what(), "Login failed for user 'sa'.");
    }
    EXPECT_EQ(log, "D");
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(connection->ADOConnection()->ConnectionString,
              "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=shop;Data Source=srv");
}

TEST_F(ServerConnectionTest, NoEngineChosenFailsToOpen)
{
    connection->DBEngine = seNone;
    EXPECT_THROW(connection->ReConnect(), ado::Exception);
    EXPECT_EQ(log, "D");
    EXPECT_EQ(connection->ADOConnection()->ConnectionString, "");
}

TEST_F(ServerConnectionTest, SettingsTakeEffectAtTheNextReConnectOnly)
{
    connection->ReConnect();
    connection->DataBaseName = "other";
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(server().opens, 1);
    connection->ReConnect();
    ASSERT_EQ(server().connectionStrings.size(), 2u);
    EXPECT_EQ(server().connectionStrings[1],
              "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=other;Data Source=srv");
}

TEST_F(ServerConnectionTest, AssignConnectionOfNothingLeavesTheConnectionAsItIs)
{
    connection->ReConnect();
    log.clear();
    connection->AssignConnection(nullptr);
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(log, "");
    EXPECT_EQ(connection->ServerName, "srv");
}

TEST_F(ServerConnectionTest, AssignConnectionCopiesTheSettingsAndLeavesItClosed)
{
    connection->ReConnect();
    log.clear();
    TqdServerConnection source;
    source.DBEngine = seOracleMS;
    source.ServerName = "ORCL";
    source.DataBaseName = "SCOTT";
    source.UserName = "scott";
    source.Password = "tiger";
    source.Port = 1521;
    source.UseCustomConnectionString = true;
    source.CustomConnectionString = "Provider=MSDAORA.1;Data Source=X";
    bool sourceHandlerRan = false;
    source.OnConnect = [&](TqdServerConnection *) { sourceHandlerRan = true; };

    connection->AssignConnection(&source);
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(log, "D");
    EXPECT_EQ(connection->DBEngine, seOracleMS);
    EXPECT_EQ(connection->ServerName, "ORCL");
    EXPECT_EQ(connection->DataBaseName, "SCOTT");
    EXPECT_EQ(connection->UserName, "scott");
    EXPECT_EQ(connection->Password, "tiger");
    EXPECT_EQ(connection->Port, 1521);
    EXPECT_TRUE(connection->UseCustomConnectionString);
    EXPECT_EQ(connection->CustomConnectionString, "Provider=MSDAORA.1;Data Source=X");

    // Handlers stay with their own connection.
    connection->ReConnect();
    EXPECT_EQ(log, "DDCR");
    EXPECT_FALSE(sourceHandlerRan);
    EXPECT_EQ(server().connectionStrings.back(), "Provider=MSDAORA.1;Data Source=X");
}

TEST_F(ServerConnectionTest, ListsOfNoEngineStayAsTheyWere)
{
    connection->DBEngine = seNone;
    TStringList list;
    list.Add("kept");
    connection->ListDataBases(&list);
    connection->ListTables(&list, "db");
    connection->ListFields(&list, "db", "t");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "kept");
    EXPECT_TRUE(server().statements.empty());
}

TEST_F(ServerConnectionTest, OpenQueryKeepsTheResultUntilReleased)
{
    connection->ReConnect();
    server().rows({"id", "name"}, {{"1", "ann"}, {"2", std::nullopt}});
    ado::TADODataSet *query = connection->OpenQuery("select id, name\rfrom people");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(server().last(), "select id, name\r\nfrom people\r\n");
    ASSERT_EQ(connection->QueryList().size(), 1u);
    EXPECT_EQ(connection->QueryList()[0].get(), query);
    EXPECT_EQ(query->RecordCount(), 2);
    query->Next();
    EXPECT_EQ(query->FieldByName("name").AsString(), "");

    connection->ReleaseQuery(query);
    EXPECT_TRUE(connection->QueryList().empty());
}

TEST_F(ServerConnectionTest, OpenQueryThatFailsAddsNothing)
{
    connection->ReConnect();
    server().fail("Incorrect syntax near 'selec'.");
    EXPECT_THROW(connection->OpenQuery("selec 1"), ado::EProviderError);
    server().count(3);
    try {
        connection->OpenQuery("update t set a = 1");
        FAIL() << "a statement without rows should not open";
    } catch (const ado::EDatabaseError &e) {
        EXPECT_STREQ(e.what(), "CommandText does not return a result set");
    }
    EXPECT_TRUE(connection->QueryList().empty());
}

TEST_F(ServerConnectionTest, ExecSQLOpensAClosedConnectionWithoutConnectEvent)
{
    connection->ReConnect();
    connection->DisConnect();
    log.clear();
    server().count(7);
    EXPECT_EQ(connection->ExecSQL("delete from t"), 7);
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(log, "");
    EXPECT_EQ(server().last(), "delete from t");
    EXPECT_EQ(server().opens, 2);
}

TEST_F(ServerConnectionTest, RunStatementKeepsRowsOrCountsRecords)
{
    connection->ReConnect();
    int affected = -5;
    server().count(4);
    EXPECT_EQ(connection->RunStatement("update t set a = 1", affected), nullptr);
    EXPECT_EQ(affected, 4);
    EXPECT_TRUE(connection->QueryList().empty());

    server().rows({"a"}, {{"x"}});
    ado::TADODataSet *rows = connection->RunStatement("select a from t", affected);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->FieldByName("a").AsString(), "x");
    ASSERT_EQ(connection->QueryList().size(), 1u);
    EXPECT_EQ(server().statements.size(), 2u); // each statement ran once
    connection->ReleaseQuery(rows);
    EXPECT_TRUE(connection->QueryList().empty());
}

TEST_F(ServerConnectionTest, ReleaseQueryLeavesForeignDataSetsAlone)
{
    connection->ReConnect();
    ado::TADODataSet *own = connection->OpenQuery("select 1");
    ado::TADODataSet foreign(connection->ADOConnection());
    server().rows({"n"}, {{"1"}});
    foreign.SetCommandText("select n");
    foreign.Open();

    connection->ReleaseQuery(nullptr);
    connection->ReleaseQuery(&foreign);
    EXPECT_TRUE(foreign.Active());
    EXPECT_EQ(foreign.Fields(0).AsString(), "1");
    ASSERT_EQ(connection->QueryList().size(), 1u);
    EXPECT_EQ(connection->QueryList()[0].get(), own);

    TqdServerConnection other;
    other.ReleaseQuery(own);
    EXPECT_EQ(connection->QueryList().size(), 1u);
}

TEST_F(ServerConnectionTest, LoadSchemaShowsTheNewRowSetAndKeepsTheOldOnFailure)
{
    connection->ReConnect();
    connection->DisConnect();
    log.clear();
    connection->LoadSchema(ado::adSchemaTables, nullptr);
    EXPECT_TRUE(server().schemaKinds.empty());

    ado::TDataSource source;
    int changes = 0;
    QObject::connect(&source, &ado::TDataSource::changed, [&] { ++changes; });
    server().rows({"TABLE_NAME", "TABLE_TYPE"}, {{"orders", "TABLE"}});
    connection->LoadSchema(ado::adSchemaTables, &source); // opens the closed connection
    EXPECT_EQ(log, "");
    ASSERT_NE(source.DataSet(), nullptr);
    ado::TADODataSet *tables = source.DataSet();
    EXPECT_EQ(tables->FieldByName("TABLE_NAME").AsString(), "orders");
    EXPECT_GT(changes, 0);

    server().rows({"COLUMN_NAME"}, {{"id"}});
    connection->LoadSchema(ado::adSchemaColumns, &source);
    ASSERT_NE(source.DataSet(), tables);
    EXPECT_EQ(source.DataSet()->FieldByName("COLUMN_NAME").AsString(), "id");
    EXPECT_EQ(tables->FieldByName("TABLE_NAME").AsString(), "orders"); // still owned by the source

    ado::TADODataSet *columns = source.DataSet();
    server().fail("Object or provider is not capable of performing requested operation.");
    EXPECT_THROW(connection->LoadSchema(ado::adSchemaForeignKeys, &source), ado::EProviderError);
    EXPECT_EQ(source.DataSet(), columns);
    EXPECT_THROW(connection->LoadSchema(ado::SchemaEnum(99), &source), ado::EADOError);
    EXPECT_EQ(source.DataSet(), columns);
    EXPECT_EQ(server().schemaKinds,
              (std::vector<ado::SchemaEnum>{ado::adSchemaTables, ado::adSchemaColumns, ado::adSchemaForeignKeys}));
    EXPECT_TRUE(connection->QueryList().empty());
}

TEST_F(ServerConnectionTest, DestructionTakesUnreleasedQueriesAndDisconnects)
{
    connection->ReConnect();
    log.clear();
    server().rows({"a"}, {{"1"}});
    ado::TADODataSet *query = connection->OpenQuery("select a from t");
    ado::TDataSource source;
    source.SetDataSet(query);
    bool sourceToldOfIt = false;
    QObject::connect(&source, &ado::TDataSource::changed, [&] { sourceToldOfIt = source.DataSet() == nullptr; });

    delete connection.get(); // keeps the pointer for the sender check while it goes
    connection.release();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_TRUE(sourceToldOfIt);
    EXPECT_EQ(log, "D");
    EXPECT_EQ(server().closes, 1);
}

TEST_F(ServerConnectionTest, TheOwnerDestroysItsConnection)
{
    auto owner = std::make_unique<QObject>();
    auto *owned = new TqdServerConnection(owner.get());
    bool disconnected = false;
    owned->OnDisConnect = [&](TqdServerConnection *) { disconnected = true; };
    owner.reset();
    EXPECT_TRUE(disconnected);
}

} // namespace

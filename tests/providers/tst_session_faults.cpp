// Sessions under faults on PostgreSQL and MariaDB: a server restart inside
// and outside a transaction, the engine's notices and warnings per
// statement, and a connection attempt to a server that never answers.
#include <gtest/gtest.h>

#include <QProcess>

#include <chrono>
#include <cstdio>
#include <thread>

#include "ado.h"
#include "ado_errors.h"
#include "o_ServerConnection.h"
#include "server_provider_support.h"
#include "testenv.h"

using namespace ado;

namespace {

enum class Engine { Postgres, MariaDB };

const char *nameOf(Engine e) { return e == Engine::Postgres ? "PostgreSQL" : "MariaDB"; }

bool available(Engine e) { return e == Engine::Postgres ? testenv::pgAvailable() : testenv::myAvailable(); }

std::string connectionString(Engine e)
{
    return e == Engine::Postgres ? testenv::pgConnectionString() : testenv::myConnectionString();
}

void exec(Engine e, const std::string &sql)
{
    if (e == Engine::Postgres)
        testenv::pgExec(sql);
    else
        testenv::myExec(sql, testenv::myDatabase());
}

// Stops the server without waiting for its clients and starts it again in
// its folder. PostgreSQL goes down at once (as in a crash) after a checkpoint,
// so that what was committed survives the test servers' unsynced writes.
void restartServer(Engine e)
{
    if (e == Engine::Postgres)
        testenv::pgExec("checkpoint");
    QProcess script;
    script.start(QStringLiteral(TABULON_SOURCE_DIR "/tools/test-servers.sh"),
                 {e == Engine::Postgres ? QStringLiteral("restart-pg") : QStringLiteral("restart-my"),
                  QStringLiteral("-")});
    ASSERT_TRUE(script.waitForFinished(120000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
}

std::vector<std::string> ids(TqdServerConnection &connection, const std::string &table)
{
    ado::TADODataSet *query = connection.OpenQuery("select id from " + table + " order by id");
    std::vector<std::string> out;
    for (query->First(); !query->Eof(); query->Next())
        out.push_back(query->Fields(0).AsString());
    connection.ReleaseQuery(query);
    return out;
}

class SessionRestart : public ::testing::TestWithParam<Engine> {};

// The statement that meets the lost session says whether a transaction went
// with it; the one after connects again, and OnConnect tells of it.
TEST_P(SessionRestart, LostTransactionIsToldAndTheNextStatementReconnects)
{
    const Engine engine = GetParam();
    if (!available(engine))
        FAIL() << nameOf(engine) << " test server is not running: run the suite through the README's test command";
    const std::string table = "tabulon_restart";
    struct Case {
        bool inTransaction;
        std::vector<std::string> rowsAfterCommit;
    };
    for (const Case &c : {Case{true, {"2"}}, Case{false, {"1", "2"}}}) {
        SCOPED_TRACE(c.inTransaction ? "inside a transaction" : "outside a transaction");
        exec(engine, "drop table if exists " + table + "; create table " + table + " (id int)");
        TqdServerConnection connection;
        connection.UseCustomConnectionString = true;
        connection.CustomConnectionString = connectionString(engine);
        int connects = 0;
        connection.OnConnect = [&connects](TqdServerConnection *) { ++connects; };
        connection.ReConnect();
        ASSERT_EQ(connects, 1);
        if (c.inTransaction)
            connection.ExecSQL("begin");
        connection.ExecSQL("insert into " + table + " values (1)");

        restartServer(engine);

        try {
            connection.ExecSQL("insert into " + table + " values (2)");
            ADD_FAILURE() << "the statement after the restart succeeded";
        } catch (const EProviderError &e) {
            const bool toldOfTransaction =
                std::string(e.what()).find("while a transaction was open: the server has rolled the transaction "
                                           "back and none of its changes were kept") != std::string::npos;
            EXPECT_EQ(toldOfTransaction, c.inTransaction) << e.what();
        }
        EXPECT_FALSE(connection.Connected());
        EXPECT_EQ(connects, 1);

        EXPECT_EQ(connection.ExecSQL("insert into " + table + " values (2)"), 1);
        EXPECT_EQ(connects, 2) << "OnConnect did not fire on the reconnect";
        connection.ExecSQL("commit");
        EXPECT_EQ(ids(connection, table), c.rowsAfterCommit);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SessionRestart, ::testing::Values(Engine::Postgres, Engine::MariaDB),
                         [](const auto &info) { return std::string(nameOf(info.param)); });

// ---- notices -----------------------------------------------------------------

struct NoticeCase {
    const char *statement;
    std::vector<std::string> notices;
};

void expectNotices(Engine engine, const std::vector<NoticeCase> &cases)
{
    TADOConnection connection;
    connection.ConnectionString = connectionString(engine);
    connection.Open();
    for (const auto &c : cases)
        EXPECT_EQ(connection.ExecuteWithResult(c.statement).notices, c.notices) << c.statement;
}

TEST(SessionNotices, PostgresNoticesAndWarningsPerStatement)
{
    REQUIRE_PG();
    expectNotices(Engine::Postgres,
                  {
                      {"commit", {"WARNING:  there is no transaction in progress"}},
                      {"select 1", {}},
                      {"do $$ begin raise notice 'one'; raise warning 'two'; end $$",
                       {"NOTICE:  one", "WARNING:  two"}},
                      {"do $$ begin raise notice 'with rows'; end $$; select 2", {"NOTICE:  with rows"}},
                      {"drop table if exists tabulon_no_such_table",
                       {"NOTICE:  table \"tabulon_no_such_table\" does not exist, skipping"}},
                  });
}

TEST(SessionNotices, MariaDBWarningsPerStatement)
{
    REQUIRE_MY();
    testenv::myExec("drop table if exists tabulon_narrow; create table tabulon_narrow (v varchar(2))",
                    testenv::myDatabase());
    expectNotices(Engine::MariaDB,
                  {
                      {"drop table if exists tabulon_no_such_table",
                       {"Note 1051: Unknown table 'tabulon_test.tabulon_no_such_table'"}},
                      {"select 1", {}},
                      {"insert ignore into tabulon_narrow values ('abc'), ('defg')",
                       {"Warning 1265: Data truncated for column 'v' at row 1",
                        "Warning 1265: Data truncated for column 'v' at row 2"}},
                      // Texts are asked for once no result is pending; earlier ones are counted.
                      {"insert ignore into tabulon_narrow values ('xyz'); select 3",
                       {"Warning: 1 warning whose text the server did not keep"}},
                  });
}

// ---- connecting to a server that never answers ---------------------------------

struct SilentCase {
    const char *name;
    std::string (*silent)(const std::string &port); // the connection string to the listener
    bool postgres;                                   // the answering server afterwards
    const char *how;                                 // how the attempt ends
};

const SilentCase kSilentCases[] = {
    {"PostgreSQL",
     [](const std::string &port) { return "Provider=PGNP.1;Password=x;User ID=x;Data Source=127.0.0.1;Port=" + port; },
     true, "libpq's polled connect is stopped"},
    {"MariaDB",
     [](const std::string &port) {
         return "DRIVER={MySQL ODBC 5.1 Driver}; SERVER=127.0.0.1; PORT=" + port + "; UID=x; PASSWORD=x;";
     },
     false, "the attempt is abandoned"},
    {"SqlServerThroughFreeTDS",
     [](const std::string &port) {
         return "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=" + port + ";UID=x;PWD=x;TDS_Version=7.4";
     },
     false, "the attempt is abandoned"},
};

class SilentServer : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentServer, CancelGivesTheConnectBackAtOnce)
{
    const SilentCase &c = GetParam();
    SCOPED_TRACE(c.how);
    provider_test::SilentListener listener;
    TADOConnection connection;
    connection.ConnectionString = c.silent(std::to_string(listener.port()));
    std::chrono::steady_clock::time_point cancelledAt;
    {
        provider_test::Later later(500, [&] {
            cancelledAt = std::chrono::steady_clock::now();
            connection.Cancel();
        });
        try {
            connection.Open();
            ADD_FAILURE() << "connected to a server that says nothing";
        } catch (const ECancelled &e) {
            EXPECT_EQ(e.message(), "Connecting was cancelled");
        }
    }
    const double returned = provider_test::secondsSince(cancelledAt);
    std::printf("%s: connect to a silent server, Cancel to return %.2f ms\n", c.name, returned * 1000);
    RecordProperty("cancel_to_return_ms", int(returned * 1000));
    EXPECT_LT(returned, 2.0);
    EXPECT_EQ(listener.accepted(), 1);
    EXPECT_FALSE(connection.Connected());

    // The same connection goes on to a server that answers.
    const Engine engine = c.postgres ? Engine::Postgres : Engine::MariaDB;
    if (!available(engine))
        FAIL() << nameOf(engine) << " test server is not running";
    connection.ConnectionString = connectionString(engine);
    connection.Open();
    EXPECT_EQ(connection.ExecuteWithResult("select 1").rows->value(0, 0), "1");
}

INSTANTIATE_TEST_SUITE_P(Engines, SilentServer, ::testing::ValuesIn(kSilentCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

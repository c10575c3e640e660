// The MySQL/MariaDB provider (DRIVER={MySQL ODBC 5.1 Driver}) against the test server.

#include <gtest/gtest.h>

// The test links the client library through the data library; its header is
// found by its system path.
#include <mariadb/mysql.h>

#include <algorithm>
#include <iostream>

#include "ado.h"
#include "server_provider_support.h"
#include "testenv.h"

using namespace ado;
using provider_test::column;
using provider_test::oleDbColumns;
using provider_test::fieldNames;

namespace {

std::string myString(const std::string &body)
{
    return "DRIVER={MySQL ODBC 5.1 Driver}; " + body + ";OPTION=3;";
}

std::string socketPart() { return "SERVER=" + testenv::mySocket() + "; PORT=" + std::to_string(testenv::myPort()); }

std::unique_ptr<ProviderConnection> openMy(const std::string &cs = testenv::myConnectionString())
{
    auto c = ProviderRegistry::instance().create(cs);
    c->open();
    return c;
}

std::string scalar(ProviderConnection &c, const std::string &sql)
{
    ExecResult r = c.execute(sql);
    if (!r.rows || r.rows->rowCount() < 1)
        return "<no rows>";
    return r.rows->value(0, 0);
}

class MyProvider : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_MY(); }
};

// ---- opening -------------------------------------------------------------

TEST_F(MyProvider, OpenFailuresCarryTheLibraryMessageAndLeaveTheConnectionClosed)
{
    struct Case {
        const char *what;
        std::string connectionString;
        std::string message; // exactly, or the start of it when it ends in "..."
    };
    const std::string user = "UID=" + testenv::myUser();
    const int closed = provider_test::closedLoopbackPort();
    const std::vector<Case> cases = {
        {"refused port",
         myString("SERVER=127.0.0.1; PORT=" + std::to_string(closed) + "; DATABASE=; " + user + "; PASSWORD=x"),
         "Can't connect to server on '127.0.0.1' (..."},
        {"wrong password", myString(socketPart() + "; DATABASE=; " + user + "; PASSWORD=wrong"),
         "Access denied for user '" + testenv::myUser() + "'@'localhost' (using password: YES)"},
        {"missing database",
         myString(socketPart() + "; DATABASE=tabulon_no_such_db; " + user + "; PASSWORD=" + testenv::myPassword()),
         "Unknown database 'tabulon_no_such_db'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TADOConnection connection;
        connection.ConnectionString = c.connectionString;
        try {
            connection.Open();
            ADD_FAILURE() << "opened";
        } catch (const EProviderError &e) {
            const std::string_view open = "...";
            if (c.message.ends_with(open))
                EXPECT_TRUE(e.message().starts_with(c.message.substr(0, c.message.size() - open.size())))
                    << e.what();
            else
                EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_FALSE(connection.Connected());
    }
    for (const std::string bad : {std::string(), std::string("DRIVER={Tabulon No Such Driver}; SERVER=x")}) {
        SCOPED_TRACE(bad);
        TADOConnection connection;
        connection.ConnectionString = bad;
        EXPECT_THROW(connection.Open(), ado::Exception);
        EXPECT_FALSE(connection.Connected());
    }
}

TEST_F(MyProvider, SettingsOfTheConnectionStringReachTheSession)
{
    struct Case {
        const char *what;
        std::string connectionString;
        std::string database; // what database() says
    };
    const std::string login = "UID=" + testenv::myUser() + "; PASSWORD=" + testenv::myPassword();
    const std::string port = std::to_string(testenv::myPort());
    const std::vector<Case> cases = {
        {"socket", myString(socketPart() + "; DATABASE=" + testenv::myDatabase() + "; " + login),
         testenv::myDatabase()},
        {"loopback port", myString("SERVER=127.0.0.1; PORT=" + port + "; DATABASE=; " + login), "NULL"},
        {"keys in any case, PWD",
         "driver={MySQL ODBC 5.1 Driver}; server=" + testenv::mySocket() + "; port=0; database=" +
             testenv::myDatabase() + "; uid=" + testenv::myUser() + "; pwd=" + testenv::myPassword(),
         testenv::myDatabase()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto conn = openMy(c.connectionString);
        ExecResult r = conn->execute("select database(), @@character_set_client, @@character_set_results");
        EXPECT_EQ(r.rows->isNull(0, 0) ? "NULL" : r.rows->value(0, 0), c.database);
        EXPECT_EQ(r.rows->value(0, 1), "utf8mb4");
        EXPECT_EQ(r.rows->value(0, 2), "utf8mb4");
    }
}

TEST_F(MyProvider, PasswordsWithSeparatorsBracesAndQuotesReachTheServerIntact)
{
    struct Case {
        std::string password;
        std::string written; // as the connection string holds it
    };
    const std::vector<Case> cases = {
        {"a;b=c\"d'e}f g", "PASSWORD={a;b=c\"d'e}}f g}"},
        {"}{;=}", "PWD={}}{;=}}}"},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.password);
        const std::string user = "tabulon_pw_" + std::to_string(n++);
        std::string literal;
        for (char ch : c.password)
            literal += ch == '\'' ? std::string("''") : std::string(1, ch);
        testenv::myExec("drop user if exists '" + user + "'@'localhost'; create user '" + user +
                        "'@'localhost' identified by '" + literal + "';");
        auto conn = openMy("DRIVER={MySQL ODBC 5.1 Driver}; " + socketPart() + "; DATABASE=; UID=" + user + "; " +
                           c.written + ";OPTION=3;");
        EXPECT_EQ(scalar(*conn, "select current_user()"), user + "@localhost");
        conn.reset();
        testenv::myExec("drop user '" + user + "'@'localhost';");
    }
}

// ---- statements ----------------------------------------------------------

TEST_F(MyProvider, SyntaxErrorPassesTheServerMessageUnchanged)
{
    auto c = openMy();
    try {
        c->execute("selec 1");
        FAIL() << "no error";
    } catch (const EProviderError &e) {
        EXPECT_EQ(e.message(), "You have an error in your SQL syntax; check the manual that corresponds to your "
                               "MariaDB server version for the right syntax to use near 'selec 1' at line 1");
    }
    EXPECT_EQ(scalar(*c, "select 1"), "1");
}

TEST_F(MyProvider, WhetherAStatementReturnsRowsAndWhatItAffected)
{
    auto c = openMy();
    c->execute("drop table if exists tabulon_my_affected; create table tabulon_my_affected (id int, v int)");
    struct Case {
        const char *sql;
        bool rows;
        long long count; // rows returned, or records affected
    };
    const std::vector<Case> cases = {
        {"insert into tabulon_my_affected values (1, 1), (2, 2), (3, 3)", false, 3},
        {"update tabulon_my_affected set v = 5 where id = 1", false, 1},
        {"select * from tabulon_my_affected", true, 3},
        {"values (1), (2)", true, 2},
        {"show tables like 'tabulon_my_affected'", true, 1},
        {"explain select * from tabulon_my_affected", true, 1},
        {"delete from tabulon_my_affected where id > 1", false, 2},
        {"delete from tabulon_my_affected where id > 100", false, 0},
        {"insert into tabulon_my_affected values (9, 9); select 5 as last", true, 1},
        {"select 5 as first; insert into tabulon_my_affected values (9, 9), (10, 10)", true, 1},
        {"insert into tabulon_my_affected values (9, 9), (10, 10); delete from tabulon_my_affected", false, 6},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.sql);
        ExecResult r = c->execute(k.sql);
        ASSERT_EQ(r.rows != nullptr, k.rows);
        EXPECT_EQ(k.rows ? r.rows->rowCount() : r.recordsAffected, k.count);
    }
    // A failing statement later in a script is a failure, not a quiet success.
    EXPECT_THROW(c->execute("select 1; selec 2"), EProviderError);
    EXPECT_EQ(scalar(*c, "select 2"), "2");
    c->execute("drop table tabulon_my_affected");
}

TEST_F(MyProvider, OptionBitTwoCountsMatchedRowsOfAnUpdate)
{
    struct Case {
        const char *option;
        long long unchangedUpdate; // an update that sets every value to itself
    };
    for (const Case k : {Case{"3", 3}, Case{"2", 3}, Case{"1", 0}, Case{"0", 0}, Case{"", 0}}) {
        SCOPED_TRACE(k.option);
        auto c = openMy("DRIVER={MySQL ODBC 5.1 Driver}; " + socketPart() + "; DATABASE=" + testenv::myDatabase() +
                        "; UID=" + testenv::myUser() + "; PASSWORD=" + testenv::myPassword() +
                        ";OPTION=" + k.option + ";");
        c->execute("create or replace table tabulon_my_found (v int); insert into tabulon_my_found values (1), (2), (3)");
        EXPECT_EQ(c->execute("update tabulon_my_found set v = v").recordsAffected, k.unchangedUpdate);
        EXPECT_EQ(c->execute("update tabulon_my_found set v = v + 1").recordsAffected, 3);
        c->execute("drop table tabulon_my_found");
    }
}

TEST_F(MyProvider, ValuesAndKindsAsTheServerSendsThem)
{
    auto c = openMy();
    c->execute("create or replace table tabulon_my_values (i int, d decimal(6, 2), dt date, t varchar(20),"
               " b blob, vb varbinary(8), l varchar(5) character set latin1, z int);"
               "insert into tabulon_my_values values (42, 1.50, '2024-02-29', 'a\\0b', x'00FF41', x'', 'caf\xc3\xa9',"
               " null)");
    ExecResult r = c->execute("select * from tabulon_my_values");
    ASSERT_TRUE(r.rows);
    const RowSet &rows = *r.rows;
    EXPECT_EQ(fieldNames(rows), (std::vector<std::string>{"i", "d", "dt", "t", "b", "vb", "l", "z"}));
    const std::vector<std::pair<FieldKind, std::string>> expected = {
        {FieldKind::Number, "42"},      {FieldKind::Number, "1.50"}, {FieldKind::DateTime, "2024-02-29"},
        {FieldKind::Text, {"a\0b", 3}}, {FieldKind::Binary, "0x00FF41"}, {FieldKind::Binary, "0x"},
        {FieldKind::Text, "caf\xc3\xa9"}, {FieldKind::Number, ""},
    };
    for (int f = 0; f < rows.fieldCount(); ++f) {
        SCOPED_TRACE(rows.fieldName(f));
        EXPECT_EQ(rows.fieldKind(f), expected[size_t(f)].first);
        EXPECT_EQ(rows.value(0, f), expected[size_t(f)].second);
        EXPECT_EQ(rows.isNull(0, f), f == 7);
    }
    // A session that asks for latin1 results gets the server's bytes as they
    // are, though they are no valid UTF-8.
    c->execute("set names latin1");
    ExecResult latin = c->execute("select l from tabulon_my_values");
    EXPECT_EQ(latin.rows->value(0, 0), "caf\xe9");
    c->execute("drop table tabulon_my_values");
}

TEST_F(MyProvider, ValuesOfSixteenMebibytes)
{
    auto c = openMy();
    const size_t size = 16u * 1024 * 1024;
    ExecResult r = c->execute("select repeat('x', 16 * 1024 * 1024) as t, cast(repeat('y', 16 * 1024 * 1024) as"
                              " binary) as b");
    ASSERT_TRUE(r.rows);
    std::string scratch;
    const std::string_view text = r.rows->text(0, 0, scratch);
    EXPECT_EQ(text.size(), size);
    EXPECT_EQ(size_t(std::count(text.begin(), text.end(), 'x')), size);
    const std::string_view hex = r.rows->text(0, 1, scratch);
    EXPECT_EQ(hex.size(), 2 + 2 * size);
    EXPECT_EQ(hex.substr(0, 6), "0x7979");
}

TEST_F(MyProvider, AnEmptyResultStillHasItsColumns)
{
    auto c = openMy();
    ExecResult r = c->execute("select 1 as a, 'x' as b, now() as c from dual where false");
    ASSERT_TRUE(r.rows);
    EXPECT_EQ(r.rows->rowCount(), 0);
    EXPECT_EQ(fieldNames(*r.rows), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(r.rows->fieldKind(2), FieldKind::DateTime);
}

TEST_F(MyProvider, RowSetsOutliveTheConnectionThatMadeThem)
{
    auto c = openMy();
    ExecResult r = c->execute("select 'kept', null, 'also'");
    c.reset();
    EXPECT_EQ(r.rows->value(0, 0), "kept");
    EXPECT_TRUE(r.rows->isNull(0, 1));
    EXPECT_EQ(r.rows->value(0, 2), "also");
}

// ---- stopping a statement ------------------------------------------------

TEST_F(MyProvider, CancelStopsARunningStatementAndTheConnectionGoesOn)
{
    TADOConnection connection;
    connection.ConnectionString = testenv::myConnectionString();
    connection.Open();
    connection.Cancel(); // nothing runs: no effect
    EXPECT_EQ(connection.ExecuteWithResult("select 1").rows->value(0, 0), "1");
    const auto start = std::chrono::steady_clock::now();
    {
        provider_test::Later later(300, [&] { connection.Cancel(); });
        try {
            // An interrupted SLEEP returns 1 instead of failing.
            ExecResult r = connection.ExecuteWithResult("select sleep(30)");
            EXPECT_EQ(r.rows->value(0, 0), "1");
        } catch (const EProviderError &e) {
            EXPECT_EQ(e.message(), "Query execution was interrupted");
        }
    }
    EXPECT_LT(provider_test::secondsSince(start), 10.0);
    EXPECT_EQ(connection.ExecuteWithResult("select 1").rows->value(0, 0), "1");
}

TEST_F(MyProvider, RowsCanBeReadWhileTheyArriveAndACancelKeepsThem)
{
    TADOConnection connection;
    connection.ConnectionString = testenv::myConnectionString();
    connection.Open();
    // Slow rows of some size, so that the server sends them a few dozen at a time.
    const auto check = [](const RowSet &rows, long long r) -> std::string {
        std::string scratch;
        if (rows.text(r, 0, scratch) != std::to_string(r + 1) || rows.text(r, 1, scratch).size() != 200)
            return "row " + std::to_string(r) + " reads wrong";
        return {};
    };
    const auto a = provider_test::executeWhileReading(
        connection, "select seq, repeat('x', 200) as pad, sleep(0.001) from seq_1_to_1500", check);
    EXPECT_EQ(a.failure, "");
    ASSERT_TRUE(a.result.rows);
    EXPECT_EQ(a.result.rows->rowCount(), 1500);
    EXPECT_GT(provider_test::countsBetween(a.countsSeen, 1500), 2) << "no rows were readable before the last came";
    EXPECT_EQ(a.result.rows->arrival(), Arrival::Whole);

    // A cancel while the rows come keeps those that came.
    provider_test::Later later(800, [&] { connection.Cancel(); });
    const auto b = provider_test::executeWhileReading(
        connection, "select seq, repeat('x', 200) as pad, sleep(0.001) from seq_1_to_100000", check);
    EXPECT_EQ(b.failure, "");
    EXPECT_EQ(b.result.fetchStopped, "Query execution was interrupted");
    ASSERT_TRUE(b.result.rows);
    const long long kept = b.result.rows->rowCount();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 100000);
    EXPECT_EQ(b.result.rows->arrival(), Arrival::Stopped);
    EXPECT_EQ(connection.ExecuteWithResult("select 1").rows->value(0, 0), "1");

    // A watcher sees its own statement's rows only, not the schema requests that come later.
    int told = 0;
    connection.OnRowsArriving = [&told](std::shared_ptr<const RowSet>) { ++told; };
    connection.ExecuteWithResult("select 2");
    connection.OnRowsArriving = nullptr;
    TStringList names;
    connection.GetTableNames(names);
    EXPECT_EQ(told, 1);
}

TEST_F(MyProvider, AStatementStoppedFromAnotherSession)
{
    struct Case {
        const char *kill;
        const char *statement;
        std::string message;
        bool sessionSurvives;
    };
    const std::vector<Case> cases = {
        {"kill query", "select count(*) from seq_1_to_100000 a, seq_1_to_100000 b where a.seq + b.seq = 3",
         "Query execution was interrupted", true},
        {"kill", "select sleep(30)", "Lost connection to server during query", false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.kill);
        auto c = openMy();
        const std::string id = scalar(*c, "select connection_id()");
        const auto start = std::chrono::steady_clock::now();
        {
            provider_test::Later later(300, [&] { testenv::myExec(std::string(k.kill) + " " + id); });
            try {
                c->execute(k.statement);
                ADD_FAILURE() << "ran to the end";
            } catch (const EProviderError &e) {
                EXPECT_EQ(e.message(), k.message);
            }
        }
        EXPECT_LT(provider_test::secondsSince(start), 10.0);
        EXPECT_EQ(c->isOpen(), k.sessionSurvives);
        if (!k.sessionSurvives)
            c->open();
        EXPECT_EQ(scalar(*c, "select 1"), "1");
    }
}

// ---- schema row sets -----------------------------------------------------

class MySchema : public MyProvider {
protected:
    void SetUp() override
    {
        MyProvider::SetUp();
        testenv::myExec("drop database if exists tabulon_mys; create database tabulon_mys; use tabulon_mys;"
                        " create table parent (id int primary key, code varchar(12) not null default 'none',"
                        "   amount decimal(10, 2), unique key parent_code (code));"
                        " create table child (id int primary key, parent_id int,"
                        "   constraint child_parent foreign key (parent_id) references parent (id) on delete cascade);"
                        " create view parent_view as select id from parent;");
        m_conn = openMy(testenv::myConnectionString("tabulon_mys"));
    }
    std::unique_ptr<ProviderConnection> m_conn;
};

TEST_F(MySchema, EachKindHasItsOleDbColumnsAndFindsTheTestObjects)
{
    struct Case {
        SchemaEnum kind;
        std::vector<std::string> columns;
        std::string table; // restriction
        int tableColumn;   // where it is matched
        std::string field; // a column of the row set...
        std::vector<std::string> values; // ...and its values, in row order
    };
    const std::vector<Case> cases = {
        {adSchemaTables, oleDbColumns(adSchemaTables),
         "parent_view", 2, "TABLE_TYPE", {"VIEW"}},
        {adSchemaColumns, oleDbColumns(adSchemaColumns),
         "parent", 2, "COLUMN_NAME", {"id", "code", "amount"}},
        {adSchemaIndexes, oleDbColumns(adSchemaIndexes),
         "parent", 2, "INDEX_NAME", {"parent_code", "PRIMARY"}},
        {adSchemaForeignKeys, oleDbColumns(adSchemaForeignKeys),
         "child", 6, "FK_NAME", {"child_parent"}},
        {adSchemaPrimaryKeys, oleDbColumns(adSchemaPrimaryKeys),
         "parent", 2, "PK_NAME", {"PRIMARY"}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.kind);
        auto all = m_conn->openSchema(k.kind, {});
        EXPECT_EQ(fieldNames(*all), k.columns);
        const auto tables = column(*all, k.columns[size_t(k.tableColumn)]);
        EXPECT_NE(std::find(tables.begin(), tables.end(), k.table), tables.end());
        for (const auto &catalog : column(*all, k.columns[size_t(k.tableColumn) - 2]))
            EXPECT_EQ(catalog, "tabulon_mys"); // the current database only

        SchemaRestrictions only;
        only.catalog = "tabulon_mys";
        only.table = k.table;
        auto some = m_conn->openSchema(k.kind, only);
        EXPECT_EQ(column(*some, k.field), k.values);
        for (const auto &name : column(*some, k.columns[size_t(k.tableColumn)]))
            EXPECT_EQ(name, k.table);
    }
}

TEST_F(MySchema, RowsCarryTheDetailsOfEachObject)
{
    const SchemaRestrictions parent{"tabulon_mys", "", "parent"};
    auto cols = m_conn->openSchema(adSchemaColumns, parent);
    ASSERT_EQ(cols->rowCount(), 3);
    EXPECT_EQ(cols->value(1, cols->fieldIndex("COLUMN_DEFAULT")), "'none'");
    EXPECT_EQ(cols->value(1, cols->fieldIndex("IS_NULLABLE")), "NO");
    EXPECT_EQ(cols->value(1, cols->fieldIndex("DATA_TYPE")), "varchar");
    EXPECT_EQ(cols->value(1, cols->fieldIndex("CHARACTER_MAXIMUM_LENGTH")), "12");
    EXPECT_EQ(cols->value(2, cols->fieldIndex("NUMERIC_SCALE")), "2");

    auto fk = m_conn->openSchema(adSchemaForeignKeys, {"tabulon_mys", "", "child"});
    ASSERT_EQ(fk->rowCount(), 1);
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_TABLE_NAME")), "parent");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_COLUMN_NAME")), "id");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("FK_COLUMN_NAME")), "parent_id");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("DELETE_RULE")), "CASCADE");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("UPDATE_RULE")), "RESTRICT");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_NAME")), "PRIMARY");

    auto ix = m_conn->openSchema(adSchemaIndexes, parent);
    EXPECT_EQ(column(*ix, "PRIMARY_KEY"), (std::vector<std::string>{"false", "true"}));
    EXPECT_EQ(column(*ix, "UNIQUE"), (std::vector<std::string>{"true", "true"}));
}

TEST_F(MySchema, RestrictionsAreValuesNotStatementText)
{
    for (const std::string table : {"x' or '1'='1", "x\\' or 1=1 -- ", "parent'; drop table child; --"}) {
        SCOPED_TRACE(table);
        auto rows = m_conn->openSchema(adSchemaTables, {"", "", table});
        EXPECT_EQ(rows->rowCount(), 0);
    }
    EXPECT_EQ(scalar(*m_conn, "select count(*) from child"), "0");
}

TEST_F(MySchema, SystemTablesAreMarkedAndLeftOutOfTableNames)
{
    EXPECT_EQ(m_conn->tableNames(), (std::vector<std::string>{"child", "parent", "parent_view"}));
    EXPECT_EQ(m_conn->fieldNames("parent"), (std::vector<std::string>{"id", "code", "amount"}));

    // Without a database every user database counts, and no system one.
    auto server = openMy(testenv::myConnectionString(""));
    const auto names = server->tableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "parent_view"), names.end());
    for (const char *system : {"user", "db", "TABLES", "COLUMNS", "sys_config"})
        EXPECT_EQ(std::find(names.begin(), names.end(), system), names.end()) << system;

    struct Case {
        const char *database, *table, *type;
    };
    for (const Case k : {Case{"mysql", "db", "SYSTEM TABLE"}, Case{"mysql", "user", "SYSTEM VIEW"},
                         Case{"information_schema", "TABLES", "SYSTEM VIEW"}}) {
        SCOPED_TRACE(k.table);
        auto rows = server->openSchema(adSchemaTables, {k.database, "", k.table});
        ASSERT_EQ(rows->rowCount(), 1);
        EXPECT_EQ(rows->value(0, rows->fieldIndex("TABLE_TYPE")), k.type);
    }
}

TEST_F(MySchema, AnUnknownKindIsTheLayersOwnFault)
{
    try {
        m_conn->openSchema(SchemaEnum(99), {});
        FAIL() << "no error";
    } catch (const EADOError &e) {
        EXPECT_EQ(e.message(), "Invalid Enum Value");
    }
}

// ---- cost of a large result ------------------------------------------------

TEST_F(MyProvider, MeasureMillionRowResult)
{
    const std::string sql = "select seq, seq * 2, cast(seq as char), concat('row ', seq), seq % 7, seq / 3, now(),"
                            " seq % 2 = 0 from seq_1_to_1000000";
    auto c = openMy();
    MYSQL *raw = mysql_init(nullptr);
    ASSERT_TRUE(mysql_real_connect(raw, nullptr, testenv::myUser().c_str(), testenv::myPassword().c_str(),
                                   testenv::myDatabase().c_str(), 0, testenv::mySocket().c_str(), 0));
    long long before = provider_test::heapInUse();
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(mysql_real_query(raw, sql.data(), sql.size()), 0);
    MYSQL_RES *res = mysql_store_result(raw);
    const double rawSeconds = provider_test::secondsSince(start);
    const long long rawBytes = provider_test::heapInUse() - before;
    ASSERT_EQ(mysql_num_rows(res), 1000000u);
    mysql_free_result(res);
    mysql_close(raw);

    before = provider_test::heapInUse();
    start = std::chrono::steady_clock::now();
    ExecResult r = c->execute(sql);
    const double ownSeconds = provider_test::secondsSince(start);
    const long long ownBytes = provider_test::heapInUse() - before;
    std::string scratch;
    size_t total = 0;
    start = std::chrono::steady_clock::now();
    for (long long row = 0; row < r.rows->rowCount(); ++row)
        for (int f = 0; f < r.rows->fieldCount(); ++f)
            total += r.rows->text(row, f, scratch).size();
    const double readSeconds = provider_test::secondsSince(start);
    EXPECT_EQ(r.rows->rowCount(), 1000000);
    std::cout << "[measure] MariaDB 1,000,000 x 8: mysql_store_result " << rawBytes / 1048576.0 << " MiB in "
              << rawSeconds << " s; provider execute " << ownBytes / 1048576.0 << " MiB in " << ownSeconds
              << " s (extra " << (ownBytes - rawBytes) / 1048576.0 << " MiB); reading every value " << readSeconds
              << " s (" << total << " bytes)" << std::endl;
}

} // namespace

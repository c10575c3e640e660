// The PostgreSQL provider (Provider=PGNP.1) against the test server.

#include <gtest/gtest.h>

// The test links the client library through the data library; its header is
// found by its system path.
#include <postgresql/libpq-fe.h>

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

std::string pgString(const std::string &body)
{
    return "Provider=PGNP.1;Persist Security Info=True;" + body + ";Extended Properties=\"SSL=allow;\"";
}

std::string socketPart()
{
    return "Data Source=" + testenv::pgSocket() + ";Port=" + std::to_string(testenv::pgPort());
}

std::unique_ptr<ProviderConnection> openPg(const std::string &cs = testenv::pgConnectionString())
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

class PgProvider : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_PG(); }
};

// ---- opening -------------------------------------------------------------

struct OpenFailure {
    const char *what;
    std::string connectionString;
    bool layerFault; // EADOError rather than the provider's own failure
    std::string messagePart;
};

TEST_F(PgProvider, OpenFailuresCarryTheirMessageAndLeaveTheConnectionClosed)
{
    const std::string user = "User ID=" + testenv::pgUser();
    const std::vector<OpenFailure> cases = {
        {"empty string", "", true, "empty"},
        {"unknown provider", "Provider=PGNP.9;Data Source=x", true, "PGNP.9"},
        {"refused port",
         pgString("Password=x;" + user + ";Data Source=127.0.0.1;Port=" +
                  std::to_string(provider_test::closedLoopbackPort())),
         false, "Connection refused"},
        {"wrong password", pgString("Password=wrong;" + user + ";" + socketPart()), false,
         "password authentication failed for user \"" + testenv::pgUser() + "\""},
        {"missing database",
         pgString("Password=" + testenv::pgPassword() + ";" + user + ";Initial Catalog=tabulon_no_such_db;" +
                  socketPart()),
         false, "database \"tabulon_no_such_db\" does not exist"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TADOConnection connection;
        connection.ConnectionString = c.connectionString;
        try {
            connection.Open();
            ADD_FAILURE() << "opened";
        } catch (const EADOError &e) {
            EXPECT_TRUE(c.layerFault) << e.what();
            EXPECT_NE(e.message().find(c.messagePart), std::string::npos) << e.what();
        } catch (const EProviderError &e) {
            EXPECT_FALSE(c.layerFault) << e.what();
            EXPECT_NE(e.message().find(c.messagePart), std::string::npos) << e.what();
            EXPECT_NE(e.message().back(), '\n');
        }
        EXPECT_FALSE(connection.Connected());
    }
}

TEST_F(PgProvider, PasswordsWithSeparatorsAndQuotesReachTheServerIntact)
{
    struct Case {
        std::string password;
        std::string quoted; // as written in the connection string
    };
    const std::vector<Case> cases = {
        {"a;b=c\"d'e}f g", "\"a;b=c\"\"d'e}f g\""},
        {" lead;trail ", "\" lead;trail \""},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.password);
        const std::string role = "tabulon_pw_" + std::to_string(n++);
        std::string literal;
        for (char ch : c.password)
            literal += ch == '\'' ? std::string("''") : std::string(1, ch);
        testenv::pgExec("drop role if exists " + role + "; create role " + role + " login password '" + literal +
                        "';");
        auto conn = openPg(pgString("Password=" + c.quoted + ";User ID=" + role +
                                    ";Initial Catalog=" + testenv::pgDatabase() + ";" + socketPart()));
        EXPECT_EQ(scalar(*conn, "select current_user"), role);
        conn.reset();
        testenv::pgExec("drop role " + role + ";");
    }
}

TEST_F(PgProvider, WithoutCatalogTheSessionGoesToThePostgresDatabase)
{
    auto c = openPg(testenv::pgConnectionString(""));
    EXPECT_EQ(scalar(*c, "select current_database()"), "postgres");
    EXPECT_EQ(scalar(*c, "show client_encoding"), "UTF8");
}

// ---- statements ----------------------------------------------------------

TEST_F(PgProvider, SyntaxErrorPassesTheServerMessageUnchanged)
{
    auto c = openPg();
    try {
        c->execute("selec 1");
        FAIL() << "no error";
    } catch (const EProviderError &e) {
        EXPECT_EQ(e.message(), "ERROR:  syntax error at or near \"selec\"\nLINE 1: selec 1\n        ^");
    }
    EXPECT_EQ(scalar(*c, "select 1"), "1");
}

TEST_F(PgProvider, WhetherAStatementReturnsRowsAndWhatItAffected)
{
    auto c = openPg();
    c->execute("drop table if exists tabulon_pg_affected; create table tabulon_pg_affected (id int, v int);");
    struct Case {
        const char *sql;
        bool rows;
        long long count; // rows returned, or records affected
    };
    const std::vector<Case> cases = {
        {"insert into tabulon_pg_affected values (1, 1), (2, 2), (3, 3)", false, 3},
        {"update tabulon_pg_affected set v = v where id >= 2", false, 2},
        {"insert into tabulon_pg_affected values (4, 4) returning id", true, 1},
        {"select * from tabulon_pg_affected", true, 4},
        {"values (1), (2)", true, 2},
        {"show server_version", true, 1},
        {"explain select 1", true, 1},
        {"delete from tabulon_pg_affected where id > 1", false, 3},
        {"delete from tabulon_pg_affected where id > 100", false, 0},
        {"create index on tabulon_pg_affected (id)", false, 0},
        {"", false, 0},
        {"-- only a note", false, 0},
        {"insert into tabulon_pg_affected values (9, 9); select 5 as last", true, 1},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.sql);
        ExecResult r = c->execute(k.sql);
        ASSERT_EQ(r.rows != nullptr, k.rows);
        EXPECT_EQ(k.rows ? r.rows->rowCount() : r.recordsAffected, k.count);
    }
    c->execute("drop table tabulon_pg_affected");
}

TEST_F(PgProvider, ValuesKindsAndNullsAreReadAsTheServerSendsThem)
{
    auto c = openPg();
    ExecResult r = c->execute("select 42::int as i, 1.5::numeric as n, date '2024-02-29' as d, true as b,"
                              " '\\x00ff41'::bytea as bin, 'text'::text as t, null::text as z,"
                              " repeat('x', 16 * 1024 * 1024) as big");
    ASSERT_TRUE(r.rows);
    const RowSet &rows = *r.rows;
    EXPECT_EQ(fieldNames(rows), (std::vector<std::string>{"i", "n", "d", "b", "bin", "t", "z", "big"}));
    const std::vector<std::pair<FieldKind, std::string>> expected = {
        {FieldKind::Number, "42"}, {FieldKind::Number, "1.5"},    {FieldKind::DateTime, "2024-02-29"},
        {FieldKind::Boolean, "t"}, {FieldKind::Binary, "\\x00ff41"}, {FieldKind::Text, "text"},
        {FieldKind::Text, ""},
    };
    for (int f = 0; f < int(expected.size()); ++f) {
        SCOPED_TRACE(rows.fieldName(f));
        EXPECT_EQ(rows.fieldKind(f), expected[size_t(f)].first);
        EXPECT_EQ(rows.value(0, f), expected[size_t(f)].second);
        EXPECT_EQ(rows.isNull(0, f), f == 6);
    }
    std::string scratch;
    const std::string_view big = rows.text(0, 7, scratch);
    EXPECT_EQ(big.size(), 16u * 1024 * 1024);
    EXPECT_EQ(std::count(big.begin(), big.end(), 'x'), 16 * 1024 * 1024);
}

TEST_F(PgProvider, InvalidUtf8InAnSqlAsciiDatabasePassesThroughUnchanged)
{
    testenv::pgExec("drop database if exists tabulon_pg_ascii;"
                    " create database tabulon_pg_ascii encoding 'SQL_ASCII' template template0 lc_collate 'C'"
                    " lc_ctype 'C';",
                    "postgres");
    {
        auto c = openPg(testenv::pgConnectionString("tabulon_pg_ascii"));
        EXPECT_EQ(scalar(*c, "show client_encoding"), "SQL_ASCII");
        c->execute("create table t (v text); insert into t values (E'a\\xff\\xfe\\xc3(b'), ('a\xff\xfe\xc3(b')");
        ExecResult r = c->execute("select v from t");
        ASSERT_TRUE(r.rows);
        ASSERT_EQ(r.rows->rowCount(), 2);
        EXPECT_EQ(r.rows->value(0, 0), std::string("a\xff\xfe\xc3(b"));
        EXPECT_EQ(r.rows->value(1, 0), std::string("a\xff\xfe\xc3(b"));
    }
    testenv::pgExec("drop database tabulon_pg_ascii;", "postgres");
}

TEST_F(PgProvider, AnEmptyResultStillHasItsColumns)
{
    auto c = openPg();
    ExecResult r = c->execute("select 1 as a, 'x'::text as b, now() as c where false");
    ASSERT_TRUE(r.rows);
    EXPECT_EQ(r.rows->rowCount(), 0);
    EXPECT_EQ(fieldNames(*r.rows), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(r.rows->fieldKind(2), FieldKind::DateTime);
}

TEST_F(PgProvider, RowSetsOutliveTheConnectionThatMadeThem)
{
    auto c = openPg();
    ExecResult r = c->execute("select 'kept'::text");
    c->close();
    c.reset();
    EXPECT_EQ(r.rows->value(0, 0), "kept");
}

// ---- stopping a statement ------------------------------------------------

TEST_F(PgProvider, CancelStopsARunningStatementAndTheConnectionGoesOn)
{
    TADOConnection connection;
    connection.ConnectionString = testenv::pgConnectionString();
    connection.Open();
    connection.Cancel(); // nothing runs: no effect
    const auto start = std::chrono::steady_clock::now();
    {
        provider_test::Later later(300, [&] { connection.Cancel(); });
        try {
            connection.ExecuteWithResult("select pg_sleep(30)");
            ADD_FAILURE() << "ran to the end";
        } catch (const EProviderError &e) {
            EXPECT_EQ(e.message(), "ERROR:  canceling statement due to user request");
        }
    }
    EXPECT_LT(provider_test::secondsSince(start), 10.0);
    ExecResult r = connection.ExecuteWithResult("select 1");
    EXPECT_EQ(r.rows->value(0, 0), "1");
}

TEST_F(PgProvider, RowsCanBeReadWhileTheyArrive)
{
    TADOConnection connection;
    connection.ConnectionString = testenv::pgConnectionString();
    connection.Open();
    // Slow rows: the server sends a few dozen at a time while the statement runs.
    const auto a = provider_test::executeWhileReading(
        connection, "select g, repeat('x', g % 300) as pad, pg_sleep(0.001) from generate_series(1, 1500) g",
        [](const RowSet &rows, long long r) -> std::string {
            std::string scratch;
            const long long g = r + 1;
            if (rows.text(r, 0, scratch) != std::to_string(g) || rows.text(r, 1, scratch).size() != size_t(g % 300))
                return "row " + std::to_string(r) + " reads wrong";
            return {};
        });
    EXPECT_EQ(a.failure, "");
    ASSERT_TRUE(a.result.rows);
    EXPECT_EQ(a.result.rows->rowCount(), 1500);
    EXPECT_EQ(a.result.rows->value(1499, 0), "1500");
    EXPECT_GT(provider_test::countsBetween(a.countsSeen, 1500), 2) << "no rows were readable before the last came";
    EXPECT_EQ(a.result.rows->arrival(), Arrival::Whole);
}

TEST_F(PgProvider, ACancelledFetchKeepsItsRowsOnlyForAWatcher)
{
    const char *sql = "select g, pg_sleep(0.001) from generate_series(1, 100000) g";
    TADOConnection connection;
    connection.ConnectionString = testenv::pgConnectionString();
    connection.Open();
    std::shared_ptr<const RowSet> arriving;
    connection.OnRowsArriving = [&](std::shared_ptr<const RowSet> rows) { arriving = std::move(rows); };
    ExecResult r;
    {
        provider_test::Later later(800, [&] { connection.Cancel(); });
        r = connection.ExecuteWithResult(sql);
    }
    EXPECT_EQ(r.fetchStopped, "ERROR:  canceling statement due to user request");
    ASSERT_TRUE(r.rows);
    const long long kept = r.rows->rowCount();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 100000);
    EXPECT_EQ(arriving->rowCount(), kept);
    EXPECT_EQ(r.rows->value(kept - 1, 0), std::to_string(kept));
    // A reader that follows the rows learns that no more come, and that they are not all.
    EXPECT_EQ(arriving->arrival(), Arrival::Stopped);

    // Without a watcher the cancel fails the statement, as it always did.
    connection.OnRowsArriving = nullptr;
    provider_test::Later later(800, [&] { connection.Cancel(); });
    try {
        connection.ExecuteWithResult(sql);
        ADD_FAILURE() << "ran to the end";
    } catch (const EProviderError &e) {
        EXPECT_EQ(e.message(), "ERROR:  canceling statement due to user request");
    }
}

TEST_F(PgProvider, AnErrorAfterSomeRowsFailsTheStatement)
{
    auto c = openPg();
    std::vector<std::shared_ptr<const RowSet>> told;
    c->rowsArriving = [&told](std::shared_ptr<const RowSet> rows) { told.push_back(std::move(rows)); };
    // The division fails at row 3000, after rows have come.
    EXPECT_THROW(c->execute("select 1 / (3000 - g) from generate_series(1, 5000) g"), EProviderError);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0]->arrival(), Arrival::Stopped);
    // Each row set of a text is told, and each is whole; the last one is the result.
    told.clear();
    ExecResult r = c->execute("select 1 as a from generate_series(1, 10); select 2 as b, 3 as c");
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0]->arrival(), Arrival::Whole);
    EXPECT_EQ(told[0]->rowCount(), 10);
    EXPECT_EQ(told[1]->arrival(), Arrival::Whole);
    ASSERT_TRUE(r.rows);
    EXPECT_EQ(fieldNames(*r.rows), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(r.rows->rowCount(), 1);
}

TEST_F(PgProvider, ValuesOfEveryLengthAndNullsInWideRowsReadBack)
{
    // Lengths around the short and long forms, nulls on both sides of the
    // eighth column, empty text apart from null.
    auto c = openPg();
    std::string sql = "select ";
    const std::vector<int> lengths = {0, 1, 254, 255, 256, 70000, -1, 3, -1, 0, 255, -1};
    for (size_t i = 0; i < lengths.size(); ++i) {
        if (i)
            sql += ", ";
        sql += lengths[i] < 0 ? "null::text" : "repeat(chr(97 + " + std::to_string(i) + "), " +
                                                   std::to_string(lengths[i]) + ")";
        sql += " as c" + std::to_string(i);
    }
    sql += " from generate_series(1, 3)";
    ExecResult r = c->execute(sql);
    ASSERT_TRUE(r.rows);
    ASSERT_EQ(r.rows->rowCount(), 3);
    for (long long row = 0; row < 3; ++row)
        for (size_t i = 0; i < lengths.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(r.rows->isNull(row, int(i)), lengths[i] < 0);
            EXPECT_EQ(r.rows->value(row, int(i)), std::string(size_t(std::max(lengths[i], 0)), char('a' + i)));
        }
}

TEST_F(PgProvider, AStatementStoppedFromAnotherSession)
{
    struct Case {
        const char *function;
        const char *messagePart;
        bool sessionSurvives;
    };
    const std::vector<Case> cases = {
        {"pg_cancel_backend", "canceling statement due to user request", true},
        {"pg_terminate_backend", "terminating connection due to administrator command", false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.function);
        auto c = openPg();
        const std::string pid = scalar(*c, "select pg_backend_pid()");
        {
            provider_test::Later later(300, [&] {
                testenv::pgExec(std::string("select ") + k.function + "(" + pid + ");");
            });
            try {
                c->execute("select pg_sleep(30)");
                ADD_FAILURE() << "ran to the end";
            } catch (const EProviderError &e) {
                EXPECT_NE(e.message().find(k.messagePart), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(c->isOpen(), k.sessionSurvives);
        if (!k.sessionSurvives)
            c->open();
        EXPECT_EQ(scalar(*c, "select 1"), "1");
    }
}

// ---- schema row sets -----------------------------------------------------

class PgSchema : public PgProvider {
protected:
    void SetUp() override
    {
        PgProvider::SetUp();
        testenv::pgExec("drop schema if exists tabulon_pgs cascade; create schema tabulon_pgs;"
                        " create table tabulon_pgs.parent (id int constraint parent_pk primary key,"
                        "   code varchar(12) not null default 'none', amount numeric(10, 2));"
                        " create unique index parent_code on tabulon_pgs.parent (code);"
                        " create table tabulon_pgs.child (id int primary key, parent_id int"
                        "   constraint child_parent references tabulon_pgs.parent (id) on delete cascade);"
                        " create view tabulon_pgs.parent_view as select id from tabulon_pgs.parent;");
        m_conn = openPg();
    }
    std::unique_ptr<ProviderConnection> m_conn;
};

TEST_F(PgSchema, EachKindHasItsOleDbColumnsAndFindsTheTestObjects)
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
         "parent", 2, "INDEX_NAME", {"parent_code", "parent_pk"}},
        {adSchemaForeignKeys, oleDbColumns(adSchemaForeignKeys),
         "child", 6, "FK_NAME", {"child_parent"}},
        {adSchemaPrimaryKeys, oleDbColumns(adSchemaPrimaryKeys),
         "parent", 2, "PK_NAME", {"parent_pk"}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.kind);
        auto all = m_conn->openSchema(k.kind, {});
        EXPECT_EQ(fieldNames(*all), k.columns);
        const auto tables = column(*all, k.columns[size_t(k.tableColumn)]);
        EXPECT_NE(std::find(tables.begin(), tables.end(), k.table), tables.end());

        SchemaRestrictions only;
        only.schema = "tabulon_pgs";
        only.table = k.table;
        auto some = m_conn->openSchema(k.kind, only);
        EXPECT_EQ(column(*some, k.field), k.values);
        for (const auto &name : column(*some, k.columns[size_t(k.tableColumn)]))
            EXPECT_EQ(name, k.table);
    }
}

TEST_F(PgSchema, RowsCarryTheDetailsOfEachObject)
{
    SchemaRestrictions only{"", "tabulon_pgs", "parent"};
    auto cols = m_conn->openSchema(adSchemaColumns, only);
    ASSERT_EQ(cols->rowCount(), 3);
    const int f = cols->fieldIndex("COLUMN_DEFAULT");
    EXPECT_EQ(cols->value(1, f), "'none'::character varying");
    EXPECT_EQ(cols->value(1, cols->fieldIndex("IS_NULLABLE")), "NO");
    EXPECT_EQ(cols->value(1, cols->fieldIndex("CHARACTER_MAXIMUM_LENGTH")), "12");
    EXPECT_EQ(cols->value(2, cols->fieldIndex("NUMERIC_SCALE")), "2");

    auto fk = m_conn->openSchema(adSchemaForeignKeys, {"", "tabulon_pgs", "child"});
    ASSERT_EQ(fk->rowCount(), 1);
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_TABLE_NAME")), "parent");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_COLUMN_NAME")), "id");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("FK_COLUMN_NAME")), "parent_id");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("DELETE_RULE")), "CASCADE");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("UPDATE_RULE")), "NO ACTION");
    EXPECT_EQ(fk->value(0, fk->fieldIndex("PK_NAME")), "parent_pk");

    auto ix = m_conn->openSchema(adSchemaIndexes, only);
    EXPECT_EQ(column(*ix, "PRIMARY_KEY"), (std::vector<std::string>{"false", "true"}));
    EXPECT_EQ(column(*ix, "UNIQUE"), (std::vector<std::string>{"true", "true"}));
}

TEST_F(PgSchema, RestrictionsAreValuesNotStatementText)
{
    for (const std::string table : {"x' or '1'='1", "parent'; drop table tabulon_pgs.child; --"}) {
        SCOPED_TRACE(table);
        auto rows = m_conn->openSchema(adSchemaTables, {"", "", table});
        EXPECT_EQ(rows->rowCount(), 0);
    }
    EXPECT_EQ(scalar(*m_conn, "select count(*) from tabulon_pgs.child"), "0");
}

TEST_F(PgSchema, TableNamesLeaveOutSystemTablesWhichTheSchemaRowSetMarks)
{
    const auto names = m_conn->tableNames();
    for (const char *want : {"parent", "child", "parent_view"})
        EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
    for (const char *system : {"pg_class", "pg_stats", "tables", "columns"})
        EXPECT_EQ(std::find(names.begin(), names.end(), system), names.end()) << system;

    auto all = m_conn->openSchema(adSchemaTables, {"", "pg_catalog", ""});
    const auto types = column(*all, "TABLE_TYPE");
    const auto tables = column(*all, "TABLE_NAME");
    const auto at = [&](const char *name) {
        return types[size_t(std::find(tables.begin(), tables.end(), name) - tables.begin())];
    };
    EXPECT_EQ(at("pg_class"), "SYSTEM TABLE");
    EXPECT_EQ(at("pg_stats"), "SYSTEM VIEW");

    EXPECT_EQ(m_conn->fieldNames("parent"), (std::vector<std::string>{"id", "code", "amount"}));
}

TEST_F(PgSchema, AnUnknownKindIsTheLayersOwnFault)
{
    try {
        m_conn->openSchema(SchemaEnum(99), {});
        FAIL() << "no error";
    } catch (const EADOError &e) {
        EXPECT_EQ(e.message(), "Invalid Enum Value");
    }
}

// ---- cost of a large result ------------------------------------------------

TEST_F(PgProvider, MeasureMillionRowResult)
{
    const char *sql = "select g, g * 2, g::text, 'row ' || g, g % 7, g::numeric / 3, now(), g % 2 = 0"
                      " from generate_series(1, 1000000) g";
    auto c = openPg();
    PGconn *raw = nullptr;
    {
        // the same server through libpq alone
        const std::string conninfo = "host=" + testenv::pgSocket() + " port=" + std::to_string(testenv::pgPort()) +
                                     " dbname=" + testenv::pgDatabase() + " user=" + testenv::pgUser() +
                                     " password=" + testenv::pgPassword();
        raw = PQconnectdb(conninfo.c_str());
        ASSERT_EQ(PQstatus(raw), CONNECTION_OK);
    }
    long long before = provider_test::heapInUse();
    auto start = std::chrono::steady_clock::now();
    PGresult *res = PQexec(raw, sql);
    const double rawSeconds = provider_test::secondsSince(start);
    const long long rawBytes = provider_test::heapInUse() - before;
    ASSERT_EQ(PQntuples(res), 1000000);
    PQclear(res);
    PQfinish(raw);

    before = provider_test::heapInUse();
    start = std::chrono::steady_clock::now();
    ExecResult r = c->execute(sql);
    std::string scratch;
    size_t total = 0;
    for (long long row = 0; row < r.rows->rowCount(); ++row)
        for (int f = 0; f < r.rows->fieldCount(); ++f)
            total += r.rows->text(row, f, scratch).size();
    const double ownSeconds = provider_test::secondsSince(start);
    const long long ownBytes = provider_test::heapInUse() - before;
    EXPECT_EQ(r.rows->rowCount(), 1000000);
    std::cout << "[measure] PostgreSQL 1,000,000 x 8: libpq PQexec " << rawBytes / 1048576.0 << " MiB in "
              << rawSeconds << " s; provider (execute and read every value) " << ownBytes / 1048576.0
              << " MiB in " << ownSeconds << " s; extra " << (ownBytes - rawBytes) / 1048576.0 << " MiB ("
              << total << " value bytes)" << std::endl;
}

} // namespace

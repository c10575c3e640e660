// The Firebird provider against embedded databases created for each test.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ado_errors.h"
#include "provider.h"
#include "providers/firebird/fb_client.h"
#include "testenv.h"

namespace {

std::string connectionString(const std::string &location, const std::string &tail = "ctype=NONE;auto_commit=true")
{
    // The form the program builds, with its empty Data Source and client library.
    return "Provider=LCPI.IBProvider.3.Free;Password=;Persist Security Info=True;User ID=;Data Source=\"\";"
           "Location=" + location + ";dbclient_library=\"\";" + tail;
}

class FirebirdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int serial = 0;
        m_path = testenv::tempDir() + "/db" + std::to_string(++serial) + ".fdb";
        ado::fb::createDatabase(m_path, "UTF8");
        m_db = connect();
    }

    std::unique_ptr<ado::ProviderConnection> connect(const std::string &tail = "ctype=NONE;auto_commit=true")
    {
        auto c = ado::ProviderRegistry::instance().create(connectionString(m_path, tail));
        c->open();
        return c;
    }

    long long exec(const std::string &sql) { return m_db->execute(sql).recordsAffected; }
    std::unique_ptr<ado::RowSet> query(const std::string &sql)
    {
        auto result = m_db->execute(sql);
        if (!result.rows)
            throw std::runtime_error("no rows from " + sql);
        return std::move(result.rows);
    }

    std::string m_path;
    std::unique_ptr<ado::ProviderConnection> m_db;
};

std::string providerMessage(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ado::EProviderError &e) {
        return e.message();
    }
    return "(no EProviderError)";
}

TEST(FirebirdOpen, FailuresCarryTheEnginesMessage)
{
    const std::string missing = testenv::tempDir() + "/no/such/file.fdb";
    auto notFound = [](const std::string &file) {
        return "I/O error during \"open\" operation for file \"" + file
               + "\"\nError while trying to open file\nNo such file or directory";
    };
    struct Case {
        std::string location;
        std::string message; // the whole message, or its start
    } cases[] = {
        {missing, notFound(missing)},
        {"", notFound("")},
        {"localhost/notaport:" + missing, "Unable to complete network request to host \"localhost\".\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.location);
        auto db = ado::ProviderRegistry::instance().create(connectionString(c.location));
        std::string message = providerMessage([&] { db->open(); });
        EXPECT_EQ(message.substr(0, c.message.size()), c.message);
        EXPECT_FALSE(db->isOpen());
        EXPECT_THROW(db->execute("select 1 from rdb$database"), ado::EProviderError);
    }
}

TEST_F(FirebirdTest, TypesRoundTripAsText)
{
    exec("create table t (id integer, c char(5), v varchar(10), n numeric(10, 2), neg numeric(18, 4),"
         " s smallint, big bigint, d date, tm time, ts timestamp, dbl double precision, b boolean,"
         " memo blob sub_type text, bin blob sub_type binary)");
    EXPECT_EQ(exec("insert into t values (1, 'ab', 'xyz ', 12.5, -0.0625, -7, 9223372036854775807,"
                   " '2024-02-29', '13:14:15.1234', '1999-12-31 23:59:59.5', 1.5, true,"
                   " 'line one' || ascii_char(10) || 'line two', x'00FF10')"),
              1);
    exec("insert into t (id) values (2)");
    auto rows = query("select c, v, n, neg, s, big, d, tm, ts, dbl, b, memo, bin from t order by id");
    ASSERT_EQ(rows->rowCount(), 2);
    struct Expect {
        const char *name;
        const char *text;
        ado::FieldKind kind;
    } expected[] = {
        {"C", "ab   ", ado::FieldKind::Text},
        {"V", "xyz ", ado::FieldKind::Text},
        {"N", "12.50", ado::FieldKind::Number},
        {"NEG", "-0.0625", ado::FieldKind::Number},
        {"S", "-7", ado::FieldKind::Number},
        {"BIG", "9223372036854775807", ado::FieldKind::Number},
        {"D", "2024-02-29", ado::FieldKind::DateTime},
        {"TM", "13:14:15.1234", ado::FieldKind::DateTime},
        {"TS", "1999-12-31 23:59:59.5000", ado::FieldKind::DateTime},
        {"DBL", "1.5", ado::FieldKind::Number},
        {"B", "TRUE", ado::FieldKind::Boolean},
        {"MEMO", "line one\nline two", ado::FieldKind::Text},
        {"BIN", "00FF10", ado::FieldKind::Binary},
    };
    ASSERT_EQ(rows->fieldCount(), int(std::size(expected)));
    for (int f = 0; f < rows->fieldCount(); ++f) {
        SCOPED_TRACE(expected[f].name);
        EXPECT_EQ(rows->fieldName(f), expected[f].name);
        EXPECT_EQ(rows->fieldKind(f), expected[f].kind);
        EXPECT_FALSE(rows->isNull(0, f));
        EXPECT_EQ(rows->value(0, f), expected[f].text);
        EXPECT_TRUE(rows->isNull(1, f));
        EXPECT_EQ(rows->value(1, f), "");
    }
}

TEST_F(FirebirdTest, DatesAndNumbersAtTheirEdges)
{
    auto rows = query("select date '0001-01-01', date '9999-12-31', time '00:00:00', timestamp '1858-11-17 00:00',"
                      " cast(-1 as numeric(5, 3)), cast(-12345.67 as numeric(18, 2)), cast(0 as decimal(9, 2)),"
                      " cast(-9223372036854775808 as bigint), false, cast(0.1 as float), 1e300"
                      " from rdb$database");
    const char *expected[] = {"0001-01-01", "9999-12-31", "00:00:00.0000", "1858-11-17 00:00:00.0000",
                              "-1.000", "-12345.67", "0.00", "-9223372036854775808", "FALSE", "0.1", "1e+300"};
    ASSERT_EQ(rows->fieldCount(), int(std::size(expected)));
    for (int f = 0; f < rows->fieldCount(); ++f)
        EXPECT_EQ(rows->value(0, f), expected[f]) << "field " << f;
}

TEST_F(FirebirdTest, RecordsAffectedAndRowSets)
{
    exec("create table t (id integer not null primary key, name varchar(20))");
    exec("create procedure twice (x integer) returns (y integer) as begin y = x * 2; end");
    struct Case {
        const char *statement;
        long long affected;
        int rows; // -1: no row set
    } cases[] = {
        {"insert into t values (1, 'one')", 1, -1},
        {"insert into t select 1 + rdb$relation_id, 'many' from rdb$relations where rdb$relation_id between 1 and 4",
         4, -1},
        {"update t set name = 'changed' where id <= 3", 3, -1},
        {"update t set name = 'none' where id > 100", 0, -1},
        {"select * from t", -1, 5},
        {"insert into t values (10, 'ten') returning id", 1, 1},
        {"execute procedure twice 21", 0, 1},
        {"delete from t where name = 'changed'", 3, -1},
        {"create table u (x integer)", 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.statement);
        ado::ExecResult result = m_db->execute(c.statement);
        EXPECT_EQ(result.recordsAffected, c.affected);
        EXPECT_EQ(result.rows ? result.rows->rowCount() : -1, c.rows);
    }
    EXPECT_EQ(query("execute procedure twice 21")->value(0, 0), "42");
}

TEST_F(FirebirdTest, EmptyResultStillDescribesItsColumns)
{
    exec("create table t (id integer, label varchar(5))");
    auto rows = query("select id, label as caption from t where 1 = 0");
    EXPECT_EQ(rows->rowCount(), 0);
    ASSERT_EQ(rows->fieldCount(), 2);
    EXPECT_EQ(rows->fieldName(0), "ID");
    EXPECT_EQ(rows->fieldName(1), "CAPTION");
}

TEST_F(FirebirdTest, EngineErrorsPassUnchanged)
{
    struct Case {
        const char *statement;
        const char *message;
    } cases[] = {
        {"selec 1 from rdb$database",
         "Dynamic SQL Error\nSQL error code = -104\nToken unknown - line 1, column 1\nselec"},
        {"select * from no_such_table",
         "Dynamic SQL Error\nSQL error code = -204\nTable unknown\nNO_SUCH_TABLE\nAt line 1, column 15"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(providerMessage([&] { m_db->execute(c.statement); }), c.message);
    EXPECT_EQ(query("select 1 from rdb$database")->value(0, 0), "1"); // still usable
}

TEST_F(FirebirdTest, CtypeNonePassesBytesUnchanged)
{
    exec("create table t (c varchar(20) character set none, fixed char(4) character set none)");
    const std::string bytes = "caf\xE9 \xFF\x80!";
    exec("insert into t values ('" + bytes + "', '\xE9')");
    auto rows = query("select c, octet_length(c), fixed from t");
    EXPECT_EQ(rows->value(0, 0), bytes);
    EXPECT_EQ(rows->value(0, 1), std::to_string(bytes.size()));
    EXPECT_EQ(rows->value(0, 2), "\xE9   ");
}

TEST_F(FirebirdTest, Utf8ConnectionKeepsCharBlanksByCharacter)
{
    // In UTF8 the engine sends 4 bytes a character and pads them all.
    exec("create table t (c char(3) character set utf8)");
    exec("insert into t values ('\xC3\xA9')");
    auto utf8 = connect("ctype=UTF8;auto_commit=true");
    EXPECT_EQ(utf8->execute("select c from t").rows->value(0, 0), "\xC3\xA9  ");
}

TEST_F(FirebirdTest, WithoutAutoCommitWorkWaitsForCommit)
{
    exec("create table t (id integer)");
    auto manual = connect("ctype=NONE;auto_commit=false");
    auto count = [this] { return query("select count(*) from t")->value(0, 0); };
    manual->execute("insert into t values (1)");
    EXPECT_EQ(count(), "0");
    manual->execute("commit");
    EXPECT_EQ(count(), "1");
    manual->execute("insert into t values (2)");
    manual->execute("rollback");
    manual->execute("insert into t values (3)");
    manual->close(); // commits what is open
    EXPECT_EQ(query("select list(id) from t")->value(0, 0), "1,3");
}

TEST_F(FirebirdTest, CancelStopsALongStatementAndTheConnectionGoesOn)
{
    std::string message;
    auto started = std::chrono::steady_clock::now();
    std::thread worker([&] {
        message = providerMessage([&] {
            m_db->execute("select count(*) from rdb$fields a, rdb$fields b, rdb$fields c, rdb$fields d");
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_db->cancel();
    worker.join();
    auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("cancel: statement returned after %.2f s\n", took);
    EXPECT_NE(message.find("operation was cancelled"), std::string::npos) << message;
    EXPECT_EQ(query("select 1 from rdb$database")->value(0, 0), "1");
    m_db->cancel(); // nothing runs: no effect on the next statement
    EXPECT_EQ(query("select 2 from rdb$database")->value(0, 0), "2");
}

} // namespace

namespace {

// An attachment deleted from another one is a session lost: the statement
// that meets it says whether a transaction went with it, and the connection
// is closed so that it can be opened again.
TEST_F(FirebirdTest, LostAttachmentTellsOfTheOpenTransaction)
{
    exec("create table lost_rows (id integer)");
    struct Case {
        const char *tail;
        bool transactionOpen;
        const char *rowsAfter;
    };
    for (const Case &c : {Case{"ctype=NONE;auto_commit=false", true, "0"}, Case{"ctype=NONE;auto_commit=true", false, "1"}}) {
        SCOPED_TRACE(c.tail);
        exec("delete from lost_rows");
        auto victim = connect(c.tail);
        victim->execute("insert into lost_rows values (1)");
        const std::string id = victim->execute("select current_connection from rdb$database").rows->value(0, 0);
        exec("delete from mon$attachments where mon$attachment_id = " + id);
        const std::string message = providerMessage([&] { victim->execute("insert into lost_rows values (2)"); });
        EXPECT_EQ(message.find("while a transaction was open") != std::string::npos, c.transactionOpen) << message;
        EXPECT_FALSE(victim->isOpen());
        EXPECT_EQ(query("select count(*) from lost_rows")->value(0, 0), c.rowsAfter);
        victim->open();
        EXPECT_EQ(victim->execute("select count(*) from lost_rows").rows->value(0, 0), c.rowsAfter);
    }
}

} // namespace

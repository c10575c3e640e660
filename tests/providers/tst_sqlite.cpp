// The SQLite provider against database files made in a temporary folder.
// Fixtures are written straight through libsqlite3, not through the provider.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "ado_errors.h"
#include "o_SQLNames.h"
#include "provider.h"
#include "server_provider_support.h"
#include "testenv.h"

namespace {

using provider_test::column;
using provider_test::fieldNames;
using provider_test::oleDbColumns;

std::string connectionString(const std::string &path)
{
    return "Provider=SQLite;Data Source=" + ado::ConnectionString::quoteOleDbValue(path);
}

// A new file in the test folder, made by the engine itself from `sql`.
std::string makeDatabase(const std::string &sql)
{
    static int serial = 0;
    const std::string path = testenv::tempDir() + "/db" + std::to_string(++serial) + ".sqlite";
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

std::unique_ptr<ado::ProviderConnection> connect(const std::string &path)
{
    auto c = ado::ProviderRegistry::instance().create(connectionString(path));
    c->open();
    return c;
}

std::string providerMessage(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ado::EProviderError &e) {
        return e.message();
    }
    return "(no EProviderError)";
}

std::unique_ptr<ado::RowSet> query(ado::ProviderConnection &db, const std::string &sql)
{
    auto result = db.execute(sql);
    if (!result.rows)
        throw std::runtime_error("no rows from " + sql);
    return std::move(result.rows);
}

std::vector<std::string> firstRow(const ado::RowSet &rows)
{
    std::vector<std::string> out;
    for (int f = 0; f < rows.fieldCount(); ++f)
        out.push_back(rows.value(0, f));
    return out;
}

TEST(SQLiteOpen, FailuresNameTheFileAndCreateNothing)
{
    const std::string folder = testenv::tempDir();
    const std::string missing = folder + "/no such file.sqlite";
    const std::string text = folder + "/notes.db";
    std::ofstream(text) << "These are my notes, and this line is longer than a database header would be.\n";
    const std::string empty;

    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {missing, "The database file \"" + missing + "\" does not exist"},
        {folder, "\"" + folder + "\" is a folder, not a database file"},
        {text, "The file \"" + text + "\" is not a SQLite database (file is not a database)"},
        {empty, "No database file was given"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        auto db = ado::ProviderRegistry::instance().create(connectionString(c.path));
        EXPECT_EQ(providerMessage([&] { db->open(); }), c.message);
        EXPECT_FALSE(db->isOpen());
    }
    struct stat info {};
    EXPECT_NE(::stat(missing.c_str(), &info), 0) << "a missing file stays missing";
    EXPECT_EQ(testenv::readBytes(QString::fromStdString(text)).left(8), QByteArray("These ar"));
}

TEST(SQLiteValues, TextOfEveryStorageClassAndTheColumnsKind)
{
    auto db = connect(makeDatabase(""));
    // One column per case; integers of every stored width, both signs.
    const struct {
        const char *expression;
        const char *text;
        ado::FieldKind kind;
    } cases[] = {
        {"0", "0", ado::FieldKind::Number},
        {"-128", "-128", ado::FieldKind::Number},
        {"-129", "-129", ado::FieldKind::Number},
        {"40000", "40000", ado::FieldKind::Number},
        {"-3000000000", "-3000000000", ado::FieldKind::Number},
        {"9223372036854775807", "9223372036854775807", ado::FieldKind::Number},
        {"-9223372036854775808", "-9223372036854775808", ado::FieldKind::Number},
        {"1.0", "1.0", ado::FieldKind::Number},
        {"0.1 + 0.2", "0.3", ado::FieldKind::Number},
        {"-2.5e-7", "-2.5e-07", ado::FieldKind::Number},
        {"1e20", "1.0e+20", ado::FieldKind::Number},
        {"'caf\xC3\xA9'", "caf\xC3\xA9", ado::FieldKind::Text},
        {"''", "", ado::FieldKind::Text},
        {"x'00FF10'", "00FF10", ado::FieldKind::Binary},
        {"x''", "", ado::FieldKind::Binary},
        {"null", "", ado::FieldKind::Text},
    };
    std::string sql = "select ";
    for (const auto &c : cases)
        sql += std::string(&c == cases ? "" : ", ") + c.expression;
    auto rows = query(*db, sql);
    ASSERT_EQ(rows->fieldCount(), int(std::size(cases)));
    ASSERT_EQ(rows->rowCount(), 1);
    for (int f = 0; f < rows->fieldCount(); ++f) {
        SCOPED_TRACE(cases[f].expression);
        EXPECT_EQ(rows->fieldName(f), cases[f].expression);
        EXPECT_EQ(rows->value(0, f), cases[f].text);
        EXPECT_EQ(rows->fieldKind(f), cases[f].kind);
        EXPECT_EQ(rows->isNull(0, f), std::string(cases[f].expression) == "null");
    }
}

TEST(SQLiteValues, ColumnsOfMixedClassesAndManyRowsReadBackInPlace)
{
    auto db = connect(makeDatabase(
        "create table m (a, b, c);"
        "insert into m values (1, 2.5, x'01'), ('two', 3, null), (null, null, x'0203');"
        "create table big (n integer, s text);"
        "with recursive k(n) as (select 1 union all select n + 1 from k where n < 200000)"
        " insert into big select n * 7919 - 1000000, printf('row %d', n) from k;"));
    auto mixed = query(*db, "select a, b, c from m");
    EXPECT_EQ(mixed->fieldKind(0), ado::FieldKind::Text) << "an integer and a text";
    EXPECT_EQ(mixed->fieldKind(1), ado::FieldKind::Number) << "a real and an integer, right-aligned";
    EXPECT_EQ(mixed->fieldKind(2), ado::FieldKind::Binary) << "blobs and nulls";
    EXPECT_EQ(column(*mixed, "a"), (std::vector<std::string>{"1", "two", ""}));
    EXPECT_EQ(column(*mixed, "b"), (std::vector<std::string>{"2.5", "3", ""}));
    EXPECT_EQ(column(*mixed, "c"), (std::vector<std::string>{"01", "", "0203"}));
    EXPECT_TRUE(mixed->isNull(2, 0));
    EXPECT_FALSE(mixed->isNull(1, 0));

    // Enough rows for many storage blocks; read out of order.
    auto rows = query(*db, "select n, s from big order by rowid");
    ASSERT_EQ(rows->rowCount(), 200000);
    std::string scratch;
    for (long long r : {199999LL, 0LL, 123456LL, 65535LL, 1LL}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(rows->value(r, 0), std::to_string((r + 1) * 7919 - 1000000));
        EXPECT_EQ(rows->text(r, 1, scratch), "row " + std::to_string(r + 1));
    }
}

TEST(SQLiteExecute, RecordsAffectedCountOnlyTheStatementsOwnChanges)
{
    auto db = connect(makeDatabase("create table t (n integer primary key, v text);"
                                   "create table log (n);"
                                   "create trigger t_log after insert on t begin insert into log values (new.n); end;"));
    const struct {
        const char *sql;
        long long affected;
        bool rows;
    } steps[] = {
        {"insert into t (v) values ('a'), ('b'), ('c')", 3, false}, // the trigger's inserts are not counted
        {"update t set v = v || '!' where n > 1", 2, false},
        {"create table u (x)", 0, false}, // no stale count of the update before
        {"select * from t", -1, true},
        {"delete from t where n = 99", 0, false},
        {"insert into t (v) values ('d') returning n", 1, true},
        {"delete from t", 4, false},
        {"pragma user_version", -1, true},
        {"", -1, false},
        {"  -- only a comment\n", -1, false},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.sql);
        ado::ExecResult r = db->execute(s.sql);
        EXPECT_EQ(r.recordsAffected, s.affected);
        EXPECT_EQ(r.rows != nullptr, s.rows);
    }
    EXPECT_EQ(query(*db, "select count(*) from log")->value(0, 0), "4");
}

TEST(SQLiteExecute, AScriptRunsStatementByStatementAndStopsAtTheFirstFailure)
{
    auto db = connect(makeDatabase("create table t (n integer, s text);"));
    // A semicolon inside a literal or a comment does not end a statement.
    auto rows = query(*db, "insert into t values (1, 'a;b'); -- one; two\n"
                           "insert into t values (2, '/* ; */');\n"
                           "/* a ; comment */ select n, s from t order by n;\n  ");
    EXPECT_EQ(column(*rows, "s"), (std::vector<std::string>{"a;b", "/* ; */"}));

    const ado::ExecResult last = db->execute("select 1; update t set n = n + 10");
    EXPECT_EQ(last.rows, nullptr) << "the last statement's result";
    EXPECT_EQ(last.recordsAffected, 2);

    EXPECT_EQ(providerMessage([&] { db->execute("insert into t values (3, 'c'); insert into nowhere values (1);"
                                                "insert into t values (4, 'd')"); }),
              "no such table: nowhere");
    EXPECT_EQ(column(*query(*db, "select n from t order by n"), "n"),
              (std::vector<std::string>{"3", "11", "12"}))
        << "the statement before the failure ran, the one after did not";
    EXPECT_EQ(providerMessage([&] { db->execute("select 1; selec 2"); }), "near \"selec\": syntax error");
}

TEST(SQLiteCatalogue, TablesViewsAndFieldsInDeclaredOrderWithoutTheEnginesOwn)
{
    auto db = connect(makeDatabase(
        "create table zeta (id integer primary key autoincrement, note text);"
        "insert into zeta (note) values ('x');" // fills sqlite_sequence
        "create table pairs (a text, b text, c int, primary key (b, a)) without rowid;"
        "create table gen (w real, h real, area real generated always as (w * h) virtual,"
        " label text generated always as ('box ' || w) stored, z int);"
        "create view \"a view\" as select note from zeta;"
        "create index zeta_note on zeta (note);"
        "analyze;")); // fills sqlite_stat1
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"gen", "pairs", "zeta", "a view"}));
    EXPECT_EQ(db->fieldNames("gen"), (std::vector<std::string>{"w", "h", "area", "label", "z"}));
    EXPECT_EQ(db->fieldNames("PAIRS"), (std::vector<std::string>{"a", "b", "c"})) << "names match without case";
    EXPECT_EQ(db->fieldNames("a view"), (std::vector<std::string>{"note"}));
    EXPECT_TRUE(db->fieldNames("nothing").empty());

    db->execute("insert into gen (w, h, z) values (2, 3, 1)");
    EXPECT_EQ(firstRow(*query(*db, "select * from gen")), (std::vector<std::string>{"2.0", "3.0", "6.0", "box 2.0", "1"}));
    db->execute("insert into pairs values ('a1', 'b1', 1)");
    EXPECT_EQ(providerMessage([&] { db->execute("insert into pairs values ('a1', 'b1', 2)"); }),
              "UNIQUE constraint failed: pairs.b, pairs.a");
}

TEST(SQLiteCatalogue, NamesWithBlanksQuotesAndDashesRunInAQuotedSelect)
{
    auto db = connect(makeDatabase("create table \"order \"\"lines\"\" - 2024\" (\"unit-price\" real, \"it's\" text,"
                                   " [select] int, `from to` text);"
                                   "insert into \"order \"\"lines\"\" - 2024\" values (1.5, 'q', 7, 'a-b');"));
    const std::vector<std::string> tables = db->tableNames();
    ASSERT_EQ(tables, (std::vector<std::string>{"order \"lines\" - 2024"}));
    const std::vector<std::string> fields = db->fieldNames(tables[0]);
    EXPECT_EQ(fields, (std::vector<std::string>{"unit-price", "it's", "select", "from to"}));
    // The statement the tree writes, with the names as the engine's rule writes them.
    std::string sql = "select\n";
    for (const std::string &f : fields)
        sql += (f == fields.front() ? "" : ",") + sqlName(seSQLite, f) + "\n";
    sql += "from\n" + sqlTableName(seSQLite, tables[0]);
    EXPECT_EQ(sql, "select\n\"unit-price\"\n,\"it's\"\n,\"select\"\n,\"from to\"\n"
                   "from\n\"order \"\"lines\"\" - 2024\"");
    auto rows = query(*db, sql);
    EXPECT_EQ(fieldNames(*rows), fields);
    EXPECT_EQ(firstRow(*rows), (std::vector<std::string>{"1.5", "q", "7", "a-b"}));
}

TEST(SQLiteValues, AHundredMebibyteBlobReadsBackWhole)
{
    constexpr int kSize = 100 * 1024 * 1024;
    auto db = connect(makeDatabase("create table b (id integer primary key, data blob);"));
    db->execute("insert into b (data) values (randomblob(" + std::to_string(kSize) + "))");
    db->execute("insert into b (data) values (x'CAFE')");
    auto rows = query(*db, "select data, hex(substr(data, 1, 8)), hex(substr(data, -4)) from b order by id");
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->fieldKind(0), ado::FieldKind::Binary);
    std::string scratch;
    const std::string_view hex = rows->text(0, 0, scratch);
    ASSERT_EQ(hex.size(), size_t(2) * kSize);
    EXPECT_EQ(hex.substr(0, 16), rows->value(0, 1));
    EXPECT_EQ(hex.substr(hex.size() - 8), rows->value(0, 2));
    EXPECT_EQ(rows->value(1, 0), "CAFE") << "the row after the big one";
}

TEST(SQLiteLocks, AWriteTransactionElsewhereLetsReadsThroughAndTimesWritesOut)
{
    const std::string path = makeDatabase("create table t (n); insert into t values (1);");
    auto db = connect(path);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000); // its commit waits out our brief read locks
    ASSERT_EQ(sqlite3_exec(other, "begin immediate; insert into t values (2);", nullptr, nullptr, nullptr), SQLITE_OK);

    EXPECT_EQ(column(*query(*db, "select n from t"), "n"), (std::vector<std::string>{"1"}))
        << "the other transaction's row is not seen before its commit";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(providerMessage([&] { db->execute("insert into t values (3)"); }), "database is locked");
    const double waited = provider_test::secondsSince(start);
    std::printf("locked: gave up after %.2f s\n", waited);
    EXPECT_GE(waited, 2.0) << "waits a few seconds for the lock first";

    // A lock released while the statement waits lets it through.
    provider_test::Later commit(500, [&] { sqlite3_exec(other, "commit", nullptr, nullptr, nullptr); });
    EXPECT_EQ(db->execute("insert into t values (4)").recordsAffected, 1);
    EXPECT_EQ(column(*query(*db, "select n from t order by n"), "n"), (std::vector<std::string>{"1", "2", "4"}));
    sqlite3_close(other);
}

TEST(SQLiteOpen, AWriteProtectedFileOpensForReadingOnly)
{
    const std::string path = makeDatabase("create table t (n); insert into t values (1);");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    auto db = connect(path);
    EXPECT_EQ(column(*query(*db, "select n from t"), "n"), (std::vector<std::string>{"1"}));
    for (const char *write : {"insert into t values (2)", "create table u (x)", "delete from t"}) {
        SCOPED_TRACE(write);
        EXPECT_EQ(providerMessage([&] { db->execute(write); }), "attempt to write a readonly database");
    }
    EXPECT_EQ(column(*query(*db, "select count(*) as c from t"), "c"), (std::vector<std::string>{"1"}));
    ::chmod(path.c_str(), 0644);
}

TEST(SQLiteCancel, ALongRecursiveQueryStopsAtOnceAndTheConnectionGoesOn)
{
    auto db = connect(makeDatabase("create table t (n); insert into t values (1);"));
    db->cancel(); // nothing runs: no effect on the next statement
    EXPECT_EQ(query(*db, "select n from t")->value(0, 0), "1");

    const char *endless = "with recursive k(n) as (select 1 union all select n + 1 from k)"
                          " select count(*) from k";
    std::chrono::steady_clock::time_point cancelledAt, returnedAt;
    std::string message;
    {
        provider_test::Later later(300, [&] {
            cancelledAt = std::chrono::steady_clock::now();
            db->cancel();
        });
        message = providerMessage([&] { db->execute(endless); });
        returnedAt = std::chrono::steady_clock::now();
    }
    const double afterCancel = std::chrono::duration<double>(returnedAt - cancelledAt).count();
    std::printf("cancel: statement returned %.1f ms after the cancel\n", afterCancel * 1000);
    EXPECT_EQ(message, "interrupted");
    EXPECT_LT(afterCancel, 0.1);
    EXPECT_EQ(query(*db, "select n + 1 from t")->value(0, 0), "2") << "the connection goes on";
}

TEST(SQLiteSchema, TheFiveRowSetsCarryTheOleDbColumnsAndTheFilesFacts)
{
    auto db = connect(makeDatabase(
        "create table customer (id integer primary key, name varchar(40) not null default 'anon',"
        " credit decimal(10, 2), tag text unique);"
        "create table line (ord int, pos int, customer_id int references customer,"
        " sku text references customer (tag) on delete cascade on update set null,"
        " total real generated always as (ord * 2) stored, primary key (ord, pos)) without rowid;"
        "create index line_sku on line (sku, pos);"
        "create view big_customers as select id, name from customer where credit > 100;"
        "create table seq (id integer primary key autoincrement);"));
    const ado::SchemaRestrictions all;

    for (ado::SchemaEnum kind : {ado::adSchemaTables, ado::adSchemaColumns, ado::adSchemaIndexes,
                                 ado::adSchemaForeignKeys, ado::adSchemaPrimaryKeys}) {
        SCOPED_TRACE(int(kind));
        EXPECT_EQ(fieldNames(*db->openSchema(kind, all)), oleDbColumns(kind));
    }

    auto tables = db->openSchema(ado::adSchemaTables, all);
    EXPECT_EQ(column(*tables, "TABLE_NAME"),
              (std::vector<std::string>{"sqlite_sequence", "customer", "line", "seq", "big_customers"}));
    EXPECT_EQ(column(*tables, "TABLE_TYPE"),
              (std::vector<std::string>{"SYSTEM TABLE", "TABLE", "TABLE", "TABLE", "VIEW"}));
    EXPECT_TRUE(tables->isNull(0, 0) && tables->isNull(0, 1)) << "no catalog or schema";

    auto columns = db->openSchema(ado::adSchemaColumns, {"", "", "CUSTOMER"});
    EXPECT_EQ(column(*columns, "TABLE_NAME"), std::vector<std::string>(4, "customer"));
    EXPECT_EQ(column(*columns, "COLUMN_NAME"), (std::vector<std::string>{"id", "name", "credit", "tag"}));
    EXPECT_EQ(column(*columns, "ORDINAL_POSITION"), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(column(*columns, "COLUMN_DEFAULT"), (std::vector<std::string>{"", "'anon'", "", ""}));
    EXPECT_EQ(column(*columns, "IS_NULLABLE"), (std::vector<std::string>{"YES", "NO", "YES", "YES"}));
    EXPECT_EQ(column(*columns, "DATA_TYPE"), (std::vector<std::string>{"INTEGER", "varchar(40)", "decimal(10, 2)", "TEXT"}));
    EXPECT_EQ(column(*columns, "CHARACTER_MAXIMUM_LENGTH"), (std::vector<std::string>{"", "40", "", ""}));
    EXPECT_EQ(column(*columns, "NUMERIC_PRECISION"), (std::vector<std::string>{"", "", "10", ""}));
    EXPECT_EQ(column(*columns, "NUMERIC_SCALE"), (std::vector<std::string>{"", "", "2", ""}));
    auto lineColumns = db->openSchema(ado::adSchemaColumns, {"", "", "line"});
    EXPECT_EQ(column(*lineColumns, "COLUMN_NAME"),
              (std::vector<std::string>{"ord", "pos", "customer_id", "sku", "total"}));
    EXPECT_EQ(column(*lineColumns, "IS_NULLABLE"), (std::vector<std::string>{"NO", "NO", "YES", "YES", "YES"}))
        << "a WITHOUT ROWID table's key is NOT NULL";
    EXPECT_EQ(column(*db->openSchema(ado::adSchemaColumns, {"", "", "big_customers"}), "COLUMN_NAME"),
              (std::vector<std::string>{"id", "name"}));

    auto indexes = db->openSchema(ado::adSchemaIndexes, {"", "", "line"});
    EXPECT_EQ(column(*indexes, "INDEX_NAME"),
              (std::vector<std::string>{"line_sku", "line_sku", "sqlite_autoindex_line_1", "sqlite_autoindex_line_1"}));
    EXPECT_EQ(column(*indexes, "COLUMN_NAME"), (std::vector<std::string>{"sku", "pos", "ord", "pos"}));
    EXPECT_EQ(column(*indexes, "ORDINAL_POSITION"), (std::vector<std::string>{"1", "2", "1", "2"}));
    EXPECT_EQ(column(*indexes, "PRIMARY_KEY"), (std::vector<std::string>{"false", "false", "true", "true"}));
    EXPECT_EQ(column(*indexes, "UNIQUE"), (std::vector<std::string>{"false", "false", "true", "true"}));
    auto customerIndexes = db->openSchema(ado::adSchemaIndexes, {"", "", "customer"});
    EXPECT_EQ(column(*customerIndexes, "INDEX_NAME"), (std::vector<std::string>{"sqlite_autoindex_customer_1"}));
    EXPECT_EQ(column(*customerIndexes, "UNIQUE"), (std::vector<std::string>{"true"}));
    EXPECT_EQ(column(*customerIndexes, "PRIMARY_KEY"), (std::vector<std::string>{"false"}));

    auto keys = db->openSchema(ado::adSchemaForeignKeys, all);
    EXPECT_EQ(column(*keys, "FK_TABLE_NAME"), (std::vector<std::string>{"line", "line"}));
    EXPECT_EQ(column(*keys, "PK_TABLE_NAME"), (std::vector<std::string>{"customer", "customer"}));
    std::vector<std::string> pairs;
    for (long long r = 0; r < keys->rowCount(); ++r)
        pairs.push_back(keys->value(r, keys->fieldIndex("FK_COLUMN_NAME")) + " -> " +
                        keys->value(r, keys->fieldIndex("PK_COLUMN_NAME")) + " " +
                        keys->value(r, keys->fieldIndex("UPDATE_RULE")) + "/" +
                        keys->value(r, keys->fieldIndex("DELETE_RULE")));
    std::sort(pairs.begin(), pairs.end());
    EXPECT_EQ(pairs, (std::vector<std::string>{"customer_id -> id NO ACTION/NO ACTION", "sku -> tag SET NULL/CASCADE"}))
        << "a reference without columns goes to the parent's primary key";
    EXPECT_EQ(db->openSchema(ado::adSchemaForeignKeys, {"", "", "customer"})->rowCount(), 0)
        << "restricted by the referencing table";

    auto primary = db->openSchema(ado::adSchemaPrimaryKeys, all);
    EXPECT_EQ(column(*primary, "TABLE_NAME"), (std::vector<std::string>{"customer", "line", "line", "seq"}));
    EXPECT_EQ(column(*primary, "COLUMN_NAME"), (std::vector<std::string>{"id", "ord", "pos", "id"}));
    EXPECT_EQ(column(*primary, "ORDINAL"), (std::vector<std::string>{"1", "1", "2", "1"}));
    EXPECT_EQ(column(*primary, "PK_NAME"), (std::vector<std::string>{"", "sqlite_autoindex_line_1", "sqlite_autoindex_line_1", ""}));

    EXPECT_THROW(db->openSchema(ado::SchemaEnum(99), all), ado::EADOError);
}

} // namespace

// The engines themselves decide which words need quotes: every keyword that
// PostgreSQL, MariaDB or embedded Firebird refuses or misreads where a
// generated SELECT puts a name (in the select list, after FROM) must be one
// that the rules quote, and no other.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <sqlite3.h>

#include <set>
#include <string>
#include <vector>

#include "o_SQLNames.h"
#include "o_ServerConnection.h"
#include "testenv.h"

namespace {

const std::string kRun = std::to_string(QCoreApplication::applicationPid());

// Whether `statement` runs; when it returns rows, whether its first row's
// field `field` reads "42".
bool answers42(TqdServerConnection &c, const std::string &statement, int field)
{
    try {
        ado::ExecResult r = c.ADOConnection()->ExecuteWithResult(statement);
        return r.rows && r.rows->rowCount() == 1 && r.rows->value(0, field) == "42";
    } catch (const ado::Exception &) {
        return false;
    }
}

// Whether the engine looks for a table named `word` when `written` follows
// FROM: no such table exists, so the engine must say that it is missing
// (`missing` is part of its message), not fail to parse or read something else.
bool namesMissingTable(TqdServerConnection &c, const std::string &written, const char *missing)
{
    try {
        c.ADOConnection()->ExecuteWithResult("select *\nfrom\n" + written);
        return false;
    } catch (const ado::Exception &e) {
        return std::string(e.what()).find(missing) != std::string::npos;
    }
}

struct EngineSyntax {
    const char *dual;    // completes a select without a table where the engine needs one
    const char *missing; // part of the engine's message about a missing table
};

// Whether `written` names a column first and further in a select list, and
// a table after FROM, reading back as `word`.
bool standsAsName(TqdServerConnection &c, const std::string &written, const std::string &word,
                  const EngineSyntax &syntax)
{
    const std::string alias = quotedName(c.DBEngine, word);
    return answers42(c, "select " + written + "\nfrom (select 42 as " + alias + syntax.dual + ") s", 0) &&
           answers42(c, "select a\n," + written + "\nfrom (select 1 as a, 42 as " + alias + syntax.dual + ") s", 1) &&
           namesMissingTable(c, written, syntax.missing);
}

// Asks the engine about every candidate word, unquoted and as the rules write it.
void checkWords(TqdServerConnection &c, const std::vector<std::string> &words, const EngineSyntax &syntax)
{
    ASSERT_FALSE(words.empty());
    int quoted = 0;
    for (const std::string &word : words) {
        SCOPED_TRACE(word);
        const bool needs = nameNeedsQuotes(c.DBEngine, word);
        EXPECT_EQ(needs, !standsAsName(c, word, word, syntax)) << (needs ? "quoted, but the engine takes it bare"
                                                                        : "left bare, but the engine refuses it");
        if (needs) {
            ++quoted;
            EXPECT_TRUE(standsAsName(c, sqlName(c.DBEngine, word), word, syntax)) << sqlName(c.DBEngine, word);
        }
    }
    EXPECT_GT(quoted, 50) << "the engine should refuse some of its keywords";
}

// A connection to a test server's database, open.
void connect(TqdServerConnection &c, TqdServerEngine engine, const std::string &db)
{
    const bool pg = engine == sePostGre;
    c.DBEngine = engine;
    c.ServerName = pg ? testenv::pgSocket() : testenv::mySocket();
    c.Port = pg ? testenv::pgPort() : testenv::myPort();
    c.UserName = pg ? testenv::pgUser() : testenv::myUser();
    c.Password = pg ? testenv::pgPassword() : testenv::myPassword();
    c.DataBaseName = db;
    c.ReConnect();
}

std::vector<std::string> column(TqdServerConnection &c, const std::string &statement)
{
    std::vector<std::string> values;
    ado::ExecResult r = c.ADOConnection()->ExecuteWithResult(statement);
    for (long long row = 0; r.rows && row < r.rows->rowCount(); ++row)
        values.push_back(r.rows->value(row, 0));
    return values;
}

TEST(EngineNames, PostgreSQLKeywords)
{
    REQUIRE_PG();
    const std::string db = "tqd_names_words_" + kRun;
    testenv::pgExec("DROP DATABASE IF EXISTS " + db + " WITH (FORCE);\nCREATE DATABASE " + db + ";\n");
    {
        TqdServerConnection c;
        connect(c, sePostGre, db);
        checkWords(c, column(c, "select word from pg_get_keywords() order by 1"), {"", "does not exist"});
    }
    testenv::pgExec("DROP DATABASE IF EXISTS " + db + " WITH (FORCE);\n");
}

TEST(EngineNames, MariaDBKeywords)
{
    REQUIRE_MY();
    const std::string db = "tqd_names_words_" + kRun;
    testenv::myExec("DROP DATABASE IF EXISTS " + db + ";\nCREATE DATABASE " + db + ";\n");
    {
        TqdServerConnection c;
        connect(c, seMySQL, db);
        std::vector<std::string> words;
        for (const std::string &w : column(c, "select word from information_schema.keywords order by 1"))
            if (!nameNeedsQuotes(seNone, w) && std::isalpha(static_cast<unsigned char>(w[0])))
                words.push_back(w); // operators such as <=> are no names at all
        checkWords(c, words, {"", "doesn't exist"});
    }
    testenv::myExec("DROP DATABASE IF EXISTS " + db + ";\n");
}

// Firebird has no list of its keywords to ask for: the candidates are every
// engine's reserved words and Firebird's other keywords.
TEST(EngineNames, FirebirdKeywords)
{
    const std::string path = testenv::tempDir() + "/words.fdb";
    testenv::fbCreate(path);

    TqdServerConnection c;
    c.DBEngine = seFireBird;
    c.ServerName = path;
    c.UserName = "SYSDBA";
    c.ReConnect();
    std::set<std::string> words;
    for (TqdServerEngine e : {sePostGre, seMySQL, seFireBird, seOracle, seMSSQL, seMSAccess})
        for (std::string_view w : nameRule(e).reserved)
            words.insert(std::string(w));
    for (const char *w : {"ABS",     "ACTION",   "BLOCK",    "COMPUTED", "DATA",     "ENGINE",  "FIRST",
                          "GENERATOR", "KEY",    "LAST",     "NAME",     "PAGE",     "POSITION", "SEQUENCE",
                          "SKIP",    "SOURCE",   "TYPE",     "VALUE",    "WORK",     "RDB$DB_KEY"})
        words.insert(w);
    checkWords(c, std::vector<std::string>(words.begin(), words.end()), {" from rdb$database", "Table unknown"});
}

// SQLite lists its keywords itself; most of them fall back to names.
TEST(EngineNames, SQLiteKeywords)
{
    const std::string path = testenv::tempDir() + "/words.sqlite";
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "pragma user_version = 1", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    TqdServerConnection c;
    c.DBEngine = seSQLite;
    c.ServerName = path;
    c.ReConnect();
    std::vector<std::string> words;
    for (int i = 0; i < sqlite3_keyword_count(); ++i) {
        const char *name = nullptr;
        int length = 0;
        sqlite3_keyword_name(i, &name, &length);
        words.emplace_back(name, size_t(length));
    }
    checkWords(c, words, {"", "no such table"});
}

} // namespace

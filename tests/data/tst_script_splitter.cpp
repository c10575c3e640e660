// The script splitter: each construct that hides a separator, beside a near
// miss where the separator is real; positions of statements; the statement
// under the cursor.
#include <gtest/gtest.h>

#include "o_ScriptSplitter.h"

#include <string>
#include <vector>

namespace {

struct SplitCase {
    const char *name;
    TqdScriptDialect dialect;
    const char *script;
    std::vector<std::string> statements;
};

std::vector<std::string> texts(const std::string &script, TqdScriptDialect dialect)
{
    std::vector<std::string> out;
    for (const TqdScriptStatement &st : SplitScript(script, dialect))
        out.push_back(st.text);
    return out;
}

const std::vector<SplitCase> &splitCases()
{
    static const std::vector<SplitCase> cases = {
        // Plain separators.
        {"no separator is one statement", sdStandard, "select 1\nfrom t", {"select 1\nfrom t"}},
        {"blanks and empty statements vanish", sdStandard, " ;select 1;;\n  select 2 ; \n", {"select 1", "select 2"}},
        {"only comments is no statement", sdStandard, "-- a\n/* b; */\n", {}},
        {"leading comment is not part of the statement", sdStandard, "-- x;\nselect 1; /* y */ select 2",
         {"select 1", "select 2"}},
        {"trailing comment after the last separator", sdPostgreSQL, "select 1; -- done", {"select 1"}},

        // Strings.
        {"separator in a string", sdStandard, "select 'a;b'; select 2", {"select 'a;b'", "select 2"}},
        {"doubled quote keeps the string open", sdStandard, "select 'it''s;'; select 2", {"select 'it''s;'", "select 2"}},
        {"standard string: backslash is a character", sdPostgreSQL, "select 'a\\'; select 2",
         {"select 'a\\'", "select 2"}},
        {"PostgreSQL E-string: backslash escapes the quote", sdPostgreSQL, "select E'a\\';b'; select 2",
         {"select E'a\\';b'", "select 2"}},
        {"MySQL: backslash escapes the quote", sdMySQL, "select 'a\\';b'; select 2", {"select 'a\\';b'", "select 2"}},
        {"MySQL: double-quoted string with escape", sdMySQL, "select \"a\\\";b\"; select 2",
         {"select \"a\\\";b\"", "select 2"}},
        {"Oracle q-quote", sdOracle, "select q'[it's; here]' from dual; select 2 from dual",
         {"select q'[it's; here]' from dual", "select 2 from dual"}},

        // Quoted identifiers.
        {"double-quoted identifier", sdPostgreSQL, "select \"a;\"\"b\" from t; select 2",
         {"select \"a;\"\"b\" from t", "select 2"}},
        {"backquoted identifier", sdMySQL, "select `a;b` from t; select 2", {"select `a;b` from t", "select 2"}},
        {"bracketed identifier", sdAccess, "select [a;]]b] from t; select 2", {"select [a;]]b] from t", "select 2"}},
        {"bracket outside Access and SQL Server is no quote", sdPostgreSQL, "select a[1]; select ';'",
         {"select a[1]", "select ';'"}},

        // Comments.
        {"separator in a line comment", sdStandard, "select 1 -- a;b\n+ 1; select 2", {"select 1 -- a;b\n+ 1", "select 2"}},
        {"comment after the last word is left out", sdStandard, "select 1 -- one\n; select 2", {"select 1", "select 2"}},
        {"separator in a block comment", sdStandard, "select /* ; */ 1; select 2", {"select /* ; */ 1", "select 2"}},
        {"PostgreSQL block comments nest", sdPostgreSQL, "select /* a /* b */ ; */ 1; select 2",
         {"select /* a /* b */ ; */ 1", "select 2"}},
        {"elsewhere block comments do not nest", sdMySQL, "select /* a /* b */ 1; select 2",
         {"select /* a /* b */ 1", "select 2"}},
        {"MySQL hash comment", sdMySQL, "select 1 # a;b\n+ 1; select 2", {"select 1 # a;b\n+ 1", "select 2"}},
        {"hash is no comment elsewhere", sdPostgreSQL, "select 1 # 2; select 3", {"select 1 # 2", "select 3"}},
        {"MySQL -- needs a blank after it", sdMySQL, "select 1--1; select 2", {"select 1--1", "select 2"}},
        {"MySQL executed comment is a statement", sdMySQL, "/*!40101 SET NAMES utf8 */;\nselect 1",
         {"/*!40101 SET NAMES utf8 */", "select 1"}},

        // Dollar quoting.
        {"dollar-quoted body", sdPostgreSQL,
         "create function f() returns int as $$ begin return 1; end $$ language plpgsql; select f()",
         {"create function f() returns int as $$ begin return 1; end $$ language plpgsql", "select f()"}},
        {"tagged dollar quote holds $$", sdPostgreSQL, "do $body$ begin perform '$$;'; end $body$; select 1",
         {"do $body$ begin perform '$$;'; end $body$", "select 1"}},
        {"positional parameter is no dollar quote", sdPostgreSQL, "prepare p as select $1; execute p(1)",
         {"prepare p as select $1", "execute p(1)"}},
        {"dollar inside an identifier is no quote", sdPostgreSQL, "select a$b$ from t; select 2",
         {"select a$b$ from t", "select 2"}},

        // Parentheses.
        {"separator inside parentheses", sdPostgreSQL,
         "create rule r as on insert to t do instead (insert into u values (1); insert into u values (2)); select 1",
         {"create rule r as on insert to t do instead (insert into u values (1); insert into u values (2))", "select 1"}},

        // Bodies.
        {"BEGIN that is a transaction", sdPostgreSQL, "begin; insert into t values (1); commit",
         {"begin", "insert into t values (1)", "commit"}},
        {"MySQL BEGIN WORK is a transaction", sdMySQL, "BEGIN WORK; select 1", {"BEGIN WORK", "select 1"}},
        {"MySQL procedure body without DELIMITER", sdMySQL,
         "CREATE PROCEDURE p() BEGIN DECLARE x INT; IF x THEN SET x = 1; END IF; "
         "SELECT CASE WHEN x THEN 1 ELSE 2 END; END; CALL p()",
         {"CREATE PROCEDURE p() BEGIN DECLARE x INT; IF x THEN SET x = 1; END IF; "
          "SELECT CASE WHEN x THEN 1 ELSE 2 END; END",
          "CALL p()"}},
        {"MySQL CASE statement ends with END CASE", sdMySQL,
         "CREATE DEFINER=`root`@`localhost` TRIGGER tr BEFORE INSERT ON t FOR EACH ROW BEGIN "
         "CASE NEW.a WHEN 1 THEN SET NEW.b = 2; ELSE BEGIN END; END CASE; END; SELECT 1",
         {"CREATE DEFINER=`root`@`localhost` TRIGGER tr BEFORE INSERT ON t FOR EACH ROW BEGIN "
          "CASE NEW.a WHEN 1 THEN SET NEW.b = 2; ELSE BEGIN END; END CASE; END",
          "SELECT 1"}},
        {"MariaDB compound statement outside a routine", sdMySQL,
         "BEGIN NOT ATOMIC DECLARE x INT DEFAULT 1; SELECT x; END; BEGIN; SELECT 2",
         {"BEGIN NOT ATOMIC DECLARE x INT DEFAULT 1; SELECT x; END", "BEGIN", "SELECT 2"}},
        {"CASE outside a body is just an expression", sdMySQL, "select case when 1 then 2 end; select 3",
         {"select case when 1 then 2 end", "select 3"}},
        {"a column named like a routine word is no routine", sdOracle,
         "create table t (type varchar2(9)); insert into t values ('x')",
         {"create table t (type varchar2(9))", "insert into t values ('x')"}},
        {"PostgreSQL BEGIN ATOMIC body", sdPostgreSQL,
         "create function f() returns int language sql begin atomic select 1; select 2; end; select f()",
         {"create function f() returns int language sql begin atomic select 1; select 2; end", "select f()"}},
        {"Firebird procedure without SET TERM", sdFirebird,
         "create procedure p returns (x int) as declare variable v int; begin v = 1; "
         "if (v = 1) then begin x = 2; end suspend; end; select 1 from rdb$database",
         {"create procedure p returns (x int) as declare variable v int; begin v = 1; "
          "if (v = 1) then begin x = 2; end suspend; end",
          "select 1 from rdb$database"}},
        {"Firebird EXECUTE BLOCK", sdFirebird, "execute block as begin insert into t values (1); end; commit",
         {"execute block as begin insert into t values (1); end", "commit"}},
        {"Firebird ALTER TABLE is no routine", sdFirebird, "alter table t add x int; alter table t add y int",
         {"alter table t add x int", "alter table t add y int"}},

        // Client separator commands.
        {"Firebird SET TERM", sdFirebird,
         "SET TERM ^ ;\nCREATE TRIGGER tr FOR t AS BEGIN NEW.a = 1; END^\nSET TERM ; ^\nSELECT 1 FROM rdb$database;",
         {"CREATE TRIGGER tr FOR t AS BEGIN NEW.a = 1; END", "SELECT 1 FROM rdb$database"}},
        {"Firebird: ';' is plain text under another terminator", sdFirebird,
         "set term !! ;\nselect ';' from a; select 2 from b!!",
         {"select ';' from a; select 2 from b"}},
        {"MySQL DELIMITER", sdMySQL,
         "DELIMITER //\nCREATE PROCEDURE p() BEGIN SELECT 1; END//\nDELIMITER ;\nCALL p();",
         {"CREATE PROCEDURE p() BEGIN SELECT 1; END", "CALL p()"}},
        {"MySQL: DELIMITER only at a statement's start", sdMySQL, "select a,\ndelimiter from t; select 2",
         {"select a,\ndelimiter from t", "select 2"}},
        {"Oracle block ended by a slash line", sdOracle,
         "BEGIN\n  NULL;\nEND;\n/\nselect 1 from dual;\n/\nselect 2 from dual",
         {"BEGIN\n  NULL;\nEND;", "select 1 from dual", "select 2 from dual"}},
        {"Oracle procedure up to the slash", sdOracle,
         "CREATE OR REPLACE PROCEDURE p IS\nBEGIN\n  NULL;\nEND;\n  /  \ndeclare x int; begin x := 4 / 2; end;\n/",
         {"CREATE OR REPLACE PROCEDURE p IS\nBEGIN\n  NULL;\nEND;", "declare x int; begin x := 4 / 2; end;"}},
        {"Oracle slash inside a line divides", sdOracle, "select 4\n / 2 from dual; select 3 from dual",
         {"select 4\n / 2 from dual", "select 3 from dual"}},
        {"SQL Server GO lines", sdMSSQL,
         "declare @x int; set @x = 1; select @x\nGO\nselect [a;b] from t\r\n  go 2  \r\nselect 3",
         {"declare @x int; set @x = 1; select @x", "select [a;b] from t", "select 3"}},
        {"SQL Server: GO inside a line or a longer word", sdMSSQL, "select 1 go\nGOTO done\ngo_on: select 2",
         {"select 1 go\nGOTO done\ngo_on: select 2"}},
        {"SQL Server: GO inside a string", sdMSSQL, "select 'a\nGO\nb'\nGO", {"select 'a\nGO\nb'"}},
        {"SQL Server: GO inside a block comment", sdMSSQL, "select 1 /*\nGO\n*/ + 1\nGO\nselect 2",
         {"select 1 /*\nGO\n*/ + 1", "select 2"}},
        {"unterminated string runs to the end", sdStandard, "select 'a; select 2", {"select 'a; select 2"}},
    };
    return cases;
}

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, SplitsAtRealSeparatorsOnly)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(texts(c.script, c.dialect), c.statements) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Constructs, SplitTable, ::testing::ValuesIn(splitCases()),
                         [](const ::testing::TestParamInfo<SplitCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name + "_" + std::to_string(info.index);
                         });

TEST(ScriptSplitter, PositionsCountLinesOfEveryBreakStyle)
{
    // LF, CR LF and a lone CR each end a line; columns count bytes from 1.
    const std::string script = "select 1;\r\n  -- note\n\tselect 2; select 3;\rselect\n4";
    const auto statements = SplitScript(script, sdPostgreSQL);
    ASSERT_EQ(statements.size(), 4u);
    const int expected[][2] = {{1, 1}, {3, 2}, {3, 12}, {4, 1}};
    for (std::size_t k = 0; k < statements.size(); ++k) {
        EXPECT_EQ(statements[k].line, expected[k][0]) << k;
        EXPECT_EQ(statements[k].column, expected[k][1]) << k;
        EXPECT_EQ(script.compare(statements[k].offset, statements[k].text.size(), statements[k].text), 0) << k;
    }
    EXPECT_EQ(statements[3].text, "select\n4");
    EXPECT_EQ(statements[0].end, script.find(';') + 1);
    EXPECT_EQ(statements[3].end, script.size());
}

TEST(ScriptSplitter, StatementAtCursor)
{
    //                    0         1         2
    //                    0123456789012345678901234
    const std::string script = "select 1;\n\nselect 2;  \nx";
    const auto statements = SplitScript(script, sdStandard);
    ASSERT_EQ(statements.size(), 3u);
    const struct {
        std::size_t position;
        int index;
    } cases[] = {
        {0, 0}, {4, 0}, {9, 0},  // right after the ';' still belongs to the statement it ends
        {10, 1}, {11, 1}, {20, 1}, // blank lines before a statement belong to it
        {21, 2}, {24, 2}, {99, 2}, // past the end: the last one
    };
    for (const auto &c : cases)
        EXPECT_EQ(StatementAt(statements, c.position), c.index) << c.position;
    EXPECT_EQ(StatementAt({}, 0), -1);
}

TEST(ScriptSplitter, SummaryFoldsBlanksAndCutsWholeCharacters)
{
    EXPECT_EQ(StatementSummary("select\n\t a,   b\r\nfrom t"), "select a, b from t");
    EXPECT_EQ(StatementSummary("select 1234567", 8), "select 1...");
    // "é" is two bytes: the cut falls before it, never between them.
    EXPECT_EQ(StatementSummary("select \xC3\xA9t\xC3\xA9", 8), "select \xC3\xA9...");
    EXPECT_EQ(StatementSummary("short", 8), "short");
}

} // namespace

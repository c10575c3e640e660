// The SQL highlighter: token categories per dialect, and styling inside the editor.
#include <gtest/gtest.h>

#include "o_SQLSyn.h"
#include "o_SynMemo.h"

#include <string>

namespace {

using St = TqdSQLSyn::Style;

struct TokenCase {
    TSQLDialect dialect;
    const char *text;
    const char *token; // first occurrence of this in text
    int style;         // style of every byte of the token
};

const char *styleName(int s)
{
    static const char *names[] = {"Default", "Comment", "Key", "DataType", "Function",
                                  "Number", "String", "DelimitedIdentifier", "Variable", "Symbol"};
    return s >= 0 && s < St::stCount ? names[s] : "?";
}

} // namespace

TEST(SQLSyn, TokenCategoriesPerDialect)
{
    const TokenCase cases[] = {
        {sqlStandard, "SELECT a FROM t", "SELECT", St::stKey},
        {sqlStandard, "select a from t", "from", St::stKey},
        {sqlStandard, "create table t (n varchar(20))", "varchar", St::stDataType},
        {sqlStandard, "select count(*) from t", "count", St::stFunction},
        {sqlStandard, "select left(a, 2) from t left join u", "left", St::stFunction},
        {sqlStandard, "select 1 from t left join u", "left", St::stKey},
        {sqlStandard, "x = 12.5e-3", "12.5e-3", St::stNumber},
        {sqlStandard, "x = 0x1F", "0x1F", St::stNumber},
        {sqlStandard, "where a = :param", ":param", St::stVariable},
        {sqlStandard, "where a = ?", "?", St::stVariable},
        {sqlStandard, "select x::int", "::", St::stSymbol},
        {sqlStandard, "select 'it''s -- no comment' from t", "'it''s -- no comment'", St::stString},
        {sqlStandard, "select \"Mixed Name\" from t", "\"Mixed Name\"", St::stDelimitedIdentifier},
        {sqlStandard, "select 1 -- the rest", "-- the rest", St::stComment},
        {sqlStandard, "select /* a */ 1", "/* a */", St::stComment},
        {sqlStandard, "select 1 # not a comment", "#", St::stSymbol},
        {sqlStandard, "select selected from t", "selected", St::stDefault},
        {sqlStandard, "select varchar2 from t", "varchar2", St::stDefault},
        {sqlStandard, "select [a] from t", "[", St::stSymbol},
        {sqlMySQL, "select 1 # comment", "# comment", St::stComment},
        {sqlMySQL, "select \"a string\" from t", "\"a string\"", St::stString},
        {sqlMySQL, "select `my col` from t", "`my col`", St::stDelimitedIdentifier},
        {sqlMySQL, "select 'a\\'b' from t", "'a\\'b'", St::stString},
        {sqlMySQL, "set @v = 1", "@v", St::stVariable},
        {sqlMySQL, "create table t (b mediumtext)", "mediumtext", St::stDataType},
        {sqlMySQL, "select group_concat(a) from t", "group_concat", St::stFunction},
        {sqlMSSQL2K, "select [my col] from t", "[my col]", St::stDelimitedIdentifier},
        {sqlMSSQL2K, "select [a]]b] from t", "[a]]b]", St::stDelimitedIdentifier},
        {sqlMSSQL2K, "declare @count int", "@count", St::stVariable},
        {sqlMSSQL2K, "select @@rowcount", "@@rowcount", St::stVariable},
        {sqlMSSQL2K, "create table t (n bigint)", "bigint", St::stDataType},
        {sqlMSSQL7, "create table t (n bigint)", "bigint", St::stDefault},
        {sqlMSSQL2K, "select getdate()", "getdate", St::stFunction},
        {sqlMSSQL2K, "select scope_identity()", "scope_identity", St::stFunction},
        {sqlMSSQL7, "select scope_identity()", "scope_identity", St::stDefault},
        {sqlMSSQL2K, "select * from #work", "#work", St::stDefault},
        {sqlSybase, "select [x] from t", "[x]", St::stDelimitedIdentifier},
        {sqlSybase, "create table t (u unichar(2))", "unichar", St::stDataType},
        {sqlOracle, "create table t (n varchar2(10))", "varchar2", St::stDataType},
        {sqlOracle, "select nvl(a, 0) from dual", "nvl", St::stFunction},
        {sqlOracle, "select \"A\" from t", "\"A\"", St::stDelimitedIdentifier},
        {sqlInterbase6, "select gen_id(g, 1) from rdb$database", "gen_id", St::stFunction},
        {sqlInterbase6, "select \"A\" from t", "\"A\"", St::stDelimitedIdentifier},
        {sqlIngres, "create table t (n integer4)", "integer4", St::stDataType},
        {sqlIngres, "select `x` from t", "`", St::stSymbol},
        {sqlSQLite, "select \"my col\" from t", "\"my col\"", St::stDelimitedIdentifier},
        {sqlSQLite, "select [my col] from t", "[my col]", St::stDelimitedIdentifier},
        {sqlSQLite, "select `my col` from t", "`my col`", St::stDelimitedIdentifier},
        {sqlSQLite, "select 'it''s' from t", "'it''s'", St::stString},
        {sqlSQLite, "pragma table_xinfo(t)", "pragma", St::stKey},
        {sqlSQLite, "create table t (k int) without rowid", "without", St::stKey},
        {sqlSQLite, "select json_extract(j, '$.a') from t", "json_extract", St::stFunction},
        {sqlSQLite, "select typeof(a), iif(a, 1, 2) from t", "iif", St::stFunction},
        {sqlSQLite, "select 1 # not a comment", "#", St::stSymbol},
    };
    TqdSQLSyn syn;
    for (const TokenCase &c : cases) {
        syn.SetSQLDialect(c.dialect);
        const std::string text = c.text;
        const size_t at = text.find(c.token);
        ASSERT_NE(at, std::string::npos) << c.text;
        const std::string styles = syn.styleBytes(text);
        for (size_t i = at; i < at + std::string(c.token).size(); ++i)
            EXPECT_EQ(int(styles[i]), c.style)
                << "dialect " << c.dialect << ", \"" << c.text << "\" byte " << i << ": got "
                << styleName(styles[i]) << ", want " << styleName(c.style);
    }
}

TEST(SQLSyn, StartsInStandardWithTheColoursOfItsAttributes)
{
    TqdSQLSyn syn;
    EXPECT_EQ(syn.SQLDialect(), sqlStandard);
    syn.KeyAttri->SetForeground(QColor(0, 0, 255));
    EXPECT_EQ(syn.KeyAttri->Foreground(), QColor(0, 0, 255));
    EXPECT_EQ(syn.color(St::stKey), QColor(0, 0, 255));
}

namespace {

int styleAt(TqdSynMemo &memo, long pos)
{
    return int(memo.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, (unsigned long)pos));
}

void styleTo(TqdSynMemo &memo, long end)
{
    memo.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, end);
}

} // namespace

TEST(SQLSyn, StylesTheEditorLineByLineAndRestylesOnDialectChange)
{
    TqdSynMemo memo(nullptr);
    auto *syn = new TqdSQLSyn(&memo);
    memo.setLexer(syn);
    const std::string text = "/* open\r\nselect */ select [a]\r\nfrom t";
    memo.Lines().SetText(text);
    // style the first line alone, then the rest: the comment carries over
    styleTo(memo, 9);
    styleTo(memo, -1);
    const long second = long(text.find("select"));
    const long key = long(text.find("select", size_t(second) + 1));
    EXPECT_EQ(styleAt(memo, second), St::stComment);
    EXPECT_EQ(styleAt(memo, key), St::stKey);
    EXPECT_EQ(styleAt(memo, long(text.find("[a]")) + 1), St::stDefault);

    syn->SetSQLDialect(sqlMSSQL2K);
    styleTo(memo, -1);
    EXPECT_EQ(styleAt(memo, long(text.find("[a]")) + 1), St::stDelimitedIdentifier);

    // closing the comment on the first line restyles what follows
    memo.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 7UL, " */");
    styleTo(memo, -1);
    EXPECT_EQ(styleAt(memo, second + 3), St::stKey);
}

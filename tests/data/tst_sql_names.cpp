// How each engine's names are written into SQL, and how schema-qualified
// table names are listed and read back.
#include <gtest/gtest.h>

#include <string>

#include "o_SQLNames.h"

namespace {

struct NameCase {
    TqdServerEngine engine;
    const char *name;
    const char *sql; // what sqlName writes
};

const NameCase kNames[] = {
    // PostgreSQL folds unquoted names to lower case.
    {sePostGre, "orders", "orders"},
    {sePostGre, "Orders", "\"Orders\""},
    {sePostGre, "ORDERS", "\"ORDERS\""},
    {sePostGre, "order", "\"order\""},
    {sePostGre, "user", "\"user\""},
    {sePostGre, "left", "\"left\""},     // may name a function or type, not a table
    {sePostGre, "between", "between"},   // keyword that may name a column or table
    {sePostGre, "name", "name"},         // unreserved keyword
    {sePostGre, "order-lines", "\"order-lines\""},
    {sePostGre, "q1 totals", "\"q1 totals\""},
    {sePostGre, "O'Brien items", "\"O'Brien items\""},
    {sePostGre, "say \"hi\"", "\"say \"\"hi\"\"\""},
    {sePostGre, "_x$1", "_x$1"},
    {sePostGre, "$x", "\"$x\""},
    {sePostGre, "1st", "\"1st\""},
    {sePostGre, "a.b", "\"a.b\""},
    {sePostGre, "gr\xc3\xb6\xc3\x9f" "e", "gr\xc3\xb6\xc3\x9f" "e"},
    {sePostGre, "", "\"\""},
    // Firebird folds to upper case and pads catalogue names with blanks.
    {seFireBird, "ORDERS", "ORDERS"},
    {seFireBird, "ORDERS    ", "ORDERS    "},
    {seFireBird, "Orders", "\"Orders\""},
    {seFireBird, "ORDER LINES      ", "\"ORDER LINES\""},
    {seFireBird, "ORDER     ", "\"ORDER\""},
    {seFireBird, "order", "\"order\""},
    {seFireBird, "A$B_1", "A$B_1"},
    {seFireBird, "_X", "\"_X\""},
    {seFireBird, "SAY \"HI\"", "\"SAY \"\"HI\"\"\""},
    {seFireBird, "\xc3\x84" "B", "\"\xc3\x84" "B\""},
    // Oracle folds to upper case too.
    {seOracle, "EMP", "EMP"},
    {seOracleMS, "emp", "\"emp\""},
    {seOracle, "LEVEL", "\"LEVEL\""},
    {seOracle, "A#B$", "A#B$"},
    // MySQL and MariaDB keep the letter case.
    {seMySQL, "Orders", "Orders"},
    {seMySQL, "order", "`order`"},
    {seMySQL, "status", "status"},
    {seMySQL, "sales 2024", "`sales 2024`"},
    {seMySQL, "we`ird", "`we``ird`"},
    {seMySQL, "O'Brien items", "`O'Brien items`"},
    {seMySQL, "x-y", "`x-y`"},
    {seMySQL, "2024sales", "`2024sales`"},
    {seMySQL, "1e5", "`1e5`"},
    {seMySQL, "a.b", "`a.b`"},
    {seMySQL, "\"x\"", "`\"x\"`"},
    // SQL Server and SQL Server Compact.
    {seMSSQL, "Orders", "Orders"},
    {seMSSQL, "order", "[order]"},
    {seMSSQL, "a]b", "[a]]b]"},
    {seMSSQL, "a[b", "[a[b]"},
    {seMSSQL, "@x", "[@x]"},
    {seMSCE35, "#tmp", "[#tmp]"},
    {seMSCE31, "a@b#", "a@b#"},
    // Access.
    {seMSAccess, "Table1", "Table1"},
    {seMSAccess, "q1 totals", "[q1 totals]"},
    {seMSAccess, "Date", "[Date]"},
    {seMSAccess, "a]b", "[a]]b]"},
    // SQLite keeps the letter case and matches names without regard to it.
    {seSQLite, "Orders", "Orders"},
    {seSQLite, "order", "\"order\""},
    {seSQLite, "Select", "\"Select\""},
    {seSQLite, "key", "key"}, // a keyword that falls back to a name
    {seSQLite, "order \"lines\" - 2024", "\"order \"\"lines\"\" - 2024\""},
    {seSQLite, "unit-price", "\"unit-price\""},
    {seSQLite, "it's", "\"it's\""},
    {seSQLite, "_x$1", "_x$1"},
    {seSQLite, "$x", "\"$x\""},
    {seSQLite, "1st", "\"1st\""},
    {seSQLite, "a.b", "\"a.b\""},
    {seSQLite, "gr\xc3\xb6\xc3\x9f" "e", "gr\xc3\xb6\xc3\x9f" "e"},
    // No engine: names go in as they are.
    {seNone, "q1 totals", "q1 totals"},
};

TEST(SqlNames, QuoteOnlyWhatTheEngineWouldReadBackOtherwise)
{
    for (const NameCase &c : kNames) {
        SCOPED_TRACE(std::string(engineName(c.engine)) + " [" + c.name + "]");
        EXPECT_EQ(sqlName(c.engine, c.name), c.sql);
        EXPECT_EQ(nameNeedsQuotes(c.engine, c.name), std::string(c.sql) != c.name);
    }
}

TEST(SqlNames, QuotedNamesAlwaysQuoteAndDropThePadding)
{
    EXPECT_EQ(quotedName(sePostGre, "orders"), "\"orders\"");
    EXPECT_EQ(quotedName(seFireBird, "ORDERS   "), "\"ORDERS\"");
    EXPECT_EQ(quotedName(seMySQL, "a`b"), "`a``b`");
    EXPECT_EQ(quotedName(seMSAccess, "x"), "[x]");
    // Blanks are part of the name where the catalogue does not pad.
    EXPECT_EQ(quotedName(sePostGre, "x  "), "\"x  \"");
}

TEST(SqlNames, ReservedWordsMatchWithoutRegardToCase)
{
    for (const char *word : {"SELECT", "Select", "select"}) {
        EXPECT_TRUE(nameNeedsQuotes(seMySQL, word)) << word;
        EXPECT_TRUE(nameNeedsQuotes(seMSSQL, word)) << word;
        EXPECT_TRUE(nameNeedsQuotes(seMSAccess, word)) << word;
    }
    // A reserved word inside a longer name is no reserved word.
    EXPECT_FALSE(nameNeedsQuotes(sePostGre, "selection"));
    EXPECT_FALSE(nameNeedsQuotes(seFireBird, "ORDERS"));
}

// PostgreSQL lists tables outside "public" as schema.table.
TEST(SqlNames, ListedTablesReadBackAsTheirParts)
{
    const struct {
        const char *schema, *table;
        const char *listed; // as the table list shows it
        const char *sql;    // as a statement names it
    } cases[] = {
        {"public", "orders", "orders", "orders"},
        {"", "orders", "orders", "orders"},
        {"public", "Orders", "Orders", "\"Orders\""},
        {"public", "order", "order", "\"order\""},
        {"public", "q1 totals", "q1 totals", "\"q1 totals\""},
        {"sales", "orders", "sales.orders", "sales.orders"},
        {"Sales", "Order Lines", "\"Sales\".\"Order Lines\"", "\"Sales\".\"Order Lines\""},
        {"my schema", "order", "\"my schema\".\"order\"", "\"my schema\".\"order\""},
        {"sales", "a.b", "sales.\"a.b\"", "sales.\"a.b\""},
        // Bare names that would read as qualified ones are shown quoted.
        {"public", "sales.orders", "\"sales.orders\"", "\"sales.orders\""},
        {"public", "\"x\"", "\"\"\"x\"\"\"", "\"\"\"x\"\"\""},
        {"public", "Sales.orders", "Sales.orders", "\"Sales.orders\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.schema) + " / " + c.table);
        const std::string listed = listedTableName(sePostGre, c.schema, c.table);
        EXPECT_EQ(listed, c.listed);
        const std::string schema = std::string(c.schema) == "public" ? "" : c.schema;
        EXPECT_EQ(splitListedTableName(sePostGre, listed), (TqdTableName{schema, c.table}));
        EXPECT_EQ(sqlTableName(sePostGre, listed), c.sql);
    }
}

TEST(SqlNames, NamesThatAreNoQualifiedSqlAreBareTables)
{
    for (const char *listed : {"\"unterminated", "a.b.c", "\"a\"b", "a.", ".a", "\"a\".", "Orders.x"}) {
        SCOPED_TRACE(listed);
        EXPECT_EQ(splitListedTableName(sePostGre, listed), (TqdTableName{"", listed}));
    }
    EXPECT_EQ(sqlTableName(sePostGre, "a.b.c"), "\"a.b.c\"");
}

TEST(SqlNames, EnginesWithoutSchemasKeepTheWholeName)
{
    for (TqdServerEngine engine : {seMySQL, seFireBird, seMSAccess, seMSSQL, seOracle, seNone}) {
        SCOPED_TRACE(engineName(engine));
        EXPECT_EQ(listedTableName(engine, "sales", "a.b"), "a.b");
        EXPECT_EQ(splitListedTableName(engine, "sales.orders"), (TqdTableName{"", "sales.orders"}));
    }
    EXPECT_EQ(sqlTableName(seMySQL, "a.b"), "`a.b`");
    EXPECT_EQ(sqlTableName(seMSAccess, "q1 totals"), "[q1 totals]");
}

} // namespace

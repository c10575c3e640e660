// What the completion reads from the text around the caret: the word being
// typed and the names before its dot, the tables a statement names with their
// aliases, and the prefix lookup of a sorted name list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "o_CompletionContext.h"

namespace {

using Names = std::vector<std::string>;

// `|` marks the caret; it is taken out of the text.
TqdCompletionWord wordAtBar(TqdServerEngine engine, std::string text)
{
    const std::size_t caret = text.find('|');
    text.erase(caret, 1);
    return completionWordAt(engine, text, caret);
}

} // namespace

TEST(CompletionContext, WordBeforeTheCaret)
{
    struct Case {
        TqdServerEngine engine;
        const char *text;
        const char *typed;
        const char *prefix;
        Names qualifier;
        bool quoted;
        std::size_t start;
    } const cases[] = {
        {sePostGre, "select cus|", "cus", "cus", {}, false, 7},
        {sePostGre, "select |", "", "", {}, false, 7},
        {sePostGre, "select o.|", "", "", {"o"}, false, 9},
        {sePostGre, "select o.cu| from orders o", "cu", "cu", {"o"}, false, 9},
        {sePostGre, "select * from Sales.Ord|", "Ord", "Ord", {"sales"}, false, 20},   // unquoted: folded
        {sePostGre, "select * from \"Sales\".|", "", "", {"Sales"}, false, 22},        // quoted: kept
        {sePostGre, "select * from \"Order L|", "\"Order L", "Order L", {}, true, 14}, // unclosed quoted name
        {sePostGre, "select x.\"Say \"\"hi|", "\"Say \"\"hi", "Say \"\"hi", {"x"}, true, 9},
        {sePostGre, "select a.b.c|", "c", "c", {"a", "b"}, false, 11},
        {sePostGre, "select o .|", "", "", {}, false, 10}, // a blank before the dot: no qualifier
        {seMySQL, "select * from `Order Lines`.`x|", "`x", "x", {"Order Lines"}, true, 28},
        {seMySQL, "select * from Shop.Orders|", "Orders", "Orders", {"Shop"}, false, 19}, // MySQL keeps case
        {seFireBird, "select * from orders o where o.|", "", "", {"O"}, false, 31},  // Firebird folds up
        {seSQLite, "select [my table].|", "", "", {"my table"}, false, 18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const TqdCompletionWord word = wordAtBar(c.engine, c.text);
        EXPECT_FALSE(word.none);
        EXPECT_EQ(word.typed, c.typed);
        EXPECT_EQ(word.prefix, c.prefix);
        EXPECT_EQ(word.qualifier, c.qualifier);
        EXPECT_EQ(word.quoted, c.quoted);
        EXPECT_EQ(word.start, c.start);
    }
}

TEST(CompletionContext, NoWordInCommentsStringsAndNumbers)
{
    const std::pair<TqdServerEngine, const char *> cases[] = {
        {sePostGre, "select 'cus|"},
        {sePostGre, "select 1 -- cus|"},
        {sePostGre, "select /* cus|"},
        {sePostGre, "select $$ cus|"},
        {sePostGre, "select 12|"},
        {seMySQL, "select \"cus|"},  // a string in MariaDB
        {seMySQL, "select # cus|"},
        {seMySQL, "select 'it\\'s cus|"},
    };
    for (const auto &[engine, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(wordAtBar(engine, text).none);
    }
    // closed ones leave the word after them alone
    const TqdCompletionWord after = wordAtBar(sePostGre, "select 'a;b' /* c */ , $$x$$, cus|");
    EXPECT_FALSE(after.none);
    EXPECT_EQ(after.prefix, "cus");
}

TEST(CompletionContext, TablesAndAliasesOfAStatement)
{
    using T = TqdStatementTable;
    struct Case {
        TqdServerEngine engine;
        const char *statement;
        std::vector<T> tables;
    } const cases[] = {
        {sePostGre, "select o. from orders o", {{"", "orders", "o"}}},
        {sePostGre, "select * from orders as o join customers c on c.id = o.customer_id",
         {{"", "orders", "o"}, {"", "customers", "c"}}},
        {sePostGre, "select * from a, sales.b x, c where a.id = 1",
         {{"", "a", ""}, {"sales", "b", "x"}, {"", "c", ""}}},
        {sePostGre, "select * from \"Order Lines\" ol left join Sales.\"Items\" on true",
         {{"", "Order Lines", "ol"}, {"sales", "Items", ""}}},
        {sePostGre, "update orders set total = 0 where id in (select order_id from lines l)",
         {{"", "orders", ""}, {"", "lines", "l"}}},
        {sePostGre, "insert into log (a) select a from only t", {{"", "log", ""}, {"", "t", ""}}},
        {sePostGre, "select * from orders order by 1", {{"", "orders", ""}}},
        {sePostGre, "select * from orders where x = 'from y'", {{"", "orders", ""}}},
        {sePostGre, "select * from (select 1) s", {}},
        {sePostGre, "select * from sales. join b on", {{"", "b", ""}}}, // a table still to be typed
        {sePostGre, "select * from db.sch.t z", {{"sch", "t", "z"}}},
        {seMySQL, "delete from `Shop`.`Order Lines` where 1", {{"Shop", "Order Lines", ""}}},
        {seMySQL, "select * from Orders O", {{"", "Orders", "O"}}},
        {seFireBird, "select * from orders o", {{"", "ORDERS", "O"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(statementTables(c.engine, c.statement), c.tables);
    }
}

TEST(CompletionContext, NameListFindsAPrefixWithoutRegardToCase)
{
    const TqdNameList list({"orders", "Order Lines", "customers", "ORDERS_OLD", "orders", "zeta", "Ord"});
    EXPECT_EQ(list.size(), 6u); // the repeated "orders" once
    EXPECT_EQ(list.startingWith("ord"), (Names{"Ord", "Order Lines", "orders", "ORDERS_OLD"}));
    EXPECT_EQ(list.startingWith("ORDERS"), (Names{"orders", "ORDERS_OLD"}));
    EXPECT_EQ(list.startingWith("x"), Names{});
    EXPECT_EQ(list.startingWith("").size(), 6u);
    EXPECT_TRUE(list.contains("Order Lines"));
    EXPECT_FALSE(list.contains("order lines")); // contains is exact

    // a large list answers by binary search: the stretch is exact at its edges
    Names many;
    for (int i = 0; i < 10000; ++i)
        many.push_back("t" + std::to_string(i));
    const TqdNameList big(many);
    const Names found = big.startingWith("T999");
    EXPECT_EQ(found, (Names{"t999", "t9990", "t9991", "t9992", "t9993", "t9994", "t9995", "t9996", "t9997", "t9998",
                            "t9999"}));
    EXPECT_EQ(big.startingWith("t999", 3), (Names{"t999", "t9990", "t9991"}));
}

TEST(CompletionContext, CatalogueNameFromSql)
{
    EXPECT_EQ(catalogueName(sePostGre, "Orders"), "orders");
    EXPECT_EQ(catalogueName(sePostGre, "\"Orders\""), "Orders");
    EXPECT_EQ(catalogueName(sePostGre, "\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(catalogueName(seMySQL, "`a``b`"), "a`b");
    EXPECT_EQ(catalogueName(seMySQL, "Orders"), "Orders");
    EXPECT_EQ(catalogueName(seFireBird, "orders"), "ORDERS");
    EXPECT_EQ(catalogueName(seMSSQL, "[Order Lines]"), "Order Lines");
}

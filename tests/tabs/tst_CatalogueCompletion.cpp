// Completion of tables and columns from the catalogue of the test servers:
// what the list holds at a table of caret positions, names inserted quoted,
// lists read meanwhile that arrive while the user goes on typing, and the
// tree's Refresh that makes the cache read again.
#include <gtest/gtest.h>

#include "engine_settings.h"
#include "o_CatalogueCache.h"
#include "o_CatalogueCompletion.h"
#include "o_SQLTab.h"
#include "testenv.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

namespace {

// The names the catalogue offers at the `|` in `text`, once every list they
// need has been read.
TSynNameCompletion settledAt(TqdCatalogueCache &cache, const TqdServerConnection &server, std::string text)
{
    const std::size_t caret = text.find('|');
    text.erase(caret, 1);
    TSynNameCompletion result;
    for (int round = 0; round < 10; ++round) {
        result = catalogueCompletion(cache, server, text, long(caret));
        if (!result.pending)
            break;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !cache.busy(); }, 10000));
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(result.pending) << text;
    return result;
}

struct ListCase {
    const char *text;
    QStringList exactly;   // when given: the names in this order
    QStringList contains;  // shown names that must be there
    QStringList lacks;
    QStringList inserted;  // pairs: shown name, the text it inserts
    bool keywords = true;
};

void checkCases(TqdCatalogueCache &cache, const TqdServerConnection &server, std::initializer_list<ListCase> cases)
{
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.text);
        const TSynNameCompletion r = settledAt(cache, server, c.text);
        EXPECT_TRUE(r.handled);
        EXPECT_EQ(r.keywords, c.keywords);
        if (!c.exactly.isEmpty() || (c.contains.isEmpty() && c.inserted.isEmpty()))
            EXPECT_EQ(r.names, c.exactly);
        for (const QString &name : c.contains)
            EXPECT_TRUE(r.names.contains(name)) << name.toStdString() << " in " << r.names.join(',').toStdString();
        for (const QString &name : c.lacks)
            EXPECT_FALSE(r.names.contains(name)) << name.toStdString();
        for (qsizetype i = 0; i + 1 < c.inserted.size(); i += 2) {
            const qsizetype at = r.names.indexOf(c.inserted[i]);
            ASSERT_GE(at, 0) << c.inserted[i].toStdString();
            EXPECT_EQ(r.inserted.value(at), c.inserted[i + 1]);
        }
    }
}

struct PgCatalogue : ::testing::Test {
    static void SetUpTestSuite()
    {
        if (!testenv::pgAvailable())
            return;
        testenv::pgExec("drop schema if exists cc_sales, cc_many cascade;"
                        "drop view if exists cc_order_view;"
                        "drop table if exists cc_orders, cc_customers, \"CC Order Lines\", \"CcMixed\";"
                        "create schema cc_sales; create schema cc_many;"
                        "create table cc_orders (id int, customer_id int, total numeric);"
                        "create table cc_customers (id int, name text);"
                        "create table \"CC Order Lines\" (order_id int, \"Qty\" int, \"order\" int);"
                        "create table \"CcMixed\" (a int);"
                        "create view cc_order_view as select id from cc_orders;"
                        "create table cc_sales.cc_items (sku text, price numeric);"
                        "do $$ begin for i in 1..1500 loop "
                        "execute format('create table cc_many.t%s (c int)', i); end loop; end $$;");
    }
    void SetUp() override
    {
        if (!testenv::pgAvailable())
            return;
        testenv::pgSettings(server);
        server.ReConnect();
    }
    TqdServerConnection server;
    TqdCatalogueCache cache;
};

struct MyCatalogue : ::testing::Test {
    static void SetUpTestSuite()
    {
        if (!testenv::myAvailable())
            return;
        testenv::myExec("drop database if exists cc_shop; create database cc_shop;"
                        "create table cc_shop.Items (Sku varchar(9), `Unit Price` int);"
                        "drop table if exists cc_orders, `Order Lines`;"
                        "create table cc_orders (id int, CustomerId int);"
                        "create table `Order Lines` (order_id int, qty int);",
                        testenv::myDatabase());
    }
    void SetUp() override
    {
        if (!testenv::myAvailable())
            return;
        testenv::mySettings(server);
        server.ReConnect();
    }
    TqdServerConnection server;
    TqdCatalogueCache cache;
};

} // namespace

TEST_F(PgCatalogue, ListsAtCaretPositions)
{
    REQUIRE_PG();
    checkCases(cache, server,
               {
                   // the columns of the statement's tables come first, from both sides of the caret
                   {"select cu| from cc_orders o", {}, {"customer_id"}, {"name", "id"}, {}},
                   {"select o.| from cc_orders o join cc_customers c on c.id = o.customer_id",
                    {"customer_id", "id", "total"}, {}, {}, {}, false},
                   {"select c.n| from cc_orders o join cc_customers c on c.id = o.customer_id", {"name"}, {}, {}, {},
                    false},
                   {"select cc_orders.| from cc_orders", {"customer_id", "id", "total"}, {}, {}, {}, false},
                   // a schema's tables, and the columns of a table of that schema
                   {"select * from cc_sales.|", {"cc_items"}, {}, {}, {}, false},
                   {"select i.| from cc_sales.cc_items i", {"price", "sku"}, {}, {}, {}, false},
                   {"select * from cc_s|", {}, {"cc_sales"}, {"cc_items"}, {}},
                   // the default schema's tables and views; names that need quotes are inserted quoted
                   {"select * from cc|",
                    {},
                    {"cc_orders", "cc_customers", "cc_order_view", "CC Order Lines", "CcMixed"},
                    {"cc_items"},
                    {"CC Order Lines", "\"CC Order Lines\"", "CcMixed", "\"CcMixed\"", "cc_orders", "cc_orders"}},
                   {"select ol.| from \"CC Order Lines\" ol",
                    {"order", "order_id", "Qty"},
                    {},
                    {},
                    {"Qty", "\"Qty\"", "order", "\"order\"", "order_id", "order_id"},
                    false},
                   // typed with its opening quote: shown and inserted quoted
                   {"select * from \"CC O|", {"\"CC Order Lines\""}, {}, {}, {}, false},
                   // only the statement around the caret counts
                   {"select 1;\nselect o.| from cc_orders o;\nselect c.id from cc_customers c",
                    {"customer_id", "id", "total"}, {}, {}, {}, false},
                   {"select 'cc_|'", {}, {}, {}, {}, false},
                   // a schema of many tables: the prefix's stretch, whole
                   {"select * from cc_many.t149|", {"t149", "t1490", "t1491", "t1492", "t1493", "t1494", "t1495",
                                                    "t1496", "t1497", "t1498", "t1499"},
                    {}, {}, {}, false},
               });
    EXPECT_EQ(settledAt(cache, server, "select * from cc_many.t1|").names.size(), 1 + 10 + 100 + 501);

    // in a long script, around a caret far from its start
    std::string filler;
    for (int i = 0; i < 20000; ++i)
        filler += "select 'it''s; a filler' from cc_customers c;\n";
    const QStringList orderColumns{"customer_id", "id", "total"};
    EXPECT_EQ(settledAt(cache, server, filler + "select o.| from cc_orders o;\n" + filler).names, orderColumns);
    EXPECT_EQ(settledAt(cache, server, filler + "select c.| from cc_orders c").names, orderColumns);
}

TEST_F(MyCatalogue, ListsAtCaretPositions)
{
    REQUIRE_MY();
    checkCases(cache, server,
               {
                   {"select o.| from cc_orders o", {"CustomerId", "id"}, {}, {}, {}, false},
                   {"select * from cc_shop.|", {"Items"}, {}, {}, {}, false},
                   {"select i.| from cc_shop.Items i", {"Sku", "Unit Price"}, {}, {}, {"Unit Price", "`Unit Price`"},
                    false},
                   {"select ol.q| from `Order Lines` ol", {"qty"}, {}, {}, {}, false},
                   {"select * from Ord|", {}, {"Order Lines"}, {"cc_orders"}, {"Order Lines", "`Order Lines`"}},
                   {"select * from `Ord|", {"`Order Lines`"}, {}, {}, {}, false},
                   {"select * from cc_sh|", {}, {"cc_shop"}, {}, {}},
                   {"select # cc_|", {}, {}, {}, {}, false},
               });
}

TEST_F(PgCatalogue, RefreshReadsTheCatalogueAgain)
{
    REQUIRE_PG();
    testenv::pgExec("drop table if exists cc_fresh");
    EXPECT_TRUE(settledAt(cache, server, "select * from cc_fre|").names.isEmpty());
    testenv::pgExec("create table cc_fresh (x int)");
    // cached: the new table shows only after a Refresh
    EXPECT_TRUE(settledAt(cache, server, "select * from cc_fre|").names.isEmpty());
    TqdServerConnection otherServer;
    testenv::mySettings(otherServer);
    cache.refresh(&otherServer);
    EXPECT_TRUE(settledAt(cache, server, "select * from cc_fre|").names.isEmpty());
    cache.refresh(&server);
    EXPECT_EQ(settledAt(cache, server, "select * from cc_fre|").names, QStringList{"cc_fresh"});
    testenv::pgExec("drop table cc_fresh");
}

namespace {

// A shown tab on the test PostgreSQL, typed into with keys.
struct PgTyping : PgCatalogue {
    void SetUp() override
    {
        PgCatalogue::SetUp();
        if (!testenv::pgAvailable())
            return;
        tab = pages.AddSQLTab();
        testenv::pgSettings(*tab->ServerConnection);
        tab->ServerConnection->ReConnect();
        pages.resize(700, 500);
        pages.show();
        tab->SynMemo->setFocus();
    }
    bool listShown() const { return tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE) != 0; }
    // The items of the open completion list.
    static QStringList listItems()
    {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *list = qobject_cast<QListWidget *>(w); list && list->isVisible()) {
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items += list->item(i)->text();
                return items;
            }
        return {};
    }
    TqdCatalogueCache *pageCache() const { return pages.CatalogueCache(); }
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !pageCache()->busy(); }, 10000));
        QCoreApplication::processEvents();
    }

    TqdSQLPageControl pages;
    TqdSQLTab *tab = nullptr;
};

} // namespace

TEST_F(PgTyping, NamesArrivingWhileTheUserTypesFitTheTextTypedByThen)
{
    REQUIRE_PG();
    QTest::keyClicks(tab->SynMemo, "select * from cc_");
    // nothing read yet: the list holds no names so far
    EXPECT_FALSE(listItems().contains("cc_orders"));
    // the user goes on typing before the names come in
    QTest::keyClicks(tab->SynMemo, "cu");
    for (int i = 0; i < 10 && pageCache()->busy(); ++i)
        settle();
    ASSERT_TRUE(listShown());
    EXPECT_EQ(listItems(), QStringList{"cc_customers"});

    // Enter inserts the name; a quoted one goes in quoted
    QTest::keyClick(tab->SynMemo, Qt::Key_Return);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "select * from cc_customers");
    QTest::keyClicks(tab->SynMemo, ", CC");
    QTest::keyClick(tab->SynMemo, Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(listShown());
    EXPECT_EQ(listItems().first(), "CC Order Lines");
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_AUTOCSELECT, 0ul, "CC Order Lines");
    QTest::keyClick(tab->SynMemo, Qt::Key_Return);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "select * from cc_customers, \"CC Order Lines\"");

    // "alias." opens the columns at once; the keywords stay out
    tab->SynMemo->Lines().SetText(" from cc_orders o");
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0ul);
    QTest::keyClicks(tab->SynMemo, "select o.");
    for (int i = 0; i < 10 && pageCache()->busy(); ++i)
        settle();
    ASSERT_TRUE(listShown());
    EXPECT_EQ(listItems(), (QStringList{"customer_id", "id", "total"}));
}

TEST_F(PgTyping, NamesForAWordTheUserLeftDoNotShow)
{
    REQUIRE_PG();
    QTest::keyClicks(tab->SynMemo, "select * from cc_sales.cc");
    QTest::keyClicks(tab->SynMemo, " ");
    for (int i = 0; i < 10 && pageCache()->busy(); ++i)
        settle();
    EXPECT_FALSE(listShown());
    // back at the word, Ctrl+Space lists them once they are read
    QTest::keyClick(tab->SynMemo, Qt::Key_Backspace);
    QTest::keyClick(tab->SynMemo, Qt::Key_Space, Qt::ControlModifier);
    for (int i = 0; i < 10 && pageCache()->busy(); ++i)
        settle();
    ASSERT_TRUE(listShown());
    EXPECT_EQ(listItems(), QStringList{"cc_items"});
}

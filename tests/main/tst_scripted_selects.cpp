// The tree's generated SELECTs on tables with awkward names (blanks, dashes,
// quotes, upper case, reserved words, one table name in two schemas), run in
// the tab against the real engine: each must fetch exactly its table's rows.
#include "main_fixture.h"

#include <unistd.h>

#include "o_SQLTab.h"

using namespace mainfixture;

namespace {

const std::string kRun = std::to_string(getpid());

// A table of a fixture: how the tree lists it, how many rows it holds, and
// the text that one of its columns holds in every row (no other table's).
struct Table {
    std::string listed;
    int rows;
    std::string marker;
};

std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// SQL that fills a table with `rows` rows of (number, marker); `into` names
// the table and its two columns as the engine wants them written.
std::string inserts(const std::string &into, int rows, const std::string &marker)
{
    std::string sql;
    for (int i = 1; i <= rows; ++i)
        sql += "insert into " + into + " values (" + std::to_string(i) + ", '" + marker + "');\n";
    return sql;
}

class ScriptedSelectTest : public MainWindowTest {
protected:
    // The node of a child whose name, without blank padding, is `name`.
    static QTreeWidgetItem *child(QTreeWidgetItem *node, const std::string &name)
    {
        for (int i = 0; i < node->childCount(); ++i)
            if (trimmed(TFrmMain::NodeName(node->child(i))) == name)
                return node->child(i);
        return nullptr;
    }

    std::vector<std::string> childNames(QTreeWidgetItem *node)
    {
        std::vector<std::string> names;
        for (int i = 0; i < node->childCount(); ++i)
            names.push_back(trimmed(TFrmMain::NodeName(node->child(i))));
        return names;
    }

    // Every cell of the active tab's result.
    std::vector<std::string> resultCells(TqdSQLTab *tab)
    {
        std::vector<std::string> cells;
        ado::TADODataSet *data = tab->ResultSource->DataSet();
        if (!data || !data->rowSet())
            return cells;
        for (long long r = 0; r < data->rowSet()->rowCount(); ++r)
            for (int f = 0; f < data->rowSet()->fieldCount(); ++f)
                cells.push_back(data->rowSet()->value(r, f));
        return cells;
    }

    // Scripts a table's SELECT into a new tab with each of the two commands,
    // runs it, and checks that exactly the table's rows came back.
    void scriptAndRun(QTreeWidgetItem *tables, const Table &t)
    {
        SCOPED_TRACE(t.listed);
        QTreeWidgetItem *node = child(tables, t.listed);
        ASSERT_NE(node, nullptr) << "not in the tree";
        click(node); // fills the fields
        for (QAction *command : {w->mnuPopSelectAllToNewTab, w->mnuPopSelectAllToNewWithFullFields}) {
            SCOPED_TRACE(command->objectName().toStdString());
            select(node);
            w->TreeViewPopupMenuPopup();
            command->trigger();
            TqdSQLTab *tab = w->SQLPageControl->ActiveSQLTab();
            ASSERT_NE(tab, nullptr);
            const std::vector<std::string> lines = editorLines(tab);
            std::string text;
            for (const std::string &l : lines)
                text += l + "\n";
            w->mnuRunSQL->trigger();
            ASSERT_TRUE(errorBoxes().empty()) << errorBoxes()[0].text.toStdString() << "\n" << text;
            EXPECT_EQ(w->StatusText().toStdString(), "Info  : " + std::to_string(t.rows) + " Records fetched")
                << text;
            const std::vector<std::string> cells = resultCells(tab);
            EXPECT_EQ(std::count(cells.begin(), cells.end(), t.marker), t.rows) << text;
            // A full field list names each field the tree shows.
            if (command == w->mnuPopSelectAllToNewWithFullFields)
                EXPECT_EQ(lines.size(), size_t(node->childCount()) + 3) << text;
        }
    }
};

// A database of the longest name PostgreSQL takes, with tables of one name
// in two schemas and names that need quotes, and plain ones that do not.
TEST_F(ScriptedSelectTest, PostgreSQL)
{
    REQUIRE_PG();
    std::string db = "tqd_names_" + kRun + "_";
    db.resize(63, 'x');
    testenv::pgExec("DROP DATABASE IF EXISTS " + db + " WITH (FORCE);\nCREATE DATABASE " + db +
                    " TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C';\n");
    const std::vector<Table> tables = {
        {"O'Brien items", 2, "m-obrien"},
        {"\"Sales\".\"Order Lines\"", 1, "m-sales-order-lines"},
        {"Orders", 3, "m-upper-orders"},
        {"order", 4, "m-order"},
        {"order-lines", 5, "m-order-lines"},
        {"orders", 6, "m-public-orders"},
        {"sales.orders", 7, "m-sales-orders"},
        {"plain", 8, "m-plain"},
        {"q1 totals", 9, "m-q1"},
        {"\"sales.orders\"", 10, "m-dotted"},
    };
    testenv::pgExec("CREATE SCHEMA sales;\nCREATE SCHEMA \"Sales\";\n"
                    "CREATE TABLE \"Sales\".\"Order Lines\" (\"Qty\" int, \"Unit Price\" text);\n"
                    "CREATE TABLE \"O'Brien items\" (\"O'Brien\" int, \"say \"\"hi\"\"\" text);\n"
                    "CREATE TABLE \"Orders\" (\"Id\" int, note text);\n"
                    "CREATE TABLE \"order\" (\"select\" int, \"user\" text);\n"
                    "CREATE TABLE \"order-lines\" (\"order\" int, \"Unit Price\" text);\n"
                    "CREATE TABLE orders (zeta int, alpha text);\n"
                    "CREATE TABLE sales.orders (id int, \"Net\" text);\n"
                    "CREATE TABLE plain (x int, y text);\n"
                    "CREATE TABLE \"q1 totals\" (\"from\" int, \"left\" text);\n"
                    "CREATE TABLE \"sales.orders\" (n int, dotted text);\n" +
                        inserts("\"Sales\".\"Order Lines\"", 1, "m-sales-order-lines") +
                        inserts("\"O'Brien items\"", 2, "m-obrien") + inserts("\"Orders\"", 3, "m-upper-orders") +
                        inserts("\"order\"", 4, "m-order") + inserts("\"order-lines\"", 5, "m-order-lines") +
                        inserts("orders", 6, "m-public-orders") + inserts("sales.orders", 7, "m-sales-orders") +
                        inserts("plain", 8, "m-plain") + inserts("\"q1 totals\"", 9, "m-q1") +
                        inserts("\"sales.orders\"", 10, "m-dotted"),
                    db);

    QTreeWidgetItem *root = connectPg();
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *database = child(root, db);
    ASSERT_NE(database, nullptr) << "the 63-character name is listed whole";
    click(database);
    std::vector<std::string> listed;
    for (const Table &t : tables)
        listed.push_back(t.listed);
    EXPECT_EQ(childNames(database), listed);
    for (const Table &t : tables)
        scriptAndRun(database, t);

    // Plain names are written as they are; the others quoted where they need it.
    select(child(database, "plain"));
    w->TreeViewPopupMenuPopup();
    w->mnuPopSelectAllToNewWithFullFields->trigger();
    EXPECT_EQ(editorLines(w->SQLPageControl->ActiveSQLTab()),
              (std::vector<std::string>{"select", "x", ",y", "from", "plain"}));
    select(child(database, "order"));
    w->TreeViewPopupMenuPopup();
    w->mnuPopSelectAllToNewWithFullFields->trigger();
    EXPECT_EQ(editorLines(w->SQLPageControl->ActiveSQLTab()),
              (std::vector<std::string>{"select", "\"select\"", ",\"user\"", "from", "\"order\""}));

    w->CloseAllTabs();
    testenv::pgExec("DROP DATABASE IF EXISTS " + db + " WITH (FORCE);\n");
}

TEST_F(ScriptedSelectTest, MariaDB)
{
    REQUIRE_MY();
    const std::string db = "tqd names-" + kRun;
    const std::vector<Table> tables = {
        {"O'Brien items", 1, "m-obrien"}, {"Orders", 2, "m-orders"},   {"order", 3, "m-order"},
        {"order-lines", 4, "m-order-lines"}, {"plain", 5, "m-plain"}, {"q1 totals", 6, "m-q1"},
        {"we`ird", 7, "m-weird"},
    };
    testenv::myExec("DROP DATABASE IF EXISTS `" + db + "`;\nCREATE DATABASE `" + db + "`;\nUSE `" + db + "`;\n" +
                    "CREATE TABLE `O'Brien items` (`O'Brien` int, `say \"hi\"` text);\n"
                    "CREATE TABLE Orders (Id int, note text);\n"
                    "CREATE TABLE `order` (`select` int, `key` text);\n"
                    "CREATE TABLE `order-lines` (`order` int, `Unit Price` text);\n"
                    "CREATE TABLE plain (x int, y text);\n"
                    "CREATE TABLE `q1 totals` (`from` int, `x-y` text);\n"
                    "CREATE TABLE `we``ird` (`a``b` int, `we``ird` text);\n" +
                    inserts("`O'Brien items`", 1, "m-obrien") + inserts("Orders", 2, "m-orders") +
                    inserts("`order`", 3, "m-order") + inserts("`order-lines`", 4, "m-order-lines") +
                    inserts("plain", 5, "m-plain") + inserts("`q1 totals`", 6, "m-q1") +
                    inserts("`we``ird`", 7, "m-weird"));

    QTreeWidgetItem *root = connectWith([](TqdServerConnection &c) { mySettings(c); });
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *database = child(root, db);
    ASSERT_NE(database, nullptr);
    click(database);
    for (const Table &t : tables)
        scriptAndRun(database, t);

    w->CloseAllTabs();
    testenv::myExec("DROP DATABASE IF EXISTS `" + db + "`;\n");
}

// Firebird lists its names blank-padded; tables hang under the server node.
TEST_F(ScriptedSelectTest, EmbeddedFirebird)
{
    const std::string path = testenv::tempDir() + "/names.fdb";
    const std::vector<Table> tables = {
        {"O'Brien items", 1, "m-obrien"}, {"ORDER", 2, "m-order"},  {"Orders", 3, "m-orders"},
        {"PLAIN", 4, "m-plain"},          {"order-lines", 5, "m-order-lines"}, {"q1 totals", 6, "m-q1"},
    };
    testenv::fbCreate(path, "create table \"O'Brien items\" (\"O'Brien\" integer, \"say \"\"hi\"\"\" varchar(20));\n"
                            "create table \"ORDER\" (\"SELECT\" integer, \"user\" varchar(20));\n"
                            "create table \"Orders\" (\"Id\" integer, NOTE varchar(20));\n"
                            "create table PLAIN (X integer, Y varchar(20));\n"
                            "create table \"order-lines\" (\"ORDER\" integer, \"Unit Price\" varchar(20));\n"
                            "create table \"q1 totals\" (\"FROM\" integer, \"left\" varchar(20));\n" +
                                inserts("\"O'Brien items\"", 1, "m-obrien") + inserts("\"ORDER\"", 2, "m-order") +
                                inserts("\"Orders\"", 3, "m-orders") + inserts("PLAIN", 4, "m-plain") +
                                inserts("\"order-lines\"", 5, "m-order-lines") + inserts("\"q1 totals\"", 6, "m-q1"));

    QTreeWidgetItem *root = connectWith([path](TqdServerConnection &c) {
        c.DBEngine = seFireBird;
        c.ServerName = path;
        c.UserName = "SYSDBA";
        c.Password.clear();
    });
    ASSERT_NE(root, nullptr);
    for (const Table &t : tables)
        scriptAndRun(root, t);
    w->CloseAllTabs();
}

// The Access fixtures hold plain names only: their statements stay as they were and run.
TEST_F(ScriptedSelectTest, AccessFile)
{
    QTreeWidgetItem *root = connectAccess();
    ASSERT_NE(root, nullptr);
    // The fixture's rows: Table1 and Table3 hold 4, Table2 3; "data" holds the text.
    for (const char *table : {"Table1", "Table2"}) {
        SCOPED_TRACE(table);
        QTreeWidgetItem *node = child(root, table);
        ASSERT_NE(node, nullptr);
        select(node);
        w->TreeViewPopupMenuPopup();
        w->mnuPopSelectAllToNewTab->trigger();
        ASSERT_NE(w->SQLPageControl->ActiveSQLTab(), nullptr);
        EXPECT_EQ(editorLines(w->SQLPageControl->ActiveSQLTab()),
                  (std::vector<std::string>{"select", "*", "from", table}));
        w->mnuRunSQL->trigger();
        EXPECT_TRUE(errorBoxes().empty());
        EXPECT_EQ(w->StatusText().toStdString(),
                  std::string("Info  : ") + (std::string(table) == "Table2" ? "3" : "4") + " Records fetched");
    }
    w->CloseAllTabs();
}

} // namespace

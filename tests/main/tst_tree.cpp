// The database tree against real engines: PostgreSQL (databases, tables,
// fields) and an Access file (tables straight under the server).
#include "main_fixture.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <unistd.h>
#include <QToolButton>

#include "f_TableMetaData.h"
#include "string_list.h"

using namespace mainfixture;

namespace {

// Names of this process's own: ctest runs cases side by side.
const std::string TreeDbName = "tabulon_main_tree_" + std::to_string(getpid());
const std::string EmptyDbName = "tabulon_main_empty_" + std::to_string(getpid());
const char *const TreeDb = TreeDbName.c_str();
const char *const EmptyDb = EmptyDbName.c_str();

class MainTreeTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!testenv::pgAvailable())
            return;
        testenv::pgExec(std::string("DROP DATABASE IF EXISTS ") + TreeDb + " WITH (FORCE);\n" +
                        "DROP DATABASE IF EXISTS " + EmptyDb + " WITH (FORCE);\n" + "CREATE DATABASE " + TreeDb +
                        ";\n" + "CREATE DATABASE " + EmptyDb + ";\n");
        testenv::pgExec("CREATE TABLE alpha (id integer, name text, price numeric);\n"
                        "CREATE TABLE beta (x integer);\n",
                        TreeDb);
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (testenv::pgAvailable())
            testenv::pgExec(std::string("DROP DATABASE IF EXISTS ") + TreeDb + " WITH (FORCE);\n" +
                            "DROP DATABASE IF EXISTS " + EmptyDb + " WITH (FORCE);\n");
    }

    QTreeWidgetItem *db(QTreeWidgetItem *root, const char *name)
    {
        return childNamed(root, QString::fromLatin1(name));
    }

    static std::string currentDatabase(TqdServerConnection *c)
    {
        ado::TADODataSet *q = c->OpenQuery("select current_database()");
        const std::string name = q->Fields(0).AsString();
        c->ReleaseQuery(q);
        return name;
    }
};

std::string pgNodeText() { return " " + testenv::pgSocket() + " (" + testenv::pgUser() + ")"; }

} // namespace

TEST_F(MainTreeTest, ConnectsThroughTheConnectDialog)
{
    REQUIRE_PG();
    w->ConnectDialogRunner = [](TFrmConnect &dialog) { return dialog.exec() == QDialog::Accepted; };
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<TFrmConnect *>(QApplication::activeModalWidget());
        if (!d)
            return;
        d->cmbServerEngine->setCurrentIndex(d->cmbServerEngine->findText(QStringLiteral("PostGre")));
        d->cmbServerEngineSelect();
        d->cmbServerName->setEditText(QString::fromStdString(testenv::pgSocket()));
        d->cmbUserName->setEditText(QString::fromStdString(testenv::pgUser()));
        d->cmbPassword->setText(QString::fromStdString(testenv::pgPassword()));
        d->edtPortNumber->setText(QString::number(testenv::pgPort()));
        d->edtDataBaseName->setText(QString::fromStdString(testenv::pgDatabase()));
        filled = true;
        d->btnConnect->click();
    });
    // Whatever happens, the dialog does not stay up.
    QTimer::singleShot(20000, [] {
        if (auto *d = qobject_cast<TFrmConnect *>(QApplication::activeModalWidget()))
            d->reject();
    });
    w->mnuConnect->trigger();
    ASSERT_TRUE(filled);
    ASSERT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1) << "connect dialog messages: " << messages.size();
    QTreeWidgetItem *root = w->DataBaseTreeView->topLevelItem(0);
    EXPECT_EQ(root->text(0).toStdString(), pgNodeText());
    EXPECT_EQ(w->NodeEngine(root), sePostGre);
    EXPECT_EQ(root->icon(0).cacheKey(), w->TreeviewImageList[0].cacheKey());
    // Databases, collapsed and not yet filled.
    ASSERT_NE(db(root, TreeDb), nullptr);
    ASSERT_NE(db(root, "tabulon_test"), nullptr);
    EXPECT_FALSE(root->isExpanded());
    for (int i = 0; i < root->childCount(); ++i) {
        EXPECT_EQ(root->child(i)->childCount(), 0);
        EXPECT_EQ(root->child(i)->icon(0).cacheKey(), w->TreeviewImageList[1].cacheKey());
    }
    EXPECT_TRUE(w->toolbtnDisconnect->isEnabled());
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTreeTest, AFailingFillKeepsTheServerNodeAndReportsTheError)
{
    REQUIRE_PG();
    EXPECT_EQ(connectWith(nullptr), nullptr); // cancelled: nothing added
    EXPECT_FALSE(w->toolbtnDisconnect->isEnabled());

    QTreeWidgetItem *root = connectWith([](TqdServerConnection &c) {
        pgSettings(c);
        c.Password = "not-the-password";
    });
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->childCount(), 0);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_FALSE(errorBoxes()[0].text.isEmpty());
    EXPECT_TRUE(w->toolbtnDisconnect->isEnabled());
    EXPECT_TRUE(w->isVisible());

    // The next click tries again.
    w->NodeConnection(root)->Password = testenv::pgPassword();
    click(root);
    EXPECT_NE(db(root, TreeDb), nullptr);
    EXPECT_EQ(errorBoxes().size(), 1u);
}

TEST_F(MainTreeTest, ClicksFillOneLevelOfDatabasesTablesAndFields)
{
    REQUIRE_PG();
    QTreeWidgetItem *root = connectPg();
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *tree = db(root, TreeDb);
    ASSERT_NE(tree, nullptr);

    click(tree);
    EXPECT_EQ(childTexts(tree), (std::vector<QString>{"alpha", "beta"}));
    EXPECT_FALSE(tree->isExpanded());
    EXPECT_EQ(w->NodeConnection(root)->DataBaseName, TreeDb);
    EXPECT_EQ(tree->child(0)->icon(0).cacheKey(), w->TreeviewImageList[2].cacheKey());

    tree->setExpanded(true);
    QTreeWidgetItem *alpha = tree->child(0);
    click(alpha);
    EXPECT_EQ(childTexts(alpha), (std::vector<QString>{"id", "name", "price"}));
    EXPECT_EQ(alpha->child(0)->icon(0).cacheKey(), w->TreeviewImageList[3].cacheKey());
    alpha->setExpanded(true);
    click(alpha->child(1)); // a field: nothing
    EXPECT_EQ(alpha->child(1)->childCount(), 0);

    // A keyboard move fills nothing; the next click anywhere fills the selected node.
    select(alpha);
    w->DataBaseTreeView->setFocus();
    alpha->setExpanded(false);
    QTest::keyClick(w->DataBaseTreeView, Qt::Key_Down);
    ASSERT_EQ(w->SelectedNode(), tree->child(1));
    EXPECT_EQ(tree->child(1)->childCount(), 0);
    clickEmptySpace();
    EXPECT_EQ(w->SelectedNode(), tree->child(1));
    EXPECT_EQ(childTexts(tree->child(1)), (std::vector<QString>{"x"}));

    // A database without tables is asked again at every click.
    QTreeWidgetItem *empty = db(root, EmptyDb);
    click(empty);
    EXPECT_EQ(empty->childCount(), 0);
    testenv::pgExec("CREATE TABLE late (y integer);", EmptyDb);
    click(empty);
    EXPECT_EQ(childTexts(empty), (std::vector<QString>{"late"}));
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTreeTest, AnAccessFileShowsItsTablesUnderTheServer)
{
    QTreeWidgetItem *root = connectAccess();
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(errorBoxes().empty()) << errorBoxes()[0].text.toStdString();
    EXPECT_EQ(root->text(0).toStdString(), " " + accessFile() + " ()");
    EXPECT_EQ(childTexts(root), (std::vector<QString>{"Table1", "Table2", "Table3"}));
    EXPECT_EQ(root->child(1)->icon(0).cacheKey(), w->TreeviewImageList[2].cacheKey());
    root->setExpanded(true);
    QTreeWidgetItem *table2 = root->child(1);
    click(table2);
    // The fields as the catalogue lists them, in its order.
    TStringList fields;
    w->NodeConnection(root)->ListFields(&fields, "", "Table2");
    std::vector<QString> expected;
    for (const std::string &f : fields.items())
        expected.push_back(QString::fromStdString(f));
    EXPECT_EQ(expected.size(), 2u);
    EXPECT_EQ(childTexts(table2), expected);
    EXPECT_EQ(table2->child(0)->icon(0).cacheKey(), w->TreeviewImageList[3].cacheKey());
    EXPECT_FALSE(table2->isExpanded());
}

TEST_F(MainTreeTest, RefreshReloadsAndKeepsTheExpandedState)
{
    REQUIRE_PG();
    QTreeWidgetItem *root = connectPg();
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *tree = db(root, TreeDb);
    click(tree);
    tree->setExpanded(true);
    click(tree->child(0));
    tree->child(0)->setExpanded(true);
    testenv::pgExec("CREATE TABLE gamma (z integer);", TreeDb);

    select(tree);
    w->mnuPopRefresh->trigger();
    EXPECT_EQ(childTexts(tree), (std::vector<QString>{"alpha", "beta", "gamma"}));
    EXPECT_TRUE(tree->isExpanded());
    EXPECT_EQ(tree->child(0)->childCount(), 0);
    EXPECT_FALSE(tree->child(0)->isExpanded());

    tree->setExpanded(false);
    testenv::pgExec("DROP TABLE gamma;", TreeDb);
    w->mnuPopRefresh->trigger();
    EXPECT_EQ(childTexts(tree), (std::vector<QString>{"alpha", "beta"}));
    EXPECT_FALSE(tree->isExpanded());
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTreeTest, DisconnectClosesTheTabsOfThatServerNameAndReleasesItsConnection)
{
    REQUIRE_PG();
    QTreeWidgetItem *first = connectPg();
    QTreeWidgetItem *second = connectPg();
    QTreeWidgetItem *access = connectAccess();
    ASSERT_TRUE(first && second && access);
    openTabOn(first);
    openTabOn(second);
    TqdSQLTab *other = openTabOn(access);
    TqdSQLTab *shouting = openTabOn(first);
    ASSERT_EQ(w->SQLPageControl->PageCount(), 4);
    // The same server spelt in capitals counts as the same server.
    shouting->ServerConnection->ServerName = QString::fromStdString(testenv::pgSocket()).toUpper().toStdString();
    shouting->SynMemo->Lines().Add("select 1");

    QPointer<TqdServerConnection> released = w->NodeConnection(first);
    QPointer<TqdServerConnection> kept = w->NodeConnection(second);
    select(first->child(0));
    w->mnuDisconnect->trigger();

    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(w->SQLPageControl->SQLTab(0), other);
    ASSERT_EQ(messages.size(), 1u); // the save question of the tab with text
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 2);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItem(0), second);
    EXPECT_TRUE(released.isNull());
    EXPECT_FALSE(kept.isNull());
    EXPECT_EQ(w->lblConnectionInfo->text(), TqdSQLPageControl::fileNamePart(accessFile()));
    EXPECT_TRUE(w->toolbtnDisconnect->isEnabled());

    select(access);
    w->mnuDisconnect->trigger();
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_TRUE(w->lblConnectionInfo->text().isEmpty());
    select(second);
    w->mnuDisconnect->trigger();
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(w->toolbtnDisconnect->isEnabled());
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTreeTest, DisconnectStopsWhenTheUserKeepsATab)
{
    REQUIRE_PG();
    QTreeWidgetItem *root = connectPg();
    ASSERT_NE(root, nullptr);
    TqdSQLTab *tab = openTabOn(root);
    tab->SynMemo->Lines().Add("select 1");
    answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::Yes; };
    select(root);
    w->mnuDisconnect->trigger(); // Yes, then the save dialog is cancelled
    EXPECT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1);
    EXPECT_EQ(editorLines(tab), (std::vector<std::string>{"select 1"}));
}

TEST_F(MainTreeTest, ADatabaseClickMovesTheActiveTabOnlyWhenItRunsOnThatServer)
{
    REQUIRE_PG();
    QTreeWidgetItem *pg = connectPg();
    QTreeWidgetItem *access = connectAccess();
    ASSERT_TRUE(pg && access);

    TqdSQLTab *accessTab = openTabOn(access);
    click(db(pg, TreeDb));
    EXPECT_EQ(accessTab->ServerConnection->DataBaseName, "");
    EXPECT_TRUE(accessTab->ServerConnection->Connected());

    TqdSQLTab *pgTab = openTabOn(pg);
    for (const char *name : {"tabulon_test", TreeDb}) {
        click(db(pg, name));
        EXPECT_EQ(pgTab->ServerConnection->DataBaseName, name);
        EXPECT_EQ(currentDatabase(pgTab->ServerConnection), name);
    }
    // Refresh leaves the tab alone.
    select(db(pg, "tabulon_test"));
    w->mnuPopRefresh->trigger();
    EXPECT_EQ(pgTab->ServerConnection->DataBaseName, TreeDb);
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTreeTest, PopupItemsFollowTheNodeLevelAndEngine)
{
    REQUIRE_PG();
    QTreeWidgetItem *pg = connectPg();
    QTreeWidgetItem *access = connectAccess();
    ASSERT_TRUE(pg && access);
    QTreeWidgetItem *tree = db(pg, TreeDb);
    click(tree);
    click(tree->child(0));
    click(access->child(1));

    struct Case {
        const char *what;
        QTreeWidgetItem *node;
        bool newTab, metaData;
    };
    const Case cases[] = {
        {"pg server", pg, false, false},
        {"pg database", tree, false, true},
        {"pg table", tree->child(0), true, false},
        {"pg field", tree->child(0)->child(0), false, false},
        {"access server", access, false, true},
        {"access table", access->child(1), true, false},
        {"access field", access->child(1)->child(0), false, false},
    };
    for (const bool withTab : {false, true}) {
        if (withTab)
            openTabOn(access);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.what) + (withTab ? ", tab open" : ", no tab"));
            select(c.node);
            w->TreeViewPopupMenuPopup();
            EXPECT_EQ(w->mnuPopSelectAllToNewTab->isEnabled(), c.newTab);
            EXPECT_EQ(w->mnuPopSelectAllToNewWithFullFields->isEnabled(), c.newTab);
            EXPECT_EQ(w->mnuPopSelectAllToActiveTab->isEnabled(), c.newTab && withTab);
            EXPECT_EQ(w->mnuPopSelectAllToActiveTabWithFullFieldNames->isEnabled(), c.newTab && withTab);
            EXPECT_EQ(w->mnuViewDataBaseMetaData->isEnabled(), c.metaData);
            for (QAction *a : {w->mnuPopConnect, w->mnuPopDiconnect, w->ScriptSQL1, w->mnuSearchServerEngineSchema,
                               w->mnuPopRefresh})
                EXPECT_TRUE(a->isEnabled());
        }
    }
}

TEST_F(MainTreeTest, ARightClickSelectsTheNodeWithoutFillingIt)
{
    REQUIRE_PG();
    QTreeWidgetItem *pg = connectPg();
    ASSERT_NE(pg, nullptr);
    pg->setExpanded(true);
    QTreeWidgetItem *target = db(pg, TreeDb);
    select(pg);
    bool popupSeen = false, metaDataEnabled = false;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            popupSeen = menu == w->TreeViewPopupMenu;
            metaDataEnabled = w->mnuViewDataBaseMetaData->isEnabled();
            menu->close();
        }
    });
    const QPoint at = w->DataBaseTreeView->visualItemRect(target).center();
    QWidget *viewport = w->DataBaseTreeView->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &menuEvent);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_TRUE(popupSeen);
    EXPECT_TRUE(metaDataEnabled);
    EXPECT_EQ(w->SelectedNode(), target);
    EXPECT_EQ(target->childCount(), 0);
}

TEST_F(MainTreeTest, MetaDataOpensAWindowCaptionedWithTheNode)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    select(access);
    w->mnuViewDataBaseMetaData->trigger();
    const auto windows = w->findChildren<TFrmTableMetadata *>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("MetaData for ") + access->text(0));
    EXPECT_EQ(windows[0]->ServerConnection->ServerName, accessFile());
    windows[0]->close();
}

// PostgreSQL and MariaDB on one host: disconnecting one server closes the
// tabs of that engine, host (in any letter case), user and port only.
TEST_F(MainTreeTest, DisconnectClosesOnlyTheTabsOfThatServer)
{
    REQUIRE_PG();
    REQUIRE_MY();
    QTreeWidgetItem *pg = connectWith([](TqdServerConnection &c) {
        pgSettings(c);
        c.ServerName = "127.0.0.1";
    });
    QTreeWidgetItem *my = connectWith([](TqdServerConnection &c) { mySettings(c, "127.0.0.1"); });
    ASSERT_TRUE(pg && my);
    TqdSQLTab *mariaDbTab = openTabOn(my);
    TqdSQLTab *pgTab = openTabOn(pg);
    // Tabs whose settings name another user or port of the same host, or the
    // same server spelt otherwise (a tab does not reconnect when its settings change).
    TqdSQLTab *otherUser = openTabOn(pg);
    otherUser->ServerConnection->UserName = "someone_else";
    TqdSQLTab *otherPort = openTabOn(pg);
    otherPort->ServerConnection->Port = testenv::pgPort() + 1;
    TqdSQLTab *spelt = openTabOn(pg);
    spelt->ServerConnection->ServerName = "127.0.0.1";
    for (TqdSQLTab *tab : {mariaDbTab, pgTab, otherUser, otherPort, spelt})
        tab->SynMemo->Lines().Add("select 1");
    ASSERT_EQ(w->SQLPageControl->PageCount(), 5);
    ASSERT_EQ(pgTab->ServerConnection->ServerName, "127.0.0.1");

    select(pg);
    w->mnuDisconnect->trigger();
    // Asked about and closed: the two tabs of the PostgreSQL server only.
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_EQ(w->SQLPageControl->PageCount(), 3);
    EXPECT_EQ(w->SQLPageControl->SQLTab(0), mariaDbTab);
    EXPECT_EQ(w->SQLPageControl->SQLTab(1), otherUser);
    EXPECT_EQ(w->SQLPageControl->SQLTab(2), otherPort);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1);
    EXPECT_TRUE(errorBoxes().empty());
}

// From a database node the window opens its connection on that database,
// whichever database the server's node loaded last; from the server node on
// the server's own.
TEST_F(MainTreeTest, MetaDataOfADatabaseNodeShowsThatDatabase)
{
    REQUIRE_PG();
    QTreeWidgetItem *pg = connectPg();
    ASSERT_NE(pg, nullptr);
    QTreeWidgetItem *tree = db(pg, TreeDb);
    ASSERT_NE(tree, nullptr);
    click(db(pg, EmptyDb)); // the server's connection now stands on the empty database

    struct Case {
        QTreeWidgetItem *node;
        std::string database;            // the window's connection's
        std::vector<std::string> tables; // what "Tables & Views" shows of the public schema
    };
    const Case cases[] = {
        {tree, TreeDb, {"alpha", "beta"}},
        {pg, EmptyDb, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.node->text(0).toStdString());
        select(c.node);
        w->mnuViewDataBaseMetaDataClick(); // the popup offers it on database nodes only
        auto windows = w->findChildren<TFrmTableMetadata *>();
        ASSERT_EQ(windows.size(), 1);
        TFrmTableMetadata *window = windows[0];
        EXPECT_EQ(window->windowTitle(), QStringLiteral("MetaData for ") + c.node->text(0));
        EXPECT_EQ(window->ServerConnection->DataBaseName, c.database);
        window->cmbTableMetaData->setCurrentIndex(0); // Tables & Views
        window->btnShowMetaData->click();
        ado::TADODataSet *rows = window->dsTableMetaData->DataSet();
        ASSERT_TRUE(rows && rows->rowSet());
        const int catalog = rows->rowSet()->fieldIndex("TABLE_CATALOG");
        const int schema = rows->rowSet()->fieldIndex("TABLE_SCHEMA");
        const int name = rows->rowSet()->fieldIndex("TABLE_NAME");
        std::vector<std::string> tables;
        for (long long r = 0; r < rows->rowSet()->rowCount(); ++r) {
            EXPECT_EQ(rows->rowSet()->value(r, catalog), c.database);
            if (rows->rowSet()->value(r, schema) == "public")
                tables.push_back(rows->rowSet()->value(r, name));
        }
        std::sort(tables.begin(), tables.end());
        EXPECT_EQ(tables, c.tables);
        delete window;
    }
    EXPECT_TRUE(errorBoxes().empty());
}

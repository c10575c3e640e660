// Tab, edit, file and script commands of the main window, on real engines.
#include "main_fixture.h"

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QToolButton>

#include <unistd.h>

#include "o_AppInfo.h"
#include "string_list.h"

using namespace mainfixture;

namespace {

// A name of this process's own: ctest runs cases side by side.
const std::string TabsDbName = "tabulon_main_tabs_" + std::to_string(getpid());
const char *const TabsDb = TabsDbName.c_str();

class MainTabsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!testenv::pgAvailable())
            return;
        testenv::pgExec(std::string("DROP DATABASE IF EXISTS ") + TabsDb + " WITH (FORCE);\nCREATE DATABASE " +
                        TabsDb + ";\n");
        testenv::pgExec("CREATE TABLE items (id integer, name text, price numeric);\n"
                        "INSERT INTO items VALUES (1, 'a', 1.5), (2, 'b', 2.5), (3, 'c', 3.5);\n"
                        "CREATE TABLE nocols ();\n",
                        TabsDb);
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (testenv::pgAvailable())
            testenv::pgExec(std::string("DROP DATABASE IF EXISTS ") + TabsDb + " WITH (FORCE);\n");
    }

    // The tree's node of a table in the tabs database.
    QTreeWidgetItem *tableNode(QTreeWidgetItem *root, const char *table)
    {
        QTreeWidgetItem *db = childNamed(root, QString::fromLatin1(TabsDb));
        if (!db)
            return nullptr;
        click(db);
        return childNamed(db, QString::fromLatin1(table));
    }

    QString caption(int index) { return w->SQLPageControl->SQLTab(index)->Caption(); }

    void fillWithText(TqdSQLTab *tab, const std::string &text) { tab->SynMemo->Lines().Add(text); }
};

QString pgNodeText() { return QString::fromStdString(" " + testenv::pgSocket() + " (" + testenv::pgUser() + ")"); }

} // namespace

TEST_F(MainTabsTest, SelectScriptsWriteTheTablesStatement)
{
    REQUIRE_PG();
    QTreeWidgetItem *root = connectPg(TabsDb);
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *items = tableNode(root, "items");
    ASSERT_NE(items, nullptr);

    struct Case {
        QAction *command;
        bool newTab;
        std::vector<std::string> added;
    };
    const std::vector<std::string> star{"select", "*", "from", "items"};
    const std::vector<std::string> full{"select", "id", ",name", ",price", "from", "items"};
    const Case cases[] = {
        {w->mnuPopSelectAllToNewTab, true, star},
        {w->mnuPopSelectAllToNewWithFullFields, true, full},
        {w->mnuPopSelectAllToActiveTab, false, star},
        {w->mnuPopSelectAllToActiveTabWithFullFieldNames, false, full},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command->objectName().toStdString());
        TqdSQLTab *mine = openTabOn(root);
        fillWithText(mine, "-- mine");
        const QString mineCaption = mine->Caption();
        const int before = w->SQLPageControl->PageCount();
        select(items);
        w->TreeViewPopupMenuPopup();
        c.command->trigger();
        TqdSQLTab *target = w->SQLPageControl->ActiveSQLTab();
        std::vector<std::string> expected = c.added;
        if (c.newTab) {
            EXPECT_EQ(w->SQLPageControl->PageCount(), before + 1);
            EXPECT_NE(target, mine);
        } else {
            EXPECT_EQ(w->SQLPageControl->PageCount(), before);
            EXPECT_EQ(target, mine);
            expected.insert(expected.begin(), "-- mine");
            EXPECT_EQ(mine->Caption(), mineCaption);
        }
        EXPECT_EQ(editorLines(target), expected);
        EXPECT_FALSE(target->Saved);
    }

    // A second statement goes under the first; a table without fields lists none.
    TqdSQLTab *tab = w->SQLPageControl->ActiveSQLTab();
    QTreeWidgetItem *nocols = childNamed(items->parent(), QStringLiteral("nocols"));
    ASSERT_NE(nocols, nullptr);
    tab->SynMemo->Lines().Clear();
    select(nocols);
    w->TreeViewPopupMenuPopup();
    w->mnuPopSelectAllToActiveTabWithFullFieldNames->trigger();
    w->mnuPopSelectAllToActiveTab->trigger();
    EXPECT_EQ(editorLines(tab),
              (std::vector<std::string>{"select", "from", "nocols", "select", "*", "from", "nocols"}));

    // Not a table: the popup disables the items, and the command itself does nothing.
    const int before = w->SQLPageControl->PageCount();
    select(items->parent());
    w->TreeViewPopupMenuPopup();
    EXPECT_FALSE(w->mnuPopSelectAllToNewTab->isEnabled());
    w->mnuPopSelectAllToNewTabClick();
    EXPECT_EQ(w->SQLPageControl->PageCount(), before);
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTabsTest, AccessFieldsAreScriptedFromTheFile)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    select(access->child(1));
    w->TreeViewPopupMenuPopup();
    w->mnuPopSelectAllToNewWithFullFields->trigger();
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    // The fields in the order the catalogue gives them.
    TStringList fields;
    w->NodeConnection(access)->ListFields(&fields, "", "Table2");
    ASSERT_EQ(fields.Count(), 2);
    EXPECT_EQ(editorLines(w->SQLPageControl->ActiveSQLTab()),
              (std::vector<std::string>{"select", fields[0], "," + fields[1], "from", "Table2"}));
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTabsTest, TabCaptionsCountTheOpenTabs)
{
    REQUIRE_PG();
    QTreeWidgetItem *pg = connectPg();
    QTreeWidgetItem *access = connectAccess();
    ASSERT_TRUE(pg && access);

    // No node selected: the first server is taken and selected.
    w->DataBaseTreeView->clearSelection();
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(caption(0), pgNodeText() + " Query1*");
    EXPECT_EQ(w->SelectedNode(), pg);
    EXPECT_EQ(w->lblConnectionInfo->text(), TqdSQLPageControl::fileNamePart(testenv::pgSocket()));
    EXPECT_TRUE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_TRUE(w->toolbtnRunSQL->isEnabled());

    // A field node opens on its server.
    click(access->child(0));
    select(access->child(0)->child(0));
    w->mnuNewTab->trigger();
    ASSERT_EQ(w->SQLPageControl->PageCount(), 2);
    EXPECT_EQ(caption(1), access->text(0) + " Query2*");
    EXPECT_EQ(w->SQLPageControl->ActiveSQLTab()->ServerConnection->ServerName, accessFile());

    // The number is the count of open tabs.
    w->SQLPageControl->SetActivePageIndex(0);
    w->mnuCloseTab->trigger();
    openTabOn(pg);
    ASSERT_EQ(w->SQLPageControl->PageCount(), 2);
    EXPECT_EQ(caption(1), pgNodeText() + " Query2*");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainTabsTest, CloseCommandsAskForUnsavedTextLastTabFirst)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    for (int i = 0; i < 5; ++i)
        openTabOn(access);
    // "Close all but active" with tab 2 active keeps only that tab.
    TqdSQLTab *active = w->SQLPageControl->SQLTab(2);
    w->SQLPageControl->SetActivePageIndex(2);
    w->mnuCloseallbutactive->trigger();
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(w->SQLPageControl->SQLTab(0), active);
    EXPECT_TRUE(messages.empty()); // empty editors ask nothing

    for (int i = 0; i < 3; ++i)
        openTabOn(access);
    fillWithText(w->SQLPageControl->SQLTab(1), "select 1");
    w->SQLPageControl->SQLTab(3)->SynMemo->Lines().SetText("\r\n"); // two empty lines: not empty
    const QString first = caption(1), last = caption(3);
    QTest::keyClick(w.get(), Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Save SQL from [ " + last + " ] ");
    EXPECT_EQ(messages[1].text, "Save SQL from [ " + first + " ] ");
    EXPECT_EQ(messages[0].caption, appinfo::applicationTitle());
    EXPECT_EQ(messages[0].owner, w.get());
    EXPECT_EQ(messages[0].icon, QMessageBox::Question);
    EXPECT_EQ(messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(messages[0].escapeButton, QMessageBox::Cancel);
    EXPECT_EQ(messages[0].defaultButton, QMessageBox::No);
    EXPECT_FALSE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_FALSE(w->toolbtnRunSQL->isEnabled());
}

TEST_F(MainTabsTest, YesSavesTheTabAndACancelledSaveKeepsIt)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    TqdSQLTab *kept = openTabOn(access);
    TqdSQLTab *saved = openTabOn(access);
    fillWithText(kept, "select 'kept'");
    fillWithText(saved, "select 'saved'");
    answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::Yes; };

    // The last tab is saved and closed; the save dialog of the next one is cancelled.
    const QString file = QString::fromStdString(testenv::tempDir()) + "/saved";
    fileAnswers.push_back({true, file, 1});
    w->mnuCloseallTabs->trigger();
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[0].mode, prompts::FileMode::Save);
    EXPECT_EQ(fileRequests[0].title, QStringLiteral("Save SQL..."));
    EXPECT_EQ(fileRequests[0].filter, QStringLiteral("SQL Script Files|*.sql|Text Files|*.txt|All Files|*.*"));
    EXPECT_EQ(fileRequests[0].defaultExt, QStringLiteral(".sql"));
    EXPECT_TRUE(fileRequests[0].confirmOverwrite);
    QFile written(file + ".sql");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("select 'saved'"));
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    EXPECT_EQ(w->SQLPageControl->SQLTab(0), kept);
    EXPECT_EQ(editorLines(kept), (std::vector<std::string>{"select 'kept'"}));

    // Closing the window: the save is cancelled again, so the window stays open.
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->SQLPageControl->PageCount(), 1);

    // A save that fails reports it and keeps the tab.
    fileAnswers.push_back({true, QString::fromStdString(testenv::tempDir()) + "/no/such/folder/x.sql", 1});
    w->mnuCloseTab->trigger();
    EXPECT_EQ(errorBoxes().size(), 1u);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 1);

    // No: the window closes and nothing is written.
    answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::No; };
    const size_t asked = fileRequests.size();
    EXPECT_TRUE(w->close());
    EXPECT_EQ(fileRequests.size(), asked);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
}

TEST_F(MainTabsTest, RunWritesTheOutcomeToTheStatusLine)
{
    REQUIRE_PG();
    QTreeWidgetItem *root = connectPg(TabsDb);
    ASSERT_NE(root, nullptr);
    TqdSQLTab *tab = openTabOn(root);
    ASSERT_NE(tab, nullptr);
    struct Case {
        const char *sql, *status;
    };
    const Case cases[] = {
        {"SELECT * FROM items", "Info  : 3 Records fetched"},
        {"update items set price = price where id < 3", "Info  : 2 Records Affected"},
        {"update items set price = price where id > 100", "Info  : Commands executed successfully..."},
    };
    for (const Case &c : cases) {
        tab->SynMemo->Lines().Clear();
        fillWithText(tab, c.sql);
        w->DataBaseTreeView->setFocus();
        QTest::keyClick(w.get(), Qt::Key_F5);
        EXPECT_EQ(w->StatusText().toStdString(), c.status) << c.sql;
    }
    EXPECT_TRUE(messages.empty());

    // A provider's error reaches the error box; the status line keeps its text.
    tab->SynMemo->Lines().Clear();
    fillWithText(tab, "delete from no_such_table");
    w->mnuRunSQL->trigger();
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].text.contains("no_such_table")) << errorBoxes()[0].text.toStdString();
    EXPECT_EQ(errorBoxes()[0].caption, appinfo::applicationTitle());
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : Commands executed successfully..."));

    // The program goes on: a blank tab asks for text and reports the last caught error (none).
    tab->SynMemo->Lines().Clear();
    w->mnuRunSQL->trigger();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("No Database is selected!"));
    EXPECT_EQ(w->StatusText(), QStringLiteral("Error : "));
    fillWithText(tab, "select name from items where id = 2");
    w->mnuRunSQL->trigger();
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 1 Records fetched"));
}

TEST_F(MainTabsTest, ShortcutsActOnTheActiveEditorWhereverTheFocusIs)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    TqdSQLTab *tab = openTabOn(access);
    fillWithText(tab, "first");
    fillWithText(tab, "second");
    TqdSynMemo *editor = tab->SynMemo;

    // Copy with the tree focused.
    editor->selectAll();
    w->DataBaseTreeView->setFocus();
    QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first\r\nsecond"));

    // Paste in the editor happens once.
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    editor->setFocus();
    editor->setCursorPosition(1, 6);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editorLines(tab), (std::vector<std::string>{"first", "secondXY"}));
    EXPECT_FALSE(tab->Saved);

    // Ctrl+T in the editor opens a tab; the editor's lines stay as they are.
    QTest::keyClick(editor, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 2);
    EXPECT_EQ(editorLines(tab), (std::vector<std::string>{"first", "secondXY"}));

    // Cut and delete through the menu act on the active tab's selection.
    w->SQLPageControl->SetActivePage(tab);
    editor->setSelection(0, 0, 0, 5);
    w->mnuCut->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first"));
    editor->setSelection(1, 0, 1, 6);
    w->mnuDelete->trigger();
    EXPECT_EQ(editorLines(tab), (std::vector<std::string>{"", "XY"}));
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(MainTabsTest, OpenScriptOpensATabFirstWhenNoneIsActive)
{
    QTreeWidgetItem *access = connectAccess();
    ASSERT_NE(access, nullptr);
    const QString file = QString::fromStdString(testenv::tempDir()) + "/script.sql";
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("select *\r\nfrom Table1");
    out.close();
    fileAnswers.push_back({true, file, 1});
    w->DataBaseTreeView->clearSelection();
    w->mnuOpenSQLScript->trigger();
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    TqdSQLTab *tab = w->SQLPageControl->ActiveSQLTab();
    EXPECT_EQ(editorLines(tab), (std::vector<std::string>{"select *", "from Table1"}));
    EXPECT_TRUE(tab->Saved);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].mode, prompts::FileMode::Open);
    EXPECT_EQ(fileRequests[0].filter, QStringLiteral("SQL Script Files|*.sql|Text Files|*.txt|All Files|*.*"));

    // Saving a saved tab shows no dialog.
    w->mnuSaveSQLScript->trigger();
    EXPECT_EQ(fileRequests.size(), 1u);
}

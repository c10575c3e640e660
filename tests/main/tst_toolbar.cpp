// The toolbar's buttons, clicked with the mouse: each runs its command and
// the buttons follow the tree and the tabs.
#include "main_fixture.h"

#include <QToolButton>

using namespace mainfixture;

TEST_F(MainWindowTest, ToolbarButtonsRunTheirCommands)
{
    auto clickButton = [](QToolButton *button) {
        ASSERT_TRUE(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    };

    // Connect: the connect dialog, then a server node.
    nextServer = [](TqdServerConnection &c) { accessSettings(c); };
    clickButton(w->toolBtnConnect);
    nextServer = nullptr;
    EXPECT_EQ(connectDialogs, 1);
    ASSERT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1);
    EXPECT_TRUE(w->toolbtnDisconnect->isEnabled());
    EXPECT_FALSE(w->toolbtnRunSQL->isEnabled());

    // New Tab opens a tab on the server and enables Close and Run.
    clickButton(w->toolbtnNewTab);
    ASSERT_EQ(w->SQLPageControl->PageCount(), 1);
    TqdSQLTab *tab = w->SQLPageControl->ActiveSQLTab();
    EXPECT_EQ(tab->ServerConnection->ServerName, accessFile());
    EXPECT_TRUE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_TRUE(w->toolbtnRunSQL->isEnabled());

    // Run SQL runs the active tab into the status line.
    tab->SynMemo->Lines().Add("select * from Table1");
    clickButton(w->toolbtnRunSQL);
    EXPECT_TRUE(w->StatusText().startsWith("Info  : ")) << w->StatusText().toStdString();
    EXPECT_TRUE(w->StatusText().endsWith(" Records fetched")) << w->StatusText().toStdString();

    // Close active tab asks about the text (answered No) and closes it.
    clickButton(w->toolbtnCloseActiveTab);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_FALSE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_FALSE(w->toolbtnRunSQL->isEnabled());

    // Disconnect removes the selected server.
    select(w->DataBaseTreeView->topLevelItem(0));
    clickButton(w->toolbtnDisconnect);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(w->toolbtnDisconnect->isEnabled());
    EXPECT_TRUE(errorBoxes().empty());
}

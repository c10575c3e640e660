// The main window without a server: start-up state, menus, popup, help.
#include "main_fixture.h"

#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "fit_check.h"
#include "o_AppInfo.h"

using mainfixture::MainWindowTest;

TEST_F(MainWindowTest, StartsEmptyWithTheTabButtonsDisabled)
{
    EXPECT_EQ(w->windowTitle(), appinfo::applicationTitle());
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_EQ(w->SQLPageControl->parentWidget(), w->PageControlPanel);
    EXPECT_EQ(w->SQLPageControl->ConnInfoLabel(), w->lblConnectionInfo);
    EXPECT_TRUE(w->toolBtnConnect->isEnabled());
    EXPECT_FALSE(w->toolbtnDisconnect->isEnabled());
    EXPECT_TRUE(w->toolbtnNewTab->isEnabled());
    EXPECT_FALSE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_FALSE(w->toolbtnRunSQL->isEnabled());
    EXPECT_TRUE(w->lblConnectionInfo->text().isEmpty());
    EXPECT_TRUE(w->StatusText().isEmpty());

    // F5, Terminate, Close Tab and the edit commands with nothing open do nothing.
    QTest::keyClick(w.get(), Qt::Key_F5);
    for (QAction *a : {w->mnuRunSQL, w->mnuTerminate, w->mnuCloseTab, w->mnuCloseallTabs, w->mnuCloseallbutactive,
                       w->mnuCut, w->mnuCopy, w->mnuPaste, w->mnuDelete, w->mnuSaveSQLScript, w->mnuDisconnect})
        a->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w->StatusText().isEmpty());
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_EQ(connectDialogs, 0);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, LayoutFollowsTheDesign)
{
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(337, 136));
    const std::pair<QToolButton *, const char *> buttons[] = {
        {w->toolBtnConnect, "Connect"},          {w->toolbtnDisconnect, "Disconnect"},
        {w->toolbtnNewTab, "New Tab"},           {w->toolbtnCloseActiveTab, "Close active tab"},
        {w->toolbtnRunSQL, "Run SQL"},
    };
    int lastX = -1;
    for (const auto &[button, caption] : buttons) {
        EXPECT_EQ(button->text(), QString::fromLatin1(caption));
        // Designed 83 by 52; all alike, grown where the font needs it.
        EXPECT_EQ(button->size(), w->toolBtnConnect->size()) << caption;
        EXPECT_GE(button->width(), 83) << caption;
        EXPECT_GE(button->height(), 52) << caption;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_FALSE(button->icon().pixmap(32, 32).isNull()) << caption;
        EXPECT_GT(button->x(), lastX) << caption << " is out of order";
        lastX = button->x();
    }
    // A disabled button shows a picture of its own, not the normal one.
    const QImage normal = w->toolbtnRunSQL->icon().pixmap(32, 32, QIcon::Normal).toImage();
    const QImage disabled = w->toolbtnRunSQL->icon().pixmap(32, 32, QIcon::Disabled).toImage();
    EXPECT_NE(normal, disabled);

    EXPECT_EQ(w->GroupBox1->title(), QStringLiteral("Current Tab Connection Info"));
    EXPECT_GE(w->GroupBox1->width(), 185);
    EXPECT_GT(w->GroupBox1->x(), w->ToolBar1->x());
    EXPECT_TRUE(w->lblConnectionInfo->wordWrap());
    EXPECT_EQ(w->lblConnectionInfo->alignment() & Qt::AlignCenter, Qt::AlignCenter);
    EXPECT_EQ(w->lblConnectionInfo->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(w->DataBaseTreeView->width(), 257);
    EXPECT_EQ(w->DataBaseTreeView->indentation(), 19);
    EXPECT_EQ(w->Splitter1->handleWidth(), 5);
    EXPECT_EQ(w->TabControl1->height(), 65 + w->toolBtnConnect->height() - 52);
    for (const QIcon &icon : w->TreeviewImageList)
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

// With a font as narrow as the design's, the window keeps its designed sizes.
TEST(MainWindowFonts, DesignedSizesWhereTheFontFits)
{
    const fitcheck::AppFont font(fitcheck::AppFont::small());
    TFrmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (QToolButton *button : {w.toolBtnConnect, w.toolbtnDisconnect, w.toolbtnNewTab, w.toolbtnCloseActiveTab,
                                w.toolbtnRunSQL})
        EXPECT_EQ(button->size(), QSize(83, 52)) << button->text().toStdString();
    EXPECT_EQ(w.GroupBox1->width(), 185);
    EXPECT_EQ(w.TabControl1->height(), 65);
    EXPECT_EQ(w.StatusBar->height(), 19);
    EXPECT_TRUE(fitcheck::cutTexts(&w).isEmpty()) << fitcheck::cutTexts(&w).join('\n').toStdString();
}

// At the desktop's font and at 125 % and 150 % of it, no caption is cut:
// toolbar buttons, the connection-info box, the status line (with a text in it).
TEST(MainWindowFonts, NoCaptionIsCut)
{
    for (const double scale : {1.0, 1.25, 1.5}) {
        SCOPED_TRACE(scale);
        const fitcheck::AppFont font(fitcheck::AppFont::scaled(scale));
        TFrmMain w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.findChild<QLabel *>(QStringLiteral("StatusPanel"))->setText(QStringLiteral("Info  : 12 Records fetched"));
        QApplication::processEvents();
        const QStringList cut = fitcheck::cutTexts(&w);
        EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
        // Every button shows on the toolbar itself, none in its overflow menu.
        for (QToolButton *button : {w.toolBtnConnect, w.toolbtnDisconnect, w.toolbtnNewTab, w.toolbtnCloseActiveTab,
                                    w.toolbtnRunSQL})
            EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
        if (scale == 1.0) {
            // The caption that the designed width cuts at this font.
            EXPECT_GT(fitcheck::textWidth(w.toolbtnCloseActiveTab, w.toolbtnCloseActiveTab->text()), 83 - 4);
        }
    }
}

TEST_F(MainWindowTest, MenuItemsCarryTheirCaptionsAndShortcuts)
{
    struct Item {
        const char *menu, *name, *caption, *keys;
    };
    const Item items[] = {
        {"File", "mnuConnect", "Connect", "Ctrl+Alt+C"},
        {"File", "mnuDisconnect", "Disconnect", "Ctrl+Alt+D"},
        {"File", "mnuOpenSQLScript", "Open SQL Script", "Ctrl+Alt+O"},
        {"File", "mnuSaveSQLScript", "Save SQL Script", "Ctrl+Alt+S"},
        {"File", "mnuTerminate", "Terminate", ""},
        {"Edit", "mnuCut", "Cut", "Ctrl+X"},
        {"Edit", "mnuCopy", "Copy", "Ctrl+C"},
        {"Edit", "mnuPaste", "Paste", "Ctrl+V"},
        {"Edit", "mnuDelete", "Delete", ""},
        {"Actions", "mnuRunSQL", "Run SQL", "F5"},
        {"Actions", "mnuNewTab", "New Tab", "Ctrl+T"},
        {"Actions", "mnuCloseTab", "Close Tab", "Ctrl+F4"},
        {"Actions", "mnuCloseallTabs", "Close all Tabs", "Shift+F4"},
        {"Actions", "mnuCloseallbutactive", "Close all but active", "Ctrl+Shift+F4"},
        {"Help", "TabulonHelp1", "Tabulon Help", "F1"},
        {"Help", "About2", "About...", ""},
    };
    QStringList menus;
    for (QAction *m : w->menuBar()->actions())
        menus << m->text();
    EXPECT_EQ(menus, QStringList({"File", "Edit", "Actions", "Help"}));
    for (const Item &item : items) {
        SCOPED_TRACE(item.name);
        QAction *action = w->findChild<QAction *>(QLatin1String(item.name));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromLatin1(item.caption));
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(item.keys)));
        EXPECT_TRUE(action->isEnabled());
        QMenu *menu = nullptr;
        for (QAction *m : w->menuBar()->actions())
            if (m->text() == QLatin1String(item.menu))
                menu = m->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().contains(action));
    }
}

TEST_F(MainWindowTest, TreePopupHoldsItsItemsInOrder)
{
    QStringList top;
    for (QAction *a : w->TreeViewPopupMenu->actions())
        top << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(top, QStringList({"Connect", "Diconnect", "-", "Script SQL", "-", "Search Server Engine Schema",
                                "View DataBase Meta Data", "-", "Refresh"}));
    QStringList sub;
    for (QAction *a : w->ScriptSQL1->menu()->actions()) {
        sub << a->text();
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    EXPECT_EQ(sub, QStringList({"[SELECT] -> all to New Tab", "[SELECT] -> all to New Tab with full field names",
                                "[SELECT] -> all to Active Tab",
                                "[SELECT] -> all to Active Tab with full field names"}));

    // The items without a command do nothing; Connect opens the connect dialog.
    w->mnuPopDiconnect->trigger();
    w->mnuSearchServerEngineSchema->trigger();
    w->mnuPopRefresh->trigger();
    w->mnuViewDataBaseMetaData->trigger();
    EXPECT_EQ(connectDialogs, 0);
    w->mnuPopConnect->trigger();
    EXPECT_EQ(connectDialogs, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, NewTabAndOpenScriptWithAnEmptyTreeAskForAServerFirst)
{
    // Cancelled: no node, no tab, nothing else asked.
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(connectDialogs, 1);
    w->mnuOpenSQLScript->trigger();
    EXPECT_EQ(connectDialogs, 2);
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_EQ(w->SQLPageControl->PageCount(), 0);
    EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(w->toolbtnDisconnect->isEnabled());
    EXPECT_FALSE(w->toolbtnCloseActiveTab->isEnabled());
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgramAndReportsNothing)
{
    // The test programs sit in build/tests, so the build's manual is at
    // ../share/doc/tabulon as in an installed layout: F1 opens it. A help
    // file beside the program comes first.
    const QString helpFile = QCoreApplication::applicationDirPath() + "/Tabulon.chm";
    ASSERT_FALSE(QFile::exists(helpFile));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    QTest::keyClick(w.get(), Qt::Key_F1);
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls.takeFirst(), QUrl::fromLocalFile(QStringLiteral(TABULON_BINARY_DIR "/share/doc/tabulon/index.html")));

    QFile placed(helpFile);
    ASSERT_TRUE(placed.open(QIODevice::WriteOnly));
    placed.close();
    QTest::keyClick(w.get(), Qt::Key_F1);
    placed.remove();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls[0], QUrl::fromLocalFile(helpFile));
    EXPECT_TRUE(messages.empty());
}

#include "tst_mainwindow.moc"

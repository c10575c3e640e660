#pragma once
// TFrmMain: the program's main window. A toolbar and the connection-info box
// across the top, the database tree on the left, the query tabs on the right,
// the status line at the bottom, and the main menu.
//
// The window's code is split by concern:
//   f_main.cpp        layout, menus, toolbar, shortcuts, closing
//   f_main_icons.cpp  the picture lists
//   f_main_tree.cpp   the database tree and its popup commands
//   f_main_tabs.cpp   tab, edit, file and help commands
//   f_main_files.cpp  scripts named on the command line, and connecting their tabs

#include <QIcon>
#include <QMainWindow>
#include <QTreeWidget>

#include <array>
#include <functional>
#include <string>

#include "o_Application.h"
#include "o_Prompts.h"
#include "o_ServerConnection.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class TFrmConnect;
class TqdSQLPageControl;
class TqdSQLTab;
class TqdTabJournal;

// The tree view: runs its click handler after every left click anywhere in
// it (on a node, on empty space, on an expand button), never for keyboard moves.
class TDataBaseTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TDataBaseTreeView(QWidget *parent);
signals:
    void leftClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget *parent = nullptr);
    ~TFrmMain() override;

    // Widgets of the layout, named as the window's objects are.
    QFrame *TabControl1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *toolBtnConnect = nullptr;
    QToolButton *toolbtnDisconnect = nullptr;
    QToolButton *toolbtnNewTab = nullptr;
    QToolButton *toolbtnCloseActiveTab = nullptr;
    QToolButton *toolbtnRunSQL = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *lblConnectionInfo = nullptr;
    TDataBaseTreeView *DataBaseTreeView = nullptr;
    QSplitter *Splitter1 = nullptr;
    QFrame *PageControlPanel = nullptr;
    QStatusBar *StatusBar = nullptr;
    TqdSQLPageControl *SQLPageControl = nullptr;

    // Main menu items.
    QAction *mnuConnect = nullptr, *mnuDisconnect = nullptr, *mnuOpenSQLScript = nullptr,
            *mnuSaveSQLScript = nullptr, *mnuTerminate = nullptr;
    QAction *mnuExportResult = nullptr; // the shown result to a file
    QAction *mnuCut = nullptr, *mnuCopy = nullptr, *mnuPaste = nullptr, *mnuDelete = nullptr;
    QAction *mnuRunSQL = nullptr, *mnuNewTab = nullptr, *mnuCloseTab = nullptr, *mnuCloseallTabs = nullptr,
            *mnuCloseallbutactive = nullptr;
    QAction *TabulonHelp1 = nullptr, *About2 = nullptr;
    QAction *actRunStatementAtCursor = nullptr;

    // The tree's popup menu and its items.
    QMenu *TreeViewPopupMenu = nullptr;
    QMenu *ScriptSQL1Menu = nullptr;
    QAction *mnuPopConnect = nullptr, *mnuPopDiconnect = nullptr, *ScriptSQL1 = nullptr;
    QAction *mnuPopSelectAllToNewTab = nullptr, *mnuPopSelectAllToNewWithFullFields = nullptr,
            *mnuPopSelectAllToActiveTab = nullptr, *mnuPopSelectAllToActiveTabWithFullFieldNames = nullptr;
    QAction *mnuSearchServerEngineSchema = nullptr, *mnuViewDataBaseMetaData = nullptr, *mnuPopRefresh = nullptr;

    // Picture lists: tree 16x16 (server, database, table, field); toolbar 32x32.
    std::array<QIcon, 4> TreeviewImageList;
    std::array<QIcon, 7> ToolImageList;
    std::array<QIcon, 7> ToolDisabledImageList;

    TFileDialog *SaveDialog = nullptr;
    TFileDialog *OpenDialog = nullptr;

    // Shows the connect dialog modally; true when it closed with a tested
    // connection. Tests replace it to answer the dialog.
    std::function<bool(TFrmConnect &dialog)> ConnectDialogRunner;

    // The text of the status line.
    QString StatusText() const;

    // Tree (f_main_tree.cpp).
    QTreeWidgetItem *ConnectToServer();
    QTreeWidgetItem *AddServerNode(TqdServerConnection *connection);
    void FillDatabases(QTreeWidgetItem *node);
    void FillTables(QTreeWidgetItem *node);
    void FillFields(QTreeWidgetItem *node);
    static QTreeWidgetItem *RootNode(QTreeWidgetItem *node);
    TqdServerEngine NodeEngine(QTreeWidgetItem *node) const;
    static TqdServerConnection *NodeConnection(QTreeWidgetItem *node);
    static int NodeLevel(QTreeWidgetItem *node);
    // The catalogue's own bytes of a node's name.
    static std::string NodeName(QTreeWidgetItem *node);
    QTreeWidgetItem *SelectedNode() const;
    void DisconnectServer();
    void DataBaseTreeViewClick();
    void TreeViewPopupMenuPopup();
    void ScriptSelectAll(const std::string &database, const std::string &table, bool toNewTab,
                         bool fullFieldNames);

    // Tabs (f_main_tabs.cpp).
    void OpenNewTab();
    // A new active tab whose connection copies `connection` and connects.
    TqdSQLTab *addTabOn(const TqdServerConnection *connection);
    // Closes the tab at index; false when the user cancelled its save, so
    // the tab stays and the command that asked should stop.
    bool CloseTab(int index);
    void RunActiveTab();
    // The active tab's statement under the cursor, as RunActiveTab runs a tab.
    void RunStatementAtCursor();
    bool CloseAllTabs();

    // Scripts named on the command line (f_main_files.cpp): each file in a tab
    // of its own without a connection, the last one active. A file that cannot
    // be read opens no tab; its failure is shown in the error box.
    void OpenScriptFiles(const QStringList &fileNames);
    // Journal (f_main_journal.cpp): reports go to the status line; the tabs
    // of an instance that ended without closing them come back.
    void AttachJournal(TqdTabJournal *journal);
    // Opens a tab's connection before it runs, false when the user cancelled
    // (or the connection failed). A tab that never had one (a script from the
    // command line) gets one through the connect dialog; a tab whose settings
    // are known (restored from the journal) reconnects, asking through the
    // connect dialog filled with its settings when the engine wants a password.
    bool ConnectTab(TqdSQLTab *tab);
    bool ConnectScriptTab(TqdSQLTab *tab);

public slots:
    void mnuConnectClick();
    void mnuDisconnectClick();
    void mnuOpenSQLScriptClick();
    void mnuSaveSQLScriptClick();
    void mnuExportResultClick();
    void mnuCutClick();
    void mnuCopyClick();
    void mnuPasteClick();
    void mnuDeleteClick();
    void mnuRunSQLClick();
    void mnuNewTabClick();
    void mnuCloseTabClick();
    void mnuCloseallTabsClick();
    void mnuCloseallbutactiveClick();
    void TabulonHelp1Click();
    void About2Click();
    void mnuPopRefreshClick();
    void mnuPopSelectAllToNewTabClick();
    void mnuPopSelectAllToNewWithFullFieldsClick();
    void mnuPopSelectAllToActiveTabClick();
    void mnuPopSelectAllToActiveTabWithFullFieldNamesClick();
    void mnuViewDataBaseMetaDataClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createLayout();
    void createMenus();
    void createTreePopup();
    void createPictureLists();
    QToolButton *addToolButton(const QString &name, const QString &caption, int picture);
    QAction *addMenuItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut);
    // Runs the active tab with `run` (connecting a tab that has no server
    // first); the status line then shows its InfoMessage, or its ErrorMessage
    // when it did not run.
    void runActiveTab(bool (TqdSQLTab::*run)());
    void FormClose(bool &canClose);
    void updateDisconnectButton();
    void updateTabButtons();
    // The "N of M rows" of the filtered grid the active tab shows, beside the status text.
    void showShownRows();
    void runSelectCommand(bool toNewTab, bool fullFieldNames);
    void showTreePopup(const QPoint &pos);
    void deleteChildren(QTreeWidgetItem *node);
    void deleteServerNode(QTreeWidgetItem *root);
    QTreeWidgetItem *addChild(QTreeWidgetItem *parent, const std::string &name, int picture);
    static bool busy();

    bool m_placed = false;
    int m_neededWidth = 0; // what the top strip needs, when more than the designed width
};

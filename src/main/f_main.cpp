// The main window's layout, menus, toolbar, shortcuts and closing.
#include "f_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "f_ConnectForm.h"
#include "o_AppError.h"
#include "o_AppInfo.h"
#include "o_GridFilterBar.h"
#include "o_GridMenu.h"
#include "o_RowSetModel.h"
#include "o_SQLTab.h"

namespace {

const QString ScriptFilter = QStringLiteral("SQL Script Files|*.sql|Text Files|*.txt|All Files|*.*");

// The key combination of a key event, without the keypad flag.
QKeySequence keySequenceOf(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(event->key())));
}

} // namespace

TDataBaseTreeView::TDataBaseTreeView(QWidget *parent) : QTreeWidget(parent) {}

void TDataBaseTreeView::mousePressEvent(QMouseEvent *event)
{
    // A press on empty space keeps the selected node.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TDataBaseTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit leftClicked();
}

TFrmMain::TFrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    createPictureLists();
    createLayout();
    createMenus();
    createTreePopup();

    SaveDialog = new TFileDialog(prompts::FileMode::Save, this);
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
    SaveDialog->Title = QStringLiteral("Save SQL...");
    SaveDialog->Filter = ScriptFilter;
    SaveDialog->DefaultExt = QStringLiteral(".sql");
    SaveDialog->OverwritePrompt = true;
    SaveDialog->CreatePrompt = true;
    SaveDialog->Window = this;
    OpenDialog = new TFileDialog(prompts::FileMode::Open, this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->Filter = ScriptFilter;
    OpenDialog->Window = this;

    ConnectDialogRunner = [](TFrmConnect &dialog) { return dialog.exec() == QDialog::Accepted; };

    // The tab set fills its panel and writes the server of the tab the user picks.
    SQLPageControl = new TqdSQLPageControl(PageControlPanel);
    SQLPageControl->setObjectName(QStringLiteral("SQLPageControl"));
    PageControlPanel->layout()->addWidget(SQLPageControl);
    SQLPageControl->SetConnInfoLabel(lblConnectionInfo);
    // Beside the outcome of the last run: how many rows the shown grid's filter keeps.
    connect(SQLPageControl, &QTabWidget::currentChanged, this, &TFrmMain::showShownRows);

    updateDisconnectButton();
    toolbtnCloseActiveTab->setEnabled(SQLPageControl->PageCount() > 0);
    toolbtnRunSQL->setEnabled(false);
    setWindowTitle(appinfo::applicationTitle());

    // Window shortcuts win over the keys that the focused widget binds itself.
    qApp->installEventFilter(this);
}

TFrmMain::~TFrmMain()
{
    qApp->removeEventFilter(this);
    // Tabs go before the tree's connections.
    delete SQLPageControl;
    SQLPageControl = nullptr;
    while (DataBaseTreeView->topLevelItemCount() > 0)
        deleteServerNode(DataBaseTreeView->topLevelItem(DataBaseTreeView->topLevelItemCount() - 1));
}

void TFrmMain::createLayout()
{
    resize(996, 714);
    move(337, 136);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    setCentralWidget(central);

    // Top strip: toolbar and connection-info box.
    TabControl1 = new QFrame(central);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setFrameShape(QFrame::StyledPanel);
    TabControl1->setFixedHeight(65);
    auto *top = new QHBoxLayout(TabControl1);
    top->setContentsMargins(4, 2, 2, 2);
    top->setSpacing(2);

    ToolBar1 = new QToolBar(TabControl1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBtnConnect = addToolButton(QStringLiteral("toolBtnConnect"), QStringLiteral("Connect"), 2);
    toolbtnDisconnect = addToolButton(QStringLiteral("toolbtnDisconnect"), QStringLiteral("Disconnect"), 3);
    auto addSeparator = [this] {
        auto *gap = new QWidget(ToolBar1);
        gap->setFixedWidth(8);
        ToolBar1->addWidget(gap);
    };
    addSeparator();
    toolbtnNewTab = addToolButton(QStringLiteral("toolbtnNewTab"), QStringLiteral("New Tab"), 4);
    toolbtnCloseActiveTab =
        addToolButton(QStringLiteral("toolbtnCloseActiveTab"), QStringLiteral("Close active tab"), 5);
    addSeparator();
    toolbtnRunSQL = addToolButton(QStringLiteral("toolbtnRunSQL"), QStringLiteral("Run SQL"), 1);
    // All buttons share one size: 83 by 52, or more where the font needs it
    // for a caption to show whole under its picture (the style draws the
    // caption inside the button's frame, below the picture and a 4-pixel gap).
    QToolButton *const buttons[] = {toolBtnConnect, toolbtnDisconnect, toolbtnNewTab, toolbtnCloseActiveTab,
                                    toolbtnRunSQL};
    QSize buttonSize(83, 52);
    for (const QToolButton *button : buttons) {
        const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int captionHeight = button->fontMetrics().height();
        buttonSize = buttonSize.expandedTo(
            QSize(button->sizeHint().width(), 2 * frame + button->iconSize().height() + 4 + captionHeight));
    }
    for (QToolButton *button : buttons)
        button->setFixedSize(buttonSize);
    TabControl1->setFixedHeight(65 + buttonSize.height() - 52);
    connect(toolBtnConnect, &QToolButton::clicked, this, &TFrmMain::mnuConnectClick);
    connect(toolbtnDisconnect, &QToolButton::clicked, this, &TFrmMain::mnuDisconnectClick);
    connect(toolbtnNewTab, &QToolButton::clicked, this, &TFrmMain::mnuNewTabClick);
    connect(toolbtnCloseActiveTab, &QToolButton::clicked, this, &TFrmMain::mnuCloseTabClick);
    connect(toolbtnRunSQL, &QToolButton::clicked, this, &TFrmMain::mnuRunSQLClick);
    top->addWidget(ToolBar1, 1);

    GroupBox1 = new QGroupBox(QStringLiteral("Current Tab Connection Info"), TabControl1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *infoLayout = new QVBoxLayout(GroupBox1);
    infoLayout->setContentsMargins(2, 0, 2, 2);
    lblConnectionInfo = new QLabel(GroupBox1);
    lblConnectionInfo->setObjectName(QStringLiteral("lblConnectionInfo"));
    lblConnectionInfo->setAlignment(Qt::AlignCenter);
    lblConnectionInfo->setWordWrap(true);
    QPalette maroon = lblConnectionInfo->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    lblConnectionInfo->setPalette(maroon);
    infoLayout->addWidget(lblConnectionInfo);
    // 185 wide, wider when the caption needs it.
    GroupBox1->setFixedWidth(qMax(185, GroupBox1->minimumSizeHint().width()));
    top->addWidget(GroupBox1);
    outer->addWidget(TabControl1);

    // Tree | tabs.
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    DataBaseTreeView = new TDataBaseTreeView(Splitter1);
    DataBaseTreeView->setObjectName(QStringLiteral("DataBaseTreeView"));
    DataBaseTreeView->setHeaderHidden(true);
    DataBaseTreeView->setColumnCount(1);
    DataBaseTreeView->setIndentation(19);
    DataBaseTreeView->setIconSize(QSize(16, 16));
    DataBaseTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    DataBaseTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataBaseTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DataBaseTreeView, &TDataBaseTreeView::leftClicked, this,
            [this] { apperror::guarded([this] { DataBaseTreeViewClick(); }); });
    connect(DataBaseTreeView, &QWidget::customContextMenuRequested, this, &TFrmMain::showTreePopup);

    PageControlPanel = new QFrame(Splitter1);
    PageControlPanel->setObjectName(QStringLiteral("PageControlPanel"));
    PageControlPanel->setFrameShape(QFrame::StyledPanel);
    auto *pageLayout = new QVBoxLayout(PageControlPanel);
    pageLayout->setContentsMargins(1, 1, 1, 1);
    Splitter1->addWidget(DataBaseTreeView);
    Splitter1->addWidget(PageControlPanel);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({257, 996 - 257 - 5});
    outer->addWidget(Splitter1, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    auto *field = new QLabel(StatusBar);
    field->setObjectName(QStringLiteral("StatusPanel"));
    StatusBar->addWidget(field, 1);
    auto *shownRows = new QLabel(StatusBar);
    shownRows->setObjectName(QStringLiteral("RowsPanel"));
    StatusBar->addPermanentWidget(shownRows);
    // 19 high, higher when a line of text needs it.
    StatusBar->setFixedHeight(qMax(19, StatusBar->sizeHint().height()));
    setStatusBar(StatusBar);

    // 996 wide, wider when the toolbar's buttons and the info box need it, so
    // that no button starts out in the toolbar's overflow menu.
    ensurePolished();
    TabControl1->layout()->activate();
    m_neededWidth = TabControl1->sizeHint().width();
    resize(qMax(width(), m_neededWidth), height());
}

QToolButton *TFrmMain::addToolButton(const QString &name, const QString &caption, int picture)
{
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected})
        icon.addPixmap(ToolImageList[size_t(picture)].pixmap(32, 32), mode);
    icon.addPixmap(ToolDisabledImageList[size_t(picture)].pixmap(32, 32), QIcon::Disabled);
    button->setIcon(icon);
    ToolBar1->addWidget(button);
    return button;
}

QAction *TFrmMain::addMenuItem(QMenu *menu, const QString &name, const QString &caption,
                               const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    menu->addAction(action);
    addAction(action); // active while the menu bar is hidden, too
    return action;
}

void TFrmMain::createMenus()
{
    // Each command runs inside the error box's catch.
    auto bind = [this](QAction *action, void (TFrmMain::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { apperror::guarded([&] { (this->*handler)(); }); });
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    mnuConnect = addMenuItem(file, QStringLiteral("mnuConnect"), QStringLiteral("Connect"),
                             QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    mnuDisconnect = addMenuItem(file, QStringLiteral("mnuDisconnect"), QStringLiteral("Disconnect"),
                                QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    file->addSeparator();
    mnuOpenSQLScript = addMenuItem(file, QStringLiteral("mnuOpenSQLScript"), QStringLiteral("Open SQL Script"),
                                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O));
    mnuSaveSQLScript = addMenuItem(file, QStringLiteral("mnuSaveSQLScript"), QStringLiteral("Save SQL Script"),
                                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    mnuExportResult = addMenuItem(file, QStringLiteral("mnuExportResult"), QStringLiteral("Export Result..."),
                                  QKeySequence());
    file->addSeparator();
    mnuTerminate = addMenuItem(file, QStringLiteral("mnuTerminate"), QStringLiteral("Terminate"), QKeySequence());

    QMenu *edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    mnuCut = addMenuItem(edit, QStringLiteral("mnuCut"), QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = addMenuItem(edit, QStringLiteral("mnuCopy"), QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste =
        addMenuItem(edit, QStringLiteral("mnuPaste"), QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuDelete = addMenuItem(edit, QStringLiteral("mnuDelete"), QStringLiteral("Delete"), QKeySequence());

    QMenu *actions = menuBar()->addMenu(QStringLiteral("Actions"));
    actions->setObjectName(QStringLiteral("Actions1"));
    mnuRunSQL = addMenuItem(actions, QStringLiteral("mnuRunSQL"), QStringLiteral("Run SQL"), QKeySequence(Qt::Key_F5));
    actions->addSeparator();
    mnuNewTab =
        addMenuItem(actions, QStringLiteral("mnuNewTab"), QStringLiteral("New Tab"), QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuCloseTab = addMenuItem(actions, QStringLiteral("mnuCloseTab"), QStringLiteral("Close Tab"),
                              QKeySequence(Qt::CTRL | Qt::Key_F4));
    actions->addSeparator();
    mnuCloseallTabs = addMenuItem(actions, QStringLiteral("mnuCloseallTabs"), QStringLiteral("Close all Tabs"),
                                  QKeySequence(Qt::SHIFT | Qt::Key_F4));
    mnuCloseallbutactive = addMenuItem(actions, QStringLiteral("mnuCloseallbutactive"),
                                       QStringLiteral("Close all but active"),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F4));

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    TabulonHelp1 =
        addMenuItem(help, QStringLiteral("TabulonHelp1"), QStringLiteral("Tabulon Help"), QKeySequence(Qt::Key_F1));
    About2 = addMenuItem(help, QStringLiteral("About2"), QStringLiteral("About..."), QKeySequence());

    bind(mnuConnect, &TFrmMain::mnuConnectClick);
    bind(mnuDisconnect, &TFrmMain::mnuDisconnectClick);
    bind(mnuOpenSQLScript, &TFrmMain::mnuOpenSQLScriptClick);
    bind(mnuSaveSQLScript, &TFrmMain::mnuSaveSQLScriptClick);
    bind(mnuExportResult, &TFrmMain::mnuExportResultClick);
    bind(mnuCut, &TFrmMain::mnuCutClick);
    bind(mnuCopy, &TFrmMain::mnuCopyClick);
    bind(mnuPaste, &TFrmMain::mnuPasteClick);
    bind(mnuDelete, &TFrmMain::mnuDeleteClick);
    bind(mnuRunSQL, &TFrmMain::mnuRunSQLClick);
    // Ctrl+Enter: no menu item of its own, the window's shortcut only.
    actRunStatementAtCursor = new QAction(QStringLiteral("Run Statement at Cursor"), this);
    actRunStatementAtCursor->setObjectName(QStringLiteral("actRunStatementAtCursor"));
    actRunStatementAtCursor->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    actRunStatementAtCursor->setShortcutContext(Qt::WindowShortcut);
    addAction(actRunStatementAtCursor);
    bind(actRunStatementAtCursor, &TFrmMain::RunStatementAtCursor);
    bind(mnuNewTab, &TFrmMain::mnuNewTabClick);
    bind(mnuCloseTab, &TFrmMain::mnuCloseTabClick);
    bind(mnuCloseallTabs, &TFrmMain::mnuCloseallTabsClick);
    bind(mnuCloseallbutactive, &TFrmMain::mnuCloseallbutactiveClick);
    bind(TabulonHelp1, &TFrmMain::TabulonHelp1Click);
    bind(About2, &TFrmMain::About2Click);
}

void TFrmMain::createTreePopup()
{
    auto bind = [this](QAction *action, void (TFrmMain::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { apperror::guarded([&] { (this->*handler)(); }); });
    };
    auto item = [this](QMenu *menu, const QString &name, const QString &caption, bool enabled) {
        auto *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setEnabled(enabled);
        return action;
    };
    TreeViewPopupMenu = new QMenu(this);
    TreeViewPopupMenu->setObjectName(QStringLiteral("TreeViewPopupMenu"));
    mnuPopConnect = item(TreeViewPopupMenu, QStringLiteral("mnuPopConnect"), QStringLiteral("Connect"), true);
    mnuPopDiconnect = item(TreeViewPopupMenu, QStringLiteral("mnuPopDiconnect"), QStringLiteral("Diconnect"), true);
    TreeViewPopupMenu->addSeparator();
    ScriptSQL1Menu = new QMenu(QStringLiteral("Script SQL"), TreeViewPopupMenu);
    ScriptSQL1Menu->setObjectName(QStringLiteral("ScriptSQL1Menu"));
    ScriptSQL1 = TreeViewPopupMenu->addMenu(ScriptSQL1Menu);
    ScriptSQL1->setObjectName(QStringLiteral("ScriptSQL1"));
    mnuPopSelectAllToNewTab = item(ScriptSQL1Menu, QStringLiteral("mnuPopSelectAllToNewTab"),
                                   QStringLiteral("[SELECT] -> all to New Tab"), false);
    mnuPopSelectAllToNewWithFullFields =
        item(ScriptSQL1Menu, QStringLiteral("mnuPopSelectAllToNewWithFullFields"),
             QStringLiteral("[SELECT] -> all to New Tab with full field names"), false);
    mnuPopSelectAllToActiveTab = item(ScriptSQL1Menu, QStringLiteral("mnuPopSelectAllToActiveTab"),
                                      QStringLiteral("[SELECT] -> all to Active Tab"), false);
    mnuPopSelectAllToActiveTabWithFullFieldNames =
        item(ScriptSQL1Menu, QStringLiteral("mnuPopSelectAllToActiveTabWithFullFieldNames"),
             QStringLiteral("[SELECT] -> all to Active Tab with full field names"), false);
    TreeViewPopupMenu->addSeparator();
    mnuSearchServerEngineSchema = item(TreeViewPopupMenu, QStringLiteral("mnuSearchServerEngineSchema"),
                                       QStringLiteral("Search Server Engine Schema"), true);
    mnuViewDataBaseMetaData = item(TreeViewPopupMenu, QStringLiteral("mnuViewDataBaseMetaData"),
                                   QStringLiteral("View DataBase Meta Data"), true);
    TreeViewPopupMenu->addSeparator();
    mnuPopRefresh = item(TreeViewPopupMenu, QStringLiteral("mnuPopRefresh"), QStringLiteral("Refresh"), true);

    bind(mnuPopConnect, &TFrmMain::mnuConnectClick);
    bind(mnuPopSelectAllToNewTab, &TFrmMain::mnuPopSelectAllToNewTabClick);
    bind(mnuPopSelectAllToNewWithFullFields, &TFrmMain::mnuPopSelectAllToNewWithFullFieldsClick);
    bind(mnuPopSelectAllToActiveTab, &TFrmMain::mnuPopSelectAllToActiveTabClick);
    bind(mnuPopSelectAllToActiveTabWithFullFieldNames, &TFrmMain::mnuPopSelectAllToActiveTabWithFullFieldNamesClick);
    bind(mnuViewDataBaseMetaData, &TFrmMain::mnuViewDataBaseMetaDataClick);
    bind(mnuPopRefresh, &TFrmMain::mnuPopRefreshClick);
}

void TFrmMain::showTreePopup(const QPoint &pos)
{
    apperror::guarded([this] { TreeViewPopupMenuPopup(); });
    TreeViewPopupMenu->exec(DataBaseTreeView->viewport()->mapToGlobal(pos));
}

void TFrmMain::showShownRows()
{
    auto *label = StatusBar ? StatusBar->findChild<QLabel *>(QStringLiteral("RowsPanel")) : nullptr;
    if (!label)
        return;
    const TDBGrid *grid = TGridMenu::shownGrid(SQLPageControl ? SQLPageControl->ActiveSQLTab() : nullptr);
    label->setText(grid ? grid->rowSetModel()->shownRowsText() : QString());
}

QString TFrmMain::StatusText() const
{
    const auto *field = StatusBar->findChild<QLabel *>(QStringLiteral("StatusPanel"));
    return field ? field->text() : QString();
}

void TFrmMain::updateDisconnectButton()
{
    toolbtnDisconnect->setEnabled(DataBaseTreeView->topLevelItemCount() > 0);
}

void TFrmMain::updateTabButtons()
{
    const bool anyTab = SQLPageControl->PageCount() > 0;
    toolbtnCloseActiveTab->setEnabled(anyTab);
    toolbtnRunSQL->setEnabled(anyTab);
}

bool TFrmMain::busy() { return TqdSQLTab::isRunning(); }

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // The designed size and place are those of the outer frame.
    const QRect frame = frameGeometry();
    const QSize extra = frame.size() - size();
    if (!extra.isEmpty() && (extra.width() > 0 || extra.height() > 0))
        resize(QSize(996, 714).expandedTo(QSize(m_neededWidth + extra.width(), 0)) - extra);
    move(337, 136);
}

void TFrmMain::FormClose(bool &canClose)
{
    // While a statement runs the window stays: its tab cannot go yet.
    canClose = false;
    if (busy())
        return;
    apperror::guarded([&] { canClose = CloseAllTabs(); });
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    bool canClose = false;
    FormClose(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

bool TFrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && event->type() == TGridRowsEvent::eventType()) {
        showShownRows();
        return true;
    }
    // A focused editor would take Ctrl+C, Ctrl+T and the like for its own key
    // bindings; in this window the menu's shortcuts come first. A line edit
    // (the find bar, the grid's filter) keeps its own clipboard keys, and a
    // result grid its copy and filter keys (it claims them itself).
    if (event->type() == QEvent::ShortcutOverride) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget != this && widget->window() == this && !qobject_cast<QLineEdit *>(widget) &&
            !qobject_cast<TDBGrid *>(widget)) {
            const QKeySequence keys = keySequenceOf(static_cast<QKeyEvent *>(event));
            for (const QAction *action : actions()) {
                if (!action->shortcut().isEmpty() && action->shortcut() == keys) {
                    event->ignore();
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

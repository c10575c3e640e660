// The database tree: connecting, filling its levels, disconnecting, and the
// commands of its popup menu.
#include "f_main.h"

#include <QAction>
#include <QMenu>

#include <memory>

#include "f_ConnectForm.h"
#include "f_TableMetaData.h"
#include "o_CatalogueCache.h"
#include "o_SQLNames.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"
#include "string_list.h"

namespace {

// Node data: the catalogue's bytes of the name, and a server node's connection.
constexpr int NameRole = Qt::UserRole;
constexpr int ConnectionRole = Qt::UserRole + 1;

enum Picture { picServer = 0, picDatabase = 1, picTable = 2, picField = 3 };

// The level at which a node's engine shows tables.
int tableLevel(TqdServerEngine engine) { return isSingleDatabaseEngine(engine) ? 1 : 2; }

// Whether a connection runs on the same server as another, as the tree knows servers.
bool sameServer(const TqdServerConnection &a, const TqdServerConnection &b)
{
    return a.DBEngine == b.DBEngine && compareTextNoCase(a.ServerName, b.ServerName) == 0 &&
           a.UserName == b.UserName && a.Port == b.Port;
}

} // namespace

QTreeWidgetItem *TFrmMain::RootNode(QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    while (node->parent())
        node = node->parent();
    return node;
}

int TFrmMain::NodeLevel(QTreeWidgetItem *node)
{
    int level = 0;
    for (QTreeWidgetItem *p = node ? node->parent() : nullptr; p; p = p->parent())
        ++level;
    return level;
}

TqdServerConnection *TFrmMain::NodeConnection(QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    return qobject_cast<TqdServerConnection *>(node->data(0, ConnectionRole).value<QObject *>());
}

std::string TFrmMain::NodeName(QTreeWidgetItem *node)
{
    const QByteArray bytes = node->data(0, NameRole).toByteArray();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

TqdServerEngine TFrmMain::NodeEngine(QTreeWidgetItem *node) const
{
    const TqdServerConnection *connection = NodeConnection(RootNode(node));
    return connection ? connection->DBEngine : seNone;
}

QTreeWidgetItem *TFrmMain::SelectedNode() const
{
    const QList<QTreeWidgetItem *> selected = DataBaseTreeView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem *TFrmMain::addChild(QTreeWidgetItem *parent, const std::string &name, int picture)
{
    auto *child = new QTreeWidgetItem(parent);
    const QByteArray bytes(name.data(), qsizetype(name.size()));
    child->setText(0, QString::fromUtf8(bytes));
    child->setData(0, NameRole, bytes);
    child->setIcon(0, TreeviewImageList[size_t(picture)]);
    return child;
}

void TFrmMain::deleteChildren(QTreeWidgetItem *node)
{
    qDeleteAll(node->takeChildren());
}

void TFrmMain::deleteServerNode(QTreeWidgetItem *root)
{
    // The node's connection goes with it: nothing else uses it.
    TqdServerConnection *connection = NodeConnection(root);
    delete root;
    if (connection) {
        connection->DisConnect();
        delete connection;
    }
}

QTreeWidgetItem *TFrmMain::ConnectToServer()
{
    if (busy())
        return nullptr;
    QTreeWidgetItem *node = nullptr;
    try {
        auto dialog = std::make_unique<TFrmConnect>(this);
        auto connection = std::make_unique<TqdServerConnection>(this);
        if (ConnectDialogRunner(*dialog)) {
            connection->AssignConnection(dialog->ServerConnection);
            dialog.reset();
            node = AddServerNode(connection.release());
        }
    } catch (...) {
        updateDisconnectButton();
        throw;
    }
    updateDisconnectButton();
    return node;
}

QTreeWidgetItem *TFrmMain::AddServerNode(TqdServerConnection *connection)
{
    const std::string text = " " + connection->ServerName + " (" + connection->UserName + ")";
    const QByteArray bytes(text.data(), qsizetype(text.size()));
    auto *node = new QTreeWidgetItem(DataBaseTreeView);
    node->setText(0, QString::fromUtf8(bytes));
    node->setData(0, NameRole, bytes);
    node->setData(0, ConnectionRole, QVariant::fromValue<QObject *>(connection));
    node->setIcon(0, TreeviewImageList[picServer]);
    FillDatabases(node);
    return node;
}

void TFrmMain::FillDatabases(QTreeWidgetItem *node)
{
    deleteChildren(node);
    TqdServerConnection *connection = NodeConnection(RootNode(node));
    if (!connection)
        return;
    connection->ReConnect();
    TStringList names;
    connection->ListDataBases(&names);
    const int picture = isSingleDatabaseEngine(connection->DBEngine) ? picTable : picDatabase;
    for (const std::string &name : names.items())
        addChild(node, name, picture);
}

void TFrmMain::FillTables(QTreeWidgetItem *node)
{
    deleteChildren(node);
    TqdServerConnection *connection = NodeConnection(RootNode(node));
    if (!connection)
        return;
    const std::string database = NodeName(node);
    connection->DataBaseName = database;
    connection->ReConnect();
    TStringList names;
    connection->ListTables(&names, database);
    for (const std::string &name : names.items())
        addChild(node, name, picTable);
}

void TFrmMain::FillFields(QTreeWidgetItem *node)
{
    deleteChildren(node);
    TqdServerConnection *connection = NodeConnection(RootNode(node));
    if (!connection)
        return;
    TStringList names;
    connection->ListFields(&names, NodeName(node->parent()), NodeName(node));
    for (const std::string &name : names.items())
        addChild(node, name, picField);
}

void TFrmMain::DataBaseTreeViewClick()
{
    QTreeWidgetItem *node = SelectedNode();
    if (!node || busy())
        return;
    const bool single = isSingleDatabaseEngine(NodeEngine(node));
    const bool empty = node->childCount() == 0;
    switch (NodeLevel(node)) {
    case 0:
        if (empty)
            FillDatabases(node);
        break;
    case 1:
        if (single) {
            if (empty)
                FillFields(node);
            break;
        }
        if (empty)
            FillTables(node);
        // The active tab follows the clicked database when it runs on that server.
        if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab()) {
            const TqdServerConnection *server = NodeConnection(RootNode(node));
            if (server && sameServer(*tab->ServerConnection, *server)) {
                tab->ServerConnection->DataBaseName = NodeName(node);
                tab->ServerConnection->ReConnect();
            }
        }
        break;
    case 2:
        if (!single && empty)
            FillFields(node);
        break;
    default:
        break;
    }
}

void TFrmMain::mnuPopRefreshClick()
{
    QTreeWidgetItem *node = SelectedNode();
    if (!node || busy())
        return;
    const bool wasExpanded = node->isExpanded();
    const bool single = isSingleDatabaseEngine(NodeEngine(node));
    // the editors' completion reads the server's names again too
    SQLPageControl->CatalogueCache()->refresh(NodeConnection(RootNode(node)));
    switch (NodeLevel(node)) {
    case 0:
        FillDatabases(node);
        break;
    case 1:
        if (single)
            FillFields(node);
        else
            FillTables(node);
        break;
    case 2:
        if (!single)
            FillFields(node);
        break;
    default:
        break;
    }
    if (wasExpanded)
        node->setExpanded(true);
}

void TFrmMain::mnuConnectClick() { ConnectToServer(); }

void TFrmMain::mnuDisconnectClick() { DisconnectServer(); }

void TFrmMain::DisconnectServer()
{
    if (busy())
        return;
    if (QTreeWidgetItem *selected = SelectedNode()) {
        QTreeWidgetItem *root = RootNode(selected);
        const TqdServerConnection *server = NodeConnection(root);
        deleteChildren(root);
        if (server) {
            for (int i = SQLPageControl->PageCount() - 1; i >= 0; --i) {
                if (sameServer(*SQLPageControl->SQLTab(i)->ServerConnection, *server) && !CloseTab(i))
                    return; // the user kept a tab: the server stays
            }
        }
        deleteServerNode(root);
        DataBaseTreeView->viewport()->update();
        updateDisconnectButton();
    }
    if (SQLPageControl->PageCount() == 0)
        lblConnectionInfo->clear();
    else if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        lblConnectionInfo->setText(TqdSQLPageControl::fileNamePart(tab->ServerConnection->ServerName));
}

void TFrmMain::TreeViewPopupMenuPopup()
{
    QTreeWidgetItem *node = SelectedNode();
    if (!node)
        return;
    const TqdServerEngine engine = NodeEngine(node);
    const int level = NodeLevel(node);
    const bool single = isSingleDatabaseEngine(engine);
    const bool newTab = level == tableLevel(engine);
    const bool activeTab = newTab && SQLPageControl->ActiveSQLTab() != nullptr;
    mnuPopSelectAllToNewTab->setEnabled(newTab);
    mnuPopSelectAllToNewWithFullFields->setEnabled(newTab);
    mnuPopSelectAllToActiveTab->setEnabled(activeTab);
    mnuPopSelectAllToActiveTabWithFullFieldNames->setEnabled(activeTab);
    mnuViewDataBaseMetaData->setEnabled(level == (single ? 0 : 1));
}

void TFrmMain::runSelectCommand(bool toNewTab, bool fullFieldNames)
{
    QTreeWidgetItem *node = SelectedNode();
    if (!node || busy())
        return;
    if (NodeLevel(node) == tableLevel(NodeEngine(node)))
        ScriptSelectAll(NodeName(node->parent()), NodeName(node), toNewTab, fullFieldNames);
}

void TFrmMain::mnuPopSelectAllToNewTabClick() { runSelectCommand(true, false); }
void TFrmMain::mnuPopSelectAllToNewWithFullFieldsClick() { runSelectCommand(true, true); }
void TFrmMain::mnuPopSelectAllToActiveTabClick() { runSelectCommand(false, false); }
void TFrmMain::mnuPopSelectAllToActiveTabWithFullFieldNamesClick() { runSelectCommand(false, true); }

void TFrmMain::ScriptSelectAll(const std::string &database, const std::string &table, bool toNewTab,
                               bool fullFieldNames)
{
    if (busy())
        return;
    if (toNewTab || !SQLPageControl->ActiveSQLTab())
        OpenNewTab();
    TqdSQLTab *tab = SQLPageControl->ActiveSQLTab();
    if (!tab)
        return;
    TStringList fields;
    tab->ServerConnection->ListFields(&fields, database, table);
    // Names as the tab's engine reads them back: quoted only where needed.
    const TqdServerEngine engine = tab->ServerConnection->DBEngine;
    auto &lines = tab->SynMemo->Lines();
    lines.Add("select");
    if (fullFieldNames) {
        for (int i = 0; i < fields.Count(); ++i)
            lines.Add((i == 0 ? "" : ",") + sqlName(engine, fields[i]));
    } else {
        lines.Add("*");
    }
    lines.Add("from");
    lines.Add(sqlTableName(engine, table));
}

void TFrmMain::mnuViewDataBaseMetaDataClick()
{
    QTreeWidgetItem *node = SelectedNode();
    QTreeWidgetItem *root = RootNode(node);
    TqdServerConnection *connection = NodeConnection(root);
    if (!node || !connection || busy())
        return;
    TFrmTableMetadata *window = OpenTableMetadataWindow(this, connection, node->text(0));
    // From a database node the window shows that database, as a tab does
    // after a click on it; it connects at its first Show.
    if (NodeLevel(node) == 1 && !isSingleDatabaseEngine(connection->DBEngine))
        window->ServerConnection->DataBaseName = NodeName(node);
}

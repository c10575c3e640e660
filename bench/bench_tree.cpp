// Tabulon's side of the tree case: a database's tables listed under its node
// in the database tree, and the tree painted with the node open.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"

#include "o_ServerConnection.h"
#include "string_list.h"

#include <QTreeWidget>

#include <stdexcept>

#ifdef TABULON_BENCH_MAIN_TREE
#include "f_main.h"
#endif

namespace bench {

namespace {

void configure(TqdServerConnection &c) { configurePostgres(c, settings().treeDatabase); }

} // namespace

#ifdef TABULON_BENCH_MAIN_TREE

// The main window's own tree: the server node with its databases, then a click
// on the database fills its tables.
SideResult treeFill()
{
    SideApplication app;
    TFrmMain window;
    window.show();
    auto *connection = new TqdServerConnection(&window);
    configure(*connection);
    QTreeWidgetItem *server = window.AddServerNode(connection);
    QTreeWidgetItem *database = nullptr;
    for (int i = 0; i < server->childCount(); ++i)
        if (TFrmMain::NodeName(server->child(i)) == settings().treeDatabase)
            database = server->child(i);
    if (!database)
        throw std::runtime_error("the tree shows no node for " + settings().treeDatabase);
    server->setExpanded(true);
    SideApplication::paint(&window);

    Stopwatch clock;
    window.FillTables(database);
    database->setExpanded(true);
    SideApplication::paint(&window);
    return {clock.seconds(), database->childCount()};
}

#else

// Without the main window: the connection's table list as tree items.
SideResult treeFill()
{
    SideApplication app;
    QTreeWidget tree;
    tree.resize(300, kWindowHeight);
    tree.show();
    auto *server = new QTreeWidgetItem(&tree, {QStringLiteral("server")});
    auto *database = new QTreeWidgetItem(server, {QString::fromStdString(settings().treeDatabase)});
    server->setExpanded(true);
    TqdServerConnection connection;
    configure(connection);
    SideApplication::paint(&tree);

    Stopwatch clock;
    connection.ReConnect();
    TStringList names;
    connection.ListTables(&names, settings().treeDatabase);
    for (const std::string &name : names.items()) {
        auto *item = new QTreeWidgetItem(database);
        item->setText(0, QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    database->setExpanded(true);
    SideApplication::paint(&tree);
    return {clock.seconds(), database->childCount()};
}

#endif

} // namespace bench

// Tabulon's sides of the row cases and the script case: the program's own
// query tab, grid and file commands, driven as the user drives them.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"
#include "bench_stream.h"

#include "o_DBGrid.h"
#include "o_Prompts.h"
#include "o_RowSetModel.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_ServerConnection.h"
#include "o_SynMemo.h"

#include <QFile>

#include <functional>
#include <stdexcept>

namespace bench {

namespace {

// One query tab in a window of the benchmark's size, connected by `configure`,
// runs the row statement; the time runs from the connect to the first screen
// of the grid.
SideResult gridSide(const std::function<void(TqdServerConnection &)> &configure,
                    const char *statement = rowsStatement())
{
    SideApplication app;
    TqdSQLPageControl pages;
    pages.resize(kWindowWidth, kWindowHeight);
    TqdSQLTab *tab = pages.AddSQLTab();
    pages.SetActivePage(tab);
    configure(*tab->ServerConnection);
    tab->SynMemo->Lines().Clear();
    tab->SynMemo->Lines().Add(statement);
    pages.show();
    SideApplication::paint(&pages);

    Stopwatch clock;
    tab->ServerConnection->ReConnect();
    if (!tab->ExecuteSQL())
        throw std::runtime_error("ExecuteSQL failed: " + tab->ErrorMessage);
    SideApplication::paint(&pages);
    SideResult out{clock.seconds(), tab->ResultGrid->rowSetModel()->rowCount()};

    // The first screen must show the first row's values.
    if (tab->ResultGrid->rowSetModel()->cellText(0, 0).isEmpty() || tab->ResultGrid->rowAt(0) != 0)
        throw std::runtime_error("the grid shows no first row");
    return out;
}

} // namespace

SideResult windowAlone()
{
    SideApplication app;
    TqdSQLPageControl pages;
    pages.resize(kWindowWidth, kWindowHeight);
    TqdSQLTab *tab = pages.AddSQLTab();
    pages.SetActivePage(tab);
    tab->SynMemo->Lines().Add(rowsStatement());
    pages.show();
    Stopwatch clock;
    SideApplication::paint(&pages);
    return {clock.seconds(), 0};
}

void configurePg(TqdServerConnection &c)
{
    configurePostgres(c, settings().rowsDatabase);
}

SideResult pgGrid()
{
    return gridSide(configurePg);
}

SideResult myGrid()
{
    const Settings &s = settings();
    return gridSide([&s](TqdServerConnection &c) {
        c.DBEngine = seMySQL;
        c.ServerName = s.myDirSocket;
        c.Port = s.myPort;
        c.UserName = s.myUser;
        c.Password = s.myPassword;
        c.DataBaseName = s.rowsDatabase;
    });
}

SideResult fbGrid()
{
    const Settings &s = settings();
    return gridSide([&s](TqdServerConnection &c) {
        c.DBEngine = seFireBird;
        c.ServerName = s.fbPath;
        c.UserName = "SYSDBA";
    });
}

SideResult sqliteGrid()
{
    const Settings &s = settings();
    return gridSide([&s](TqdServerConnection &c) {
        c.DBEngine = seSQLite;
        c.ServerName = s.sqlitePath;
    }, sqliteRowsStatement());
}

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

} // namespace

SideResult scriptOpenSave()
{
    const Settings &s = settings();
    const QString script = QString::fromStdString(s.scriptPath);
    const QString saved = QString::fromStdString(s.workDir + "/saved-script.sql");
    QFile::remove(saved);

    SideApplication app;
    TqdSQLPageControl pages;
    pages.resize(kWindowWidth, kWindowHeight);
    TqdSQLTab *tab = pages.AddSQLTab();
    pages.SetActivePage(tab);
    pages.show();
    SideApplication::paint(&pages);

    TFileDialog openDialog(prompts::FileMode::Open);
    openDialog.DefaultExt = QStringLiteral("sql");
    TFileDialog saveDialog(prompts::FileMode::Save);
    saveDialog.DefaultExt = QStringLiteral("sql");
    prompts::setFileAnswerer([&](const prompts::FileRequest &request) {
        return prompts::FileAnswer{true, request.mode == prompts::FileMode::Open ? script : saved, 1};
    });

    Stopwatch clock;
    tab->OpenScript(&openDialog);
    SideApplication::paint(&pages);
    tab->MarkModified(); // an edit: a script that is saved already is not written again
    tab->SaveScript(&saveDialog);
    SideResult out{clock.seconds(), 0};
    prompts::setFileAnswerer(nullptr);

    const QByteArray original = readAll(script);
    if (readAll(saved) != original)
        throw std::runtime_error("the saved script differs from the opened one");
    out.items = original.size();
    return out;
}

} // namespace bench

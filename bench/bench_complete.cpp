// Tabulon's side of the completion case: the completion list of a query tab
// on the database of 10,000 tables, shown from the catalogue cache.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"

#include "o_CatalogueCache.h"
#include "o_CatalogueCompletion.h"
#include "o_SQLTab.h"

#include <QListWidget>
#include <QRegularExpression>
#include <QtCore/qtestsupport_core.h>

#include <stdexcept>

namespace bench {

namespace {

bool listShown(TqdSynMemo *memo) { return memo->SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE) != 0; }

// The tables (t00001 ...) in the open completion list (its widget is
// Scintilla's); the rest of the list is the dialect's words.
long long listItems()
{
    static const QRegularExpression table(QStringLiteral("^t[0-9]{5}$"));
    long long tables = 0;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *list = qobject_cast<QListWidget *>(w); list && list->isVisible())
            for (int i = 0; i < list->count(); ++i)
                tables += table.match(list->item(i)->text()).hasMatch() ? 1 : 0;
    return tables;
}

} // namespace

SideResult completeList()
{
    SideApplication app;
    TqdSQLPageControl pages;
    pages.resize(900, kWindowHeight);
    TqdSQLTab *tab = pages.AddSQLTab();
    TqdServerConnection *c = tab->ServerConnection;
    const Settings &s = settings();
    c->DBEngine = sePostGre;
    c->ServerName = s.pgSocket;
    c->Port = s.pgPort;
    c->UserName = s.pgUser;
    c->Password = s.pgPassword;
    c->DataBaseName = s.treeDatabase;
    c->ReConnect();
    pages.show();
    TqdSynMemo *memo = tab->SynMemo;
    memo->setFocus();
    memo->Lines().SetText("select * from t");
    memo->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    SideApplication::paint(&pages);

    // the first list reads the catalogue into the cache
    memo->showCompletions(true);
    if (!QTest::qWaitFor([&] { return !pages.CatalogueCache()->busy() && listShown(memo) && listItems() > 100; },
                         60000))
        throw std::runtime_error("the completion list never showed the tables");
    memo->SendScintilla(QsciScintillaBase::SCI_AUTOCCANCEL);
    SideApplication::paint(&pages);

    // from the cache: every table starts with "t"; the list holds the first ones
    Stopwatch clock;
    memo->showCompletions(true);
    SideApplication::paint(&pages);
    const double seconds = clock.seconds();
    if (!listShown(memo))
        throw std::runtime_error("the completion list did not show from the cache");
    return {seconds, listItems()};
}

} // namespace bench

// Rows on screen while they arrive: how soon a query tab shows its first
// screen of PostgreSQL rows, how long the window's event loop is ever held up
// meanwhile, and the bare single-row loop's time to its first row.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"
#include "bench_stream.h"

#include "o_DBGrid.h"
#include "o_RowSetModel.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_ServerConnection.h"
#include "o_SynMemo.h"

#include <QTimer>

#include <libpq-fe.h>

#include <algorithm>
#include <stdexcept>

namespace bench {

namespace {

volatile unsigned long long g_sink = 0;

struct Arrival {
    double firstScreen = -1; // from the connect to the first screen with rows
    double longestGap = 0;   // between two ticks of a 10 ms timer, while the statement ran
    double total = 0;        // from the connect to the end of the run
    long long rows = 0;
};

Arrival watchArrival(const char *statement)
{
    SideApplication app;
    TqdSQLPageControl pages;
    pages.resize(kWindowWidth, kWindowHeight);
    TqdSQLTab *tab = pages.AddSQLTab();
    pages.SetActivePage(tab);
    TqdServerConnection &c = *tab->ServerConnection;
    configurePg(c);
    tab->SynMemo->Lines().Clear();
    tab->SynMemo->Lines().Add(statement);
    pages.show();
    SideApplication::paint(&pages);

    Arrival a;
    const TRowSetModel *model = tab->ResultGrid->rowSetModel();
    double lastTick = -1;
    Stopwatch clock;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = clock.seconds();
        if (lastTick >= 0)
            a.longestGap = std::max(a.longestGap, now - lastTick);
        lastTick = now;
        if (a.firstScreen < 0 && model->rowCount() > 0) {
            pages.repaint(); // the first screen, drawn now
            if (model->cellText(0, 0).isEmpty() || tab->ResultGrid->rowAt(0) != 0)
                throw std::runtime_error("the grid shows no first row");
            a.firstScreen = clock.seconds();
        }
    });
    c.ReConnect();
    tick.start();
    if (!tab->ExecuteSQL())
        throw std::runtime_error("ExecuteSQL failed: " + tab->ErrorMessage);
    tick.stop();
    // What the end of the run held up counts too.
    a.longestGap = std::max(a.longestGap, clock.seconds() - lastTick);
    if (a.firstScreen < 0) // all rows came between two ticks
        a.firstScreen = clock.seconds();
    a.rows = model->rowCount();
    SideApplication::paint(&pages);
    a.total = clock.seconds();
    return a;
}

} // namespace

SideResult pgFirstScreen(const char *statement)
{
    const Arrival a = watchArrival(statement);
    return {a.firstScreen, a.rows};
}

SideResult pgLongestStall(const char *statement)
{
    const Arrival a = watchArrival(statement);
    return {a.longestGap, a.rows};
}

SideResult pgFloorFirstRow(const char *statement)
{
    Stopwatch clock;
    PGconn *conn = pgConnect();
    if (!PQsendQuery(conn, statement) || !PQsetSingleRowMode(conn))
        throw std::runtime_error(std::string("libpq: ") + PQerrorMessage(conn));
    double first = -1;
    long long rows = 0;
    unsigned long long sum = 0;
    while (PGresult *result = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            if (first < 0)
                first = clock.seconds();
            ++rows;
            for (int f = 0; f < PQnfields(result); ++f)
                sum += unsigned(PQgetlength(result, 0, f));
        } else if (status != PGRES_TUPLES_OK) {
            throw std::runtime_error(std::string("libpq: ") + PQresultErrorMessage(result));
        }
        PQclear(result);
    }
    g_sink = sum;
    PQfinish(conn);
    return {first, rows};
}

SideResult pgGridWhole(const char *statement)
{
    const Arrival a = watchArrival(statement);
    return {a.total, a.rows};
}

const char *bigRowsStatement()
{
    return "select id, qty, price, rate, name, descr, created, nothing from bench_rows10m";
}

} // namespace bench

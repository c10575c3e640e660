// Tabulon's sides of the export and sort cases: the row statement run on
// PostgreSQL through the program's connection, then the whole result written
// as CSV by the exporter, or sorted by a column through the grid's model.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"

#include "export/o_ExportFile.h"
#include "o_RowSetModel.h"
#include "o_ServerConnection.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace bench {

void configurePostgres(TqdServerConnection &c, const std::string &database)
{
    const Settings &s = settings();
    c.DBEngine = sePostGre;
    c.ServerName = s.pgSocket;
    c.Port = s.pgPort;
    c.UserName = s.pgUser;
    c.Password = s.pgPassword;
    c.DataBaseName = database;
}

namespace {

// The time of sorting the PostgreSQL rows by one column of the model.
SideResult sortSide(int column)
{
    SideApplication app;
    TqdServerConnection connection;
    configurePostgres(connection, settings().rowsDatabase);
    connection.ReConnect();
    ado::TADODataSet *rows = connection.OpenQuery(rowsStatement());
    ado::TDataSource source;
    source.SetDataSet(rows);
    TRowSetModel model;
    model.setDataSource(&source);
    Stopwatch clock;
    model.sortRows(column, Qt::AscendingOrder);
    SideResult out{clock.seconds(), model.rowCount()};
    if (model.sourceRow(0) == model.sourceRow(1))
        throw std::runtime_error("the sort made no order");
    return out;
}

} // namespace

std::string exportCsvPath(const std::string &side) { return settings().workDir + "/export-" + side + ".csv"; }
std::string psqlCsvPath() { return settings().workDir + "/export-psql.csv"; }

namespace {

// The row statement's result to CSV; `withQuery`: timed from the connect,
// else from a result already fetched (as a user exports what the grid shows).
SideResult exportSide(bool withQuery)
{
    SideApplication app;
    TqdServerConnection connection;
    configurePostgres(connection, settings().rowsDatabase);
    std::optional<Stopwatch> clock;
    if (withQuery)
        clock.emplace();
    connection.ReConnect();
    ado::TADODataSet *rows = connection.OpenQuery(rowsStatement());
    if (!withQuery)
        clock.emplace();
    TExportOptions options;
    options.format = TExportFormat::Csv;
    options.csvLineEnd = "\n"; // as psql writes it, for the byte comparison
    const TExportOutcome outcome =
        exportToFile(*rows->rowSet(), options, QString::fromStdString(exportCsvPath(withQuery ? "pg-export" : "pg-export-fetched")));
    if (!outcome.ok)
        throw std::runtime_error("export failed: " + outcome.error.toStdString());
    return {clock->seconds(), rows->RecordCount()};
}

// The row statement run on a worker while the window thread writes its rows
// to CSV as they arrive (Export chosen as soon as the first rows show), from
// the connect to the closed file.
SideResult exportArrivingSide()
{
    SideApplication app;
    TqdServerConnection connection;
    configurePostgres(connection, settings().rowsDatabase);
    Stopwatch clock;
    connection.ReConnect();
    std::mutex lock;
    std::condition_variable told;
    std::shared_ptr<const ado::RowSet> arriving;
    bool ended = false;
    connection.ADOConnection()->OnRowsArriving = [&](std::shared_ptr<const ado::RowSet> rows) {
        std::lock_guard hold(lock);
        arriving = std::move(rows);
        told.notify_all();
    };
    ado::TADODataSet *result = nullptr;
    std::string failure;
    std::thread worker([&] {
        try {
            int affected = 0;
            result = connection.RunStatement(rowsStatement(), affected);
        } catch (const std::exception &e) {
            failure = e.what();
        }
        std::lock_guard hold(lock);
        ended = true;
        told.notify_all();
    });
    std::shared_ptr<const ado::RowSet> rows;
    {
        std::unique_lock hold(lock);
        told.wait(hold, [&] { return arriving || ended; });
        rows = arriving;
    }
    TExportOutcome outcome;
    if (rows) {
        TExportOptions options;
        options.format = TExportFormat::Csv;
        options.csvLineEnd = "\n"; // as psql writes it, for the byte comparison
        outcome = exportToFile(*rows, options, QString::fromStdString(exportCsvPath("pg-export-arriving")));
    }
    worker.join();
    connection.ADOConnection()->OnRowsArriving = nullptr;
    if (!failure.empty())
        throw std::runtime_error("the statement failed: " + failure);
    if (!rows || !result)
        throw std::runtime_error("no rows arrived");
    if (!outcome.ok)
        throw std::runtime_error("export failed: " + outcome.error.toStdString());
    return {clock.seconds(), rows->rowCount()};
}

} // namespace

SideResult pgExportArriving() { return exportArrivingSide(); }
SideResult pgExportCsv() { return exportSide(true); }
SideResult pgExportFetched() { return exportSide(false); }

SideResult pgSortNumber() { return sortSide(2); } // price, numeric
SideResult pgSortText() { return sortSide(4); }   // name, text

} // namespace bench

#pragma once
// The measured sides that run inside the benchmark program, each in a child
// process of its own (tabulon_bench side NAME), so that its peak memory is its
// own. A side does its setup first, then times only the work itself and
// reports the seconds and how many items (rows, tables, bytes) it handled.

#include <chrono>
#include <string>

class TqdServerConnection;

namespace bench {

struct SideResult {
    double seconds = 0;
    long long items = 0;
};

// Bare client-library loops: connect, run the statement, read every value.
SideResult pgFloor();
SideResult myFloor();
SideResult fbFloor();
SideResult sqliteFloor();

// Tabulon: connect a query tab, run the statement, bind the result to the
// tab's grid and paint the first screen.
SideResult pgGrid();
SideResult myGrid();
SideResult fbGrid();
SideResult sqliteGrid();

// Tabulon's window with an empty query tab, no statement run: the part of the
// grid sides' peak memory that is not the rows.
SideResult windowAlone();

// Tabulon: list the tree database's tables under its node and paint the tree.
SideResult treeFill();

// Tabulon: open the large script into a tab, save it back, compare the bytes.
SideResult scriptOpenSave();

// Tabulon: the row statement on PostgreSQL written to exportCsvPath(side) as CSV
// (LF line ends), from the connect to the closed file.
SideResult pgExportCsv();
// The same timed from a result already fetched: the export alone.
SideResult pgExportFetched();
// The same written while the rows arrive (the statement on a worker).
SideResult pgExportArriving();
std::string exportCsvPath(const std::string &side); // where a side writes its CSV
std::string psqlCsvPath(); // where psql's \copy writes the same result
// Tabulon: the PostgreSQL rows sorted through the grid's model, by a numeric
// and by a text column; only the sort is timed.
SideResult pgSortNumber();
SideResult pgSortText();

// A connection's settings for the benchmark's PostgreSQL server and `database`.
void configurePostgres(TqdServerConnection &c, const std::string &database);
// Tabulon and huge scripts (bench_bigscript.cpp): the many-line script opened
// (to the first screen) and saved, each timed alone; the one-line script
// opened, and the slowest of a few keys typed and moved at its end.
SideResult bigScriptOpen();
SideResult bigScriptSave();
SideResult longLineOpen();
SideResult longLineKeys();
// Tabulon: a query tab's completion list of the tree database's tables, from
// the catalogue cache (the first list, which reads the catalogue, is not timed).
SideResult completeList();

// Runs the named side; false for an unknown name.
bool runSide(const std::string &name, SideResult &result);

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

} // namespace bench

#pragma once
// The sides of the rows-while-they-arrive cases (bench_stream.cpp), on any
// PostgreSQL statement of the row database.

#include <libpq-fe.h>

#include "bench_sides.h"

class TqdServerConnection;

namespace bench {

// Points a query tab's connection at the row database on PostgreSQL.
void configurePg(TqdServerConnection &c);

// A libpq session to the row database; throws when it fails.
PGconn *pgConnect();
// The PQexec loop of pgFloor on another statement.
SideResult pgFloorOn(const char *statement);

// Tabulon's query tab: seconds from the connect to the first screen with rows.
SideResult pgFirstScreen(const char *statement);
// Tabulon's query tab: the longest the window's event loop was held up while
// the statement ran (the gap between two ticks of a 10 ms timer).
SideResult pgLongestStall(const char *statement);
// Tabulon's query tab: from the connect to the last row on the grid.
SideResult pgGridWhole(const char *statement);
// libpq in single-row mode: seconds from the connect to the first row (every
// row is read, none kept).
SideResult pgFloorFirstRow(const char *statement);

// The 10,000,000-row table's statement.
const char *bigRowsStatement();

} // namespace bench

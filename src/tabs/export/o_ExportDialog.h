#pragma once
// "Export...": a save dialog with one filter per format, then the whole
// result streamed to the chosen file under a progress dialog. SQL INSERT
// statements go into the table that a one-table SELECT read, else into a
// table the user names.

#include <QString>

#include <string>
#include <vector>

#include "o_ServerEngine.h"
#include "provider.h"

class QWidget;

struct TResultToExport {
    const ado::RowSet *rows = nullptr;
    std::vector<long long> order; // the rows as the grid shows them; empty: the row set's order
    std::string statement;        // the statement that produced the rows
    TqdServerEngine engine = seNone;
};

// The save dialog's filter ("Desc|*.ext|..."), one entry per format.
QString exportFilter();

// Asks for a file and writes the result to it; true when a file was written.
// A failure is reported in a message box.
bool exportResult(QWidget *owner, const TResultToExport &result);

// The table for INSERT statements: the statement's one table, else asked
// from the user; empty when the user gave none.
std::string insertTable(QWidget *owner, const TResultToExport &result);

#pragma once
// A whole result written to a file, in one of the export formats or as an
// .xlsx workbook. The file appears only when it is complete: the text goes to
// a temporary file beside the target that replaces the target at the end, so
// a stop or a failed write (a full disk) leaves no file and an existing file
// at the target as it was. Nothing here opens a window; the work may run on
// any thread while nobody changes the row set.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

#include "o_Exporters.h"

struct TExportOutcome {
    bool ok = false;
    bool cancelled = false;
    QString error; // what failed, when neither ok nor cancelled
};

// Writes `rows` (all when null) of `rowSet` to `path` as `options` say.
TExportOutcome exportToFile(const ado::RowSet &rowSet, const TExportOptions &options, const QString &path,
                            const std::vector<long long> *rows = nullptr, const TExportProgress &progress = {});

// The same as an .xlsx workbook of one sheet: the field names in the first
// row, numbers as numbers, booleans as booleans, a null as an empty cell and
// everything else as text.
TExportOutcome exportToXlsx(const ado::RowSet &rowSet, const QString &path,
                            const std::vector<long long> *rows = nullptr, const TExportProgress &progress = {});

// The table that a one-table SELECT reads ("select ... from <name> [alias]
// [where | order by | ...]"), as a table list names it for `engine`; empty
// for any other statement (joins, several tables, a subquery after FROM,
// UNION, not a SELECT).
std::string selectedTable(TqdServerEngine engine, std::string_view statement);

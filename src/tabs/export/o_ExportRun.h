#pragma once
// Runs a long write (an export, a large copy) on a worker thread while the
// window keeps painting. Past kQuietMs a modal progress dialog with Cancel
// appears; until then user input waits, so nothing can change the row set
// that the worker reads.

#include <QString>

#include <functional>

#include "o_ExportFile.h"

class QWidget;

using TExportWork = std::function<TExportOutcome(const TExportProgress &progress)>;

// `total`: the rows the work will report at most (for the bar; 0 when not known). The outcome is
// the work's; cancelled when the user pressed Cancel and the work stopped.
TExportOutcome runWithProgress(QWidget *owner, const QString &label, long long total, const TExportWork &work);

// How long a run goes without a dialog.
constexpr int kQuietMs = 100;

#pragma once
// A database call on a worker thread while the window keeps painting. The
// caller sees a synchronous call: runOnWorker returns when the call has
// finished and rethrows whatever it threw. Meanwhile user input is held off
// (except for the busy indicator, and Escape, which asks to cancel), so that
// nothing starts another database call.
//
// `rows`, when given, is a result grid whose rows arrive during the call: it
// takes input (scrolling, selecting, its menu), and so do the menus and
// dialogs opened while the call runs (the grid's Copy as, Export, the value
// viewer); none of them starts a database call.

#include <functional>

class QWidget;
class TqdBusyIndicator;

// Throws what `call` threw. `cancel` may be called on the window thread
// while `call` runs.
void runOnWorker(const std::function<void()> &call, TqdBusyIndicator *indicator,
                 const std::function<void()> &cancel, QWidget *rows = nullptr);

// True while a call started by runOnWorker has not finished.
bool workerRunActive();

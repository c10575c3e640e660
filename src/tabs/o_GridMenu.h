#pragma once
// The result grid's context menu and the work behind it: "Copy", "Copy with
// titles", "Copy as" CSV / JSON / SQL INSERT / Markdown of the selected
// cells, and "Export..." of the whole result. A copy of many cells runs on
// a worker with a progress dialog, as an export does.

#include <QObject>
#include <QString>

#include "export/o_ExportDialog.h"
#include "export/o_Exporters.h"

class QMenu;
class QPoint;
class TDBGrid;
class TqdSQLTab;

class TGridMenu : public QObject {
    Q_OBJECT
public:
    explicit TGridMenu(TDBGrid *grid);

    // The menu as it is shown at a right click (the caller owns it).
    QMenu *createMenu(QWidget *parent);

    // The result of a grid as an export takes it: its rows in the order shown,
    // the statement behind it and the engine of the tab it lies in.
    static TResultToExport resultOf(const TDBGrid &grid);
    // The grid a tab shows now (a script's run shows several), or null.
    static TDBGrid *shownGrid(TqdSQLTab *tab);

    // The selected cells in a format; as the clipboard gets them.
    static QString selectionText(const TDBGrid &grid, const TExportOptions &options);
    // The same onto the clipboard, under a progress dialog when it takes a
    // while; false when the user stopped it or gave no table (SQL INSERT).
    static bool copyAs(TDBGrid &grid, TExportFormat format, bool titles = true);
    // "Export..." of the whole result.
    static bool exportAll(TDBGrid &grid);

private:
    void showMenu(const QPoint &at);
    TDBGrid *m_grid;
};

#pragma once
// TDBGrid: the result grid, a table view bound to a data source. One column
// per field titled with its name; uniform row heights, so that a result of
// millions of rows opens and scrolls without measuring its rows.
//
// Column widths: fitted to the titles and the first rows when a result
// arrives, then grown to the widest value painted so far (up to a cap), so a
// longer value further down is not cut. A width set from outside (the user
// dragging a header edge, a window's own rule) is kept. A double click on a
// header edge fits the column to the values around the visible rows.
//
// Copy: Ctrl+C puts the selected cells on the clipboard as tab-separated
// text (whole values as the row set has them, a null as an empty cell),
// Ctrl+Shift+C the same under a line of column titles; Ctrl+A selects all.
// A right click opens the grid's menu (TGridMenu): copy, copy as other
// formats, export of the whole result. A large copy shows its progress.
//
// A click on a column title sorts the rows by it, ascending, then
// descending, then back to the order the engine sent them in.
//
// Keys move as in a spreadsheet (Qt's own moves: arrows, Home/End in the
// row, Ctrl+Home/End to the first and last cell, the page keys), and a move
// with Ctrl selects where it lands too (with Shift, extends), as one without.
//
// Ctrl+F opens the filter bar in the title row; a double click on a cell or
// Shift+Enter opens the value viewer, which follows the current cell.

#include <QTableView>

#include <vector>

#include "ado.h"

class TGridFilterBar;
class TRowSetModel;
class TValueViewer;

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    void SetDataSource(ado::TDataSource *source);
    ado::TDataSource *DataSource() const;
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }

    TRowSetModel *rowSetModel() const { return m_model; }

    // Rows and cap used when fitting the columns to their contents.
    static constexpr int kFitRows = 50;
    static constexpr int kMaxColumnWidth = 300;

    // The widest a column grows to by itself while values are painted
    // (kMaxColumnWidth unless a window sets its own limit).
    void SetMaxGrowWidth(int width) { m_maxGrow = width; }
    int MaxGrowWidth() const { return m_maxGrow; }

    // The width a cell's text needs in this grid.
    int cellWidth(const QString &text) const;
    // A cell of `column` was painted needing `width` pixels.
    void notePaintedWidth(int column, int width);

    // The selection as the clipboard gets it: one line per row that has a
    // selected cell, one column per column that has one, cells between them
    // that are not selected left empty.
    QString selectionText(bool withTitles) const;
    void copySelection(bool withTitles);

    // The filter bar and the value viewer, made at their first use.
    TGridFilterBar *filterBar();
    void openFilterBar();
    TValueViewer *valueViewer();
    void openValueViewer();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    static int copyKey(const QKeyEvent *event); // 0: none, 1: copy, 2: copy with titles
    static bool isFilterKey(const QKeyEvent *event);
    void fitColumns();
    void fitColumn(int column);
    void growColumns();
    void setOwnColumnWidth(int column, int width);
    void columnResized(int column);
    void titleClicked(int column);

    TRowSetModel *m_model;
    TGridFilterBar *m_filterBar = nullptr;
    TValueViewer *m_viewer = nullptr;
    bool m_readOnly = false;
    bool m_ownResize = false;
    bool m_growQueued = false;
    int m_maxGrow = kMaxColumnWidth;
    std::vector<int> m_widest;     // per column: widest value painted so far
    std::vector<bool> m_keepWidth; // per column: width set from outside
};

#pragma once
// TRowSetModel: a table model over the row set that a data source shows.
// Values are read from the row set where they lie, one cell at a time, only
// for the cells the view asks for; nothing is copied or cached.
//
// Sorted by a column and/or filtered, the model shows the rows through a
// permutation of row indexes (the filter's rows in the sort's order);
// sourceRow() maps a shown row to the row set's row.

#include <QAbstractTableModel>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "ado.h"
#include "o_RowFilter.h"

class TRowSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRowSetModel(QObject *parent = nullptr);

    ado::TDataSource *dataSource() const { return m_source; }
    void setDataSource(ado::TDataSource *source);
    // The row set shown now (null when the source has none).
    const ado::RowSet *rowSet() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The value of one cell as text (a null reads as empty). The grid shows a
    // null as a dimmed "NULL", told by the row set's null flag.
    QString cellText(int row, int column) const;
    bool isNull(int row, int column) const;

    // Show the rows sorted by `column`, or in the row set's order for -1.
    void sortRows(int column, Qt::SortOrder order = Qt::AscendingOrder);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    int sourceRow(int row) const { return m_order.empty() ? row : m_order[size_t(row)]; }

    // Show only the rows `filter` keeps (all rows for an inactive filter),
    // in the current sort order.
    void setRowFilter(const TRowFilter &filter);
    const TRowFilter &rowFilter() const { return m_filter; }
    bool isFiltered() const { return !m_keep.empty(); }
    // Rows of the row set, shown or not.
    int totalRowCount() const { return m_rowCount; }
    // "N of M rows" while a filter is set; empty otherwise.
    QString shownRowsText() const;
    // Show a row set whose rows are still arriving (read while another
    // thread appends); the row count follows the rows published, every
    // kArrivalTickMs, until the data source changes. They are shown in the
    // order they come: sortRows waits for the whole row set.
    void showArriving(std::shared_ptr<const ado::RowSet> rows);
    bool rowsArriving() const { return m_arriving != nullptr; }
    static constexpr int kArrivalTickMs = 60;

    // Longest text of a cell that is turned into display text; longer values are cut.
    static constexpr size_t kMaxShownBytes = 4096;

signals:
    // The rows shown changed in number (a filter was set or cleared, a new result came).
    void shownRowsChanged();
    // The row set shown while its rows arrived is whole now (shown without a
    // reset; a sort or filter may be applied).
    void rowsCompleted();

private:
    void rebuild();
    int shownRowCount() const { return m_keep.empty() ? m_rowCount : int(m_order.size()); }
    // Show the rows in `sorted` order (empty: the row set's) that `keep` flags (empty: all).
    void showRows(std::vector<int> sorted, std::vector<char> keep);
    void takeColumns();
    void showArrivedRows();
    void insertPublishedRows();

    QPointer<ado::TDataSource> m_source;
    QMetaObject::Connection m_sourceConnection;
    const ado::RowSet *m_rows = nullptr;
    int m_rowCount = 0;
    int m_fieldCount = 0;
    std::vector<QString> m_titles;
    std::vector<ado::FieldKind> m_kinds;
    mutable std::string m_scratch;
    std::vector<int> m_order;  // shown row -> row set row; empty: the row set's order, all rows
    std::vector<int> m_sorted; // the sort's permutation of all rows; empty: unsorted
    std::vector<char> m_keep;  // per row set row: kept by the filter; empty: no filter
    TRowFilter m_filter;
    std::shared_ptr<const ado::RowSet> m_arriving; // kept while shown
    QTimer m_arrivalTimer;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

#include "o_RowSetModel.h"

#include "o_RowOrder.h"

#include <QColor>

#include <limits>

TRowSetModel::TRowSetModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_arrivalTimer.setInterval(kArrivalTickMs);
    connect(&m_arrivalTimer, &QTimer::timeout, this, &TRowSetModel::showArrivedRows);
}

void TRowSetModel::setDataSource(ado::TDataSource *source)
{
    if (m_sourceConnection)
        disconnect(m_sourceConnection);
    m_source = source;
    if (source)
        m_sourceConnection = connect(source, &ado::TDataSource::changed, this, &TRowSetModel::rebuild);
    rebuild();
}

void TRowSetModel::rebuild()
{
    ado::TADODataSet *next = m_source ? m_source->DataSet() : nullptr;
    if (m_arriving && next && next->Active() && next->rowSet() &&
        &next->rowSet()->holder() == &m_arriving->holder()) {
        // The result is the row set already shown while it arrived: the rows
        // still to show are added, the rest stays (no reset, which would lay
        // out every row's header again and lose the place the user scrolled to).
        m_arrivalTimer.stop();
        m_rows = next->rowSet();
        m_arriving.reset();
        insertPublishedRows();
        emit rowsCompleted();
        emit shownRowsChanged();
        return;
    }
    beginResetModel();
    m_rows = nullptr;
    m_rowCount = 0;
    m_fieldCount = 0;
    m_titles.clear();
    m_kinds.clear();
    m_order.clear();
    m_sorted.clear();
    m_keep.clear();
    m_filter = TRowFilter();
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_arrivalTimer.stop();
    m_arriving.reset();
    ado::TADODataSet *dataSet = m_source ? m_source->DataSet() : nullptr;
    if (dataSet && dataSet->Active() && dataSet->rowSet()) {
        m_rows = dataSet->rowSet();
        takeColumns();
    }
    endResetModel();
    emit shownRowsChanged();
}

void TRowSetModel::takeColumns()
{
    const long long rows = m_rows->rowCount();
    m_rowCount = int(std::min<long long>(rows, std::numeric_limits<int>::max()));
    m_fieldCount = m_rows->fieldCount();
    m_titles.reserve(size_t(m_fieldCount));
    m_kinds.reserve(size_t(m_fieldCount));
    for (int f = 0; f < m_fieldCount; ++f) {
        const std::string name = m_rows->fieldName(f);
        m_titles.push_back(QString::fromUtf8(name.data(), qsizetype(name.size())));
        m_kinds.push_back(m_rows->fieldKind(f));
    }
}

void TRowSetModel::showArriving(std::shared_ptr<const ado::RowSet> rows)
{
    rebuild();
    if (!rows)
        return;
    beginResetModel();
    m_arriving = std::move(rows);
    m_rows = m_arriving.get();
    takeColumns();
    endResetModel();
    m_arrivalTimer.start();
}

void TRowSetModel::showArrivedRows()
{
    if (m_arriving)
        insertPublishedRows();
}

void TRowSetModel::insertPublishedRows()
{
    // Only a count to read and one insertion per tick, however many rows came.
    const int published = int(std::min<long long>(m_rows->rowCount(), std::numeric_limits<int>::max()));
    if (published <= m_rowCount || !m_order.empty())
        return;
    beginInsertRows(QModelIndex(), m_rowCount, published - 1);
    m_rowCount = published;
    endInsertRows();
}

int TRowSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : shownRowCount();
}

int TRowSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_fieldCount;
}

QString TRowSetModel::cellText(int row, int column) const
{
    if (!m_rows || row < 0 || row >= shownRowCount() || column < 0 || column >= m_fieldCount)
        return QString();
    const std::string_view text = m_rows->text(sourceRow(row), column, m_scratch);
    return QString::fromUtf8(text.data(), qsizetype(std::min(text.size(), kMaxShownBytes)));
}

bool TRowSetModel::isNull(int row, int column) const
{
    return m_rows && row >= 0 && row < shownRowCount() && column >= 0 && column < m_fieldCount &&
           m_rows->isNull(sourceRow(row), column);
}

void TRowSetModel::sortRows(int column, Qt::SortOrder order)
{
    if (!m_rows || column >= m_fieldCount || m_arriving)
        return;
    std::vector<int> sorted;
    if (column >= 0)
        sorted = sortedRowOrder(*m_rows, column, order == Qt::DescendingOrder);
    m_sortColumn = column;
    m_sortOrder = order;
    showRows(std::move(sorted), m_keep);
}

void TRowSetModel::setRowFilter(const TRowFilter &filter)
{
    // Like sorting, a filter waits for the whole row set: the arriving rows
    // are shown in the order they come, and the result's reset applies it.
    if (!m_rows || m_arriving || filter == m_filter)
        return;
    m_filter = filter;
    std::vector<char> keep;
    if (filter.isActive())
        keep = filteredRows(*m_rows, filter);
    showRows(m_sorted, std::move(keep));
    emit shownRowsChanged();
}

QString TRowSetModel::shownRowsText() const
{
    if (m_keep.empty())
        return QString();
    return QStringLiteral("%1 of %2 rows").arg(m_order.size()).arg(m_rowCount);
}

void TRowSetModel::showRows(std::vector<int> sorted, std::vector<char> keep)
{
    // Not a reset: selections and the current cell follow their rows, column widths stay.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        sourceRows.push_back(sourceRow(index.row()));
    m_sorted = std::move(sorted);
    m_keep = std::move(keep);
    m_order.clear();
    if (!m_keep.empty()) {
        const auto kept = [&](int r) {
            if (m_keep[size_t(r)])
                m_order.push_back(r);
        };
        if (m_sorted.empty())
            for (int r = 0; r < m_rowCount; ++r)
                kept(r);
        else
            for (int r : m_sorted)
                kept(r);
    } else {
        m_order = m_sorted;
    }
    if (!before.isEmpty()) {
        std::vector<int> shownAt(static_cast<size_t>(m_rowCount), -1);
        const int shown = shownRowCount();
        for (int r = 0; r < shown; ++r)
            shownAt[size_t(sourceRow(r))] = r;
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int at = shownAt[size_t(sourceRows[size_t(i)])];
            after.push_back(at < 0 ? QModelIndex() : index(at, before[i].column()));
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant TRowSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (isNull(index.row(), index.column()))
            return QStringLiteral("NULL");
        return cellText(index.row(), index.column());
    case Qt::ForegroundRole:
        // A null is told apart from any text, the text "NULL" included.
        if (isNull(index.row(), index.column()))
            return QColor(128, 128, 128);
        return QVariant();
    case Qt::TextAlignmentRole: {
        const size_t f = size_t(index.column());
        const bool number = f < m_kinds.size() && m_kinds[f] == ado::FieldKind::Number;
        return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    default:
        return QVariant();
    }
}

QVariant TRowSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && size_t(section) < m_titles.size() ? QVariant(m_titles[size_t(section)]) : QVariant();
    return QVariant(section + 1);
}

Qt::ItemFlags TRowSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

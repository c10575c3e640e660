#include "o_DBGrid.h"

#include "o_RowSetModel.h"

#include <QHeaderView>

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_model(new TRowSetModel(this))
{
    setObjectName(QStringLiteral("ResultGrid"));
    setModel(m_model);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    rows->setMinimumSectionSize(fontMetrics().height() + 2);
    rows->setSectionsClickable(false);

    QHeaderView *columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsClickable(false);
    columns->setSortIndicatorShown(false);
    columns->setHighlightSections(false);

    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::fitColumns);
}

void TDBGrid::SetDataSource(ado::TDataSource *source)
{
    m_model->setDataSource(source);
}

ado::TDataSource *TDBGrid::DataSource() const
{
    return m_model->dataSource();
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    // The grid never writes back to a row set; read-only also keeps editors away.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TDBGrid::fitColumns()
{
    const QFontMetrics cells = fontMetrics();
    const QFontMetrics titles = horizontalHeader()->fontMetrics();
    const int rows = std::min(m_model->rowCount(), kFitRows);
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = titles.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + padding;
        for (int r = 0; r < rows && width < kMaxColumnWidth; ++r)
            width = std::max(width, cells.horizontalAdvance(m_model->cellText(r, c)) + padding);
        setColumnWidth(c, std::min(width, kMaxColumnWidth));
    }
}

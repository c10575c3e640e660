#include "o_DBGrid.h"

#include "o_GridFilterBar.h"
#include "o_GridMenu.h"
#include "o_RowSetModel.h"
#include "o_ValueViewer.h"
#include "export/o_Exporters.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints a cell as usual and tells the grid how wide its text was.
class MeasuringDelegate : public QStyledItemDelegate {
public:
    explicit MeasuringDelegate(TDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // As the base class paints, keeping the text it read for the measure.
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget *widget = cell.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        m_grid->notePaintedWidth(index.column(), m_grid->cellWidth(cell.text));
    }

private:
    TDBGrid *m_grid;
};

} // namespace

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_model(new TRowSetModel(this))
{
    setObjectName(QStringLiteral("ResultGrid"));
    setHorizontalHeader(new TGridHeader(this));
    setModel(m_model);
    setItemDelegate(new MeasuringDelegate(this));
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
    columns->setSortIndicatorShown(false);
    // A click on a title sorts by its column rather than selecting the column.
    columns->setSectionsClickable(true);
    disconnect(columns, SIGNAL(sectionPressed(int)), this, nullptr);
    disconnect(columns, SIGNAL(sectionEntered(int)), this, nullptr);
    connect(columns, &QHeaderView::sectionClicked, this, &TDBGrid::titleClicked);
    columns->setHighlightSections(false);
    // The view's own handler of a double click on an edge is replaced by ours.
    disconnect(columns, SIGNAL(sectionHandleDoubleClicked(int)), this, nullptr);
    connect(columns, &QHeaderView::sectionHandleDoubleClicked, this, &TDBGrid::fitColumn);
    connect(columns, &QHeaderView::sectionResized, this, [this](int column) { columnResized(column); });

    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::fitColumns);
    new TGridMenu(this);
    connect(m_model, &TRowSetModel::shownRowsChanged, this, [this] { TGridRowsEvent::post(this); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            openValueViewer();
    });
}

TGridFilterBar *TDBGrid::filterBar()
{
    if (!m_filterBar) {
        m_filterBar = new TGridFilterBar(this);
        static_cast<TGridHeader *>(horizontalHeader())->setBar(m_filterBar);
    }
    return m_filterBar;
}

void TDBGrid::openFilterBar() { filterBar()->open(); }

TValueViewer *TDBGrid::valueViewer()
{
    if (!m_viewer)
        m_viewer = new TValueViewer(this);
    return m_viewer;
}

void TDBGrid::openValueViewer()
{
    TValueViewer *viewer = valueViewer();
    viewer->showCurrent();
    viewer->show();
    viewer->raise();
}

QItemSelectionModel::SelectionFlags TDBGrid::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // The view would leave the selection where it was on a move with Ctrl.
    if (event && event->type() == QEvent::KeyPress && selectionMode() == ExtendedSelection) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp: case Qt::Key_PageDown:
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
            if (key->modifiers() & Qt::ControlModifier)
                return key->modifiers() & Qt::ShiftModifier ? QItemSelectionModel::SelectCurrent
                                                            : QItemSelectionModel::ClearAndSelect;
            break;
        default:
            break;
        }
    }
    return QTableView::selectionCommand(index, event);
}

void TDBGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    TGridRowsEvent::post(this);
}

void TDBGrid::titleClicked(int column)
{
    QHeaderView *columns = horizontalHeader();
    if (m_model->sortColumn() != column)
        m_model->sortRows(column, Qt::AscendingOrder);
    else if (m_model->sortOrder() == Qt::AscendingOrder)
        m_model->sortRows(column, Qt::DescendingOrder);
    else
        m_model->sortRows(-1);
    columns->setSortIndicatorShown(m_model->sortColumn() >= 0);
    if (m_model->sortColumn() >= 0)
        columns->setSortIndicator(m_model->sortColumn(), m_model->sortOrder());
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

int TDBGrid::cellWidth(const QString &text) const
{
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    return fontMetrics().horizontalAdvance(text) + padding;
}

void TDBGrid::setOwnColumnWidth(int column, int width)
{
    m_ownResize = true;
    setColumnWidth(column, width);
    m_ownResize = false;
}

void TDBGrid::columnResized(int column)
{
    if (!m_ownResize && column >= 0 && size_t(column) < m_keepWidth.size())
        m_keepWidth[size_t(column)] = true;
}

void TDBGrid::fitColumns()
{
    const int columnCount = m_model->columnCount();
    m_widest.assign(size_t(columnCount), 0);
    m_keepWidth.assign(size_t(columnCount), false);
    const QFontMetrics titles = horizontalHeader()->fontMetrics();
    const int titlePadding = cellWidth(QString());
    const int rows = std::min(m_model->rowCount(), kFitRows);
    for (int c = 0; c < columnCount; ++c) {
        int width = titles.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + titlePadding;
        for (int r = 0; r < rows && width < kMaxColumnWidth; ++r)
            width = std::max(width, cellWidth(m_model->data(m_model->index(r, c)).toString()));
        width = std::min(width, kMaxColumnWidth);
        m_widest[size_t(c)] = width;
        setOwnColumnWidth(c, width);
    }
}

void TDBGrid::fitColumn(int column)
{
    if (column < 0 || size_t(column) >= m_widest.size())
        return;
    const int width = std::max(sizeHintForColumn(column), horizontalHeader()->sectionSizeHint(column));
    m_widest[size_t(column)] = width;
    m_keepWidth[size_t(column)] = false;
    setOwnColumnWidth(column, width);
}

void TDBGrid::notePaintedWidth(int column, int width)
{
    if (column < 0 || size_t(column) >= m_widest.size() || m_keepWidth[size_t(column)])
        return;
    width = std::min(width, m_maxGrow);
    if (width <= m_widest[size_t(column)])
        return;
    m_widest[size_t(column)] = width;
    // Not while painting: the new widths take effect on the next turn.
    if (!m_growQueued) {
        m_growQueued = true;
        QMetaObject::invokeMethod(this, &TDBGrid::growColumns, Qt::QueuedConnection);
    }
}

void TDBGrid::growColumns()
{
    m_growQueued = false;
    for (size_t c = 0; c < m_widest.size(); ++c)
        if (!m_keepWidth[c] && columnWidth(int(c)) < m_widest[c])
            setOwnColumnWidth(int(c), m_widest[c]);
}

QString TDBGrid::selectionText(bool withTitles) const
{
    TExportOptions options;
    options.format = TExportFormat::Tsv;
    options.header = withTitles;
    return TGridMenu::selectionText(*this, options);
}

void TDBGrid::copySelection(bool withTitles)
{
    if (!selectionModel()->hasSelection())
        return;
    TGridMenu::copyAs(*this, TExportFormat::Tsv, withTitles);
}

int TDBGrid::copyKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy))
        return 1;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_C && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return 2;
    return 0;
}

bool TDBGrid::isFilterKey(const QKeyEvent *event) { return event->matches(QKeySequence::Find); }

bool TDBGrid::event(QEvent *event)
{
    // The grid's copy keys win over window shortcuts on the same keys.
    if (event->type() == QEvent::ShortcutOverride &&
        (copyKey(static_cast<QKeyEvent *>(event)) || isFilterKey(static_cast<QKeyEvent *>(event)))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (const int key = copyKey(event)) {
        copySelection(key == 2);
        event->accept();
        return;
    }
    if (isFilterKey(event)) {
        openFilterBar();
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::ShiftModifier) {
        if (currentIndex().isValid())
            openValueViewer();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

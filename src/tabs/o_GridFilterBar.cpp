#include "o_GridFilterBar.h"

#include "o_DBGrid.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

TGridHeader::TGridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

void TGridHeader::setBar(QWidget *bar)
{
    m_bar = bar;
    bar->setParent(this);
    bar->hide();
}

int TGridHeader::barHeight() const { return m_bar && !m_bar->isHidden() ? m_bar->sizeHint().height() : 0; }

void TGridHeader::barChanged()
{
    if (m_bar)
        m_bar->setGeometry(0, 0, width(), barHeight());
    updateGeometry();
    emit geometriesChanged(); // the grid lays out its title row again
    viewport()->update();
}

QSize TGridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + barHeight());
    return size;
}

void TGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QHeaderView::paintSection(painter, rect.adjusted(0, barHeight(), 0, 0), logicalIndex);
}

void TGridHeader::resizeEvent(QResizeEvent *event)
{
    QHeaderView::resizeEvent(event);
    if (m_bar)
        m_bar->setGeometry(0, 0, width(), barHeight());
}

QEvent::Type TGridRowsEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void TGridRowsEvent::post(TDBGrid *grid)
{
    QWidget *window = grid->window();
    if (window && window != grid) {
        TGridRowsEvent event(grid);
        QCoreApplication::sendEvent(window, &event);
    }
}

TGridFilterBar::TGridFilterBar(TDBGrid *grid) : QFrame(grid), m_grid(grid)
{
    setObjectName(QStringLiteral("FilterBar"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);

    m_column = new QComboBox(this);
    m_column->setObjectName(QStringLiteral("FilterColumn"));
    m_column->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("FilterOperator"));
    m_operator->addItem(tr("contains"), int(TRowFilter::Contains));
    m_operator->addItem(tr("equals"), int(TRowFilter::Equals));
    m_operator->addItem(tr("greater than"), int(TRowFilter::Greater));
    m_operator->addItem(tr("less than"), int(TRowFilter::Less));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FilterText"));
    m_text->setPlaceholderText(tr("Filter rows"));
    m_text->setClearButtonEnabled(true);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("FilterCount"));
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("FilterClose"));
    m_close->setText(QStringLiteral("\u00D7"));
    m_close->setToolTip(tr("Clear the filter (Esc)"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::TabFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(new QLabel(tr("Filter:"), this));
    layout->addWidget(m_column);
    layout->addWidget(m_operator);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_count);
    layout->addWidget(m_close);

    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, &TGridFilterBar::apply);
    connect(m_text, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    connect(m_text, &QLineEdit::returnPressed, this, &TGridFilterBar::apply);
    // The clear button empties the text without an edit signal of its own.
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            apply();
    });
    connect(m_column, &QComboBox::activated, this, &TGridFilterBar::apply);
    connect(m_operator, &QComboBox::activated, this, &TGridFilterBar::apply);
    connect(m_close, &QToolButton::clicked, this, &TGridFilterBar::close);
    for (QWidget *w : {static_cast<QWidget *>(m_column), static_cast<QWidget *>(m_operator),
                       static_cast<QWidget *>(m_text)})
        w->installEventFilter(this);

    TRowSetModel *model = grid->rowSetModel();
    const auto newResult = [this] {
        // A new result: the same filter, on a column of the same name if it has one.
        fillColumns();
        if (!isHidden())
            apply();
    };
    connect(model, &QAbstractItemModel::modelReset, this, newResult);
    connect(model, &TRowSetModel::rowsCompleted, this, newResult);
    connect(model, &TRowSetModel::shownRowsChanged, this, &TGridFilterBar::showCount);
    fillColumns();
}

void TGridFilterBar::fillColumns()
{
    const QString chosen = m_column->currentIndex() > 0 ? m_column->currentText() : QString();
    const TRowSetModel *model = m_grid->rowSetModel();
    m_column->clear();
    m_column->addItem(tr("(any column)"), -1);
    for (int c = 0; c < model->columnCount(); ++c)
        m_column->addItem(model->headerData(c, Qt::Horizontal).toString(), c);
    const int again = chosen.isEmpty() ? -1 : m_column->findText(chosen, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    m_column->setCurrentIndex(again > 0 ? again : 0);
}

void TGridFilterBar::open()
{
    auto *header = qobject_cast<TGridHeader *>(m_grid->horizontalHeader());
    if (isHidden()) {
        show();
        if (header)
            header->barChanged();
    }
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void TGridFilterBar::close()
{
    m_typing->stop();
    m_text->clear();
    apply();
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    if (auto *header = qobject_cast<TGridHeader *>(m_grid->horizontalHeader()))
        header->barChanged();
    if (hadFocus)
        m_grid->setFocus(Qt::OtherFocusReason);
}

void TGridFilterBar::apply()
{
    m_typing->stop();
    TRowFilter filter;
    filter.field = m_column->currentData().toInt();
    filter.op = TRowFilter::Operator(m_operator->currentData().toInt());
    filter.text = m_text->text();
    if (!m_grid->rowSetModel()->rowSet())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_grid->rowSetModel()->setRowFilter(filter);
    QApplication::restoreOverrideCursor();
    showCount();
}

void TGridFilterBar::showCount() { m_count->setText(m_grid->rowSetModel()->shownRowsText()); }

bool TGridFilterBar::focusNextPrevChild(bool next)
{
    const QList<QWidget *> boxes = {m_column, m_operator, m_text, m_close};
    const qsizetype at = boxes.indexOf(QApplication::focusWidget());
    const qsizetype count = boxes.size();
    const qsizetype to = at < 0 ? 0 : (at + (next ? 1 : count - 1)) % count;
    boxes[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool TGridFilterBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        // Down from the text goes to the rows it kept.
        if (watched == m_text && key->key() == Qt::Key_Down) {
            apply();
            m_grid->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

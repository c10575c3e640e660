#include "o_ResultArea.h"

#include "o_DBGrid.h"

#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>

QString rowCount(long long rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

TqdResultArea::TqdResultArea(QSplitter *splitter, TDBGrid *grid, TqdServerConnection *connection, QObject *owner)
    : QObject(owner), m_splitter(splitter), m_grid(grid), m_connection(connection)
{
    // Parked beside the splitter until a script runs.
    m_tabs = new QTabWidget(splitter->parentWidget());
    m_tabs->setObjectName(QStringLiteral("ResultTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->hide();

    m_messages = new QPlainTextEdit(m_tabs);
    m_messages->setObjectName(QStringLiteral("Messages"));
    m_messages->setReadOnly(true);
    m_messages->setLineWrapMode(QPlainTextEdit::NoWrap);
}

TqdResultArea::~TqdResultArea()
{
    releaseResults();
}

TDBGrid *TqdResultArea::ResultGrid(int index) const
{
    return index >= 0 && index < ResultCount() ? m_results[std::size_t(index)].grid : nullptr;
}

void TqdResultArea::releaseResults()
{
    for (Result &r : m_results) {
        r.grid->SetDataSource(nullptr);
        r.source->SetDataSet(nullptr);
        if (m_connection)
            m_connection->ReleaseQuery(r.rows);
        delete r.grid;
        delete r.source;
    }
    m_results.clear();
}

void TqdResultArea::showPane(QWidget *pane)
{
    if (!m_splitter || m_splitter->indexOf(pane) == 1)
        return;
    const QList<int> sizes = m_splitter->sizes();
    QWidget *previous = m_splitter->replaceWidget(1, pane);
    if (previous) {
        // The splitter lets go of the pane it replaces; the tab keeps it.
        previous->setParent(m_splitter->parentWidget());
        previous->hide();
    }
    pane->show();
    m_splitter->setSizes(sizes);
}

void TqdResultArea::Clear()
{
    releaseResults();
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    m_messages->clear();
    showPane(m_grid);
}

void TqdResultArea::BeginScript()
{
    Clear();
    m_tabs->addTab(m_messages, QStringLiteral("Messages"));
    showPane(m_tabs);
}

bool TqdResultArea::AddResult(ado::TADODataSet *rows)
{
    if (ResultCount() >= kMaxResultTabs) {
        if (m_connection)
            m_connection->ReleaseQuery(rows);
        return false;
    }
    Result r{new TDBGrid(m_tabs), new ado::TDataSource(this), rows};
    r.source->SetDataSet(rows);
    r.grid->SetDataSource(r.source);
    r.grid->SetReadOnly(true);
    m_results.push_back(r);
    // Result tabs in order, the messages last.
    m_tabs->insertTab(ResultCount() - 1, r.grid,
                      QStringLiteral("Result %1 (%2)").arg(ResultCount()).arg(rowCount(rows->RecordCount())));
    return true;
}

void TqdResultArea::AddMessage(const QString &line)
{
    m_messages->appendPlainText(line);
}

void TqdResultArea::ShowFront(bool messages)
{
    m_tabs->setCurrentWidget(messages || m_results.empty() ? static_cast<QWidget *>(m_messages) : m_results.front().grid);
}

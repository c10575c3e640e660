#pragma once
// TqdResultArea: what a query tab shows under its editor after a run. A run
// of one statement shows the tab's one result grid; a script shows a result
// tab per row set ("Result 1 (8 rows)") and a "Messages" tab that lists
// every statement. The area keeps the row sets of the last script and
// releases them when the next run starts.

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

#include "ado.h"
#include "o_ServerConnection.h"

class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QWidget;
class TDBGrid;

// "1 row", "8 rows".
QString rowCount(long long rows);

class TqdResultArea : public QObject {
    Q_OBJECT
public:
    // `splitter`'s second pane is where the results go; `grid` is the one
    // grid of single runs, in that pane at construction.
    TqdResultArea(QSplitter *splitter, TDBGrid *grid, TqdServerConnection *connection, QObject *owner);
    ~TqdResultArea() override;

    // Result tabs kept for one script; row sets beyond them are counted in
    // the messages and released at once.
    static constexpr int kMaxResultTabs = 20;

    // Release the script's row sets and show the one grid again.
    void Clear();
    // Release what the last run left and show an empty set of tabs.
    void BeginScript();
    // Keep `rows` (a result of the connection) in a tab of its own; false,
    // with the row set released, when kMaxResultTabs are kept already.
    bool AddResult(ado::TADODataSet *rows);
    void AddMessage(const QString &line);
    // Bring the first result tab to the front, or the messages when there is none or `messages`.
    void ShowFront(bool messages);

    QTabWidget *ResultTabs() const { return m_tabs; }
    QPlainTextEdit *Messages() const { return m_messages; }
    int ResultCount() const { return int(m_results.size()); }
    TDBGrid *ResultGrid(int index) const;

private:
    struct Result {
        TDBGrid *grid;
        ado::TDataSource *source;
        ado::TADODataSet *rows;
    };
    void releaseResults();
    void showPane(QWidget *pane);

    QPointer<QSplitter> m_splitter;
    TDBGrid *m_grid;
    QPointer<TqdServerConnection> m_connection;
    QTabWidget *m_tabs;
    QPlainTextEdit *m_messages;
    std::vector<Result> m_results;
};

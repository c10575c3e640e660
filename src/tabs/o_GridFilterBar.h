#pragma once
// The filter bar of a result grid: a column chooser ("(any column)" or one
// column), an operator (contains, equals, greater than, less than), the text
// and the count of rows shown ("12 of 500 rows"). It lies in the top of the
// grid's title row, which grows to hold it, so the grid keeps its place in
// its window. Typing filters after a short pause, Enter at once; Escape or
// the close button clears the filter and hides the bar.
//
// TGridHeader is the title row that holds the bar.

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;
class TDBGrid;

class TGridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TGridHeader(QWidget *parent = nullptr);
    void setBar(QWidget *bar);
    QWidget *bar() const { return m_bar; }
    int barHeight() const;
    // The bar was shown or hidden: the title row changes its height.
    void barChanged();

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QWidget> m_bar;
};

class TGridFilterBar : public QFrame {
    Q_OBJECT
public:
    explicit TGridFilterBar(TDBGrid *grid);

    // Shows the bar (the title row grows) and puts the caret in its text.
    void open();
    // Clears the filter and hides the bar.
    void close();

    QComboBox *columnBox() const { return m_column; }
    QComboBox *operatorBox() const { return m_operator; }
    QLineEdit *textBox() const { return m_text; }
    QLabel *countLabel() const { return m_count; }

    // Applies what the bar holds now (typing waits for a pause first).
    void apply();

    static constexpr int kTypingPauseMs = 250;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Tab goes round the bar's own boxes; the grid would take it to move its current cell.
    bool focusNextPrevChild(bool next) override;

private:
    void fillColumns();
    void showCount();

    TDBGrid *m_grid;
    QComboBox *m_column;
    QComboBox *m_operator;
    QLineEdit *m_text;
    QLabel *m_count;
    QToolButton *m_close;
    QTimer *m_typing;
};

// Sent to a grid's window whenever the grid's shown rows change in number or
// the grid comes into view, so that the window can show its "N of M rows".
class TGridRowsEvent : public QEvent {
public:
    explicit TGridRowsEvent(TDBGrid *grid) : QEvent(eventType()), m_grid(grid) {}
    static QEvent::Type eventType();
    TDBGrid *grid() const { return m_grid; }
    // Tell `grid`'s window, when the grid sits in one.
    static void post(TDBGrid *grid);

private:
    TDBGrid *m_grid;
};

#pragma once
// TValueViewer: a window beside a result grid that shows the grid's current
// cell whole (the grid cuts long values): long text wrapped, JSON and XML
// laid out, binary values as a hex dump or a picture. It follows the current
// cell while it stays open; Copy puts the shown text (or the picture) on the
// clipboard.

#include <QDialog>
#include <QPointer>

#include "o_ValueFormat.h"

class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QStackedWidget;
class TDBGrid;

class TValueViewer : public QDialog {
    Q_OBJECT
public:
    explicit TValueViewer(TDBGrid *grid);

    // Shows the grid's current cell (nothing when there is none).
    void showCurrent();
    const TShownValue &shownValue() const { return m_value; }
    QString caption() const;
    void copyValue() const;

private:
    QPointer<TDBGrid> m_grid;
    TShownValue m_value;
    QLabel *m_title;
    QStackedWidget *m_pages;
    QPlainTextEdit *m_text;
    QScrollArea *m_pictureArea;
    QLabel *m_picture;
};

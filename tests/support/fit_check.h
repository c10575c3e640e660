#pragma once
// Whether a window shows its texts whole: each text's size in its widget's
// font against the room the widget's style gives it, and each named widget
// inside its parent's frame.

#include <QFont>
#include <QString>
#include <QStringList>

class QTreeWidget;
class QWidget;

namespace fitcheck {

// One line per text that its widget cuts (too narrow or too low) and per
// named widget that sticks out of its parent; empty when everything fits.
// Only visible widgets count.
QStringList cutTexts(const QWidget *window);

// The same for the cells of one column of a tree widget (elided cells).
QStringList cutCells(const QTreeWidget *view, int column);

// The width a one-line text needs in a widget's font.
int textWidth(const QWidget *widget, const QString &text);

// The application's font replaced while the object lives.
class AppFont {
public:
    explicit AppFont(const QFont &font);
    ~AppFont();
    AppFont(const AppFont &) = delete;
    AppFont &operator=(const AppFont &) = delete;

    // The default font scaled by `factor`: 1.25 and 1.5 are the desktop's
    // 125 % and 150 % font scaling.
    static QFont scaled(double factor);
    // The default font at a small pixel height, narrow enough for the
    // windows' designed sizes.
    static QFont small();

private:
    QFont saved;
};

} // namespace fitcheck

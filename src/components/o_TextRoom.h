#pragma once
// Room for a text in a widget: the windows are laid out in pixels for a
// narrow font, and with a wider or taller font a caption or a line of text
// would be cut. These give a widget's size grown from its designed one just
// as far as its style needs to show its text whole.

#include <QSize>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace textroom {

// A push button's size: `designed`, or more where its caption needs it.
QSize buttonSize(const QPushButton *button, QSize designed);

// A line edit's height: `designed`, or a line of its font with the frame
// and margins that the style draws around it.
int lineEditHeight(const QLineEdit *edit, int designed);

// A combo box's size: `designed`, or more where a line of its font, and
// with `fitItems` each of its items, needs it.
QSize comboBoxSize(const QComboBox *box, QSize designed, bool fitItems);

// A label's size for its one-line caption: `designed`, or more.
QSize labelSize(const QLabel *label, QSize designed);

} // namespace textroom

#pragma once
// A small find bar that lies over the editor's top right corner: a text box,
// next / previous, and a close button. Enter finds the next match, Shift+Enter
// the previous one, Escape closes the bar and returns to the editor.

#include <QFrame>

class QLineEdit;
class QLabel;
class QsciScintilla;

class TqdFindBar : public QFrame {
    Q_OBJECT
public:
    explicit TqdFindBar(QsciScintilla *editor);

    QLineEdit *edtFind() const { return m_edit; }
    // Show the bar with `text` (if not empty) and focus the text box.
    void activate(const QString &text);
    // Look for the text from the caret, wrapping around; false when absent.
    bool find(bool forward);
    void close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QsciScintilla *m_editor;
    QLineEdit *m_edit;
    QLabel *m_status;
};

#pragma once
// A small find bar that lies over the editor's top right corner: a text box,
// match case / whole word / regular expression switches, next / previous and
// a close button; Ctrl+H adds a second row to replace one match or all of
// them. Enter finds the next match, Shift+Enter the previous one (in the
// replace box Enter replaces), Escape closes the bar and returns to the editor.

#include <QFrame>

class QLineEdit;
class QLabel;
class QToolButton;
class QWidget;
class QsciScintilla;

class TqdFindBar : public QFrame {
    Q_OBJECT
public:
    explicit TqdFindBar(QsciScintilla *editor);

    QLineEdit *edtFind() const { return m_edit; }
    QLineEdit *edtReplace() const { return m_replace; }
    QToolButton *btnMatchCase() const { return m_matchCase; }
    QToolButton *btnWholeWord() const { return m_wholeWord; }
    QToolButton *btnRegExp() const { return m_regExp; }
    QString status() const;
    bool replaceVisible() const;

    // Show the bar with `text` (if not empty) and focus the text box; with
    // `replace` the replace row shows as well.
    void activate(const QString &text, bool replace = false);
    // Look for the text from the caret, wrapping around; false when absent.
    bool find(bool forward);
    // Replace the selection when it is a match, then select the next match;
    // false when there was no match to replace.
    bool replaceOne();
    // Replace every match in the document as one undo step; the count.
    int replaceAll();
    void close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int searchFlags() const;
    // Search [from, to) for the text; the match's start (end in *end), -1
    // when absent, -2 when the regular expression is invalid.
    long searchRange(long from, long to, long *end) const;
    long replaceTarget(const QString &with) const;

    QsciScintilla *m_editor;
    QLineEdit *m_edit;
    QLineEdit *m_replace;
    QWidget *m_replaceRow;
    QToolButton *m_matchCase;
    QToolButton *m_wholeWord;
    QToolButton *m_regExp;
    QLabel *m_status;
};

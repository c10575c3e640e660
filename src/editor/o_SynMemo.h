#pragma once
// TqdSynMemo: the SQL editor of a query tab, on Scintilla. The document holds
// bytes exactly as given (UTF-8 shows as text); a script in another encoding (Latin-1,
// Windows-1252, UTF-16) is decoded when loaded and encoded again when saved,
// so its untouched text keeps its bytes. The line list reads and writes bytes
// without going through QString.

#include <Qsci/qsciscintilla.h>

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

#include "o_LineBreaks.h"
#include "o_SQLSynWords.h"
#include "o_TextEncoding.h"

class TqdSynMemo;
class TqdFindBar;

// The editor's lines. Changes made here raise no change event.
class TSynLines {
public:
    explicit TSynLines(TqdSynMemo &memo) : m_memo(memo) {}

    // The lines joined by CR LF, no break after the last one.
    std::string Text() const;
    // Replace the whole text (broken into lines as a file is).
    void SetText(const std::string &text);
    // The lines joined by the remembered break style, in the script's
    // encoding: what SaveToFile writes. Throws ETextEncodingError when the
    // encoding cannot hold a character of the text.
    std::string FileBytes() const;
    // Put back a document exactly as it was (no break conversion), with its
    // break style and encoding.
    void Restore(std::string_view document, TSynLineBreak lineBreak, TSynEncoding encoding);

    void Add(const std::string &line);
    void Clear();
    int Count() const;
    std::string Strings(int index) const;

    // Throws std::runtime_error when the file cannot be read or written, or
    // cannot be decoded (ETextEncodingError). The load decodes the file from
    // the encoding its bytes are in; the save replaces the file only once
    // the whole text is written, so a failed save leaves the old file whole.
    void LoadFromFile(const QString &path);
    void SaveToFile(const QString &path) const;

    // CR LF for text never loaded; else the style of the last loaded file.
    TSynLineBreak LineBreak() const { return m_lineBreak; }
    // UTF-8 for text never loaded; else the encoding of the last loaded file.
    TSynEncoding Encoding() const { return m_encoding; }

private:
    void replaceAll(const char *data, size_t length, bool keepBreaks = false);
    TqdSynMemo &m_memo;
    TSynLineBreak m_lineBreak = TSynLineBreak::CRLF;
    TSynEncoding m_encoding = TSynEncoding::UTF8;
};

// Names from outside the editor (a database's tables and columns) that the
// completion list offers before the dialect's words.
struct TSynNameCompletion {
    bool handled = false;  // false: no names here; the list holds the dialect's words alone
    long wordStart = 0;    // where the typed word begins (its opening quote included)
    QStringList names;     // shown first, in this order
    QStringList inserted;  // the text each name inserts (quoted where the name needs it)
    bool keywords = true;  // false where only a name fits (after "name.", in a quoted name)
    bool pending = false;  // more names are being read: namesArrived() follows
};

class TqdSynMemo : public QsciScintilla {
    Q_OBJECT
public:
    explicit TqdSynMemo(QWidget *parent = nullptr);
    ~TqdSynMemo() override;

    TSynLines &Lines() { return m_lines; }
    const TSynLines &Lines() const { return m_lines; }

    bool SelAvail() const;
    std::string SelText() const;
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    void ClearSelection();

    // Raised after each edit the user makes (typing, cut, paste, delete,
    // undo, redo); not for changes through Lines().
    std::function<void()> OnChange;

    // The document's bytes, valid until the next change.
    std::string_view documentBytes() const;
    // A copy of the document's bytes. Unlike documentBytes() it leaves the
    // editor's buffer as it is: no bytes move to make the text contiguous.
    std::string copyDocumentBytes() const;

    // The inline find bar (Ctrl+F; Ctrl+H with its replace row).
    TqdFindBar *findBar() const { return m_findBar; }
    void showFindBar(bool replace = false);

    // The line comment marks of a dialect; the first is the one inserted.
    static QStringList lineCommentMarks(TSQLDialect dialect);
    // Ctrl+/: comment the selected lines (the caret's line when none are
    // selected) with the highlighter's dialect's mark, or uncomment them
    // when every non-blank one is commented already. One undo step.
    void toggleLineComment();
    // Ctrl+G: ask for a line number and put the caret at that line's start.
    void goToLine();

    // The dialect's keywords, data types and functions that start with
    // `prefix` (case ignored), sorted; in lower case when the prefix is.
    static QStringList completionsFor(TSQLDialect dialect, const QString &prefix);
    // Show the completion list for the word before the caret: from the third
    // typed letter on, or for any prefix on Ctrl+Space (`asked`). False when
    // no word fits.
    bool showCompletions(bool asked);

    // Where the list's names come from; unset, the list holds the dialect's
    // words alone. Called with the caret's position.
    std::function<TSynNameCompletion(long caret)> NameCompletion;
    // Names that were being read came in: the list opens again if the user
    // is still at the word it was asked for (for the text typed by then).
    void namesArrived();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TSynLines;
    void textWasChanged();
    void updateLineNumberMargin();
    void placeFindBar();
    TSQLDialect dialect() const;

    // The document changes that Scintilla announces (before they happen).
    static constexpr int kChangeEvents = SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE;

    TSynLines m_lines;
    int m_silent = 0;            // > 0 while the line list changes the document
    int m_marginDigits = 0;
    bool m_marginPending = false; // a margin update is queued after a change
    TqdFindBar *m_findBar = nullptr;
    // The word whose names are still being read (-1: none), and whether its
    // list was asked for with Ctrl+Space.
    long m_pendingWord = -1;
    bool m_pendingAsked = false;
    // The names shown whose inserted text differs from the shown one.
    QHash<QString, QString> m_insertions;
    void insertCompletion(const char *selection, int position);
};

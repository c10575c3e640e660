#include "o_SynMemo.h"

#include <QGuiApplication>

#include "o_FindBar.h"
#include "o_Prompts.h"
#include "o_SQLSyn.h"

#include <QKeyEvent>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <QLineEdit>
#include <QFontDatabase>
#include <QResizeEvent>
#include <QSet>

TqdSynMemo::TqdSynMemo(QWidget *parent) : QsciScintilla(parent), m_lines(*this)
{
    setObjectName(QStringLiteral("SynMemo"));
    setUtf8(true); // SCI_SETCODEPAGE SC_CP_UTF8: bytes stay as given, UTF-8 shows as text
    setEolMode(EolWindows);
    setEolVisibility(false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMarginLineNumbers(0, true);
    setMarginType(0, NumberMargin);
    setMarginWidth(1, 0);
    setBraceMatching(SloppyBraceMatch);
    setAutoIndent(true);
    setTabWidth(4);
    updateLineNumberMargin();

    // Changes are announced before they happen, without their text. The
    // library's handler of the announcements after a change turns the whole
    // document in front of the change into characters, a stall per key in a
    // long text; textChanged now comes from here, the margin follows later.
    SendScintilla(SCI_SETMODEVENTMASK, kChangeEvents);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, [this](int, int type) {
        if (type & kChangeEvents)
            emit textChanged();
    });
    connect(this, &QsciScintilla::textChanged, this, &TqdSynMemo::textWasChanged);
    connect(this, &QsciScintilla::linesChanged, this, &TqdSynMemo::updateLineNumberMargin);

    m_findBar = new TqdFindBar(this);
    m_findBar->hide();
    // the bar grows with its status text and the replace row: keep it whole
    m_findBar->installEventFilter(this);

    SendScintilla(SCI_AUTOCSETIGNORECASE, 1);
    SendScintilla(SCI_AUTOCSETMAXHEIGHT, 10);
    connect(this, &QsciScintillaBase::SCN_CHARADDED, this, [this](int ch) {
        if (ch < 0x80 && (std::isalnum(ch) || ch == '_'))
            showCompletions(false);
        else if (ch == '.' && NameCompletion)
            showCompletions(true); // "name." lists what that name holds, when it holds names
        else
            m_pendingWord = -1;
    });
    connect(this, qOverload<const char *, int>(&QsciScintillaBase::SCN_AUTOCSELECTION), this,
            &TqdSynMemo::insertCompletion);

}

TqdSynMemo::~TqdSynMemo() = default;

void TqdSynMemo::textWasChanged()
{
    if (!m_marginPending) {
        m_marginPending = true;
        QMetaObject::invokeMethod(this, &TqdSynMemo::updateLineNumberMargin, Qt::QueuedConnection);
    }
    if (m_silent == 0 && OnChange)
        OnChange();
}

void TqdSynMemo::updateLineNumberMargin()
{
    m_marginPending = false;
    int digits = 1;
    for (int n = lines(); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    if (digits == m_marginDigits)
        return;
    m_marginDigits = digits;
    setMarginWidth(0, QString(digits + 1, QLatin1Char('9')));
}

std::string_view TqdSynMemo::documentBytes() const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    if (length <= 0)
        return {};
    const char *data = static_cast<const char *>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return std::string_view(data, size_t(length));
}

std::string TqdSynMemo::copyDocumentBytes() const
{
    // The text lies in two parts, before and after the gap where the last
    // edit was: each part is read where it is.
    const long length = SendScintilla(SCI_GETLENGTH);
    const long gap = std::clamp(long(SendScintilla(SCI_GETGAPPOSITION)), 0L, std::max(length, 0L));
    std::string copy;
    copy.resize(size_t(std::max(length, 0L)));
    const auto part = [&](long from, long count) {
        if (count <= 0)
            return;
        const auto *bytes = reinterpret_cast<const char *>(SendScintilla(SCI_GETRANGEPOINTER, (unsigned long)from, count));
        std::memcpy(copy.data() + from, bytes, size_t(count));
    };
    part(0, gap);
    part(gap, length - gap);
    return copy;
}

bool TqdSynMemo::SelAvail() const
{
    return SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
}

std::string TqdSynMemo::SelText() const
{
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    return std::string(documentBytes().substr(size_t(start), size_t(end - start)));
}

void TqdSynMemo::CutToClipboard()
{
    cut();
}

void TqdSynMemo::CopyToClipboard()
{
    copy();
}

void TqdSynMemo::PasteFromClipboard()
{
    paste();
}

void TqdSynMemo::ClearSelection()
{
    if (SelAvail())
        removeSelectedText();
}

void TqdSynMemo::showFindBar(bool replace)
{
    m_findBar->activate(selectedText(), replace);
    placeFindBar();
}

QStringList TqdSynMemo::lineCommentMarks(TSQLDialect dialect)
{
    if (dialect == sqlMySQL)
        return {QStringLiteral("--"), QStringLiteral("#")};
    return {QStringLiteral("--")};
}

void TqdSynMemo::toggleLineComment()
{
    const QStringList marks = lineCommentMarks(dialect());
    const std::string inserted = marks.first().toStdString() + ' ';

    const long selStart = SendScintilla(SCI_GETSELECTIONSTART);
    const long selEnd = SendScintilla(SCI_GETSELECTIONEND);
    const long first = SendScintilla(SCI_LINEFROMPOSITION, selStart);
    long last = SendScintilla(SCI_LINEFROMPOSITION, selEnd);
    // a selection that ends at a line's start leaves that line alone
    const bool endsAtLineStart = last > first && SendScintilla(SCI_POSITIONFROMLINE, last) == selEnd;
    if (endsAtLineStart)
        --last;

    const std::string_view doc = documentBytes();
    // The mark a line starts with (after its indent), or none.
    auto markOf = [&](long line) -> std::string {
        const size_t at = size_t(SendScintilla(SCI_GETLINEINDENTPOSITION, line));
        for (const QString &mark : marks) {
            const std::string m = mark.toStdString();
            if (doc.substr(at, m.size()) == m)
                return m;
        }
        return {};
    };
    auto blank = [&](long line) {
        return SendScintilla(SCI_GETLINEINDENTPOSITION, line) == SendScintilla(SCI_GETLINEENDPOSITION, line);
    };

    bool allCommented = true;
    bool any = false;
    long indent = -1;
    for (long line = first; line <= last; ++line) {
        if (blank(line))
            continue;
        any = true;
        if (markOf(line).empty())
            allCommented = false;
        const long column = SendScintilla(SCI_GETLINEINDENTATION, line);
        indent = indent < 0 ? column : std::min(indent, column);
    }
    if (!any)
        return;

    SendScintilla(SCI_BEGINUNDOACTION);
    for (long line = last; line >= first; --line) {
        if (blank(line))
            continue;
        if (allCommented) {
            const long at = SendScintilla(SCI_GETLINEINDENTPOSITION, line);
            const std::string_view now = documentBytes();
            long length = long(markOf(line).size());
            if (size_t(at + length) < now.size() && now[size_t(at + length)] == ' ')
                ++length;
            SendScintilla(SCI_DELETERANGE, at, length);
        } else {
            const long at = SendScintilla(SCI_FINDCOLUMN, line, indent);
            SendScintilla(SCI_INSERTTEXT, at, inserted.c_str());
        }
    }
    SendScintilla(SCI_ENDUNDOACTION);
    // the same whole lines stay selected, so a second Ctrl+/ undoes the first
    if (selEnd > selStart) {
        const long end = endsAtLineStart ? SendScintilla(SCI_POSITIONFROMLINE, last + 1)
                                         : SendScintilla(SCI_GETLINEENDPOSITION, last);
        SendScintilla(SCI_SETSEL, SendScintilla(SCI_POSITIONFROMLINE, first), end);
    }
}

TSQLDialect TqdSynMemo::dialect() const
{
    const auto *highlighter = qobject_cast<const TqdSQLSyn *>(lexer());
    return highlighter ? highlighter->SQLDialect() : sqlStandard;
}

QStringList TqdSynMemo::completionsFor(TSQLDialect dialect, const QString &prefix)
{
    // the dialect's words, sorted and without repeats, built once
    static std::map<TSQLDialect, QStringList> cache;
    QStringList &all = cache[dialect];
    if (all.isEmpty()) {
        const TSQLDialectWords &words = dialectWords(dialect);
        for (const char *const *groups : {words.keywords, words.dataTypes, words.functions})
            for (const char *const *group = groups; group && *group; ++group)
                all += QString::fromLatin1(*group).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        all.sort();
        all.removeDuplicates();
    }
    QStringList found;
    for (const QString &word : all)
        if (word.startsWith(prefix, Qt::CaseInsensitive))
            found += word;
    if (!prefix.isEmpty() && prefix == prefix.toLower())
        for (QString &word : found)
            word = word.toLower();
    return found;
}

bool TqdSynMemo::showCompletions(bool asked)
{
    m_pendingWord = -1;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const TSynNameCompletion names = NameCompletion ? NameCompletion(caret) : TSynNameCompletion();
    const long start = names.handled ? names.wordStart : long(SendScintilla(SCI_WORDSTARTPOSITION, caret, true));
    const std::string typed(documentBytes().substr(size_t(start), size_t(caret - start)));
    if (names.pending) {
        m_pendingWord = start;
        m_pendingAsked = asked;
    }
    // after "name." a list opens at once; elsewhere from the third letter
    const bool afterDot = names.handled && !names.keywords;
    if (!asked && typed.size() < 3 && !afterDot)
        return false;
    // Scintilla places its list on the screen under the caret and crashes
    // when there is none: an editor that is not shown, or a caret outside
    // every screen (a window pushed past the desktop's edge) gets no list.
    const QPoint caretPoint(int(SendScintilla(SCI_POINTXFROMPOSITION, 0, caret)),
                            int(SendScintilla(SCI_POINTYFROMPOSITION, 0, caret)));
    if (!isVisible() || !QGuiApplication::screenAt(viewport()->mapToGlobal(caretPoint)))
        return false;

    QStringList keywords = names.keywords ? completionsFor(dialect(), QString::fromStdString(typed)) : QStringList();
    QStringList words;
    QSet<QString> listed;
    QSet<QString> keywordKeys;
    for (const QString &k : keywords)
        keywordKeys.insert(k.toLower());
    QSet<QString> dropped; // keywords that a name of the same spelling stands for
    m_insertions.clear();
    for (qsizetype i = 0; i < names.names.size(); ++i) {
        QString shown = names.names[i];
        const QString &inserted = names.inserted.value(i, shown);
        const bool isKeyword = keywordKeys.contains(shown.toLower());
        if (shown != inserted) {
            // a name that reads as a word of the dialect shows quoted, beside the word
            if (isKeyword)
                shown = inserted;
            else
                m_insertions.insert(shown, inserted);
        } else if (isKeyword) {
            dropped.insert(shown.toLower());
        }
        if (!listed.contains(shown)) {
            listed.insert(shown);
            words += shown;
        }
    }
    for (const QString &k : keywords)
        if (!dropped.contains(k.toLower()))
            words += k;
    // a word typed out in full needs no list
    if (words.isEmpty() || (!asked && words.size() == 1 && words.first().toUtf8().size() == qsizetype(typed.size()))) {
        SendScintilla(SCI_AUTOCCANCEL);
        return false;
    }
    SendScintilla(SCI_AUTOCSETSEPARATOR, '\n');
    SendScintilla(SCI_AUTOCSETORDER, names.names.isEmpty() ? SC_ORDER_PRESORTED : SC_ORDER_CUSTOM);
    const QByteArray list = words.join(QLatin1Char('\n')).toUtf8();
    SendScintilla(SCI_AUTOCSHOW, typed.size(), list.constData());
    return true;
}

void TqdSynMemo::namesArrived()
{
    if (m_pendingWord < 0 || !NameCompletion)
        return;
    // only for the word the names were asked for; the text typed since counts
    const TSynNameCompletion names = NameCompletion(long(SendScintilla(SCI_GETCURRENTPOS)));
    if (!names.handled || names.wordStart != m_pendingWord) {
        m_pendingWord = -1;
        return;
    }
    showCompletions(m_pendingAsked);
}

void TqdSynMemo::insertCompletion(const char *selection, int position)
{
    const auto found = m_insertions.constFind(QString::fromUtf8(selection));
    if (found == m_insertions.constEnd())
        return;
    // the name goes in as SQL (quoted) in place of the word typed so far
    SendScintilla(SCI_AUTOCCANCEL);
    const QByteArray text = found.value().toUtf8();
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    SendScintilla(SCI_SETTARGETRANGE, (unsigned long)position, caret);
    SendScintilla(SCI_REPLACETARGET, (unsigned long)text.size(), text.constData());
    SendScintilla(SCI_GOTOPOS, (unsigned long)(position + text.size()));
}

void TqdSynMemo::goToLine()
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    prompts::IntegerRequest request;
    request.owner = this;
    request.caption = tr("Go to Line");
    request.label = tr("Line number (1 - %1):").arg(lines());
    request.value = line + 1;
    request.minimum = 1;
    request.maximum = std::max(lines(), 1);
    const prompts::IntegerAnswer answer = prompts::askInteger(request);
    if (!answer.accepted)
        return;
    const int target = std::clamp(answer.value, 1, std::max(lines(), 1)) - 1;
    setCursorPosition(target, 0);
    ensureLineVisible(target);
    setFocus();
}

void TqdSynMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Find)) {
        showFindBar();
        return;
    }
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_H)) {
        showFindBar(true);
        return;
    }
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Slash)) {
        toggleLineComment();
        return;
    }
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Space)) {
        showCompletions(true);
        return;
    }
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_G)) {
        goToLine();
        return;
    }
    if (event->matches(QKeySequence::FindNext) || event->matches(QKeySequence::FindPrevious)) {
        if (m_findBar->edtFind()->text().isEmpty())
            showFindBar();
        else
            m_findBar->find(event->matches(QKeySequence::FindNext));
        return;
    }
    // Escape closes an open completion list first, then the find bar
    if (event->key() == Qt::Key_Escape && m_findBar->isVisible() && !SendScintilla(SCI_AUTOCACTIVE)) {
        m_findBar->close();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

bool TqdSynMemo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_findBar && event->type() == QEvent::LayoutRequest)
        placeFindBar();
    return QsciScintilla::eventFilter(watched, event);
}

void TqdSynMemo::resizeEvent(QResizeEvent *event)
{
    QsciScintilla::resizeEvent(event);
    placeFindBar();
}

void TqdSynMemo::placeFindBar()
{
    if (!m_findBar)
        return;
    const QSize hint = m_findBar->sizeHint();
    const QRect area = viewport()->geometry();
    const int width = std::min(hint.width(), std::max(area.width(), 0));
    m_findBar->setGeometry(area.right() - width + 1, area.top(), width, hint.height());
    m_findBar->raise();
}

#include "o_SQLSyn.h"

#include <Qsci/qsciscintilla.h>

#include <QFontDatabase>

#include <cstring>

namespace {

enum LexState { lsPlain = 0, lsBlockComment, lsString, lsDoubleString, lsDoubleIdent, lsBracketIdent, lsBacktickIdent };

constexpr unsigned char kKeyBit = 1, kTypeBit = 2, kFunctionBit = 4;

struct DialectRules {
    bool hashComment = false;     // "# ..." to the end of the line
    bool doubleQuoteString = false; // "..." is a string, not a name
    bool bracketNames = false;    // [name]
    bool backtickNames = false;   // `name`
    bool backslashEscapes = false;
    bool hashWordStart = false;   // #temp table names
};

DialectRules rulesOf(TSQLDialect dialect)
{
    DialectRules r;
    switch (dialect) {
    case sqlMySQL:
        r.hashComment = r.doubleQuoteString = r.backtickNames = r.backslashEscapes = true;
        break;
    case sqlMSSQL7:
    case sqlMSSQL2K:
    case sqlSybase:
        r.bracketNames = r.hashWordStart = true;
        break;
    case sqlSQLite:
        r.bracketNames = r.backtickNames = true;
        break;
    default:
        break;
    }
    return r;
}

inline bool isWordStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

inline bool isWordChar(unsigned char c)
{
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}

inline bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

inline bool isHexDigit(unsigned char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

QColor TqdSynAttri::Foreground() const
{
    return m_owner->color(m_style);
}

void TqdSynAttri::SetForeground(const QColor &color)
{
    m_owner->setColor(color, m_style);
}

TqdSQLSyn::TqdSQLSyn(QObject *owner)
    : QsciLexerCustom(owner),
      m_attris{{this, stDefault, "Default"},
               {this, stComment, "Comment"},
               {this, stKey, "Reserved word"},
               {this, stDataType, "Data type"},
               {this, stFunction, "Function"},
               {this, stNumber, "Number"},
               {this, stString, "String"},
               {this, stDelimitedIdentifier, "Delimited identifier"},
               {this, stVariable, "Variable"},
               {this, stSymbol, "Symbol"}}
{
    setObjectName(QStringLiteral("SyntaxHighLight"));
    buildWords();
}

TqdSQLSyn::~TqdSQLSyn() = default;

void TqdSQLSyn::SetSQLDialect(TSQLDialect dialect)
{
    if (dialect == m_dialect)
        return;
    m_dialect = dialect;
    buildWords();
    // Restyle lazily: mark the whole document as unstyled, Scintilla asks
    // again for what it shows.
    if (QsciScintilla *ed = editor()) {
        ed->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, 0UL, 0L);
        ed->viewport()->update();
    }
}

void TqdSQLSyn::buildWords()
{
    m_words.clear();
    const TSQLDialectWords &w = dialectWords(m_dialect);
    auto add = [this](const char *const *groups, unsigned char bit) {
        for (; *groups; ++groups) {
            const char *p = *groups;
            while (*p) {
                while (*p == ' ')
                    ++p;
                const char *e = p;
                while (*e && *e != ' ')
                    ++e;
                if (e > p)
                    m_words[std::string(p, size_t(e - p))] |= bit;
                p = e;
            }
        }
    };
    add(w.keywords, kKeyBit);
    add(w.dataTypes, kTypeBit);
    add(w.functions, kFunctionBit);
}

TqdSQLSyn::WordKind TqdSQLSyn::wordKind(std::string_view word) const
{
    std::string upper(word);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    const auto it = m_words.find(upper);
    if (it == m_words.end())
        return WordKind::None;
    if (it->second & kTypeBit)
        return WordKind::DataType;
    if (it->second & kKeyBit)
        return WordKind::Key;
    return WordKind::Function;
}

QString TqdSQLSyn::description(int style) const
{
    if (style >= 0 && style < stCount)
        return QString::fromLatin1(m_attris[style].Name());
    return QString();
}

QColor TqdSQLSyn::defaultColor(int style) const
{
    switch (style) {
    case stComment: return QColor(0, 128, 0);
    case stString: return QColor(128, 0, 0);
    default: return QColor(0, 0, 0);
    }
}

QFont TqdSQLSyn::defaultFont(int style) const
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (style == stComment)
        font.setItalic(true);
    if (style == stKey)
        font.setBold(true);
    return font;
}

template <typename LineEnd>
int TqdSQLSyn::lex(std::string_view text, int state, char *styles, LineEnd &&lineEnd) const
{
    const DialectRules rules = rulesOf(m_dialect);
    const size_t n = text.size();
    auto at = [&](size_t k) -> unsigned char { return k < n ? (unsigned char)text[k] : 0; };
    // A line ends at LF, and at a CR that no LF follows.
    auto isLineEnd = [&](size_t k) { return text[k] == '\n' || (text[k] == '\r' && at(k + 1) != '\n'); };
    auto fill = [&](size_t from, size_t to, int style) { std::memset(styles + from, style, to - from); };

    size_t i = 0;
    while (i < n) {
        if (state == lsBlockComment) {
            size_t j = i;
            while (j < n) {
                if (text[j] == '*' && at(j + 1) == '/') {
                    j += 2;
                    state = lsPlain;
                    break;
                }
                if (isLineEnd(j))
                    lineEnd(state);
                ++j;
            }
            fill(i, j, stComment);
            i = j;
            continue;
        }
        if (state != lsPlain) {
            char close = '\'';
            int style = stString;
            switch (state) {
            case lsDoubleString: close = '"'; break;
            case lsDoubleIdent: close = '"'; style = stDelimitedIdentifier; break;
            case lsBracketIdent: close = ']'; style = stDelimitedIdentifier; break;
            case lsBacktickIdent: close = '`'; style = stDelimitedIdentifier; break;
            default: break;
            }
            const bool escapes = rules.backslashEscapes && style == stString;
            size_t j = i;
            while (j < n) {
                const char c = text[j];
                if (c == close) {
                    if (at(j + 1) == (unsigned char)close) { // doubled: part of the text
                        j += 2;
                        continue;
                    }
                    ++j;
                    state = lsPlain;
                    break;
                }
                if (escapes && c == '\\' && j + 1 < n && text[j + 1] != '\r' && text[j + 1] != '\n') {
                    j += 2;
                    continue;
                }
                if (isLineEnd(j))
                    lineEnd(state);
                ++j;
            }
            fill(i, j, style);
            i = j;
            continue;
        }

        const unsigned char c = (unsigned char)text[i];
        if (c == '\r' || c == '\n') {
            styles[i] = stDefault;
            if (isLineEnd(i))
                lineEnd(lsPlain);
            ++i;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == 0) {
            styles[i++] = stDefault;
            continue;
        }
        if ((c == '-' && at(i + 1) == '-') || (c == '#' && rules.hashComment)) {
            size_t j = i;
            while (j < n && text[j] != '\r' && text[j] != '\n')
                ++j;
            fill(i, j, stComment);
            i = j;
            continue;
        }
        if (c == '/' && at(i + 1) == '*') {
            fill(i, i + 2, stComment);
            i += 2;
            state = lsBlockComment;
            continue;
        }
        int quoteState = lsPlain;
        int quoteStyle = stString;
        if (c == '\'')
            quoteState = lsString;
        else if (c == '"')
            quoteState = rules.doubleQuoteString ? lsDoubleString : lsDoubleIdent;
        else if (c == '[' && rules.bracketNames)
            quoteState = lsBracketIdent;
        else if (c == '`' && rules.backtickNames)
            quoteState = lsBacktickIdent;
        if (quoteState != lsPlain) {
            if (quoteState != lsString && quoteState != lsDoubleString)
                quoteStyle = stDelimitedIdentifier;
            styles[i++] = char(quoteStyle);
            state = quoteState;
            continue;
        }
        if (isDigit(c) || (c == '.' && isDigit(at(i + 1)))) {
            size_t j = i;
            if (c == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X') && isHexDigit(at(i + 2))) {
                j = i + 2;
                while (j < n && isHexDigit(at(j)))
                    ++j;
            } else {
                while (j < n && isDigit(at(j)))
                    ++j;
                if (at(j) == '.') {
                    ++j;
                    while (j < n && isDigit(at(j)))
                        ++j;
                }
                if ((at(j) == 'e' || at(j) == 'E')
                    && (isDigit(at(j + 1)) || ((at(j + 1) == '+' || at(j + 1) == '-') && isDigit(at(j + 2))))) {
                    j += 2;
                    while (j < n && isDigit(at(j)))
                        ++j;
                }
            }
            fill(i, j, stNumber);
            i = j;
            continue;
        }
        if (isWordStart(c) || (c == '#' && rules.hashWordStart && isWordStart(at(i + 1)))) {
            size_t j = i + 1;
            while (j < n && isWordChar(at(j)))
                ++j;
            int style = stDefault;
            const std::string_view word = text.substr(i, j - i);
            std::string upper(word);
            for (char &ch : upper)
                if (ch >= 'a' && ch <= 'z')
                    ch = char(ch - 'a' + 'A');
            const auto it = m_words.find(upper);
            if (it != m_words.end()) {
                size_t k = j;
                while (k < n && (text[k] == ' ' || text[k] == '\t'))
                    ++k;
                const bool call = at(k) == '(';
                const unsigned char bits = it->second;
                if (bits & kTypeBit)
                    style = stDataType;
                else if ((bits & kFunctionBit) && call)
                    style = stFunction;
                else if (bits & kKeyBit)
                    style = stKey;
                else
                    style = stFunction;
            }
            fill(i, j, style);
            i = j;
            continue;
        }
        if (c == '@' && (isWordStart(at(i + 1)) || at(i + 1) == '@')) {
            size_t j = i + 1;
            while (j < n && at(j) == '@')
                ++j;
            while (j < n && isWordChar(at(j)))
                ++j;
            fill(i, j, stVariable);
            i = j;
            continue;
        }
        if (c == ':' && isWordStart(at(i + 1)) && (i == 0 || text[i - 1] != ':')) {
            size_t j = i + 1;
            while (j < n && isWordChar(at(j)))
                ++j;
            fill(i, j, stVariable);
            i = j;
            continue;
        }
        if (c == '?') {
            styles[i++] = stVariable;
            continue;
        }
        styles[i++] = stSymbol;
    }
    return state;
}

std::string TqdSQLSyn::styleBytes(std::string_view text) const
{
    std::string styles(text.size(), char(stDefault));
    lex(text, lsPlain, styles.data(), [](int) {});
    return styles;
}

void TqdSQLSyn::styleText(int start, int end)
{
    QsciScintilla *ed = editor();
    if (!ed || end <= start)
        return;
    const long length = end - start;
    const char *bytes = reinterpret_cast<const char *>(
        ed->SendScintilla(QsciScintillaBase::SCI_GETRANGEPOINTER, (unsigned long)start, length));
    if (!bytes)
        return;
    const std::string_view text(bytes, size_t(length));
    long line = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)start);
    const int state = line > 0 ? int(ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, (unsigned long)(line - 1)))
                               : lsPlain;
    std::string styles(static_cast<size_t>(length), char(stDefault));
    // The line states go in after the pointer into the document is no longer used.
    std::vector<int> lineStates;
    lex(text, state, styles.data(), [&](int s) { lineStates.push_back(s); });
    for (int s : lineStates)
        ed->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, (unsigned long)line++, long(s));
    startStyling(start);
    ed->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, (unsigned long)length, styles.data());
}

#include "o_CompletionContext.h"

#include "o_SQLNames.h"

#include <algorithm>
#include <array>

using namespace std::string_view_literals;

namespace {

enum class TokenKind { Word, Quoted, Dot, Comma, Open, Close, Other };

struct Token {
    TokenKind kind;
    std::size_t start;
    std::size_t end;
};

// Where a scan stopped when the text ran out inside something.
enum class Unfinished { Nothing, Comment, String, QuotedName };

bool isWordStart(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80; }
bool isWordChar(unsigned char c) { return isWordStart(c) || (c >= '0' && c <= '9') || c == '$'; }

// `text` with the letters a to z in upper case (or A to Z in lower case).
std::string foldAscii(std::string_view text, bool upper)
{
    std::string folded(text);
    const char from = upper ? 'a' : 'A';
    const char to = upper ? 'A' : 'a';
    for (char &c : folded)
        if (c >= from && c <= from + 25)
            c = char(c - from + to);
    return folded;
}

std::string upperAscii(std::string_view text) { return foldAscii(text, true); }

// The identifier quotes the engine reads; SQLite and Access read more than one pair.
struct QuotePair {
    char open;
    char close;
};

std::vector<QuotePair> namedQuotes(TqdServerEngine engine)
{
    const TqdNameRule &rule = nameRule(engine);
    std::vector<QuotePair> pairs;
    if (rule.open)
        pairs.push_back({rule.open, rule.close});
    if (engine == seSQLite) {
        pairs.push_back({'[', ']'});
        pairs.push_back({'`', '`'});
    }
    if (pairs.empty())
        pairs.push_back({'"', '"'});
    return pairs;
}

class Scanner {
public:
    Scanner(TqdServerEngine engine, std::string_view text) : m_engine(engine), m_text(text), m_quotes(namedQuotes(engine))
    {
    }

    std::vector<Token> tokens;
    Unfinished unfinished = Unfinished::Nothing;
    std::size_t unfinishedStart = 0;

    void run()
    {
        std::size_t i = 0;
        const std::size_t n = m_text.size();
        while (i < n) {
            const unsigned char c = static_cast<unsigned char>(m_text[i]);
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i;
            } else if ((c == '-' && next(i) == '-') || (c == '#' && m_engine == seMySQL)) {
                const std::size_t eol = m_text.find('\n', i);
                if (eol == std::string_view::npos)
                    return stop(Unfinished::Comment, i);
                i = eol + 1;
            } else if (c == '/' && next(i) == '*') {
                const std::size_t close = m_text.find("*/", i + 2);
                if (close == std::string_view::npos)
                    return stop(Unfinished::Comment, i);
                i = close + 2;
            } else if (c == '\'' || (c == '"' && stringQuote('"'))) {
                const std::size_t end = skipQuoted(i, char(c), m_engine == seMySQL);
                if (end == std::string_view::npos)
                    return stop(Unfinished::String, i);
                push(TokenKind::Other, i, end);
                i = end;
            } else if (c == '$' && m_engine == sePostGre && dollarTag(i)) {
                const std::size_t tagEnd = m_text.find('$', i + 1) + 1;
                const std::string_view tag = m_text.substr(i, tagEnd - i);
                const std::size_t close = m_text.find(tag, tagEnd);
                if (close == std::string_view::npos)
                    return stop(Unfinished::String, i);
                i = close + tag.size();
            } else if (const QuotePair *pair = quoteOpening(char(c))) {
                const std::size_t end = skipQuoted(i, pair->close, false);
                if (end == std::string_view::npos)
                    return stop(Unfinished::QuotedName, i);
                push(TokenKind::Quoted, i, end);
                i = end;
            } else if (isWordStart(c)) {
                std::size_t end = i + 1;
                while (end < n && isWordChar(static_cast<unsigned char>(m_text[end])))
                    ++end;
                push(TokenKind::Word, i, end);
                i = end;
            } else if (c >= '0' && c <= '9') {
                std::size_t end = i + 1;
                while (end < n && (isWordChar(static_cast<unsigned char>(m_text[end])) || m_text[end] == '.'))
                    ++end;
                push(TokenKind::Other, i, end);
                i = end;
            } else {
                const TokenKind kind = c == '.'   ? TokenKind::Dot
                                       : c == ',' ? TokenKind::Comma
                                       : c == '(' ? TokenKind::Open
                                       : c == ')' ? TokenKind::Close
                                                  : TokenKind::Other;
                push(kind, i, i + 1);
                ++i;
            }
        }
    }

private:
    char next(std::size_t i) const { return i + 1 < m_text.size() ? m_text[i + 1] : '\0'; }
    void push(TokenKind kind, std::size_t start, std::size_t end) { tokens.push_back({kind, start, end}); }
    void stop(Unfinished what, std::size_t at)
    {
        unfinished = what;
        unfinishedStart = at;
    }
    // MySQL reads "..." as a string; the others as a name.
    bool stringQuote(char c) const { return !quoteOpening(c); }
    const QuotePair *quoteOpening(char c) const
    {
        for (const QuotePair &pair : m_quotes)
            if (pair.open == c)
                return &pair;
        return nullptr;
    }
    bool dollarTag(std::size_t i) const
    {
        std::size_t j = i + 1;
        while (j < m_text.size() && isWordChar(static_cast<unsigned char>(m_text[j])) && m_text[j] != '$')
            ++j;
        return j < m_text.size() && m_text[j] == '$';
    }
    // Past the closing quote (a doubled one stays inside); npos when unclosed.
    std::size_t skipQuoted(std::size_t i, char close, bool backslashEscapes) const
    {
        for (std::size_t j = i + 1; j < m_text.size(); ++j) {
            if (backslashEscapes && m_text[j] == '\\') {
                ++j;
            } else if (m_text[j] == close) {
                if (j + 1 < m_text.size() && m_text[j + 1] == close) {
                    ++j;
                    continue;
                }
                return j + 1;
            }
        }
        return std::string_view::npos;
    }

    TqdServerEngine m_engine;
    std::string_view m_text;
    std::vector<QuotePair> m_quotes;
};

bool isName(const Token &t) { return t.kind == TokenKind::Word || t.kind == TokenKind::Quoted; }

// Words after a table's name that are no alias.
constexpr std::array kNotAlias{
    "WHERE"sv, "JOIN"sv,   "INNER"sv,     "LEFT"sv,     "RIGHT"sv,     "FULL"sv,          "CROSS"sv,     "NATURAL"sv,
    "ON"sv,    "USING"sv,  "GROUP"sv,     "ORDER"sv,    "HAVING"sv,    "LIMIT"sv,         "OFFSET"sv,    "UNION"sv,
    "EXCEPT"sv, "INTERSECT"sv, "MINUS"sv, "SET"sv,      "VALUES"sv,    "WINDOW"sv,        "FETCH"sv,     "FOR"sv,
    "LATERAL"sv, "OUTER"sv, "RETURNING"sv, "SELECT"sv,  "STRAIGHT_JOIN"sv, "PARTITION"sv, "TABLESAMPLE"sv,
    "WITH"sv,  "DEFAULT"sv, "FORCE"sv,    "IGNORE"sv,   "USE"sv,       "START"sv,         "CONNECT"sv,   "INTO"sv,
    "FROM"sv,  "AS"sv,
};

bool isNotAlias(std::string_view upper)
{
    return std::find(kNotAlias.begin(), kNotAlias.end(), upper) != kNotAlias.end();
}

} // namespace

std::string lowerAscii(std::string_view text) { return foldAscii(text, false); }

std::string catalogueName(TqdServerEngine engine, std::string_view sql)
{
    if (sql.empty())
        return {};
    for (const QuotePair &pair : namedQuotes(engine)) {
        if (sql.front() != pair.open)
            continue;
        std::string_view inner = sql.substr(1);
        if (!inner.empty() && inner.back() == pair.close && sql.size() >= 2)
            inner.remove_suffix(1);
        std::string name;
        for (std::size_t i = 0; i < inner.size(); ++i) {
            name += inner[i];
            if (inner[i] == pair.close && i + 1 < inner.size() && inner[i + 1] == pair.close)
                ++i;
        }
        return name;
    }
    switch (nameRule(engine).folding) {
    case TqdNameRule::foldLower: return lowerAscii(sql);
    case TqdNameRule::foldUpper: return upperAscii(sql);
    case TqdNameRule::foldNone: break;
    }
    return std::string(sql);
}

TqdCompletionWord completionWordAt(TqdServerEngine engine, std::string_view text, std::size_t caret)
{
    TqdCompletionWord word;
    caret = std::min(caret, text.size());
    const std::string_view before = text.substr(0, caret);
    Scanner scanner(engine, before);
    scanner.run();
    std::vector<Token> &tokens = scanner.tokens;
    word.start = caret;

    switch (scanner.unfinished) {
    case Unfinished::Comment:
    case Unfinished::String:
        word.none = true;
        return word;
    case Unfinished::QuotedName:
        // an opened quoted name is the word being typed
        tokens.push_back({TokenKind::Quoted, scanner.unfinishedStart, caret});
        word.quoted = true;
        break;
    case Unfinished::Nothing:
        break;
    }

    std::size_t last = tokens.size(); // index of the word's first qualifier dot, from the end
    if (!tokens.empty() && tokens.back().end == caret) {
        const Token &t = tokens.back();
        if (isName(t)) {
            word.start = t.start;
            word.typed = std::string(before.substr(t.start));
            if (t.kind == TokenKind::Quoted)
                word.quoted = true;
            if (scanner.unfinished == Unfinished::QuotedName)
                word.prefix = word.typed.substr(1); // all that follows the opening quote
            else
                word.prefix = word.quoted ? catalogueName(engine, word.typed) : word.typed;
            last = tokens.size() - 1;
        } else if (t.kind == TokenKind::Other && t.end - t.start > 0 && before[t.start] >= '0' &&
                   before[t.start] <= '9') {
            word.none = true;
            return word;
        }
    }
    // name . name . word: the names before the word
    std::size_t at = last;
    while (at >= 2 && tokens[at - 1].kind == TokenKind::Dot && isName(tokens[at - 2]) &&
           tokens[at - 1].start == tokens[at - 2].end && tokens[at - 1].end == (at < tokens.size() ? tokens[at].start : caret)) {
        const Token &name = tokens[at - 2];
        word.qualifier.insert(word.qualifier.begin(),
                              catalogueName(engine, before.substr(name.start, name.end - name.start)));
        at -= 2;
    }
    return word;
}

std::vector<TqdStatementTable> statementTables(TqdServerEngine engine, std::string_view statement)
{
    Scanner scanner(engine, statement);
    scanner.run();
    const std::vector<Token> &tokens = scanner.tokens;
    auto text = [&](const Token &t) { return statement.substr(t.start, t.end - t.start); };
    auto upper = [&](std::size_t i) { return tokens[i].kind == TokenKind::Word ? upperAscii(text(tokens[i])) : std::string(); };

    std::vector<TqdStatementTable> tables;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string keyword = upper(i);
        if (keyword != "FROM" && keyword != "JOIN" && keyword != "UPDATE" && keyword != "INTO")
            continue;
        std::size_t j = i + 1;
        for (;;) {
            if (j < tokens.size() && (upper(j) == "ONLY" || upper(j) == "LATERAL"))
                ++j;
            if (j >= tokens.size() || !isName(tokens[j]) || isNotAlias(upper(j)))
                break;
            std::vector<std::string> parts{catalogueName(engine, text(tokens[j]))};
            ++j;
            while (j + 1 < tokens.size() && tokens[j].kind == TokenKind::Dot && isName(tokens[j + 1]) &&
                   tokens[j].end == tokens[j + 1].start) {
                parts.push_back(catalogueName(engine, text(tokens[j + 1])));
                j += 2;
            }
            // "schema." with the table still to come names no table yet
            if (j < tokens.size() && tokens[j].kind == TokenKind::Dot)
                break;
            TqdStatementTable table;
            table.table = parts.back();
            if (parts.size() >= 2)
                table.schema = parts[parts.size() - 2];
            if (j < tokens.size() && upper(j) == "AS")
                ++j;
            if (j < tokens.size() && isName(tokens[j]) && !isNotAlias(upper(j))) {
                table.alias = catalogueName(engine, text(tokens[j]));
                ++j;
            }
            tables.push_back(std::move(table));
            // FROM a, b c, d: a list of tables
            if (keyword != "FROM" || j >= tokens.size() || tokens[j].kind != TokenKind::Comma)
                break;
            ++j;
        }
    }
    return tables;
}

TqdNameList::TqdNameList(std::vector<std::string> names)
{
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string &name : names)
        keyed.emplace_back(lowerAscii(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    keyed.erase(std::unique(keyed.begin(), keyed.end()), keyed.end());
    m_names.reserve(keyed.size());
    m_keys.reserve(keyed.size());
    for (auto &[key, name] : keyed) {
        m_keys.push_back(std::move(key));
        m_names.push_back(std::move(name));
    }
}

bool TqdNameList::contains(std::string_view name) const
{
    const std::string key = lowerAscii(name);
    auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    for (; it != m_keys.end() && *it == key; ++it)
        if (m_names[std::size_t(it - m_keys.begin())] == name)
            return true;
    return false;
}

std::vector<std::string> TqdNameList::startingWith(std::string_view prefix, std::size_t limit) const
{
    const std::string key = lowerAscii(prefix);
    const auto first = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    std::vector<std::string> found;
    for (auto it = first;
         it != m_keys.end() && found.size() < limit && std::string_view(*it).substr(0, key.size()) == key; ++it)
        found.push_back(m_names[std::size_t(it - m_keys.begin())]);
    return found;
}

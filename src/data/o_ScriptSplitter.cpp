#include "o_ScriptSplitter.h"

#include <algorithm>
#include <cctype>

namespace {

bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool isWordStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}

bool isWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

std::string upper(std::string_view word)
{
    std::string out(word);
    for (char &c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// Words that close a block opened by a word the splitter does not count.
bool closesUncountedBlock(const std::string &word)
{
    return word == "IF" || word == "LOOP" || word == "WHILE" || word == "REPEAT" || word == "FOR";
}

bool isRoutineWord(const std::string &word, TqdScriptDialect dialect)
{
    if (word == "PROCEDURE" || word == "FUNCTION" || word == "TRIGGER" || word == "PACKAGE")
        return true;
    if (word == "EVENT")
        return dialect == sdMySQL;
    if (word == "TYPE")
        return dialect == sdOracle; // object types and their bodies are PL/SQL units
    return false;
}

// Words between CREATE and PROCEDURE (or FUNCTION, TRIGGER...).
bool isRoutinePrefix(const std::string &word)
{
    return word == "OR" || word == "REPLACE" || word == "ALTER" || word == "EDITIONABLE"
        || word == "NONEDITIONABLE" || word == "AGGREGATE" || word == "CONSTRAINT";
}

class Splitter {
public:
    Splitter(std::string_view text, TqdScriptDialect dialect) : s(text), d(dialect)
    {
        lineStarts.push_back(0);
        for (std::size_t k = 0; k < s.size(); ++k) {
            if (s[k] == '\r' && k + 1 < s.size() && s[k + 1] == '\n')
                continue;
            if (s[k] == '\n' || s[k] == '\r')
                lineStarts.push_back(k + 1);
        }
    }

    std::vector<TqdScriptStatement> run()
    {
        while (i < s.size()) {
            if (atLineStart() && lineCommand())
                continue;
            const char c = s[i];
            if (isBlankChar(c)) {
                ++i;
                continue;
            }
            if (atTerminator()) {
                const std::size_t after = i + terminator.size();
                if (inStatement)
                    finish(after);
                i = after;
                continue;
            }
            if (skipComment())
                continue;
            token();
        }
        if (inStatement)
            finish(s.size());
        return std::move(out);
    }

    bool clientCommands = false; // GO, "/", DELIMITER or SET TERM met

private:
    std::string_view s;
    TqdScriptDialect d;
    std::size_t i = 0;
    std::vector<std::size_t> lineStarts;
    std::vector<TqdScriptStatement> out;
    std::string terminator = ";";

    // The statement being read.
    bool inStatement = false;
    std::size_t start = 0;
    std::size_t contentEnd = 0; // just past its last token
    std::vector<std::string> words; // its first words, upper-case
    std::string previousWord;
    int parens = 0;
    int blocks = 0;
    bool routine = false;     // CREATE PROCEDURE and kin: BEGIN/CASE ... END are counted
    bool bodyPending = false; // Firebird: after AS, until the body's last END
    bool plsql = false;       // Oracle: only a "/" line ends it
    bool routineHeadOver = false; // past the words that may precede PROCEDURE and kin
    bool definer = false;         // MySQL's DEFINER = user before the routine word

    bool atLineStart() const
    {
        if (i == 0)
            return true;
        const char p = s[i - 1];
        return p == '\n' || (p == '\r' && s[i] != '\n');
    }

    std::size_t lineEnd(std::size_t from) const
    {
        while (from < s.size() && s[from] != '\n' && s[from] != '\r')
            ++from;
        return from;
    }

    std::size_t skipSpaces(std::size_t from) const
    {
        while (from < s.size() && (s[from] == ' ' || s[from] == '\t'))
            ++from;
        return from;
    }

    // Client commands that take a line of their own: GO, "/", DELIMITER.
    bool lineCommand()
    {
        const std::size_t first = skipSpaces(i);
        const std::size_t eol = lineEnd(first);
        if (d == sdMSSQL) {
            if (first + 2 <= s.size() && equalsNoCase(s.substr(first, 2), "GO")) {
                std::size_t k = skipSpaces(first + 2);
                if (k > first + 2 || k == eol) {
                    while (k < eol && std::isdigit(static_cast<unsigned char>(s[k])))
                        ++k;
                    if (skipSpaces(k) == eol) {
                        endAt(eol);
                        return true;
                    }
                }
            }
        } else if (d == sdOracle) {
            if (first < s.size() && s[first] == '/' && skipSpaces(first + 1) == eol) {
                endAt(eol);
                return true;
            }
        } else if (d == sdMySQL && !inStatement) {
            constexpr std::string_view kDelimiter = "DELIMITER";
            if (first + kDelimiter.size() < eol && equalsNoCase(s.substr(first, kDelimiter.size()), kDelimiter)
                && (s[first + kDelimiter.size()] == ' ' || s[first + kDelimiter.size()] == '\t')) {
                const std::size_t from = skipSpaces(first + kDelimiter.size());
                std::size_t to = from;
                while (to < eol && !isBlankChar(s[to]))
                    ++to;
                if (to > from) {
                    clientCommands = true;
                    terminator = std::string(s.substr(from, to - from));
                    i = eol;
                    return true;
                }
            }
        }
        return false;
    }

    void endAt(std::size_t eol)
    {
        clientCommands = true;
        if (inStatement)
            finish(eol);
        i = eol;
    }

    bool atTerminator() const
    {
        if (s.compare(i, terminator.size(), terminator) != 0)
            return false;
        if (terminator != ";")
            return true;
        if (d == sdMSSQL)
            return false; // a batch runs whole, up to its GO
        return parens == 0 && blocks == 0 && !bodyPending && !plsql;
    }

    bool skipComment()
    {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (c == '-' && next == '-') {
            // MySQL wants a blank after "--": "1--1" is one minus minus one.
            if (d == sdMySQL && i + 2 < s.size() && !std::isspace(static_cast<unsigned char>(s[i + 2]))
                && static_cast<unsigned char>(s[i + 2]) >= 32)
                return false;
            i = lineEnd(i);
            return true;
        }
        if (c == '#' && d == sdMySQL) {
            i = lineEnd(i);
            return true;
        }
        if (c == '/' && next == '*') {
            // MySQL's /*! ... */ is executed: it is a statement of its own, not a comment.
            if (d == sdMySQL && i + 2 < s.size() && (s[i + 2] == '!' || (s[i + 2] == 'M' && i + 3 < s.size() && s[i + 3] == '!')))
                return false;
            i = blockCommentEnd(i);
            return true;
        }
        return false;
    }

    std::size_t blockCommentEnd(std::size_t from) const
    {
        int depth = 0;
        std::size_t k = from;
        while (k < s.size()) {
            if (s[k] == '/' && k + 1 < s.size() && s[k + 1] == '*') {
                ++depth;
                k += 2;
                if (d != sdPostgreSQL && depth > 1)
                    depth = 1;
            } else if (s[k] == '*' && k + 1 < s.size() && s[k + 1] == '/') {
                k += 2;
                if (--depth == 0)
                    return k;
            } else {
                ++k;
            }
        }
        return s.size();
    }

    void begin()
    {
        inStatement = true;
        start = i;
        words.clear();
        previousWord.clear();
        parens = blocks = 0;
        routine = bodyPending = plsql = routineHeadOver = definer = false;
    }

    // One significant token at i: it belongs to the statement, starting one if need be.
    void token()
    {
        if (!inStatement)
            begin();
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        std::size_t k;
        if (c == '\'') {
            k = quotedEnd(i, '\'', d == sdMySQL);
        } else if (c == '"') {
            k = quotedEnd(i, '"', d == sdMySQL);
        } else if (c == '`' && (d == sdMySQL || d == sdStandard)) {
            k = quotedEnd(i, '`', false);
        } else if (c == '[' && (d == sdMSSQL || d == sdAccess)) {
            k = quotedEnd(i, ']', false);
        } else if (c == '/' && next == '*') { // MySQL's executed comment
            k = blockCommentEnd(i);
        } else if (c == '$' && d == sdPostgreSQL && (k = dollarQuotedEnd(i)) != 0) {
            // k is set
        } else if (isWordStart(c)) {
            k = i + 1;
            while (k < s.size() && isWordChar(s[k]))
                ++k;
            const std::string_view word = s.substr(i, k - i);
            if (k < s.size() && s[k] == '\'') {
                if (d == sdPostgreSQL && equalsNoCase(word, "E"))
                    k = quotedEnd(k, '\'', true);
                else if (d == sdOracle && (equalsNoCase(word, "Q") || equalsNoCase(word, "NQ")))
                    k = alternativeQuotedEnd(k);
                else
                    k = quotedEnd(k, '\'', d == sdMySQL);
            } else {
                keyword(upper(word), k);
            }
        } else {
            if (c == '(')
                ++parens;
            else if (c == ')' && parens > 0)
                --parens;
            k = i + 1;
        }
        i = k;
        contentEnd = k;
    }

    std::size_t quotedEnd(std::size_t from, char close, bool backslash) const
    {
        std::size_t k = from + 1;
        while (k < s.size()) {
            if (backslash && s[k] == '\\') {
                k += 2;
            } else if (s[k] == close) {
                if (k + 1 < s.size() && s[k + 1] == close)
                    k += 2;
                else
                    return k + 1;
            } else {
                ++k;
            }
        }
        return s.size();
    }

    // Oracle's q'[...]': the character after the quote picks the closing one.
    std::size_t alternativeQuotedEnd(std::size_t quote) const
    {
        if (quote + 1 >= s.size())
            return s.size();
        char close = s[quote + 1];
        switch (close) {
        case '[': close = ']'; break;
        case '{': close = '}'; break;
        case '(': close = ')'; break;
        case '<': close = '>'; break;
        default: break;
        }
        for (std::size_t k = quote + 2; k + 1 < s.size(); ++k)
            if (s[k] == close && s[k + 1] == '\'')
                return k + 2;
        return s.size();
    }

    // $$...$$ or $tag$...$tag$; 0 when the '$' opens no quote ($1, a$b).
    std::size_t dollarQuotedEnd(std::size_t from) const
    {
        if (from > 0 && isWordChar(s[from - 1]))
            return 0;
        std::size_t k = from + 1;
        if (k < s.size() && isWordStart(s[k])) {
            while (k < s.size() && isWordChar(s[k]) && s[k] != '$')
                ++k;
        }
        if (k >= s.size() || s[k] != '$')
            return 0;
        const std::string_view tag = s.substr(from, k + 1 - from);
        const std::size_t close = s.find(tag, k + 1);
        return close == std::string_view::npos ? s.size() : close + tag.size();
    }

    std::string nextWord(std::size_t from) const
    {
        while (from < s.size() && isBlankChar(s[from]))
            ++from;
        std::size_t k = from;
        while (k < s.size() && isWordChar(s[k]))
            ++k;
        return upper(s.substr(from, k - from));
    }

    void keyword(const std::string &word, std::size_t after)
    {
        if (words.size() < 8)
            words.push_back(word);
        const std::string &first = words.front();
        if (!routine && !routineHeadOver && words.size() > 1) {
            if (first != "CREATE" && first != "ALTER" && first != "RECREATE")
                routineHeadOver = true;
            else if (isRoutineWord(word, d))
                routine = true;
            else if (word == "DEFINER")
                definer = true;
            else if (!definer && !isRoutinePrefix(word))
                routineHeadOver = true;
        }
        if (d == sdFirebird && words.size() == 2 && first == "EXECUTE" && word == "BLOCK")
            routine = true;
        if (d == sdMySQL && words.size() == 2 && first == "BEGIN" && word == "NOT") {
            // MariaDB's BEGIN NOT ATOMIC ... END: a block outside any routine.
            routine = true;
            blocks = 1;
        }
        if (d == sdOracle && !plsql
            && (routine || (words.size() == 1 && (word == "DECLARE" || word == "BEGIN"))))
            plsql = true;

        if (routine && !plsql) {
            if (d == sdFirebird && word == "AS" && blocks == 0)
                bodyPending = true;
            if (word == "BEGIN") {
                ++blocks;
            } else if (word == "CASE") {
                if (previousWord != "END")
                    ++blocks;
            } else if (word == "END") {
                const std::string following = nextWord(after);
                if (!closesUncountedBlock(following) && blocks > 0 && --blocks == 0)
                    bodyPending = false;
            }
        }
        previousWord = word;
    }

    void finish(std::size_t end)
    {
        inStatement = false;
        const std::string_view text = s.substr(start, contentEnd - start);
        if (d == sdFirebird && words.size() >= 2 && words[0] == "SET" && words[1] == "TERM") {
            // SET TERM <new>: the rest of the command, up to the old terminator.
            std::size_t k = text.size();
            const std::size_t termWord = upper(text).find("TERM");
            std::size_t from = termWord + 4;
            while (from < k && isBlankChar(text[from]))
                ++from;
            while (k > from && isBlankChar(text[k - 1]))
                --k;
            if (k > from)
                terminator = std::string(text.substr(from, k - from));
            clientCommands = true;
            return;
        }
        TqdScriptStatement st;
        st.text = std::string(text);
        st.offset = start;
        st.end = end;
        const auto line = std::upper_bound(lineStarts.begin(), lineStarts.end(), start) - lineStarts.begin();
        st.line = int(line);
        st.column = int(start - lineStarts[std::size_t(line - 1)]) + 1;
        out.push_back(std::move(st));
    }
};

} // namespace

std::vector<TqdScriptStatement> SplitScript(std::string_view script, TqdScriptDialect dialect, bool *clientCommands)
{
    Splitter splitter(script, dialect);
    std::vector<TqdScriptStatement> statements = splitter.run();
    if (clientCommands)
        *clientCommands = splitter.clientCommands;
    return statements;
}

int StatementAt(const std::vector<TqdScriptStatement> &statements, std::size_t position)
{
    if (statements.empty())
        return -1;
    for (std::size_t k = 0; k < statements.size(); ++k)
        if (position <= statements[k].end)
            return int(k);
    return int(statements.size()) - 1;
}

std::string StatementSummary(std::string_view text, std::size_t limit)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (isBlankChar(c)) {
            blank = !out.empty();
            continue;
        }
        // Cut before a character, never inside one.
        if (out.size() >= limit && (static_cast<unsigned char>(c) & 0xC0) != 0x80)
            return out + "...";
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

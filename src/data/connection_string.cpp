#include "connection_string.h"

#include "ado_errors.h"

namespace ado {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

[[noreturn]] void syntaxError(const std::string &what, size_t position)
{
    throw EADOError("The connection string is malformed: " + what + " (at character " + std::to_string(position + 1) +
                    ").");
}

bool needsQuoting(const std::string &value)
{
    if (value.empty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    return value.find_first_of(";\"'{}=") != std::string::npos;
}

std::string replaceAll(const std::string &s, char from, const char *to)
{
    std::string out;
    out.reserve(s.size() + 2);
    for (char c : s) {
        if (c == from)
            out += to;
        else
            out += c;
    }
    return out;
}

} // namespace

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

ConnectionString ConnectionString::parse(const std::string &text)
{
    ConnectionString cs;
    cs.m_text = text;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        // one "key=value" segment
        while (i < n && (isBlank(text[i]) || text[i] == ';'))
            ++i;
        if (i >= n)
            break;
        const size_t keyStart = i;
        while (i < n && text[i] != '=' && text[i] != ';')
            ++i;
        if (i >= n || text[i] == ';')
            syntaxError("\"" + trimmed(std::string_view(text).substr(keyStart, i - keyStart)) +
                            "\" is not followed by \"=\"",
                        keyStart);
        std::string key = trimmed(std::string_view(text).substr(keyStart, i - keyStart));
        if (key.empty())
            syntaxError("a value without a key", keyStart);
        ++i; // '='
        while (i < n && text[i] != ';' && isBlank(text[i]))
            ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'' || text[i] == '{')) {
            const char open = text[i];
            const char close = open == '{' ? '}' : open;
            const size_t quoteStart = i;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                syntaxError(std::string("the value of \"") + key + "\" has no closing " +
                                (open == '{' ? "brace" : "quote"),
                            quoteStart);
            while (i < n && text[i] != ';' && isBlank(text[i]))
                ++i;
            if (i < n && text[i] != ';')
                syntaxError("unexpected text after the quoted value of \"" + key + "\"", i);
        } else {
            const size_t valueStart = i;
            while (i < n && text[i] != ';')
                ++i;
            value = trimmed(std::string_view(text).substr(valueStart, i - valueStart));
        }
        cs.m_pairs.emplace_back(std::move(key), std::move(value));
    }
    return cs;
}

std::optional<std::string> ConnectionString::find(const std::string &key) const
{
    for (auto it = m_pairs.rbegin(); it != m_pairs.rend(); ++it)
        if (equalsNoCase(it->first, key))
            return it->second;
    return std::nullopt;
}

bool ConnectionString::has(const std::string &key) const { return find(key).has_value(); }

std::string ConnectionString::value(const std::string &key) const { return find(key).value_or(std::string()); }

std::string ConnectionString::valueOf(std::initializer_list<const char *> keys) const
{
    for (const char *k : keys)
        if (auto v = find(k))
            return *v;
    return {};
}

std::string ConnectionString::quoteOleDbValue(const std::string &value)
{
    if (!needsQuoting(value))
        return value;
    return "\"" + replaceAll(value, '"', "\"\"") + "\"";
}

std::string ConnectionString::quoteOdbcValue(const std::string &value)
{
    if (!needsQuoting(value))
        return value;
    return "{" + replaceAll(value, '}', "}}") + "}";
}

} // namespace ado

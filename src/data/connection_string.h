#pragma once
// Parser for the two connection-string syntaxes the program builds:
//
//   OLE DB style:  Key=Value;Key="value; with ""quotes""";...
//   ODBC style:    DRIVER={Name}; SERVER=host; PWD={p;w}}d};...
//
// Keys compare without regard to case and keep the blanks inside them; blanks
// around keys are dropped. An unquoted value is taken as it stands between '='
// and the next ';' (blanks around it dropped). A malformed string throws
// ado::EADOError with a message that says what is wrong.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ado {

class ConnectionString {
public:
    ConnectionString() = default;
    static ConnectionString parse(const std::string &text);

    bool has(const std::string &key) const;
    // The value of a key, or empty text when it is absent. The last occurrence wins.
    std::string value(const std::string &key) const;
    std::optional<std::string> find(const std::string &key) const;
    // First present key of several spellings (e.g. "PWD", "PASSWORD").
    std::string valueOf(std::initializer_list<const char *> keys) const;

    const std::vector<std::pair<std::string, std::string>> &pairs() const { return m_pairs; }
    const std::string &text() const { return m_text; }

    // Writers for the two syntaxes, quoting a value only where it needs it.
    static std::string quoteOleDbValue(const std::string &value);
    static std::string quoteOdbcValue(const std::string &value);

private:
    std::string m_text;
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

// Case-insensitive comparison of ASCII letters; other bytes compare as they are.
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace ado

#pragma once
// What the editor's completion needs to know about the text around the
// caret, without widgets: the word being typed (and the names before it and a
// dot), the tables a statement names with their aliases, and a name list that
// answers a prefix quickly. Names read from SQL text are turned into the names
// the catalogue holds: an unquoted name folded as the engine folds it, a
// quoted one with its quotes taken off.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "o_ServerEngine.h"

// The word before the caret.
struct TqdCompletionWord {
    std::size_t start = 0;   // offset of the typed word (its opening quote, if any)
    std::string typed;       // the typed bytes, as they stand in the text
    std::string prefix;      // the name part of the typed bytes: no quote, not folded
    bool quoted = false;     // the word opens with an identifier quote
    // The names before the word, each followed by a dot ("s.t.|" gives s, t);
    // as the catalogue holds them.
    std::vector<std::string> qualifier;
    // The caret is in a comment, a string or a number: nothing to complete.
    bool none = false;
};

// A table that a statement names; schema empty when the statement gives none.
struct TqdStatementTable {
    std::string schema;
    std::string table;
    std::string alias; // empty without one
    bool operator==(const TqdStatementTable &) const = default;
};

// The word that ends at `caret` in `text` (the statement around the caret).
TqdCompletionWord completionWordAt(TqdServerEngine engine, std::string_view text, std::size_t caret);

// The tables after FROM, JOIN, UPDATE and INTO (and the lists after FROM), in
// the order the statement names them, subqueries included.
std::vector<TqdStatementTable> statementTables(TqdServerEngine engine, std::string_view statement);

// A name as the catalogue holds it, from its SQL form (quoted or not).
std::string catalogueName(TqdServerEngine engine, std::string_view sql);

// Names kept in order without regard to case, so that the names starting with
// a prefix are one stretch found by binary search.
class TqdNameList {
public:
    TqdNameList() = default;
    explicit TqdNameList(std::vector<std::string> names);

    std::size_t size() const { return m_names.size(); }
    bool empty() const { return m_names.empty(); }
    const std::vector<std::string> &names() const { return m_names; }
    bool contains(std::string_view name) const;
    // The names that start with `prefix` (case ignored), in order; the first
    // `limit` of them.
    std::vector<std::string> startingWith(std::string_view prefix, std::size_t limit = SIZE_MAX) const;

private:
    std::vector<std::string> m_names;
    std::vector<std::string> m_keys; // the names in lower case, same order
};

// `text` with the letters A to Z in lower case.
std::string lowerAscii(std::string_view text);

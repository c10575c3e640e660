#pragma once
// Splits an SQL script into its statements, the way each engine's own
// command-line client reads a script: quotes, comments, dollar quoting,
// procedure bodies and the client-side separator commands (DELIMITER,
// SET TERM, GO, "/") are understood, so a ';' inside any of them does not
// end a statement. No Qt here: the splitter is plain engine knowledge.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum TqdScriptDialect : unsigned char {
    sdStandard,   // ';' separates; "..." identifiers; nothing engine-specific
    sdPostgreSQL, // E'...' escapes, nesting /* */, $tag$ quoting, BEGIN ATOMIC
    sdMySQL,      // backslash escapes, "..." strings, `...`, #, DELIMITER
    sdFirebird,   // SET TERM, procedure and trigger bodies, EXECUTE BLOCK
    sdOracle,     // PL/SQL blocks ended by "/" on a line of its own, q'[...]'
    sdMSSQL,      // batches separated by GO on a line of its own, [...]
    sdAccess,     // ';' separates; [...] identifiers
};

struct TqdScriptStatement {
    std::string text;        // the statement as sent: no leading comments, no separator
    std::size_t offset = 0;  // byte offset of the first character of `text`
    std::size_t end = 0;     // byte offset just past the separator (or the text's end)
    int line = 1;            // 1-based line of the first character
    int column = 1;          // 1-based byte column of the first character
};

// The statements of `script` in order. Client commands (DELIMITER, SET TERM,
// GO, "/") are consumed, never returned; a stretch holding only blanks and
// comments is no statement. A text without separators is one statement.
// `clientCommands`, when given, receives whether such a command was met.
std::vector<TqdScriptStatement> SplitScript(std::string_view script, TqdScriptDialect dialect,
                                            bool *clientCommands = nullptr);

// Index of the statement that holds byte offset `position`: the first one
// whose separator ends at or after it, else the last; -1 when there is none.
int StatementAt(const std::vector<TqdScriptStatement> &statements, std::size_t position);

// The statement's first words, for lists: blanks folded, at most `limit`
// bytes (std::string::npos: the whole text, on one line).
std::string StatementSummary(std::string_view text, std::size_t limit = 40);

#pragma once
// How each engine writes a name (database, schema, table, field) into SQL
// text. A name that the engine reads back unquoted as the same name is written
// as it is; any other name is enclosed in the engine's identifier quotes, with
// the closing quote doubled inside. The rules are per-engine data (one
// TqdNameRule each), not code.
//
// Engines with schemas list a table outside the default schema as
// "schema.table", each part written as SQL; the functions below turn such a
// listed name back into its parts and into the SQL that names the table.

#include <span>
#include <string>
#include <string_view>

#include "o_ServerEngine.h"

struct TqdNameRule {
    enum TFolding { foldNone, foldLower, foldUpper };

    char open = 0;  // the opening identifier quote; 0: names are written as they are
    char close = 0; // the closing one, doubled inside a quoted name
    // What the engine does to the letters A to Z of an unquoted name.
    TFolding folding = foldNone;
    // Characters besides the letters A to Z and a to z that may begin an
    // unquoted name, and those besides letters and digits that may follow.
    std::string_view firstExtra;
    std::string_view nextExtra;
    // Bytes from 0x80 up count as letters in an unquoted name.
    bool highBytesAreLetters = false;
    // The catalogue pads names with blanks: trailing blanks are not part of a name.
    bool blankPadded = false;
    // The schema whose tables are listed by their bare name; empty for an
    // engine whose table lists name no schema.
    std::string_view defaultSchema;
    // Words that an unquoted name must not be, in upper case.
    std::span<const std::string_view> reserved;
};

const TqdNameRule &nameRule(TqdServerEngine engine);

// Whether the engine would read `name` unquoted as some other name, or not as a name at all.
bool nameNeedsQuotes(TqdServerEngine engine, std::string_view name);
// `name` as SQL: unchanged where it needs no quotes, otherwise quoted.
std::string sqlName(TqdServerEngine engine, std::string_view name);
// `name` always quoted (a blank-padded name without its padding).
std::string quotedName(TqdServerEngine engine, std::string_view name);

// A table's parts; an empty schema stands for the default schema (or none).
struct TqdTableName {
    std::string schema;
    std::string table;
    bool operator==(const TqdTableName &) const = default;
};

// How a table list shows a table: its bare name in the default schema (quoted
// only when the bare name would read as a schema-qualified one), otherwise
// "schema.table" with each part as SQL.
std::string listedTableName(TqdServerEngine engine, std::string_view schema, std::string_view table);
// The parts of a name as listedTableName writes it; a name that is not
// schema-qualified SQL is a bare table name.
TqdTableName splitListedTableName(TqdServerEngine engine, std::string_view listed);
// The SQL that names a listed table.
std::string sqlTableName(TqdServerEngine engine, std::string_view listed);

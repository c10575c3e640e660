#pragma once
// The word tables of the SQL highlighter: per dialect, its reserved words,
// data type names and function names (space-separated, upper case).

enum TSQLDialect {
    sqlStandard,
    sqlInterbase6,
    sqlMSSQL7,
    sqlMySQL,
    sqlOracle,
    sqlSybase,
    sqlIngres,
    sqlMSSQL2K,
    sqlSQLite,
};

struct TSQLDialectWords {
    TSQLDialect dialect;
    const char *name;
    const char *const *keywords;  // null-terminated array of word groups
    const char *const *dataTypes;
    const char *const *functions;
};

// The table entry of a dialect.
const TSQLDialectWords &dialectWords(TSQLDialect dialect);

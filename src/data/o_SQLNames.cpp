// The engines' rules for writing names into SQL, and the functions that apply them.
#include "o_SQLNames.h"

#include <algorithm>
#include <array>

using namespace std::string_view_literals;

namespace {

// Reserved words. Those of PostgreSQL, MariaDB and Firebird are the words
// that the engines refuse, or read as something else, where a name stands
// (after FROM, first and further in a select list); the others are the
// engines' published lists.

// PostgreSQL: the reserved keywords and those that may name a type or
// function but not a table or column.
constexpr std::array kPostgreSQLWords{
    "ALL"sv, "ANALYSE"sv, "ANALYZE"sv, "AND"sv, "ANY"sv, "ARRAY"sv, "AS"sv, "ASC"sv, "ASYMMETRIC"sv,
    "AUTHORIZATION"sv, "BINARY"sv, "BOTH"sv, "CASE"sv, "CAST"sv, "CHECK"sv, "COLLATE"sv, "COLLATION"sv, "COLUMN"sv,
    "CONCURRENTLY"sv, "CONSTRAINT"sv, "CREATE"sv, "CROSS"sv, "CURRENT_CATALOG"sv, "CURRENT_DATE"sv,
    "CURRENT_ROLE"sv, "CURRENT_SCHEMA"sv, "CURRENT_TIME"sv, "CURRENT_TIMESTAMP"sv, "CURRENT_USER"sv, "DEFAULT"sv,
    "DEFERRABLE"sv, "DESC"sv, "DISTINCT"sv, "DO"sv, "ELSE"sv, "END"sv, "EXCEPT"sv, "FALSE"sv, "FETCH"sv, "FOR"sv,
    "FOREIGN"sv, "FREEZE"sv, "FROM"sv, "FULL"sv, "GRANT"sv, "GROUP"sv, "HAVING"sv, "ILIKE"sv, "IN"sv,
    "INITIALLY"sv, "INNER"sv, "INTERSECT"sv, "INTO"sv, "IS"sv, "ISNULL"sv, "JOIN"sv, "LATERAL"sv, "LEADING"sv,
    "LEFT"sv, "LIKE"sv, "LIMIT"sv, "LOCALTIME"sv, "LOCALTIMESTAMP"sv, "NATURAL"sv, "NOT"sv, "NOTNULL"sv, "NULL"sv,
    "OFFSET"sv, "ON"sv, "ONLY"sv, "OR"sv, "ORDER"sv, "OUTER"sv, "OVERLAPS"sv, "PLACING"sv, "PRIMARY"sv,
    "REFERENCES"sv, "RETURNING"sv, "RIGHT"sv, "SELECT"sv, "SESSION_USER"sv, "SIMILAR"sv, "SOME"sv, "SYMMETRIC"sv,
    "TABLE"sv, "TABLESAMPLE"sv, "THEN"sv, "TO"sv, "TRAILING"sv, "TRUE"sv, "UNION"sv, "UNIQUE"sv, "USER"sv,
    "USING"sv, "VARIADIC"sv, "VERBOSE"sv, "WHEN"sv, "WHERE"sv, "WINDOW"sv, "WITH"sv,
};

// MySQL and MariaDB.
constexpr std::array kMySQLWords{
    "ACCESSIBLE"sv, "ADD"sv, "ALL"sv, "ALTER"sv, "ANALYZE"sv, "AND"sv, "AS"sv, "ASC"sv, "ASENSITIVE"sv, "BEFORE"sv,
    "BETWEEN"sv, "BIGINT"sv, "BINARY"sv, "BLOB"sv, "BOTH"sv, "BY"sv, "CALL"sv, "CASCADE"sv, "CASE"sv, "CHANGE"sv,
    "CHAR"sv, "CHARACTER"sv, "CHECK"sv, "COLLATE"sv, "COLUMN"sv, "CONDITION"sv, "CONSTRAINT"sv, "CONTINUE"sv,
    "CONVERT"sv, "CREATE"sv, "CROSS"sv, "CURRENT_DATE"sv, "CURRENT_ROLE"sv, "CURRENT_TIME"sv,
    "CURRENT_TIMESTAMP"sv, "CURRENT_USER"sv, "CURSOR"sv, "DATABASES"sv, "DAY_HOUR"sv, "DAY_MICROSECOND"sv,
    "DAY_MINUTE"sv, "DAY_SECOND"sv, "DEC"sv, "DECIMAL"sv, "DECLARE"sv, "DEFAULT"sv, "DELAYED"sv, "DELETE"sv,
    "DELETE_DOMAIN_ID"sv, "DESC"sv, "DESCRIBE"sv, "DETERMINISTIC"sv, "DISTINCT"sv, "DISTINCTROW"sv, "DIV"sv,
    "DOUBLE"sv, "DO_DOMAIN_IDS"sv, "DROP"sv, "DUAL"sv, "EACH"sv, "ELSE"sv, "ELSEIF"sv, "ENCLOSED"sv, "ESCAPED"sv,
    "EXCEPT"sv, "EXISTS"sv, "EXIT"sv, "EXPLAIN"sv, "FALSE"sv, "FETCH"sv, "FLOAT"sv, "FLOAT4"sv, "FLOAT8"sv,
    "FOR"sv, "FORCE"sv, "FOREIGN"sv, "FROM"sv, "FULLTEXT"sv, "GRANT"sv, "GROUP"sv, "HAVING"sv, "HIGH_PRIORITY"sv,
    "HOUR_MICROSECOND"sv, "HOUR_MINUTE"sv, "HOUR_SECOND"sv, "IF"sv, "IGNORE"sv, "IGNORE_DOMAIN_IDS"sv, "IN"sv,
    "INDEX"sv, "INFILE"sv, "INNER"sv, "INOUT"sv, "INSENSITIVE"sv, "INSERT"sv, "INT"sv, "INT1"sv, "INT2"sv,
    "INT3"sv, "INT4"sv, "INT8"sv, "INTEGER"sv, "INTERSECT"sv, "INTERVAL"sv, "INTO"sv, "IS"sv, "ITERATE"sv,
    "JOIN"sv, "KEY"sv, "KEYS"sv, "KILL"sv, "LEADING"sv, "LEAVE"sv, "LEFT"sv, "LIKE"sv, "LIMIT"sv, "LINEAR"sv,
    "LINES"sv, "LOAD"sv, "LOCALTIME"sv, "LOCALTIMESTAMP"sv, "LOCK"sv, "LONG"sv, "LONGBLOB"sv, "LONGTEXT"sv,
    "LOOP"sv, "LOW_PRIORITY"sv, "MASTER_DEMOTE_TO_REPLICA"sv, "MASTER_DEMOTE_TO_SLAVE"sv,
    "MASTER_SSL_VERIFY_SERVER_CERT"sv, "MATCH"sv, "MAXVALUE"sv, "MEDIUMBLOB"sv, "MEDIUMINT"sv, "MEDIUMTEXT"sv,
    "MIDDLEINT"sv, "MINUTE_MICROSECOND"sv, "MINUTE_SECOND"sv, "MOD"sv, "MODIFIES"sv, "NATURAL"sv, "NOT"sv,
    "NO_WRITE_TO_BINLOG"sv, "NULL"sv, "NUMERIC"sv, "OFFSET"sv, "ON"sv, "OPTIMIZE"sv, "OPTIONALLY"sv, "OR"sv,
    "ORDER"sv, "OUT"sv, "OUTER"sv, "OUTFILE"sv, "OVER"sv, "PAGE_CHECKSUM"sv, "PARSE_VCOL_EXPR"sv, "PARTITION"sv,
    "PORTION"sv, "PRECISION"sv, "PRIMARY"sv, "PROCEDURE"sv, "PURGE"sv, "RANGE"sv, "READ"sv, "READS"sv,
    "READ_WRITE"sv, "REAL"sv, "RECURSIVE"sv, "REFERENCES"sv, "REF_SYSTEM_ID"sv, "REGEXP"sv, "RELEASE"sv,
    "RENAME"sv, "REPEAT"sv, "REPLACE"sv, "REQUIRE"sv, "RESIGNAL"sv, "RESTRICT"sv, "RETURN"sv, "RETURNING"sv,
    "REVOKE"sv, "RIGHT"sv, "RLIKE"sv, "ROWS"sv, "ROW_NUMBER"sv, "SCHEMAS"sv, "SECOND_MICROSECOND"sv, "SELECT"sv,
    "SENSITIVE"sv, "SEPARATOR"sv, "SET"sv, "SHOW"sv, "SIGNAL"sv, "SMALLINT"sv, "SPATIAL"sv, "SPECIFIC"sv, "SQL"sv,
    "SQLEXCEPTION"sv, "SQLSTATE"sv, "SQLWARNING"sv, "SQL_BIG_RESULT"sv, "SQL_BUFFER_RESULT"sv, "SQL_CACHE"sv,
    "SQL_CALC_FOUND_ROWS"sv, "SQL_NO_CACHE"sv, "SQL_SMALL_RESULT"sv, "SSL"sv, "STARTING"sv, "STATS_AUTO_RECALC"sv,
    "STATS_PERSISTENT"sv, "STATS_SAMPLE_PAGES"sv, "STRAIGHT_JOIN"sv, "TABLE"sv, "TERMINATED"sv, "THEN"sv,
    "TINYBLOB"sv, "TINYINT"sv, "TINYTEXT"sv, "TO"sv, "TRAILING"sv, "TRIGGER"sv, "TRUE"sv, "UNDO"sv, "UNION"sv,
    "UNIQUE"sv, "UNLOCK"sv, "UNSIGNED"sv, "UPDATE"sv, "USAGE"sv, "USE"sv, "USING"sv, "UTC_DATE"sv, "UTC_TIME"sv,
    "UTC_TIMESTAMP"sv, "VALUES"sv, "VARBINARY"sv, "VARCHAR"sv, "VARCHARACTER"sv, "VARYING"sv, "WHEN"sv, "WHERE"sv,
    "WHILE"sv, "WITH"sv, "WRITE"sv, "XOR"sv, "YEAR_MONTH"sv, "ZEROFILL"sv,
};

constexpr std::array kFirebirdWords{
    "ADD"sv, "ADMIN"sv, "ALL"sv, "ALTER"sv, "AND"sv, "ANY"sv, "AS"sv, "AT"sv, "AVG"sv, "BEGIN"sv, "BETWEEN"sv,
    "BIGINT"sv, "BIT_LENGTH"sv, "BLOB"sv, "BOOLEAN"sv, "BOTH"sv, "BY"sv, "CASE"sv, "CAST"sv, "CHAR"sv,
    "CHARACTER"sv, "CHARACTER_LENGTH"sv, "CHAR_LENGTH"sv, "CHECK"sv, "CLOSE"sv, "COLLATE"sv, "COLUMN"sv,
    "COMMIT"sv, "CONNECT"sv, "CONSTRAINT"sv, "CORR"sv, "COUNT"sv, "COVAR_POP"sv, "COVAR_SAMP"sv, "CREATE"sv,
    "CROSS"sv, "CURRENT"sv, "CURRENT_CONNECTION"sv, "CURRENT_DATE"sv, "CURRENT_ROLE"sv, "CURRENT_TIME"sv,
    "CURRENT_TIMESTAMP"sv, "CURRENT_TRANSACTION"sv, "CURRENT_USER"sv, "CURSOR"sv, "DATE"sv, "DAY"sv, "DEC"sv,
    "DECIMAL"sv, "DECLARE"sv, "DEFAULT"sv, "DELETE"sv, "DELETING"sv, "DETERMINISTIC"sv, "DISCONNECT"sv,
    "DISTINCT"sv, "DOUBLE"sv, "DROP"sv, "ELSE"sv, "END"sv, "ESCAPE"sv, "EXECUTE"sv, "EXISTS"sv, "EXTERNAL"sv,
    "EXTRACT"sv, "FALSE"sv, "FETCH"sv, "FILTER"sv, "FLOAT"sv, "FOR"sv, "FOREIGN"sv, "FROM"sv, "FULL"sv,
    "FUNCTION"sv, "GDSCODE"sv, "GLOBAL"sv, "GRANT"sv, "GROUP"sv, "HAVING"sv, "HOUR"sv, "IN"sv, "INDEX"sv,
    "INNER"sv, "INSENSITIVE"sv, "INSERT"sv, "INSERTING"sv, "INT"sv, "INTEGER"sv, "INTO"sv, "IS"sv, "JOIN"sv,
    "LEADING"sv, "LEFT"sv, "LIKE"sv, "LOCALTIME"sv, "LOCALTIMESTAMP"sv, "LONG"sv, "LOWER"sv, "MAX"sv, "MERGE"sv,
    "MIN"sv, "MINUTE"sv, "MONTH"sv, "NATIONAL"sv, "NATURAL"sv, "NCHAR"sv, "NO"sv, "NOT"sv, "NULL"sv, "NUMERIC"sv,
    "OCTET_LENGTH"sv, "OF"sv, "OFFSET"sv, "ON"sv, "ONLY"sv, "OPEN"sv, "OR"sv, "ORDER"sv, "OUTER"sv, "OVER"sv,
    "PARAMETER"sv, "PLAN"sv, "POSITION"sv, "POST_EVENT"sv, "PRECISION"sv, "PRIMARY"sv, "PROCEDURE"sv,
    "RDB$DB_KEY"sv, "RDB$RECORD_VERSION"sv, "REAL"sv, "RECORD_VERSION"sv, "RECREATE"sv, "RECURSIVE"sv,
    "REFERENCES"sv, "REGR_AVGX"sv, "REGR_AVGY"sv, "REGR_COUNT"sv, "REGR_INTERCEPT"sv, "REGR_R2"sv, "REGR_SLOPE"sv,
    "REGR_SXX"sv, "REGR_SXY"sv, "REGR_SYY"sv, "RELEASE"sv, "RETURN"sv, "RETURNING_VALUES"sv, "RETURNS"sv,
    "REVOKE"sv, "RIGHT"sv, "ROLLBACK"sv, "ROW"sv, "ROWS"sv, "ROW_COUNT"sv, "SAVEPOINT"sv, "SCROLL"sv, "SECOND"sv,
    "SELECT"sv, "SENSITIVE"sv, "SET"sv, "SIMILAR"sv, "SMALLINT"sv, "SOME"sv, "SQLCODE"sv, "SQLSTATE"sv, "START"sv,
    "STDDEV_POP"sv, "STDDEV_SAMP"sv, "SUM"sv, "TABLE"sv, "THEN"sv, "TIME"sv, "TIMESTAMP"sv, "TO"sv, "TRAILING"sv,
    "TRIGGER"sv, "TRIM"sv, "TRUE"sv, "UNION"sv, "UNIQUE"sv, "UNKNOWN"sv, "UPDATE"sv, "UPDATING"sv, "UPPER"sv,
    "USER"sv, "USING"sv, "VALUE"sv, "VALUES"sv, "VARCHAR"sv, "VARIABLE"sv, "VARYING"sv, "VAR_POP"sv, "VAR_SAMP"sv,
    "VIEW"sv, "WHEN"sv, "WHERE"sv, "WHILE"sv, "WITH"sv, "YEAR"sv,
};

constexpr std::array kOracleWords{
    "ACCESS"sv, "ADD"sv, "ALL"sv, "ALTER"sv, "AND"sv, "ANY"sv, "AS"sv, "ASC"sv, "AUDIT"sv, "BETWEEN"sv, "BY"sv,
    "CHAR"sv, "CHECK"sv, "CLUSTER"sv, "COLUMN"sv, "COLUMN_VALUE"sv, "COMMENT"sv, "COMPRESS"sv, "CONNECT"sv,
    "CREATE"sv, "CURRENT"sv, "DATE"sv, "DECIMAL"sv, "DEFAULT"sv, "DELETE"sv, "DESC"sv, "DISTINCT"sv, "DROP"sv,
    "ELSE"sv, "EXCLUSIVE"sv, "EXISTS"sv, "FILE"sv, "FLOAT"sv, "FOR"sv, "FROM"sv, "GRANT"sv, "GROUP"sv, "HAVING"sv,
    "IDENTIFIED"sv, "IMMEDIATE"sv, "IN"sv, "INCREMENT"sv, "INDEX"sv, "INITIAL"sv, "INSERT"sv, "INTEGER"sv,
    "INTERSECT"sv, "INTO"sv, "IS"sv, "LEVEL"sv, "LIKE"sv, "LOCK"sv, "LONG"sv, "MAXEXTENTS"sv, "MINUS"sv,
    "MLSLABEL"sv, "MODE"sv, "MODIFY"sv, "NESTED_TABLE_ID"sv, "NOAUDIT"sv, "NOCOMPRESS"sv, "NOT"sv, "NOWAIT"sv,
    "NULL"sv, "NUMBER"sv, "OF"sv, "OFFLINE"sv, "ON"sv, "ONLINE"sv, "OPTION"sv, "OR"sv, "ORDER"sv, "PCTFREE"sv,
    "PRIOR"sv, "PUBLIC"sv, "RAW"sv, "RENAME"sv, "RESOURCE"sv, "REVOKE"sv, "ROW"sv, "ROWID"sv, "ROWNUM"sv, "ROWS"sv,
    "SELECT"sv, "SESSION"sv, "SET"sv, "SHARE"sv, "SIZE"sv, "SMALLINT"sv, "START"sv, "SUCCESSFUL"sv, "SYNONYM"sv,
    "SYSDATE"sv, "TABLE"sv, "THEN"sv, "TO"sv, "TRIGGER"sv, "UID"sv, "UNION"sv, "UNIQUE"sv, "UPDATE"sv, "USER"sv,
    "VALIDATE"sv, "VALUES"sv, "VARCHAR"sv, "VARCHAR2"sv, "VIEW"sv, "WHENEVER"sv, "WHERE"sv, "WITH"sv,
};

// SQL Server and SQL Server Compact.
constexpr std::array kSQLServerWords{
    "ADD"sv, "ALL"sv, "ALTER"sv, "AND"sv, "ANY"sv, "AS"sv, "ASC"sv, "AUTHORIZATION"sv, "BACKUP"sv, "BEGIN"sv,
    "BETWEEN"sv, "BREAK"sv, "BROWSE"sv, "BULK"sv, "BY"sv, "CASCADE"sv, "CASE"sv, "CHECK"sv, "CHECKPOINT"sv,
    "CLOSE"sv, "CLUSTERED"sv, "COALESCE"sv, "COLLATE"sv, "COLUMN"sv, "COMMIT"sv, "COMPUTE"sv, "CONSTRAINT"sv,
    "CONTAINS"sv, "CONTAINSTABLE"sv, "CONTINUE"sv, "CONVERT"sv, "CREATE"sv, "CROSS"sv, "CURRENT"sv,
    "CURRENT_DATE"sv, "CURRENT_TIME"sv, "CURRENT_TIMESTAMP"sv, "CURRENT_USER"sv, "CURSOR"sv, "DATABASE"sv,
    "DBCC"sv, "DEALLOCATE"sv, "DECLARE"sv, "DEFAULT"sv, "DELETE"sv, "DENY"sv, "DESC"sv, "DISK"sv, "DISTINCT"sv,
    "DISTRIBUTED"sv, "DOUBLE"sv, "DROP"sv, "DUMP"sv, "ELSE"sv, "END"sv, "ERRLVL"sv, "ESCAPE"sv, "EXCEPT"sv,
    "EXEC"sv, "EXECUTE"sv, "EXISTS"sv, "EXIT"sv, "EXTERNAL"sv, "FETCH"sv, "FILE"sv, "FILLFACTOR"sv, "FOR"sv,
    "FOREIGN"sv, "FREETEXT"sv, "FREETEXTTABLE"sv, "FROM"sv, "FULL"sv, "FUNCTION"sv, "GOTO"sv, "GRANT"sv, "GROUP"sv,
    "HAVING"sv, "HOLDLOCK"sv, "IDENTITY"sv, "IDENTITYCOL"sv, "IDENTITY_INSERT"sv, "IF"sv, "IN"sv, "INDEX"sv,
    "INNER"sv, "INSERT"sv, "INTERSECT"sv, "INTO"sv, "IS"sv, "JOIN"sv, "KEY"sv, "KILL"sv, "LEFT"sv, "LIKE"sv,
    "LINENO"sv, "LOAD"sv, "MERGE"sv, "NATIONAL"sv, "NOCHECK"sv, "NONCLUSTERED"sv, "NOT"sv, "NULL"sv, "NULLIF"sv,
    "OF"sv, "OFF"sv, "OFFSETS"sv, "ON"sv, "OPEN"sv, "OPENDATASOURCE"sv, "OPENQUERY"sv, "OPENROWSET"sv, "OPENXML"sv,
    "OPTION"sv, "OR"sv, "ORDER"sv, "OUTER"sv, "OVER"sv, "PERCENT"sv, "PIVOT"sv, "PLAN"sv, "PRECISION"sv,
    "PRIMARY"sv, "PRINT"sv, "PROC"sv, "PROCEDURE"sv, "PUBLIC"sv, "RAISERROR"sv, "READ"sv, "READTEXT"sv,
    "RECONFIGURE"sv, "REFERENCES"sv, "REPLICATION"sv, "RESTORE"sv, "RESTRICT"sv, "RETURN"sv, "REVERT"sv,
    "REVOKE"sv, "RIGHT"sv, "ROLLBACK"sv, "ROWCOUNT"sv, "ROWGUIDCOL"sv, "RULE"sv, "SAVE"sv, "SCHEMA"sv,
    "SECURITYAUDIT"sv, "SELECT"sv, "SEMANTICKEYPHRASETABLE"sv, "SEMANTICSIMILARITYDETAILSTABLE"sv,
    "SEMANTICSIMILARITYTABLE"sv, "SESSION_USER"sv, "SET"sv, "SETUSER"sv, "SHUTDOWN"sv, "SOME"sv, "STATISTICS"sv,
    "SYSTEM_USER"sv, "TABLE"sv, "TABLESAMPLE"sv, "TEXTSIZE"sv, "THEN"sv, "TO"sv, "TOP"sv, "TRAN"sv,
    "TRANSACTION"sv, "TRIGGER"sv, "TRUNCATE"sv, "TRY_CONVERT"sv, "TSEQUAL"sv, "UNION"sv, "UNIQUE"sv, "UNPIVOT"sv,
    "UPDATE"sv, "UPDATETEXT"sv, "USE"sv, "USER"sv, "VALUES"sv, "VARYING"sv, "VIEW"sv, "WAITFOR"sv, "WHEN"sv,
    "WHERE"sv, "WHILE"sv, "WITH"sv, "WITHIN"sv, "WRITETEXT"sv,
};

// Access (Jet and ACE SQL).
constexpr std::array kAccessWords{
    "ADD"sv, "ALL"sv, "ALTER"sv, "AND"sv, "ANY"sv, "AS"sv, "ASC"sv, "AUTOINCREMENT"sv, "AVG"sv, "BETWEEN"sv,
    "BINARY"sv, "BIT"sv, "BOOLEAN"sv, "BY"sv, "BYTE"sv, "CHAR"sv, "CHARACTER"sv, "COLUMN"sv, "CONSTRAINT"sv,
    "COUNT"sv, "COUNTER"sv, "CREATE"sv, "CURRENCY"sv, "DATABASE"sv, "DATE"sv, "DATETIME"sv, "DELETE"sv, "DESC"sv,
    "DISALLOW"sv, "DISTINCT"sv, "DISTINCTROW"sv, "DOUBLE"sv, "DROP"sv, "EXISTS"sv, "FLOAT"sv, "FLOAT4"sv,
    "FLOAT8"sv, "FOREIGN"sv, "FROM"sv, "GENERAL"sv, "GROUP"sv, "GUID"sv, "HAVING"sv, "IGNORE"sv, "IMP"sv, "IN"sv,
    "INDEX"sv, "INNER"sv, "INSERT"sv, "INT"sv, "INTEGER"sv, "INTEGER1"sv, "INTEGER2"sv, "INTEGER4"sv, "INTO"sv,
    "IS"sv, "JOIN"sv, "KEY"sv, "LEFT"sv, "LEVEL"sv, "LIKE"sv, "LOGICAL"sv, "LOGICAL1"sv, "LONG"sv, "LONGBINARY"sv,
    "LONGTEXT"sv, "MAX"sv, "MEMO"sv, "MIN"sv, "MOD"sv, "MONEY"sv, "NOT"sv, "NULL"sv, "NUMBER"sv, "NUMERIC"sv,
    "OLEOBJECT"sv, "ON"sv, "OPTION"sv, "OR"sv, "ORDER"sv, "OUTER"sv, "OWNERACCESS"sv, "PARAMETERS"sv, "PERCENT"sv,
    "PIVOT"sv, "PRIMARY"sv, "PROCEDURE"sv, "REAL"sv, "REFERENCES"sv, "RIGHT"sv, "SELECT"sv, "SET"sv, "SHORT"sv,
    "SINGLE"sv, "SMALLINT"sv, "SOME"sv, "STDEV"sv, "STDEVP"sv, "STRING"sv, "SUM"sv, "TABLE"sv, "TABLEID"sv,
    "TEXT"sv, "TIME"sv, "TIMESTAMP"sv, "TOP"sv, "TRANSFORM"sv, "UNION"sv, "UNIQUE"sv, "UPDATE"sv, "VALUE"sv,
    "VALUES"sv, "VAR"sv, "VARBINARY"sv, "VARCHAR"sv, "VARP"sv, "WHERE"sv, "WITH"sv, "XOR"sv, "YESNO"sv,
};

// SQLite: the keywords that it refuses or misreads where a name stands (the
// CURRENT_ ones read as the date and time); its other keywords fall back to names.
constexpr std::array kSQLiteWords{
    "ADD"sv, "ALL"sv, "ALTER"sv, "AND"sv, "AS"sv, "AUTOINCREMENT"sv, "BETWEEN"sv, "CASE"sv, "CAST"sv, "CHECK"sv,
    "COLLATE"sv, "COMMIT"sv, "CONSTRAINT"sv, "CREATE"sv, "CURRENT_DATE"sv, "CURRENT_TIME"sv, "CURRENT_TIMESTAMP"sv,
    "DEFAULT"sv, "DEFERRABLE"sv, "DELETE"sv, "DISTINCT"sv, "DROP"sv, "ELSE"sv, "ESCAPE"sv, "EXCEPT"sv, "EXISTS"sv,
    "FOREIGN"sv, "FROM"sv, "GROUP"sv, "HAVING"sv, "IN"sv, "INDEX"sv, "INSERT"sv, "INTERSECT"sv, "INTO"sv, "IS"sv,
    "ISNULL"sv, "JOIN"sv, "LIMIT"sv, "NOT"sv, "NOTHING"sv, "NOTNULL"sv, "NULL"sv, "ON"sv, "OR"sv, "ORDER"sv,
    "PRIMARY"sv, "RAISE"sv, "REFERENCES"sv, "RETURNING"sv, "SELECT"sv, "SET"sv, "TABLE"sv, "THEN"sv, "TO"sv,
    "TRANSACTION"sv, "UNION"sv, "UNIQUE"sv, "UPDATE"sv, "USING"sv, "VALUES"sv, "WHEN"sv, "WHERE"sv,
};

TqdNameRule makeRule(char open, char close, TqdNameRule::TFolding folding, std::string_view firstExtra,
                     std::string_view nextExtra, bool highBytesAreLetters, std::span<const std::string_view> reserved,
                     bool blankPadded = false, std::string_view defaultSchema = {})
{
    TqdNameRule rule;
    rule.open = open;
    rule.close = close;
    rule.folding = folding;
    rule.firstExtra = firstExtra;
    rule.nextExtra = nextExtra;
    rule.highBytesAreLetters = highBytesAreLetters;
    rule.reserved = reserved;
    rule.blankPadded = blankPadded;
    rule.defaultSchema = defaultSchema;
    return rule;
}

// A name that starts with a digit is quoted everywhere: MySQL would take
// some of them (1e5, 0x1f) for numbers.
const TqdNameRule &ruleFor(TqdServerEngine engine)
{
    using R = TqdNameRule;
    static const R none;
    static const R postgreSQL = makeRule('"', '"', R::foldLower, "_", "_$", true, kPostgreSQLWords, false, "public");
    static const R firebird = makeRule('"', '"', R::foldUpper, "", "_$", false, kFirebirdWords, true);
    static const R mySQL = makeRule('`', '`', R::foldNone, "_", "_$", true, kMySQLWords);
    static const R oracle = makeRule('"', '"', R::foldUpper, "", "_$#", false, kOracleWords);
    // A leading @ or # makes a variable or a temporary table's name.
    static const R sqlServer = makeRule('[', ']', R::foldNone, "_", "_@$#", true, kSQLServerWords);
    static const R access = makeRule('[', ']', R::foldNone, "", "_", true, kAccessWords);
    // Names keep their case and match without regard to it; [..] and `..` are read too.
    static const R sqlite = makeRule('"', '"', R::foldNone, "_", "_$", true, kSQLiteWords);
    switch (engine) {
    case seNone:
        return none;
    case seFireBird:
        return firebird;
    case seMSAccess:
        return access;
    case seMSCE31:
    case seMSCE35:
    case seMSSQL:
        return sqlServer;
    case seMySQL:
        return mySQL;
    case seOracle:
    case seOracleMS:
        return oracle;
    case sePostGre:
        return postgreSQL;
    case seSQLite:
        return sqlite;
    }
    return none;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The name without the blank padding that the engine's catalogue adds.
std::string_view unpadded(const TqdNameRule &rule, std::string_view name)
{
    if (rule.blankPadded)
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
    return name;
}

bool isReserved(const TqdNameRule &rule, std::string_view name)
{
    std::string upper(name);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return std::find(rule.reserved.begin(), rule.reserved.end(), std::string_view(upper)) != rule.reserved.end();
}

bool needsQuotes(const TqdNameRule &rule, std::string_view name)
{
    if (!rule.open)
        return false;
    name = unpadded(rule, name);
    if (name.empty())
        return true;
    auto letter = [&rule](char c) {
        if (c >= 'A' && c <= 'Z')
            return rule.folding != TqdNameRule::foldLower;
        if (c >= 'a' && c <= 'z')
            return rule.folding != TqdNameRule::foldUpper;
        return rule.highBytesAreLetters && static_cast<unsigned char>(c) >= 0x80;
    };
    if (!letter(name[0]) && rule.firstExtra.find(name[0]) == std::string_view::npos)
        return true;
    for (char c : name.substr(1))
        if (!letter(c) && !isDigit(c) && rule.nextExtra.find(c) == std::string_view::npos)
            return true;
    return isReserved(rule, name);
}

std::string quoted(const TqdNameRule &rule, std::string_view name)
{
    if (!rule.open)
        return std::string(name);
    name = unpadded(rule, name);
    std::string s(1, rule.open);
    for (char c : name) {
        if (c == rule.close)
            s += c;
        s += c;
    }
    s += rule.close;
    return s;
}

// Reads one name part of SQL at `at`: a quoted name, or an unquoted one that
// reads back as itself. False when there is none.
bool readPart(const TqdNameRule &rule, std::string_view text, std::size_t &at, std::string &part)
{
    part.clear();
    if (at < text.size() && text[at] == rule.open) {
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != rule.close) {
                part += text[i];
            } else if (i + 1 < text.size() && text[i + 1] == rule.close) {
                part += rule.close;
                ++i;
            } else {
                at = i + 1;
                return true;
            }
        }
        return false;
    }
    const std::size_t end = std::min(text.find('.', at), text.size());
    part = std::string(text.substr(at, end - at));
    at = end;
    return !part.empty() && !needsQuotes(rule, part);
}

} // namespace

const TqdNameRule &nameRule(TqdServerEngine engine) { return ruleFor(engine); }

bool nameNeedsQuotes(TqdServerEngine engine, std::string_view name) { return needsQuotes(ruleFor(engine), name); }

std::string sqlName(TqdServerEngine engine, std::string_view name)
{
    const TqdNameRule &rule = ruleFor(engine);
    return needsQuotes(rule, name) ? quoted(rule, name) : std::string(name);
}

std::string quotedName(TqdServerEngine engine, std::string_view name) { return quoted(ruleFor(engine), name); }

TqdTableName splitListedTableName(TqdServerEngine engine, std::string_view listed)
{
    const TqdNameRule &rule = ruleFor(engine);
    const TqdTableName bare{std::string(), std::string(listed)};
    if (rule.defaultSchema.empty() || !rule.open)
        return bare;
    std::size_t at = 0;
    TqdTableName parts;
    if (!readPart(rule, listed, at, parts.table))
        return bare;
    if (at < listed.size()) {
        if (listed[at] != '.')
            return bare;
        ++at;
        parts.schema = std::move(parts.table);
        if (!readPart(rule, listed, at, parts.table) || at != listed.size())
            return bare;
    }
    return parts;
}

std::string listedTableName(TqdServerEngine engine, std::string_view schema, std::string_view table)
{
    const TqdNameRule &rule = ruleFor(engine);
    if (schema.empty() || schema == rule.defaultSchema || rule.defaultSchema.empty()) {
        // A bare name that would read as other parts is shown quoted.
        if (splitListedTableName(engine, table) == TqdTableName{std::string(), std::string(table)})
            return std::string(table);
        return quoted(rule, table);
    }
    return sqlName(engine, schema) + "." + sqlName(engine, table);
}

std::string sqlTableName(TqdServerEngine engine, std::string_view listed)
{
    const TqdTableName parts = splitListedTableName(engine, listed);
    if (parts.schema.empty())
        return sqlName(engine, parts.table);
    return sqlName(engine, parts.schema) + "." + sqlName(engine, parts.table);
}

#pragma once
// Where the benchmark's data lies and how to reach it: the settings that
// tools/bench.sh exports (the servers' TABULON_PG_* / TABULON_MY_* and the
// benchmark's own TABULON_BENCH_*), and the statements every side runs.

#include <string>

namespace bench {

struct Settings {
    std::string pgSocket, pgUser, pgPassword;
    int pgPort = 0;
    std::string myDirSocket, myUser, myPassword;
    int myPort = 0;
    std::string rowsDatabase;  // PostgreSQL and MariaDB database with the row table
    std::string treeDatabase;  // PostgreSQL database with the many tables
    std::string fbPath;        // embedded Firebird file with the row table
    std::string sqlitePath;    // SQLite file with the row table
    std::string scriptPath;    // the large script
    std::string workDir;       // scratch files (saved script, client logs)
    long long expectedRows = 0;
    int expectedTables = 0;
};

// Reads the environment; throws std::runtime_error naming a missing variable.
const Settings &settings();

// The statement of the row cases, the same text on every engine but SQLite,
// where NOTHING is a keyword that cannot stand bare as a name.
const char *rowsStatement();
const char *sqliteRowsStatement();

// The grid's window size while the first screen is painted.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

} // namespace bench

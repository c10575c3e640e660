#pragma once
// The database engines the program can talk to.

enum TqdServerEngine : unsigned char {
    seNone = 0,
    seFireBird = 1,
    seMSAccess = 2,
    seMSCE31 = 3,
    seMSCE35 = 4,
    seMSSQL = 5,
    seMySQL = 6,
    seOracle = 7,
    sePostGre = 8,
    seOracleMS = 9,
    seSQLite = 10,
};

// "seMSAccess" for seMSAccess, and so on.
const char *engineName(TqdServerEngine engine);
// One database per connection: Firebird, Access, SQL Server Compact, SQLite.
bool isSingleDatabaseEngine(TqdServerEngine engine);

#include "bench_env.h"

#include <cstdlib>
#include <stdexcept>

namespace bench {

namespace {

std::string need(const char *name)
{
    const char *value = std::getenv(name);
    if (!value || !*value)
        throw std::runtime_error(std::string(name) + " is not set (run the benchmark through tools/bench.sh)");
    return value;
}

Settings load()
{
    Settings s;
    s.pgSocket = need("TABULON_PG_SOCKET");
    s.pgPort = std::stoi(need("TABULON_PG_PORT"));
    s.pgUser = need("TABULON_PG_USER");
    s.pgPassword = need("TABULON_PG_PASSWORD");
    s.myDirSocket = need("TABULON_MY_SOCKET");
    s.myPort = std::stoi(need("TABULON_MY_PORT"));
    s.myUser = need("TABULON_MY_USER");
    s.myPassword = need("TABULON_MY_PASSWORD");
    s.rowsDatabase = need("TABULON_BENCH_ROWS_DB");
    s.treeDatabase = need("TABULON_BENCH_TREE_DB");
    s.fbPath = need("TABULON_BENCH_FB_PATH");
    s.sqlitePath = need("TABULON_BENCH_SQLITE_PATH");
    s.scriptPath = need("TABULON_BENCH_SCRIPT");
    s.workDir = need("TABULON_BENCH_WORK");
    s.expectedRows = std::stoll(need("TABULON_BENCH_ROWS"));
    s.expectedTables = std::stoi(need("TABULON_BENCH_TABLES"));
    return s;
}

} // namespace

const Settings &settings()
{
    static const Settings s = load();
    return s;
}

const char *rowsStatement()
{
    return "select id, qty, price, rate, name, descr, created, nothing from bench_rows";
}

const char *sqliteRowsStatement()
{
    return "select id, qty, price, rate, name, descr, created, \"nothing\" from bench_rows";
}

} // namespace bench

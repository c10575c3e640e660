// tabulon_bench: Tabulon's paths against the engines' own command-line
// clients and bare client-library loops, measured in one run.
//
//   tabulon_bench run [--runs N] [--csv FILE] [--only pg,my,fb,sqlite,tree,script,export,sort,bigscript,complete,stream,mem10m]
//   tabulon_bench side NAME      one measured side (the runner starts these)
//
// The settings come from the environment that tools/bench.sh prepares.
#include "bench_env.h"
#include "bench_process.h"
#include "bench_report.h"
#include "bench_sides.h"
#include "o_CatalogueCompletion.h"
#include "bench_stream.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

bool runSide(const std::string &name, SideResult &result)
{
    static const std::map<std::string, SideResult (*)()> sides = {
        {"pg-floor", pgFloor}, {"my-floor", myFloor}, {"fb-floor", fbFloor},     {"pg-grid", pgGrid},
        {"my-grid", myGrid},   {"fb-grid", fbGrid},   {"tree-fill", treeFill}, {"script", scriptOpenSave},
        {"window", windowAlone}, {"sqlite-floor", sqliteFloor}, {"sqlite-grid", sqliteGrid},
        {"pg-export", pgExportCsv}, {"pg-export-fetched", pgExportFetched}, {"pg-export-arriving", pgExportArriving},
        {"sort-number", pgSortNumber}, {"sort-text", pgSortText},
        {"bigscript-open", bigScriptOpen}, {"bigscript-save", bigScriptSave}, {"longline-open", longLineOpen},
        {"longline-keys", longLineKeys},
        {"complete", completeList},
        {"pg-first", [] { return pgFirstScreen(rowsStatement()); }},
        {"pg-stall", [] { return pgLongestStall(rowsStatement()); }},
        {"pg-floor-first", [] { return pgFloorFirstRow(rowsStatement()); }},
        {"pg-grid-10m", [] { return pgGridWhole(bigRowsStatement()); }},
        {"pg-floor-10m", [] { return pgFloorOn(bigRowsStatement()); }},
        {"pg-first-10m", [] { return pgFirstScreen(bigRowsStatement()); }},
        {"pg-stall-10m", [] { return pgLongestStall(bigRowsStatement()); }},
        {"pg-floor-first-10m", [] { return pgFloorFirstRow(bigRowsStatement()); }},
    };
    const auto it = sides.find(name);
    if (it == sides.end())
        return false;
    result = it->second();
    return true;
}

namespace {

struct Side {
    SideRuns runs;
    std::vector<std::string> command; // empty: a side of this program
};

struct Group {
    std::string name;
    std::vector<std::unique_ptr<Side>> sides;
    Side *add(const std::string &key, const std::string &label, std::vector<std::string> command = {})
    {
        sides.push_back(std::make_unique<Side>());
        sides.back()->runs.key = key;
        sides.back()->runs.label = label;
        sides.back()->command = std::move(command);
        return sides.back().get();
    }
};

Measurement measure(const Side &side, const std::string &logPath)
{
    return side.command.empty() ? runSelfSide(side.runs.key, logPath) : runCommand(side.command, logPath);
}

// One warm-up run of every side, then the runs in turn, so that a slow spell
// of the machine spreads over all sides.
void runGroup(Group &group, int runs, const std::string &workDir)
{
    for (int r = 0; r <= runs; ++r) {
        for (auto &side : group.sides) {
            if (!side->runs.error.empty())
                continue;
            const std::string log = workDir + "/" + side->runs.key + ".log";
            std::fprintf(stderr, "[bench] %s: %s, %s\n", group.name.c_str(), side->runs.label.c_str(),
                         r == 0 ? "warm-up" : ("run " + std::to_string(r)).c_str());
            Measurement m = measure(*side, log);
            if (!m.ok)
                side->runs.error = m.error;
            else if (r > 0)
                side->runs.runs.push_back(m);
        }
    }
}

// Items a side handled must be what the data holds.
void checkItems(Side *side, long long expected, const char *what)
{
    const long long items = side->runs.items();
    if (side->runs.error.empty() && items != expected)
        side->runs.error =
            "handled " + std::to_string(items) + " " + what + ", expected " + std::to_string(expected);
}

int run(int argc, char **argv)
{
    int runs = 5;
    const Settings &s = settings();
    std::string csv = s.workDir + "/results.csv";
    std::string only = "pg,my,fb,sqlite,tree,script,export,sort,bigscript,complete,stream";
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (key == "--csv")
            csv = argv[i + 1];
        else if (key == "--only")
            only = argv[i + 1];
        else
            throw std::runtime_error("unknown option " + key);
    }
    auto wanted = [&only](const char *name) { return ("," + only + ",").find("," + std::string(name) + ",") != std::string::npos; };

    const std::string pgPort = std::to_string(s.pgPort);
    const std::string fbQuery = s.workDir + "/fb-query.sql";
    std::ofstream(fbQuery, std::ios::trunc) << rowsStatement() << ";\n";
    setenv("PGPASSWORD", s.pgPassword.c_str(), 1);

    Group pg{"PostgreSQL"}, my{"MariaDB"}, fb{"Firebird"}, lite{"SQLite"}, tree{"tree"}, script{"script"},
        window{"window"};
    auto psqlRows = [&](const char *statement) -> std::vector<std::string> {
        return {"psql", "-X", "-q", "-h", s.pgSocket, "-p", pgPort, "-U", s.pgUser, "-d", s.rowsDatabase,
                "-At", "-c", statement, "-o", "/dev/null"};
    };
    Side *pgTabulon = pg.add("pg-grid", "Tabulon (query tab, grid)");
    Side *psql = pg.add("psql", "psql -At -o /dev/null", psqlRows(rowsStatement()));
    Side *pgFloorSide = pg.add("pg-floor", "libpq PQexec loop (floor)");
    Side *myTabulon = my.add("my-grid", "Tabulon (query tab, grid)");
    Side *mariadb = my.add("mariadb", "mariadb --batch --quick",
                           {"mariadb", "--no-defaults", "-S", s.myDirSocket, "-u", s.myUser, "-p" + s.myPassword,
                            "--batch", "--quick", "-e", rowsStatement(), s.rowsDatabase});
    Side *myFloorSide = my.add("my-floor", "mysql_store_result loop (floor)");
    Side *fbTabulon = fb.add("fb-grid", "Tabulon (query tab, grid)");
    Side *isql = fb.add("isql-fb", "isql-fb -o /dev/null",
                        {"isql-fb", "-q", "-u", "SYSDBA", "-i", fbQuery, "-o", "/dev/null", s.fbPath});
    Side *fbFloorSide = fb.add("fb-floor", "fbclient fetch loop (floor)");
    Side *liteTabulon = lite.add("sqlite-grid", "Tabulon (query tab, grid)");
    Side *liteClient = lite.add("sqlite3", "sqlite3 -batch > /dev/null",
                                {"sqlite3", "-batch", s.sqlitePath, sqliteRowsStatement()});
    Side *liteFloorSide = lite.add("sqlite-floor", "sqlite3_step loop (floor)");
    Side *treeTabulon = tree.add("tree-fill", "Tabulon (tree node)");
    Side *psqlDt = tree.add("psql-dt", "psql -c '\\dt'",
                            {"psql", "-X", "-q", "-h", s.pgSocket, "-p", pgPort, "-U", s.pgUser, "-d",
                             s.treeDatabase, "-c", "\\dt"});
    Side *scriptTabulon = script.add("script", "Tabulon (open + save)");
    Side *cp = script.add("cp", "cp (floor)", {"cp", s.scriptPath, s.workDir + "/copied-script.sql"});
    Group bigScript{"huge scripts"};
    const std::string bigPath = std::getenv("TABULON_BENCH_BIGSCRIPT") ? std::getenv("TABULON_BENCH_BIGSCRIPT") : "";
    const std::string linePath = std::getenv("TABULON_BENCH_LONGLINE") ? std::getenv("TABULON_BENCH_LONGLINE") : "";
    Side *bigOpen = bigScript.add("bigscript-open", "Tabulon (open)");
    Side *bigSave = bigScript.add("bigscript-save", "Tabulon (save)");
    Side *bigCp = bigScript.add("cp-bigscript", "cp (floor)", {"cp", bigPath, s.workDir + "/copied-bigscript.sql"});
    Side *lineOpen = bigScript.add("longline-open", "Tabulon (open)");
    Side *lineKeys = bigScript.add("longline-keys", "Tabulon (slowest key at its end)");
    Side *lineCp = bigScript.add("cp-longline", "cp (floor)", {"cp", linePath, s.workDir + "/copied-longline.sql"});
    Group complete{"complete"};
    Side *completeTabulon = complete.add("complete", "Tabulon (completion list from the cache)");

    std::vector<Comparison> table;
    if (wanted("pg")) {
        runGroup(pg, runs, s.workDir);
        checkItems(pgTabulon, s.expectedRows, "rows");
        checkItems(pgFloorSide, s.expectedRows, "rows");
    }
    if (wanted("my")) {
        runGroup(my, runs, s.workDir);
        checkItems(myTabulon, s.expectedRows, "rows");
        checkItems(myFloorSide, s.expectedRows, "rows");
    }
    if (wanted("fb")) {
        runGroup(fb, runs, s.workDir);
        checkItems(fbTabulon, s.expectedRows, "rows");
        checkItems(fbFloorSide, s.expectedRows, "rows");
    }
    if (wanted("sqlite")) {
        runGroup(lite, runs, s.workDir);
        checkItems(liteTabulon, s.expectedRows, "rows");
        checkItems(liteFloorSide, s.expectedRows, "rows");
    }
    if (wanted("tree")) {
        runGroup(tree, runs, s.workDir);
        checkItems(treeTabulon, s.expectedTables, "tables");
    }
    if (wanted("script"))
        runGroup(script, runs, s.workDir);
    if (wanted("bigscript"))
        runGroup(bigScript, runs, s.workDir);
    if (wanted("complete")) {
        runGroup(complete, runs, s.workDir);
        checkItems(completeTabulon, std::min<long long>(s.expectedTables, kMaxListedNames), "names");
    }
    Side *windowSide = window.add("window", "Tabulon's window alone");
    const bool rowCasesWanted = wanted("pg") || wanted("my") || wanted("fb") || wanted("sqlite");
    if (rowCasesWanted)
        runGroup(window, runs, s.workDir);

    // Rows on screen while they arrive (PostgreSQL, 1,000,000 rows; 10,000,000 with mem10m).
    Group stream{"stream"}, big{"mem10m"};
    Side *firstScreen = stream.add("pg-first", "Tabulon (first screen)");
    Side *floorFirst = stream.add("pg-floor-first", "libpq single-row loop (first row)");
    Side *stall = stream.add("pg-stall", "Tabulon (longest stall)");
    Side *bigGrid = big.add("pg-grid-10m", "Tabulon (query tab, grid)");
    Side *bigPsql = big.add("psql-10m", "psql -At -o /dev/null", psqlRows(bigRowsStatement()));
    Side *bigFloor = big.add("pg-floor-10m", "libpq PQexec loop (floor)");
    Side *bigFirst = big.add("pg-first-10m", "Tabulon (first screen)");
    Side *bigFloorFirst = big.add("pg-floor-first-10m", "libpq single-row loop (first row)");
    Side *bigStall = big.add("pg-stall-10m", "Tabulon (longest stall)");
    constexpr long long kBigRows = 10000000;
    if (wanted("stream")) {
        runGroup(stream, runs, s.workDir);
        for (Side *side : {firstScreen, floorFirst, stall})
            checkItems(side, s.expectedRows, "rows");
    }
    if (wanted("mem10m")) {
        runGroup(big, runs, s.workDir);
        for (Side *side : {bigGrid, bigFloor, bigFirst, bigFloorFirst, bigStall})
            checkItems(side, kBigRows, "rows");
    }

    // "1,000,000 rows x 8", as many as the data holds.
    std::string rows = std::to_string(s.expectedRows);
    for (int at = int(rows.size()) - 3; at > 0; at -= 3)
        rows.insert(size_t(at), ",");
    rows += " rows x 8";
    struct RowCase {
        const char *want;
        int number;
        std::string title;
        Side *tabulon, *client, *floor;
        double floorTime = 1.3, floorMemory = 1.3;
    } rowCases[] = {
        {"pg", 1, "PostgreSQL: " + rows, pgTabulon, psql, pgFloorSide, 1.0, 0.6},
        {"my", 2, "MariaDB: " + rows, myTabulon, mariadb, myFloorSide, 1.3, 0.8},
        {"fb", 3, "Firebird (embedded): " + rows, fbTabulon, isql, fbFloorSide},
        {"sqlite", 7, "SQLite: " + rows, liteTabulon, liteClient, liteFloorSide},
    };
    for (const RowCase &c : rowCases) {
        if (!wanted(c.want))
            continue;
        table.push_back({c.number, c.title, Metric::Time, &c.tabulon->runs, &c.client->runs, 1.0});
        table.push_back({c.number, c.title, Metric::Time, &c.tabulon->runs, &c.floor->runs, c.floorTime});
    }
    if (wanted("tree"))
        table.push_back({4, "Tree: 10,000 tables under a node", Metric::Time, &treeTabulon->runs, &psqlDt->runs, 1.0,
                         true});
    if (wanted("script"))
        table.push_back({5, "20 MiB script: open + save", Metric::Time, &scriptTabulon->runs, &cp->runs, 0.5, false,
                         true});
    if (wanted("bigscript")) {
        table.push_back({14, "200 MiB script: open", Metric::Time, &bigOpen->runs, &bigCp->runs, 3.0, false, true});
        table.push_back({14, "200 MiB script: save", Metric::Time, &bigSave->runs, &bigCp->runs, 1.0, false, true});
        table.push_back({15, "5 MiB line: open", Metric::Time, &lineOpen->runs, &lineCp->runs, 1.0, false, true});
        table.push_back({15, "5 MiB line: a key at its end", Metric::Time, &lineKeys->runs, &lineCp->runs, 0.1, false,
                         true});
    }
    if (wanted("complete"))
        table.push_back({10, "Completion: 10,000 tables, list from the cache", Metric::Time,
                         &completeTabulon->runs, nullptr, 0.05, false, true});
    for (const RowCase &c : rowCases) {
        if (!wanted(c.want))
            continue;
        const std::string title = std::string("Peak memory, ") + c.title.substr(0, c.title.find(':'));
        table.push_back({6, title, Metric::Memory, &c.tabulon->runs, &c.floor->runs, c.floorMemory});
        Comparison client{6, title, Metric::Memory, &c.tabulon->runs, &c.client->runs, 0};
        client.informative = true;
        table.push_back(client);
    }
    if (rowCasesWanted) {
        Comparison alone{6, "Peak memory, no rows", Metric::Memory, &windowSide->runs, nullptr, 0};
        alone.informative = true;
        table.push_back(alone);
    }
    // Export and sort of the PostgreSQL rows.
    Group exporting{"export"}, sorting{"sort"};
    if (wanted("export")) {
        Side *mine = exporting.add("pg-export-arriving", "Tabulon (CSV export while the rows arrive)");
        Side *after = exporting.add("pg-export", "Tabulon (query, then CSV export)");
        Side *fetched = exporting.add("pg-export-fetched", "Tabulon (CSV export of the fetched result)");
        Side *copy = exporting.add("psql-copy", "psql \\copy ... csv header",
                                   {"psql", "-X", "-q", "-h", s.pgSocket, "-p", pgPort, "-U", s.pgUser, "-d",
                                    s.rowsDatabase, "-c",
                                    "\\copy (" + std::string(rowsStatement()) + ") to '" + psqlCsvPath() +
                                        "' with csv header"});
        runGroup(exporting, runs, s.workDir);
        checkItems(mine, s.expectedRows, "rows");
        checkItems(after, s.expectedRows, "rows");
        checkItems(fetched, s.expectedRows, "rows");
        for (Side *side : {mine, after, fetched}) {
            if (!side->runs.error.empty() || !copy->runs.error.empty())
                continue;
            std::ifstream a(exportCsvPath(side->runs.key), std::ios::binary), b(psqlCsvPath(), std::ios::binary);
            const std::string ours((std::istreambuf_iterator<char>(a)), {}), theirs((std::istreambuf_iterator<char>(b)), {});
            if (ours != theirs)
                side->runs.error = "the CSV differs from psql's (" + std::to_string(ours.size()) + " against " +
                                   std::to_string(theirs.size()) + " bytes)";
        }
        table.push_back({8, "PostgreSQL: " + rows + " to CSV", Metric::Time, &mine->runs, &copy->runs, 1.0});
        Comparison whole{8, "  query, then the export", Metric::Time, &after->runs, &copy->runs, 0};
        whole.informative = true;
        table.push_back(whole);
        Comparison alone{8, "  the export alone (result fetched)", Metric::Time, &fetched->runs, &copy->runs, 0};
        alone.informative = true;
        table.push_back(alone);
    }
    if (wanted("sort")) {
        Side *number = sorting.add("sort-number", "Tabulon (sort by a numeric column)");
        Side *text = sorting.add("sort-text", "Tabulon (sort by a text column)");
        runGroup(sorting, runs, s.workDir);
        checkItems(number, s.expectedRows, "rows");
        checkItems(text, s.expectedRows, "rows");
        table.push_back({9, "Sort " + rows + " by a numeric column", Metric::Time, &number->runs, nullptr, 1.0, true,
                         true});
        table.push_back({9, "Sort " + rows + " by a text column", Metric::Time, &text->runs, nullptr, 1.0, true, true});
    }
    // The first screen against the bare loop's first row (informative: the
    // grid's own tick is part of it), and the longest stall, under 0.1 s.
    auto informative = [](Comparison c) {
        c.informative = true;
        return c;
    };
    if (wanted("stream")) {
        table.push_back(informative({11, "PostgreSQL: first screen, " + rows, Metric::Time, &firstScreen->runs,
                                     &floorFirst->runs, 0}));
        table.push_back({11, "PostgreSQL: first screen, " + rows, Metric::Time, &firstScreen->runs, nullptr,
                         0.5, false, true});
        table.push_back({12, "PostgreSQL: longest stall, " + rows, Metric::Time, &stall->runs, nullptr, 0.1,
                         false, true});
    }
    if (wanted("mem10m")) {
        const std::string title = "PostgreSQL: 10,000,000 rows x 8";
        table.push_back(informative({11, title + ", first screen", Metric::Time, &bigFirst->runs,
                                     &bigFloorFirst->runs, 0}));
        table.push_back({11, title + ", first screen", Metric::Time, &bigFirst->runs, nullptr, 0.5, false, true});
        table.push_back({12, title + ", longest stall", Metric::Time, &bigStall->runs, nullptr, 0.1, false, true});
        table.push_back({13, title + ", peak memory", Metric::Memory, &bigGrid->runs, &bigFloor->runs, 0.6});
        table.push_back(informative({13, title + ", peak memory", Metric::Memory, &bigGrid->runs, &bigPsql->runs, 0}));
        table.push_back(informative({13, title + ", time", Metric::Time, &bigGrid->runs, &bigFloor->runs, 0}));
    }
    return report(table, csv) ? 0 : 1;
}

} // namespace

} // namespace bench

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "run";
    try {
        if (mode == "side" && argc > 2) {
            bench::SideResult result;
            if (!bench::runSide(argv[2], result)) {
                std::fprintf(stderr, "unknown side %s\n", argv[2]);
                return 2;
            }
            const std::string line = bench::resultLine(result.seconds, result.items);
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
            return 0;
        }
        if (mode == "run")
            return bench::run(argc, argv);
        std::fprintf(stderr,
                     "usage: %s run [--runs N] [--csv FILE] [--only pg,my,fb,sqlite,tree,script,export,sort,bigscript,complete,stream,mem10m] | side NAME\n",
                     argv[0]);
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tabulon_bench: %s\n", e.what());
        return 1;
    }
}

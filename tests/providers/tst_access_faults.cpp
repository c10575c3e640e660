// Access files under faults: cancel racing the statement's own thread, cut
// and foreign files refused before the driver reads
// them, the driver's complaints kept off the terminal, and what small open
// results cost.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "providers/odbc/access_file.h"
#include "ado.h"
#include "ado_errors.h"
#include "provider.h"
#include "server_provider_support.h"
#include "testenv.h"

using namespace ado;

namespace {

const std::string kCancelled = "[HY008] Operation canceled";

std::string fixture(const char *file) { return testenv::accessFixtureDir() + "/" + file; }

std::string accessString(const std::string &path)
{
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string writeFile(const std::string &name, const std::string &bytes)
{
    const std::string path = testenv::tempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// What `work` writes to the process's stderr (the terminal, for the user).
std::string stderrOf(const std::function<void()> &work)
{
    char name[] = "/tmp/tabulon-stderr-XXXXXX";
    const int file = mkstemp(name);
    const int saved = dup(STDERR_FILENO);
    std::fflush(stderr);
    dup2(file, STDERR_FILENO);
    work();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    const std::string written = readFile(name);
    std::remove(name);
    return written;
}

std::string openError(const std::string &path)
{
    try {
        ProviderRegistry::instance().create(accessString(path))->open();
    } catch (const EProviderError &e) {
        return e.message();
    }
    return "open succeeded";
}

// ---- cancel ----------------------------------------------------------------

// Statements and cancels from another thread at changing moments: every run
// ends with its whole result or as cancelled, and the connection goes on.
TEST(AccessCancel, RacingTheStatementNeverBreaksTheConnection)
{
    TADOConnection connection;
    connection.ConnectionString = accessString(fixture("indexTestV2000.mdb"));
    connection.Open();
    std::mt19937 random(14);
    int cancelled = 0, finished = 0;
    double slowestReturn = 0;
    for (int i = 0; i < 300; ++i) {
        const int delayUs = int(random() % 400);
        std::atomic<bool> started{false}, stop{false};
        std::atomic<std::chrono::steady_clock::time_point> cancelledAt{};
        std::thread canceller([&] {
            started = true;
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            cancelledAt = std::chrono::steady_clock::now();
            connection.Cancel();
            // Some cancels land while the handle is freed or the next one is made.
            while (!stop.load())
                connection.Cancel();
        });
        while (!started.load())
            std::this_thread::yield();
        try {
            // Statements and catalogue calls free and make handles at different points.
            if (i % 3 == 2) {
                TStringList names;
                connection.GetTableNames(names);
                EXPECT_EQ(names.Count(), 3);
            } else {
                ExecResult r = connection.ExecuteWithResult(i % 3 ? "SELECT * FROM Table1" : "SELECT * FROM Table3");
                EXPECT_EQ(r.rows->rowCount(), 4);
            }
            ++finished;
        } catch (const EProviderError &e) {
            slowestReturn = std::max(slowestReturn, provider_test::secondsSince(cancelledAt.load()));
            EXPECT_EQ(e.message(), kCancelled) << "run " << i;
            ++cancelled;
        }
        stop = true;
        canceller.join();
    }
    RecordProperty("cancelled", cancelled);
    RecordProperty("finished", finished);
    std::printf("Access: %d of 300 runs cancelled, the slowest returned %.2f ms after Cancel\n", cancelled,
                slowestReturn * 1000);
    EXPECT_GT(cancelled, 0) << "no run was stopped";
    ExecResult r = connection.ExecuteWithResult("SELECT * FROM Table2");
    EXPECT_EQ(r.rows->rowCount(), 3);
}

TEST(AccessCancel, NothingRunningAndAfterwardsChangesNothing)
{
    TADOConnection connection;
    connection.ConnectionString = accessString(fixture("indexTestV2010.accdb"));
    connection.Open();
    connection.Cancel();
    EXPECT_EQ(connection.ExecuteWithResult("SELECT * FROM Table1").rows->rowCount(), 4);
}

// ---- damaged files -----------------------------------------------------------

TEST(AccessDamagedFiles, RefusedWithAMessageNamingTheFile)
{
    const std::string whole = readFile(fixture("indexTestV2000.mdb"));
    const std::string accdb = readFile(fixture("indexTestV2010.accdb"));
    std::mt19937 random(7);
    std::string garbage(whole.size() - 4096, '\0');
    for (char &c : garbage)
        c = char(random());
    struct Case {
        const char *name;
        std::string bytes;
        const char *why; // part of the message
    };
    const std::vector<Case> cases = {
        {"half.mdb", whole.substr(0, whole.size() / 2), "refers to page"},
        {"half.accdb", accdb.substr(0, accdb.size() / 2), "refers to page"},
        {"8k.mdb", whole.substr(0, 8192), "ends before its catalogue"},
        {"odd-size.mdb", whole.substr(0, 100000), "not a whole number of 4096-byte pages"},
        {"garbage-after-header.mdb", whole.substr(0, 4096) + garbage, "is damaged or cut short"},
        {"catalogue-gone.mdb", whole.substr(0, 8192) + std::string(whole.size() - 8192, '\0'),
         "catalogue page is not a table definition"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeFile(c.name, c.bytes);
        const std::string message = openError(path);
        EXPECT_NE(message.find("'" + path + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(c.why), std::string::npos) << message;
    }
    // Foreign files: another file's bytes, an Access header on the wrong kind of file.
    std::string header = whole.substr(0, 4096);
    header[0] = 'M';
    const std::string foreign = writeFile("foreign.mdb", header + whole.substr(4096));
    EXPECT_EQ(openError(foreign), "Unrecognized database format '" + foreign + "'.");
    // An intact copy still opens.
    EXPECT_EQ(openError(writeFile("copy.mdb", whole)), "open succeeded");
}

// A file whose page structure holds but whose catalogue sends Table1 past
// its end: the driver's read error fails the statement (instead of an empty
// result or the driver's "Couldn't parse SQL"), and its complaint stays off
// the terminal.
TEST(AccessDamagedFiles, ReadErrorDuringTheStatementFailsIt)
{
    std::string bytes = readFile(fixture("indexTestV2000.mdb"));
    // MSysObjects' row of Table1 (data page 14, at 2568) begins with the
    // column count and then Id, the page of the table's definition (24).
    const size_t id = 14 * 4096 + 2568 + 2;
    ASSERT_EQ(bytes.substr(id, 4), std::string("\x18\0\0\0", 4));
    bytes.replace(id, 4, std::string("\x88\x13\0\0", 4)); // page 5000
    const std::string path = writeFile("table1-beyond-eof.mdb", bytes);

    std::string message = "no error", table2 = "not read";
    const std::string terminal = stderrOf([&] {
        try {
            auto connection = ProviderRegistry::instance().create(accessString(path));
            connection->open();
            table2 = std::to_string(connection->execute("SELECT * FROM Table2").rows->rowCount());
            connection->execute("SELECT * FROM Table1");
        } catch (const EProviderError &e) {
            message = e.message();
        }
    });
    EXPECT_EQ(table2, "3");
    EXPECT_EQ(message, "The database file '" + path + "' could not be read: offset 20480000 is beyond EOF");
    EXPECT_EQ(terminal, "");
}

// The driver writes its complaints to the process's stderr: a read error
// fails the call that caused it and nothing reaches the terminal.
TEST(AccessDriverOutput, ReadErrorsAreTakenAndTheRestDropped)
{
    std::string readError, nestedError;
    const std::string terminal = stderrOf([&] {
        std::fputs("before\n", stderr);
        {
            odbc::DriverOutputCapture outer;
            std::fputs("Warning: defaulting to brute force read\n", stderr);
            {
                odbc::DriverOutputCapture inner;
                std::fputs("offset 409600 is beyond EOF\n", stderr);
                nestedError = inner.readError();
            }
            std::fputs("syntax error\n", stderr);
            readError = outer.readError();
        }
        std::fputs("after\n", stderr);
    });
    EXPECT_EQ(nestedError, "offset 409600 is beyond EOF");
    EXPECT_EQ(readError, "offset 409600 is beyond EOF");
    EXPECT_EQ(terminal, "before\nafter\n");

    const struct {
        const char *output;
        const char *error;
    } lines[] = {
        {"", ""},
        {"Warning: incorrect memo length\n", ""},
        {"note\nerror: reading page 77 failed.\nmore\n", "error: reading page 77 failed."},
        {"warning: Invalid page buffer detected in mdb_crack_row.", "warning: Invalid page buffer detected in mdb_crack_row."},
    };
    for (const auto &l : lines)
        EXPECT_EQ(odbc::firstReadError(l.output), l.error) << l.output;
}

// ---- memory ------------------------------------------------------------------

TEST(AccessMemory, SmallOpenResultsCostLittle)
{
    auto connection = ProviderRegistry::instance().create(accessString(fixture("indexTestV2000.mdb")));
    connection->open();
    connection->execute("SELECT * FROM Table2"); // the driver's own first-use allocations
    std::vector<std::unique_ptr<RowSet>> results;
    const long long before = provider_test::heapInUse();
    for (int i = 0; i < 100; ++i)
        results.push_back(connection->execute("SELECT * FROM Table2").rows);
    const long long grown = provider_test::heapInUse() - before;
    RecordProperty("heap_of_100_results_kib", int(grown / 1024));
    std::printf("Access: 100 open results of 3 rows hold %lld KiB\n", grown / 1024);
    EXPECT_EQ(results.back()->rowCount(), 3);
    EXPECT_LT(grown, 8LL << 20) << "each small result holds a large block";
}

} // namespace

#pragma once
// Helpers shared by the PostgreSQL and MariaDB provider tests.

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ado.h"
#include "provider.h"

namespace provider_test {

// A loopback port on which nothing listens: bound once, then released.
inline int closedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// Heap bytes in use (arena and mapped blocks).
inline long long heapInUse()
{
    const struct mallinfo2 m = ::mallinfo2();
    return (long long)(m.uordblks + m.hblkhd);
}

// A server on a loopback port that accepts every connection and never says
// a word; the connections stay open until it is destroyed.
class SilentListener {
public:
    SilentListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_fd, 16);
        socklen_t len = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] {
            for (;;) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                if (client < 0 || m_stop)
                    break;
                m_clients.push_back(client);
                ++m_accepted;
            }
        });
    }
    ~SilentListener()
    {
        m_stop = true;
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
        for (int c : m_clients)
            ::close(c);
    }
    int port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::vector<int> m_clients;
    std::thread m_thread;
};

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `action` on a thread of its own after `ms` milliseconds; joined on destruction.
class Later {
public:
    Later(int ms, std::function<void()> action)
        : m_thread([ms, action = std::move(action)] {
              std::this_thread::sleep_for(std::chrono::milliseconds(ms));
              action();
          })
    {
    }
    ~Later() { m_thread.join(); }

private:
    std::thread m_thread;
};

// A statement run while another thread reads its rows as they arrive.
struct Arrival {
    ado::ExecResult result;
    std::vector<long long> countsSeen; // row counts the reader saw, in order
    std::string failure;               // the first row that read wrong
};

// Runs `sql` on `connection`; a reader thread checks each published row with
// `check` (empty: right) every 20 ms until the run has ended.
inline Arrival executeWhileReading(ado::TADOConnection &connection, const std::string &sql,
                                   std::function<std::string(const ado::RowSet &, long long)> check)
{
    Arrival a;
    std::shared_ptr<const ado::RowSet> arriving;
    std::atomic<bool> told{false}, finished{false};
    connection.OnRowsArriving = [&](std::shared_ptr<const ado::RowSet> rows) {
        arriving = std::move(rows);
        told = true;
    };
    std::thread reader([&] {
        while (!told && !finished)
            std::this_thread::yield();
        long long checked = 0;
        while (told && a.failure.empty()) {
            const bool last = finished;
            const long long published = arriving->rowCount();
            a.countsSeen.push_back(published);
            for (long long r = checked; r < published && a.failure.empty(); ++r)
                a.failure = check(*arriving, r);
            checked = published;
            if (last)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    try {
        a.result = connection.ExecuteWithResult(sql);
    } catch (...) {
        finished = true;
        reader.join();
        connection.OnRowsArriving = nullptr;
        throw;
    }
    finished = true;
    reader.join();
    connection.OnRowsArriving = nullptr;
    return a;
}

// How many of the counts lie strictly between none and all.
inline long long countsBetween(const std::vector<long long> &counts, long long all)
{
    long long n = 0;
    for (long long c : counts)
        n += c > 0 && c < all ? 1 : 0;
    return n;
}

// Every value of a row set's column, read through the row set.
inline std::vector<std::string> column(const ado::RowSet &rows, const std::string &name)
{
    std::vector<std::string> out;
    const int f = rows.fieldIndex(name);
    for (long long r = 0; f >= 0 && r < rows.rowCount(); ++r)
        out.push_back(rows.value(r, f));
    return out;
}

// The columns every provider's schema row sets carry, in order, whatever the engine.
inline std::vector<std::string> oleDbColumns(ado::SchemaEnum kind)
{
    switch (kind) {
    case ado::adSchemaTables:
        return {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE", "DESCRIPTION"};
    case ado::adSchemaColumns:
        return {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION", "COLUMN_DEFAULT",
                "IS_NULLABLE", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION", "NUMERIC_SCALE"};
    case ado::adSchemaIndexes:
        return {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME",
                "ORDINAL_POSITION"};
    case ado::adSchemaForeignKeys:
        return {"PK_TABLE_CATALOG", "PK_TABLE_SCHEMA", "PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_CATALOG",
                "FK_TABLE_SCHEMA", "FK_TABLE_NAME", "FK_COLUMN_NAME", "ORDINAL", "UPDATE_RULE", "DELETE_RULE",
                "FK_NAME", "PK_NAME"};
    case ado::adSchemaPrimaryKeys:
        return {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME", "ORDINAL", "PK_NAME"};
    }
    return {};
}

inline std::vector<std::string> fieldNames(const ado::RowSet &rows)
{
    std::vector<std::string> out;
    for (int f = 0; f < rows.fieldCount(); ++f)
        out.push_back(rows.fieldName(f));
    return out;
}

} // namespace provider_test

#pragma once
// Pieces that the providers which store fetched rows themselves share.

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "provider.h"

namespace ado {

// Rows packed one after another into large blocks that never move (64 KiB
// first, doubling up to 4 MiB; a larger row gets a block of its own), each
// found through one 6-byte index entry (the row's address: user-space
// addresses here have 48 bits).
//
// One thread appends; any number of threads may read the rows published so
// far while it does, without a lock: a row is written whole, then published
// by a release store of the count, which readers load with acquire. Neither
// blocks nor index entries move once written (the index is a series of
// chunks, 1024 entries first, each next one twice as large).
class RowBlocks {
public:
    RowBlocks() = default;
    ~RowBlocks();
    RowBlocks(const RowBlocks &) = delete;
    RowBlocks &operator=(const RowBlocks &) = delete;

    // Writer: space for one more row of `bytes` bytes, seen by readers only
    // after publish().
    char *append(size_t bytes);
    // Writer: the rows appended so far are whole; readers may see them now.
    void publish() { m_published.store(m_written, std::memory_order_release); }

    // Reader: index < count().
    const char *row(long long index) const
    {
        const uint64_t n = uint64_t(index) + kFirstChunk;
        const int chunk = std::bit_width(n) - 1 - kFirstChunkBits;
        uint64_t address = 0;
        std::memcpy(&address, m_chunks[chunk] + (n - (kFirstChunk << chunk)) * kEntryBytes, kEntryBytes);
        return reinterpret_cast<const char *>(address);
    }
    // Reader: rows published.
    long long count() const { return m_published.load(std::memory_order_acquire); }

    // Writer: rows are handed out while they come (before the first reader
    // sees the store), then whole or stopped after the last publish().
    void startArriving() { m_arrival.store(Arrival::Arriving, std::memory_order_release); }
    void endArriving(Arrival end)
    {
        releaseSpare();
        m_arrival.store(end, std::memory_order_release);
    }
    // Writer: gives the untouched end of the last block back to the system
    // (no more rows will come).
    void releaseSpare();
    // Reader: load this before count(); once it is not Arriving the count is final.
    Arrival arrival() const { return m_arrival.load(std::memory_order_acquire); }
    // Bytes held (blocks and index), for measurements.
    size_t storageBytes() const;

private:
    static constexpr int kFirstChunkBits = 10;
    static constexpr uint64_t kFirstChunk = uint64_t(1) << kFirstChunkBits;
    static constexpr int kMaxChunks = 48;
    static constexpr size_t kEntryBytes = 6; // the low bytes of an address
    static_assert(std::endian::native == std::endian::little);

    struct Free {
        void operator()(char *p) const { std::free(p); }
    };
    static void *allocate(size_t bytes); // released with std::free

    std::vector<std::unique_ptr<char, Free>> m_blocks; // the writer's alone
    size_t m_blockSize = 0;                         // of the last block
    size_t m_used = 0;                              // bytes used in the last block
    size_t m_blockBytes = 0;                        // all blocks
    unsigned char *m_chunks[kMaxChunks] = {};
    long long m_written = 0;
    std::atomic<long long> m_published{0};
    std::atomic<Arrival> m_arrival{Arrival::Whole};
};

// A row set whose rows lie in RowBlocks: its count, its arrival state and the
// writer's marks for it; the rows' layout is the deriving class's.
class BlockRowSet : public RowSet {
public:
    long long rowCount() const override { return m_store.count(); }
    Arrival arrival() const override { return m_store.arrival(); }
    // Writer: see RowBlocks.
    void startArriving() { m_store.startArriving(); }
    void endArriving(Arrival end) { m_store.endArriving(end); }
    // Bytes held for the rows (blocks and index), for measurements.
    size_t storageBytes() const { return m_store.storageBytes(); }

protected:
    RowBlocks m_store;
};

// Marks a row store as arriving for the scope of a fetch: whole when the
// fetch says so, stopped when the scope ends otherwise (an error, a cancel).
class ArrivalScope {
public:
    explicit ArrivalScope(BlockRowSet &store) : m_store(store) { m_store.startArriving(); }
    ~ArrivalScope()
    {
        if (!m_ended)
            m_store.endArriving(Arrival::Stopped);
    }
    void whole()
    {
        m_store.endArriving(Arrival::Whole);
        m_ended = true;
    }
    ArrivalScope(const ArrivalScope &) = delete;
    ArrivalScope &operator=(const ArrivalScope &) = delete;

private:
    BlockRowSet &m_store;
    bool m_ended = false;
};

// A value's length in a packed row: one byte below 255, else 255 and four bytes.
constexpr unsigned char kLongLength = 255;
inline size_t lengthBytes(size_t length) { return length < kLongLength ? 1 : 5; }
inline char *putLength(char *p, size_t length)
{
    if (length < kLongLength) {
        *p = char(length);
        return p + 1;
    }
    *p = char(kLongLength);
    const uint32_t n = uint32_t(length);
    std::memcpy(p + 1, &n, 4);
    return p + 5;
}
// Reads a length that putLength wrote; returns where the value's bytes start.
inline const char *getLength(const char *p, uint32_t &length)
{
    length = static_cast<unsigned char>(*p);
    if (length != kLongLength)
        return p + 1;
    std::memcpy(&length, p + 1, 4);
    return p + 5;
}

// Bytes as upper-case hexadecimal digits, written into `out`.
std::string_view renderHex(const char *bytes, size_t length, std::string &out);

// Marks a statement as running for cancel(), for the scope of one call.
class RunningScope {
public:
    explicit RunningScope(std::atomic<bool> &flag) : m_flag(flag) { m_flag = true; }
    ~RunningScope() { m_flag = false; }
    RunningScope(const RunningScope &) = delete;
    RunningScope &operator=(const RunningScope &) = delete;

private:
    std::atomic<bool> &m_flag;
};

} // namespace ado

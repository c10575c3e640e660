#pragma once
// Pieces that the providers which store fetched rows themselves share.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

// Rows packed one after another into large blocks that never move (64 KiB
// first, doubling up to 4 MiB; a larger row gets a block of its own), each
// found through one 8-byte index entry.
class RowBlocks {
public:
    // Space for one more row of `bytes` bytes.
    char *append(size_t bytes);
    const char *row(long long index) const
    {
        const uint64_t at = m_rows[size_t(index)];
        return m_blocks[size_t(at >> 32)].get() + (at & 0xFFFFFFFFu);
    }
    long long count() const { return (long long)m_rows.size(); }
    // Bytes held (blocks and index), for measurements.
    size_t storageBytes() const;

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<size_t> m_blockSizes;
    size_t m_used = 0;            // bytes used in the last block
    std::vector<uint64_t> m_rows; // block index << 32 | offset in block
};

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

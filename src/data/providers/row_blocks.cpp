#include "row_blocks.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace ado {

namespace {
constexpr size_t kFirstBlock = 64 * 1024;
constexpr size_t kMaxBlock = 4 * 1024 * 1024;
constexpr size_t kHugePage = 2 * 1024 * 1024;
} // namespace

void *RowBlocks::allocate(size_t bytes)
{
    // Large pieces are placed on huge-page boundaries and the kernel is asked
    // to back them with huge pages: filling 100 MB of rows then costs a few
    // dozen page faults instead of 25,000 (each fault is dear in a VM).
    if (bytes >= kHugePage) {
        const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void *p = std::aligned_alloc(kHugePage, rounded)) {
            ::madvise(p, rounded, MADV_HUGEPAGE);
            return p;
        }
    } else if (void *p = std::malloc(bytes)) {
        return p;
    }
    throw std::bad_alloc();
}

RowBlocks::~RowBlocks()
{
    for (unsigned char *chunk : m_chunks)
        std::free(chunk);
}

char *RowBlocks::append(size_t bytes)
{
    if (m_blocks.empty() || m_used + bytes > m_blockSize) {
        size_t size = m_blocks.empty() ? kFirstBlock : std::min(m_blockSize * 2, kMaxBlock);
        size = std::max(size, bytes);
        m_blocks.emplace_back(static_cast<char *>(allocate(size)));
        m_blockSize = size;
        m_blockBytes += size;
        m_used = 0;
    }
    char *p = m_blocks.back().get() + m_used;
    m_used += bytes;

    const uint64_t n = uint64_t(m_written) + kFirstChunk;
    const int chunk = std::bit_width(n) - 1 - kFirstChunkBits;
    const uint64_t slot = n - (kFirstChunk << chunk);
    if (slot == 0) {
        m_chunks[chunk] = static_cast<unsigned char *>(std::malloc((kFirstChunk << chunk) * kEntryBytes));
        if (!m_chunks[chunk])
            throw std::bad_alloc();
    }
    const uint64_t address = reinterpret_cast<uintptr_t>(p);
    if (address >> (8 * kEntryBytes))
        throw std::runtime_error("a row store's memory lies beyond the addresses its index holds");
    std::memcpy(m_chunks[chunk] + slot * kEntryBytes, &address, kEntryBytes);
    ++m_written;
    return p;
}

void RowBlocks::releaseSpare()
{
    if (m_blocks.empty() || m_blockSize < kHugePage)
        return;
    constexpr size_t kPage = 4096;
    const size_t from = (m_used + kPage - 1) / kPage * kPage;
    if (from < m_blockSize)
        ::madvise(m_blocks.back().get() + from, m_blockSize - from, MADV_DONTNEED);
}

size_t RowBlocks::storageBytes() const
{
    size_t total = m_blockBytes;
    for (int c = 0; c < kMaxChunks && m_chunks[c]; ++c)
        total += (kFirstChunk << c) * kEntryBytes;
    return total;
}

std::string_view renderHex(const char *bytes, size_t length, std::string &out)
{
    static const char digits[] = "0123456789ABCDEF";
    out.resize(length * 2);
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        out[2 * i] = digits[c >> 4];
        out[2 * i + 1] = digits[c & 15];
    }
    return out;
}

} // namespace ado

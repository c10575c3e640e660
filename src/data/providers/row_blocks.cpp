#include "row_blocks.h"

#include <algorithm>

namespace ado {

namespace {
constexpr size_t kFirstBlock = 64 * 1024;
constexpr size_t kMaxBlock = 4 * 1024 * 1024;
} // namespace

char *RowBlocks::append(size_t bytes)
{
    if (m_blocks.empty() || m_used + bytes > m_blockSizes.back()) {
        size_t size = m_blocks.empty() ? kFirstBlock : std::min(m_blockSizes.back() * 2, kMaxBlock);
        size = std::max(size, bytes);
        m_blocks.emplace_back(new char[size]);
        m_blockSizes.push_back(size);
        m_used = 0;
    }
    char *p = m_blocks.back().get() + m_used;
    m_rows.push_back((uint64_t(m_blocks.size() - 1) << 32) | uint64_t(m_used));
    m_used += bytes;
    return p;
}

size_t RowBlocks::storageBytes() const
{
    size_t total = m_rows.capacity() * sizeof(uint64_t);
    for (size_t s : m_blockSizes)
        total += s;
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

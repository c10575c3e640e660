#pragma once
// The rows of one ODBC result, all fetched at once: block fetches into bound
// column arrays where the driver allows it, SQLGetData for long values and
// for drivers that fetch one row at a time. Values are kept as the driver's
// text (binary values as their bytes) in one stream of large blocks; binary
// values are rendered as hex only when they are read.

#include <sql.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "provider.h"

namespace ado::odbc {

// Byte stream in blocks that never move, with one end offset per cell. The
// first block is small and each next one twice the size, up to a limit, so a
// small result costs little and a large one few allocations.
class CellStore {
public:
    void append(const char *data, size_t length);
    void appendNull();
    size_t cellCount() const { return m_ends.size(); }
    bool isNull(size_t cell) const { return (m_ends[cell] & kNullBit) != 0; }
    // A view into a block, or into `scratch` when the cell spans two blocks.
    std::string_view view(size_t cell, std::string &scratch) const;
    // Bytes held by the blocks allocated so far.
    size_t reservedBytes() const;

    static constexpr size_t kFirstBlock = size_t(4) << 10;
    static constexpr size_t kLastBlock = size_t(1) << 20;

private:
    static constexpr size_t kGrowingBlocks = 8; // kFirstBlock << 8 == kLastBlock
    static constexpr unsigned long long kGrowthBytes = (kFirstBlock << kGrowingBlocks) - kFirstBlock;
    static_assert((kFirstBlock << kGrowingBlocks) == kLastBlock);
    static constexpr unsigned long long kNullBit = 1ull << 63;
    struct Place {
        size_t block;
        size_t offset; // within the block
        size_t size;   // of the block
    };
    static Place place(unsigned long long offset);
    static size_t blockBytes(size_t blocks);
    unsigned long long end(size_t cell) const { return m_ends[cell] & ~kNullBit; }
    std::vector<std::unique_ptr<char[]>> m_blocks;
    unsigned long long m_size = 0;
    std::deque<unsigned long long> m_ends;
};

class OdbcRowSet : public RowSet {
public:
    // Reads every row of the statement's current result (it must have columns).
    // Throws EProviderError with the driver's diagnostics, and "[HY008]
    // Operation canceled" when `cancelled` is set between two fetches.
    static std::unique_ptr<OdbcRowSet> fetchAll(SQLHSTMT statement, const std::atomic<bool> *cancelled = nullptr);

    int fieldCount() const override { return int(m_columns.size()); }
    std::string fieldName(int field) const override { return m_columns[size_t(field)].name; }
    FieldKind fieldKind(int field) const override { return m_columns[size_t(field)].kind; }
    long long rowCount() const override;
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    struct Column {
        std::string name;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        FieldKind kind = FieldKind::Text;
        bool binary = false;
        size_t width = 0; // bound buffer width; 0: read with SQLGetData
    };
    void describe(SQLHSTMT statement);
    void fetchBlocks(SQLHSTMT statement, size_t rowsPerFetch, const std::atomic<bool> *cancelled);
    void fetchRowByRow(SQLHSTMT statement, const std::atomic<bool> *cancelled);
    size_t cell(long long row, int field) const { return size_t(row) * m_columns.size() + size_t(field); }

    std::vector<Column> m_columns;
    CellStore m_store;
};

} // namespace ado::odbc

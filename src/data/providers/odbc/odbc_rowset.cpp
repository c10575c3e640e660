#include "odbc_rowset.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "ado_errors.h"
#include "odbc_api.h"

namespace ado::odbc {

// ---- CellStore ----

CellStore::Place CellStore::place(unsigned long long offset)
{
    // Blocks grow from kFirstBlock, doubling, to kLastBlock; the doubling
    // blocks together hold kGrowthBytes.
    if (offset < kGrowthBytes) {
        size_t block = 0;
        while ((kFirstBlock << (block + 1)) - kFirstBlock <= offset)
            ++block;
        const unsigned long long start = (kFirstBlock << block) - kFirstBlock;
        return {block, size_t(offset - start), size_t(kFirstBlock << block)};
    }
    const unsigned long long past = offset - kGrowthBytes;
    return {kGrowingBlocks + size_t(past / kLastBlock), size_t(past % kLastBlock), kLastBlock};
}

void CellStore::append(const char *data, size_t length)
{
    while (length > 0) {
        const Place at = place(m_size);
        if (at.block == m_blocks.size())
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(at.size));
        const size_t piece = std::min(at.size - at.offset, length);
        std::memcpy(m_blocks[at.block].get() + at.offset, data, piece);
        m_size += piece;
        data += piece;
        length -= piece;
    }
    m_ends.push_back(m_size);
}

void CellStore::appendNull()
{
    m_ends.push_back(m_size | kNullBit);
}

size_t CellStore::reservedBytes() const
{
    return blockBytes(m_blocks.size());
}

size_t CellStore::blockBytes(size_t blocks)
{
    if (blocks <= kGrowingBlocks)
        return size_t((kFirstBlock << blocks) - kFirstBlock);
    return size_t(kGrowthBytes) + (blocks - kGrowingBlocks) * kLastBlock;
}

std::string_view CellStore::view(size_t cell, std::string &scratch) const
{
    const unsigned long long stop = end(cell);
    const unsigned long long start = cell == 0 ? 0 : end(cell - 1);
    if (stop == start)
        return {};
    const Place first = place(start);
    if (first.size - first.offset >= stop - start)
        return {m_blocks[first.block].get() + first.offset, size_t(stop - start)};
    scratch.clear();
    scratch.reserve(size_t(stop - start));
    for (unsigned long long at = start; at < stop;) {
        const Place here = place(at);
        const size_t piece = size_t(std::min<unsigned long long>(here.size - here.offset, stop - at));
        scratch.append(m_blocks[here.block].get() + here.offset, piece);
        at += piece;
    }
    return scratch;
}

// ---- OdbcRowSet ----

namespace {

constexpr size_t kLongTextLimit = 2048;  // characters; longer text columns are read with SQLGetData
constexpr size_t kLongBinaryLimit = 8000; // bytes
constexpr size_t kBlockBytes = size_t(8) << 20; // bound buffers of one block fetch
constexpr size_t kMaxRowsPerFetch = 1024;

FieldKind kindOf(SQLSMALLINT type)
{
    switch (type) {
    case SQL_TINYINT: case SQL_SMALLINT: case SQL_INTEGER: case SQL_BIGINT:
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: case SQL_DECIMAL: case SQL_NUMERIC:
        return FieldKind::Number;
    case SQL_TYPE_DATE: case SQL_TYPE_TIME: case SQL_TYPE_TIMESTAMP: case SQL_DATETIME:
    case SQL_TIME: case SQL_TIMESTAMP:
        return FieldKind::DateTime;
    case SQL_BIT:
        return FieldKind::Boolean;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY:
        return FieldKind::Binary;
    default:
        return FieldKind::Text;
    }
}

// Bound buffer width for a column, 0 when it is read with SQLGetData.
size_t boundWidth(SQLSMALLINT type, SQLULEN size)
{
    switch (type) {
    case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR:
        // Up to four bytes a character in UTF-8, plus the terminator.
        return size > 0 && size <= kLongTextLimit ? size_t(size) * 4 + 1 : 0;
    case SQL_BINARY: case SQL_VARBINARY:
        return size > 0 && size <= kLongBinaryLimit ? size_t(size) : 0;
    case SQL_DECIMAL: case SQL_NUMERIC:
        return size > 0 && size <= 100 ? size_t(size) + 4 : 0;
    case SQL_TINYINT: case SQL_SMALLINT: case SQL_INTEGER: case SQL_BIGINT: case SQL_BIT:
        return 24;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE:
        return 48;
    case SQL_TYPE_DATE: case SQL_TYPE_TIME: case SQL_TYPE_TIMESTAMP: case SQL_DATETIME:
    case SQL_TIME: case SQL_TIMESTAMP: case SQL_GUID:
        return 64;
    default:
        return 0; // long types and whatever the driver invents
    }
}

void stopIfCancelled(const std::atomic<bool> *cancelled)
{
    if (cancelled && cancelled->load())
        throw EProviderError("[HY008] Operation canceled");
}

[[noreturn]] void fail(SQLHSTMT statement, const char *fallback)
{
    std::string message = diagnostics(SQL_HANDLE_STMT, statement);
    throw EProviderError(message.empty() ? fallback : message);
}

} // namespace

std::unique_ptr<OdbcRowSet> OdbcRowSet::fetchAll(SQLHSTMT statement, const std::atomic<bool> *cancelled)
{
    std::unique_ptr<OdbcRowSet> rows(new OdbcRowSet);
    rows->describe(statement);

    bool anyLong = false;
    size_t rowBytes = 0;
    for (const auto &column : rows->m_columns) {
        anyLong = anyLong || column.width == 0;
        rowBytes += column.width + sizeof(SQLLEN);
    }
    size_t rowsPerFetch = anyLong ? 1 : std::clamp<size_t>(kBlockBytes / std::max<size_t>(rowBytes, 1), 1, kMaxRowsPerFetch);
    if (rowsPerFetch > 1) {
        SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE,
                                          reinterpret_cast<SQLPOINTER>(rowsPerFetch), 0))) {
            rowsPerFetch = 1; // the driver fetches one row at a time
        } else {
            SQLULEN granted = 0;
            if (SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) && granted >= 1)
                rowsPerFetch = size_t(granted);
        }
    }
    if (rowsPerFetch > 1)
        rows->fetchBlocks(statement, rowsPerFetch, cancelled);
    else
        rows->fetchRowByRow(statement, cancelled);
    return rows;
}

void OdbcRowSet::describe(SQLHSTMT statement)
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &count)))
        fail(statement, "The driver could not describe the result's columns.");
    m_columns.resize(size_t(count));
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        Column &column = m_columns[i - 1];
        std::string name(256, '\0');
        SQLSMALLINT nameLength = 0, decimals = 0, nullable = 0;
        SQLRETURN rc = SQLDescribeCol(statement, i, reinterpret_cast<SQLCHAR *>(name.data()), SQLSMALLINT(name.size()),
                                      &nameLength, &column.sqlType, &column.size, &decimals, &nullable);
        if (!SQL_SUCCEEDED(rc))
            fail(statement, "The driver could not describe the result's columns.");
        if (nameLength >= SQLSMALLINT(name.size())) {
            name.assign(size_t(nameLength) + 1, '\0');
            SQLDescribeCol(statement, i, reinterpret_cast<SQLCHAR *>(name.data()), SQLSMALLINT(name.size()),
                           &nameLength, nullptr, nullptr, nullptr, nullptr);
        }
        name.resize(std::min<size_t>(size_t(std::max<SQLSMALLINT>(nameLength, 0)), name.size()));
        column.name = std::move(name);
        column.kind = kindOf(column.sqlType);
        column.binary = column.kind == FieldKind::Binary;
        column.width = boundWidth(column.sqlType, column.size);
    }
}

void OdbcRowSet::fetchBlocks(SQLHSTMT statement, size_t rowsPerFetch, const std::atomic<bool> *cancelled)
{
    struct Buffer {
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };
    std::vector<Buffer> buffers(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column &column = m_columns[i];
        buffers[i].data.resize(column.width * rowsPerFetch);
        buffers[i].indicators.resize(rowsPerFetch);
        SQLRETURN rc = SQLBindCol(statement, SQLUSMALLINT(i + 1), column.binary ? SQL_C_BINARY : SQL_C_CHAR,
                                  buffers[i].data.data(), SQLLEN(column.width), buffers[i].indicators.data());
        if (!SQL_SUCCEEDED(rc))
            fail(statement, "The driver could not bind a result column.");
    }
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> status(rowsPerFetch, SQL_ROW_SUCCESS);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);

    struct Reset { // leave the statement as a plain one-row statement
        SQLHSTMT s;
        ~Reset()
        {
            SQLFreeStmt(s, SQL_UNBIND);
            SQLSetStmtAttr(s, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
            SQLSetStmtAttr(s, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
            SQLSetStmtAttr(s, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        }
    } reset{statement};

    for (;;) {
        stopIfCancelled(cancelled);
        fetched = 0;
        SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(statement, "The driver failed to fetch rows.");
        for (size_t r = 0; r < size_t(fetched) && r < rowsPerFetch; ++r) {
            if (status[r] == SQL_ROW_NOROW)
                continue;
            if (status[r] == SQL_ROW_ERROR)
                fail(statement, "The driver failed to fetch a row.");
            for (size_t i = 0; i < m_columns.size(); ++i) {
                const Column &column = m_columns[i];
                const SQLLEN indicator = buffers[i].indicators[r];
                if (indicator == SQL_NULL_DATA) {
                    m_store.appendNull();
                    continue;
                }
                const size_t room = column.binary ? column.width : column.width - 1;
                if (indicator == SQL_NO_TOTAL || indicator < 0 || size_t(indicator) > room)
                    throw EProviderError("The driver returned a value longer than the declared size of column '" +
                                         column.name + "'.");
                m_store.append(buffers[i].data.data() + r * column.width, size_t(indicator));
            }
        }
    }
}

void OdbcRowSet::fetchRowByRow(SQLHSTMT statement, const std::atomic<bool> *cancelled)
{
    std::vector<char> chunk(64 * 1024);
    std::string value;
    for (;;) {
        stopIfCancelled(cancelled);
        SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(statement, "The driver failed to fetch rows.");
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const bool binary = m_columns[i].binary;
            const size_t room = binary ? chunk.size() : chunk.size() - 1;
            value.clear();
            bool isNull = false;
            for (;;) {
                SQLLEN indicator = 0;
                rc = SQLGetData(statement, SQLUSMALLINT(i + 1), binary ? SQL_C_BINARY : SQL_C_CHAR, chunk.data(),
                                SQLLEN(chunk.size()), &indicator);
                if (rc == SQL_NO_DATA)
                    break;
                if (!SQL_SUCCEEDED(rc))
                    fail(statement, "The driver failed to read a value.");
                if (indicator == SQL_NULL_DATA) {
                    isNull = true;
                    break;
                }
                const size_t piece =
                    indicator == SQL_NO_TOTAL || indicator < 0 || size_t(indicator) > room ? room : size_t(indicator);
                value.append(chunk.data(), piece);
                if (rc == SQL_SUCCESS || piece < room)
                    break;
            }
            if (isNull)
                m_store.appendNull();
            else
                m_store.append(value.data(), value.size());
        }
    }
}

long long OdbcRowSet::rowCount() const
{
    return m_columns.empty() ? 0 : (long long)(m_store.cellCount() / m_columns.size());
}

bool OdbcRowSet::isNull(long long row, int field) const
{
    return m_store.isNull(cell(row, field));
}

std::string_view OdbcRowSet::text(long long row, int field, std::string &scratch) const
{
    const size_t index = cell(row, field);
    if (m_store.isNull(index))
        return {};
    if (!m_columns[size_t(field)].binary)
        return m_store.view(index, scratch);
    std::string bytes;
    const std::string_view raw = m_store.view(index, bytes);
    static const char digits[] = "0123456789ABCDEF";
    std::string hex = "0x";
    hex.reserve(2 + raw.size() * 2);
    for (unsigned char c : raw) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    scratch = std::move(hex);
    return scratch;
}

} // namespace ado::odbc

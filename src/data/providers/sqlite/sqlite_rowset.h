#pragma once
// A SQLite statement's result, stepped to its end into compact storage.
//
// SQLite types values, not columns: any cell of a column may be an integer, a
// real, text, a blob or null. Each row is packed as one tag byte per cell
// (storage class, and for integers the bytes kept: 1, 2, 4 or 8), followed by
// the cell's payload: the integer's low bytes, the real's 8 bytes, or a
// length (1 byte, 5 from 255 on) and the text or blob bytes. Rows are appended to large blocks
// and found through one 8-byte index entry each. Text is rendered only for the
// cells that are read; text values are handed out in place, blobs as hex.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "provider.h"
#include "providers/row_blocks.h"

namespace ado::sqlite {

class RowStore : public BlockRowSet {
public:
    explicit RowStore(std::vector<std::string> names);

    // Copies the current row of a statement that sqlite3_step left on SQLITE_ROW.
    void appendRow(sqlite3_stmt *statement);

    int fieldCount() const override { return int(m_names.size()); }
    std::string fieldName(int field) const override { return m_names[size_t(field)]; }
    // Number when every value of the column seen is an integer or a real,
    // Binary when every one is a blob, Text otherwise (and for a column of nulls).
    FieldKind fieldKind(int field) const override;
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    const char *cell(long long row, int field) const;

    std::vector<std::string> m_names;
    std::vector<unsigned char> m_seen; // per column: the storage classes met, one bit each
    // The values of the row being appended, as the engine handed them out.
    struct Cell {
        int type = SQLITE_NULL;
        int64_t integer = 0;
        double real = 0;
        const void *bytes = nullptr;
        uint32_t length = 0;
    };
    std::vector<Cell> m_cells;
};

} // namespace ado::sqlite

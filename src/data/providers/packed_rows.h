#pragma once
// A row set of values as the engine sent them in text form (or as raw bytes),
// packed compactly and readable while rows are still appended.
//
// Each row is a null bitmap, then for every non-null column its length (one
// byte below 255; else 255 and four bytes) and the bytes. Rows go into large
// blocks that never move; readers on other threads see the rows published so
// far (see RowBlocks). A column marked hex reads as "0x" and upper-case hex
// digits of its bytes.

#include <cstring>
#include <string>
#include <vector>

#include "provider.h"
#include "providers/row_blocks.h"

namespace ado {

class PackedRows : public BlockRowSet {
public:
    // Columns are added before the first row.
    void addField(std::string name, FieldKind kind, bool hex = false);

    // Writer: one row, published at once. value(f, length) gives the bytes of
    // column f and sets length, or gives null for a null.
    template <class Value>
    void appendRow(Value value)
    {
        const int fields = fieldCount();
        m_cells.resize(size_t(fields));
        size_t size = m_nullBytes;
        for (int f = 0; f < fields; ++f) {
            size_t length = 0;
            const char *bytes = value(f, length);
            m_cells[size_t(f)] = {bytes, length};
            if (bytes)
                size += lengthBytes(length) + length;
        }
        char *p = m_store.append(size);
        char *nulls = p;
        std::memset(nulls, 0, m_nullBytes);
        p += m_nullBytes;
        for (int f = 0; f < fields; ++f) {
            const auto [bytes, length] = m_cells[size_t(f)];
            if (!bytes) {
                nulls[f / 8] = char(nulls[f / 8] | (1 << (f % 8)));
                continue;
            }
            p = putLength(p, length);
            std::memcpy(p, bytes, length);
            p += length;
        }
        m_store.publish();
    }

    int fieldCount() const override { return int(m_names.size()); }
    std::string fieldName(int field) const override { return m_names[size_t(field)]; }
    FieldKind fieldKind(int field) const override { return m_kinds[size_t(field)]; }
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    std::vector<std::string> m_names;
    std::vector<FieldKind> m_kinds;
    std::vector<bool> m_hex;
    size_t m_nullBytes = 0;
    std::vector<std::pair<const char *, size_t>> m_cells; // the row being appended
};

} // namespace ado

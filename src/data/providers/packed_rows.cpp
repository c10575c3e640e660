#include "packed_rows.h"

namespace ado {

void PackedRows::addField(std::string name, FieldKind kind, bool hex)
{
    m_names.push_back(std::move(name));
    m_kinds.push_back(kind);
    m_hex.push_back(hex);
    m_nullBytes = (m_names.size() + 7) / 8;
}

bool PackedRows::isNull(long long row, int field) const
{
    // A field out of range reads as null, as libpq's own accessors have it
    // (a statement may return rows without columns: "select all").
    if (field < 0 || field >= fieldCount())
        return true;
    const char *nulls = m_store.row(row);
    return (nulls[field / 8] & (1 << (field % 8))) != 0;
}

std::string_view PackedRows::text(long long row, int field, std::string &scratch) const
{
    if (field < 0 || field >= fieldCount())
        return {};
    const char *nulls = m_store.row(row);
    auto null = [nulls](int f) { return (nulls[f / 8] & (1 << (f % 8))) != 0; };
    if (null(field))
        return {};
    const char *p = nulls + m_nullBytes;
    for (int f = 0;; ++f) {
        if (null(f))
            continue;
        uint32_t length;
        p = getLength(p, length);
        if (f < field) {
            p += length;
            continue;
        }
        if (!m_hex[size_t(field)])
            return {p, length};
        std::string hex;
        renderHex(p, length, hex);
        scratch = "0x" + hex;
        return scratch;
    }
}

} // namespace ado

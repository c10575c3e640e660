#include "sqlite_rowset.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace ado::sqlite {

namespace {

// Cell tags: the storage class, and for integers how many bytes are kept.
enum Tag : unsigned char { tNull, tInt1, tInt2, tInt4, tInt8, tReal, tText, tBlob };

Tag integerTag(int64_t v)
{
    if (v >= INT8_MIN && v <= INT8_MAX)
        return tInt1;
    if (v >= INT16_MIN && v <= INT16_MAX)
        return tInt2;
    if (v >= INT32_MIN && v <= INT32_MAX)
        return tInt4;
    return tInt8;
}

size_t payloadSize(Tag tag, const char *payload)
{
    switch (tag) {
    case tNull: return 0;
    case tInt1: return 1;
    case tInt2: return 2;
    case tInt4: return 4;
    case tInt8: case tReal: return 8;
    case tText: case tBlob: {
        uint32_t length;
        return size_t(getLength(payload, length) - payload) + length;
    }
    }
    return 0;
}

template <class T>
T load(const char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
char *put(char *p, T v)
{
    std::memcpy(p, &v, sizeof v);
    return p + sizeof v;
}

std::string_view renderInteger(int64_t value, std::string &out)
{
    char buf[24];
    auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.assign(buf, end);
    return out;
}

// As SQLite itself shows a real: 15 significant digits, and always a decimal
// point in the mantissa, so that 1.0 reads "1.0" and 1e20 "1.0e+20".
std::string_view renderReal(double value, std::string &out)
{
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%.15g", value);
    out.assign(buf, size_t(n));
    if (out.find_first_of(".ni") != std::string::npos) // a point, or inf / nan
        return out;
    size_t e = out.find('e');
    out.insert(e == std::string::npos ? out.size() : e, ".0");
    return out;
}

} // namespace

RowStore::RowStore(std::vector<std::string> names)
    : m_names(std::move(names)), m_seen(m_names.size(), 0), m_cells(m_names.size())
{
}

void RowStore::appendRow(sqlite3_stmt *statement)
{
    // One read of each value, kept in m_cells while the row's size is summed;
    // text and blob bytes stay valid until the next step.
    const int count = int(m_names.size());
    size_t size = size_t(count);
    for (int i = 0; i < count; ++i) {
        Cell &c = m_cells[size_t(i)];
        c.type = sqlite3_column_type(statement, i);
        switch (c.type) {
        case SQLITE_INTEGER:
            c.integer = sqlite3_column_int64(statement, i);
            size += payloadSize(integerTag(c.integer), nullptr);
            break;
        case SQLITE_FLOAT:
            c.real = sqlite3_column_double(statement, i);
            size += 8;
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            c.bytes = c.type == SQLITE_TEXT ? static_cast<const void *>(sqlite3_column_text(statement, i))
                                            : sqlite3_column_blob(statement, i);
            c.length = uint32_t(sqlite3_column_bytes(statement, i));
            size += lengthBytes(c.length) + c.length;
            break;
        default:
            break;
        }
    }

    char *p = m_store.append(size);
    for (int i = 0; i < count; ++i) {
        const Cell &c = m_cells[size_t(i)];
        m_seen[size_t(i)] = static_cast<unsigned char>(m_seen[size_t(i)] | (1u << c.type));
        switch (c.type) {
        case SQLITE_INTEGER: {
            const Tag tag = integerTag(c.integer);
            *p++ = char(tag);
            switch (tag) {
            case tInt1: p = put(p, int8_t(c.integer)); break;
            case tInt2: p = put(p, int16_t(c.integer)); break;
            case tInt4: p = put(p, int32_t(c.integer)); break;
            default: p = put(p, c.integer);
            }
            break;
        }
        case SQLITE_FLOAT:
            *p++ = char(tReal);
            p = put(p, c.real);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            *p++ = char(c.type == SQLITE_TEXT ? tText : tBlob);
            p = putLength(p, c.length);
            if (c.length)
                std::memcpy(p, c.bytes, c.length);
            p += c.length;
            break;
        default:
            *p++ = char(tNull);
        }
    }
    m_store.publish();
}

const char *RowStore::cell(long long row, int field) const
{
    const char *p = m_store.row(row);
    for (int i = 0; i < field; ++i) {
        const Tag tag = Tag(*p);
        p += 1 + payloadSize(tag, p + 1);
    }
    return p;
}

FieldKind RowStore::fieldKind(int field) const
{
    const unsigned seen = m_seen[size_t(field)] & ~(1u << SQLITE_NULL);
    if (seen && (seen & ~((1u << SQLITE_INTEGER) | (1u << SQLITE_FLOAT))) == 0)
        return FieldKind::Number;
    if (seen == (1u << SQLITE_BLOB))
        return FieldKind::Binary;
    return FieldKind::Text;
}

bool RowStore::isNull(long long row, int field) const { return Tag(*cell(row, field)) == tNull; }

std::string_view RowStore::text(long long row, int field, std::string &scratch) const
{
    const char *p = cell(row, field);
    const Tag tag = Tag(*p++);
    switch (tag) {
    case tNull: return {};
    case tInt1: return renderInteger(load<int8_t>(p), scratch);
    case tInt2: return renderInteger(load<int16_t>(p), scratch);
    case tInt4: return renderInteger(load<int32_t>(p), scratch);
    case tInt8: return renderInteger(load<int64_t>(p), scratch);
    case tReal: return renderReal(load<double>(p), scratch);
    case tText: case tBlob: {
        uint32_t length;
        p = getLength(p, length);
        return tag == tText ? std::string_view(p, length) : renderHex(p, length, scratch);
    }
    }
    return {};
}

} // namespace ado::sqlite

#include "fb_rowset.h"

#include <ibase.h>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "fb_client.h"

namespace ado::fb {

namespace {

bool isVariable(unsigned type)
{
    return type == SQL_TEXT || type == SQL_VARYING || type == SQL_BLOB || type == SQL_ARRAY;
}

FieldKind kindOf(unsigned type)
{
    switch (type) {
    case SQL_SHORT: case SQL_LONG: case SQL_INT64: case SQL_FLOAT: case SQL_DOUBLE: case SQL_D_FLOAT:
        return FieldKind::Number;
    case SQL_TYPE_DATE: case SQL_TYPE_TIME: case SQL_TIMESTAMP:
        return FieldKind::DateTime;
    case SQL_BOOLEAN:
        return FieldKind::Boolean;
    default:
        return FieldKind::Text;
    }
}

// Bytes of a CHAR value worth keeping: in the UTF-8 character sets the message
// holds up to 3 or 4 bytes per character and the engine pads the rest with
// blanks; the value has length/bytesPerChar characters, its own blanks included.
size_t charBytes(const unsigned char *p, size_t length, unsigned charSet)
{
    unsigned perChar = charSet == 3 ? 3 : charSet == 4 ? 4 : 1;
    if (perChar == 1)
        return length;
    size_t chars = length / perChar, seen = 0, i = 0;
    for (; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            if (seen == chars)
                break;
            ++seen;
        }
    }
    return i;
}

template <class T>
T load(const char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string_view renderScaled(int64_t value, int scale, std::string &out)
{
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    std::string d(digits, end);
    out.clear();
    if (negative)
        out += '-';
    if (scale >= 0) {
        out += d;
        out.append(size_t(scale), '0');
        return out;
    }
    size_t places = size_t(-scale);
    if (d.size() <= places)
        d.insert(0, places + 1 - d.size(), '0');
    out.append(d, 0, d.size() - places);
    out += '.';
    out.append(d, d.size() - places, places);
    return out;
}

void appendDate(ISC_DATE date, std::string &out)
{
    // Days since 1858-11-17 to a civil date (H. Hinnant's days_from_civil inverse).
    int64_t z = int64_t(date) - 40587 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = unsigned(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = int64_t(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    unsigned d = doy - (153 * mp + 2) / 5 + 1;
    unsigned m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", (long long)y, m, d);
    out.append(buf, size_t(n));
}

void appendTime(ISC_TIME time, std::string &out)
{
    unsigned fraction = time % 10000, seconds = time / 10000;
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%04u", seconds / 3600, seconds / 60 % 60, seconds % 60,
                          fraction);
    out.append(buf, size_t(n));
}

template <class F>
std::string_view renderFloat(F value, std::string &out)
{
    char buf[64];
    auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.assign(buf, end);
    return out;
}

} // namespace

std::vector<Column> describeColumns(Firebird::IMessageMetadata *meta)
{
    Status st;
    std::vector<Column> columns;
    unsigned count = meta->getCount(&st);
    columns.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        Column c;
        c.name = meta->getAlias(&st, i);
        if (c.name.empty())
            c.name = meta->getField(&st, i);
        c.type = meta->getType(&st, i) & ~1u;
        c.scale = meta->getScale(&st, i);
        c.subType = meta->getSubType(&st, i);
        c.charSet = meta->getCharSet(&st, i);
        c.length = meta->getLength(&st, i);
        c.offset = meta->getOffset(&st, i);
        c.nullOffset = meta->getNullOffset(&st, i);
        c.binary = ((c.type == SQL_TEXT || c.type == SQL_VARYING) && c.charSet == 1)
                   || (c.type == SQL_BLOB && c.subType != 1);
        c.kind = c.binary ? FieldKind::Binary : kindOf(c.type);
        columns.push_back(std::move(c));
    }
    return columns;
}

RowStore::RowStore(std::vector<Column> columns)
    : m_columns(std::move(columns)), m_nullBytes((m_columns.size() + 7) / 8)
{
}

size_t RowStore::fixedSize(unsigned type)
{
    switch (type) {
    case SQL_SHORT: return 2;
    case SQL_LONG: case SQL_FLOAT: case SQL_TYPE_DATE: case SQL_TYPE_TIME: return 4;
    case SQL_INT64: case SQL_DOUBLE: case SQL_D_FLOAT: case SQL_TIMESTAMP: return 8;
    case SQL_BOOLEAN: return 1;
    default: return 0; // SQL_NULL: always null
    }
}

void RowStore::appendMessage(const unsigned char *message, const BlobReader &readBlob)
{
    // First pass: sizes (and blob contents, which must be read while the
    // transaction lives).
    size_t size = m_nullBytes;
    m_blobs.resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column &c = m_columns[i];
        if (load<short>(reinterpret_cast<const char *>(message) + c.nullOffset) || c.type == SQL_NULL)
            continue;
        const unsigned char *v = message + c.offset;
        switch (c.type) {
        case SQL_TEXT:
        case SQL_VARYING: {
            const size_t n = c.type == SQL_TEXT ? charBytes(v, c.length, c.charSet)
                                                : load<unsigned short>(reinterpret_cast<const char *>(v));
            size += lengthBytes(n) + n;
            break;
        }
        case SQL_BLOB:
            m_blobs[i].clear();
            readBlob(load<ISC_QUAD>(reinterpret_cast<const char *>(v)), m_blobs[i]);
            size += lengthBytes(m_blobs[i].size()) + m_blobs[i].size();
            break;
        case SQL_ARRAY:
            size += lengthBytes(7) + 7;
            break;
        default:
            size += fixedSize(c.type);
        }
    }

    char *p = m_store.append(size);
    char *nulls = p;
    std::memset(nulls, 0, m_nullBytes);
    p += m_nullBytes;
    auto putBytes = [&p](const void *data, uint32_t length) {
        p = putLength(p, length);
        std::memcpy(p, data, length);
        p += length;
    };
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column &c = m_columns[i];
        if (load<short>(reinterpret_cast<const char *>(message) + c.nullOffset) || c.type == SQL_NULL) {
            nulls[i / 8] = char(nulls[i / 8] | (1 << (i % 8)));
            continue;
        }
        const unsigned char *v = message + c.offset;
        switch (c.type) {
        case SQL_TEXT:
            putBytes(v, uint32_t(charBytes(v, c.length, c.charSet)));
            break;
        case SQL_VARYING:
            putBytes(v + 2, load<unsigned short>(reinterpret_cast<const char *>(v)));
            break;
        case SQL_BLOB:
            putBytes(m_blobs[i].data(), uint32_t(m_blobs[i].size()));
            break;
        case SQL_ARRAY:
            putBytes("[ARRAY]", 7);
            break;
        default:
            std::memcpy(p, v, fixedSize(c.type));
            p += fixedSize(c.type);
        }
    }
    m_store.publish();
}

const char *RowStore::cell(long long row, int field, uint32_t &length) const
{
    const char *p = m_store.row(row);
    const char *nulls = p;
    if (nulls[field / 8] & (1 << (field % 8)))
        return nullptr;
    p += m_nullBytes;
    for (int i = 0; i < field; ++i) {
        if (nulls[i / 8] & (1 << (i % 8)))
            continue;
        unsigned type = m_columns[size_t(i)].type;
        if (isVariable(type)) {
            uint32_t skip;
            p = getLength(p, skip) + skip;
        } else {
            p += fixedSize(type);
        }
    }
    if (isVariable(m_columns[size_t(field)].type)) {
        return getLength(p, length);
    }
    length = uint32_t(fixedSize(m_columns[size_t(field)].type));
    return p;
}

bool RowStore::isNull(long long row, int field) const
{
    const char *nulls = m_store.row(row);
    return nulls[field / 8] & (1 << (field % 8));
}

std::string_view RowStore::text(long long row, int field, std::string &scratch) const
{
    uint32_t length = 0;
    const char *p = cell(row, field, length);
    if (!p)
        return {};
    const Column &c = m_columns[size_t(field)];
    if (c.binary)
        return renderHex(p, length, scratch);
    switch (c.type) {
    case SQL_TEXT: case SQL_VARYING: case SQL_BLOB: case SQL_ARRAY:
        return {p, length};
    case SQL_SHORT:
        return renderScaled(load<int16_t>(p), c.scale, scratch);
    case SQL_LONG:
        return renderScaled(load<int32_t>(p), c.scale, scratch);
    case SQL_INT64:
        return renderScaled(load<int64_t>(p), c.scale, scratch);
    case SQL_FLOAT:
        return renderFloat(load<float>(p), scratch);
    case SQL_DOUBLE: case SQL_D_FLOAT:
        return renderFloat(load<double>(p), scratch);
    case SQL_TYPE_DATE:
        scratch.clear();
        appendDate(load<ISC_DATE>(p), scratch);
        return scratch;
    case SQL_TYPE_TIME:
        scratch.clear();
        appendTime(load<ISC_TIME>(p), scratch);
        return scratch;
    case SQL_TIMESTAMP:
        scratch.clear();
        appendDate(load<ISC_DATE>(p), scratch);
        scratch += ' ';
        appendTime(load<ISC_TIME>(p + 4), scratch);
        return scratch;
    case SQL_BOOLEAN:
        return *p ? "TRUE" : "FALSE";
    default:
        return {};
    }
}

} // namespace ado::fb

#include "my_rowset.h"

namespace ado::my {
namespace {

constexpr unsigned kBinaryCharset = 63;

FieldKind kindOf(const MYSQL_FIELD &f)
{
    switch (f.type) {
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
    case MYSQL_TYPE_YEAR:
        return FieldKind::Number;
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_NEWDATE:
    case MYSQL_TYPE_TIMESTAMP2:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIME2:
        return FieldKind::DateTime;
    case MYSQL_TYPE_BIT:
    case MYSQL_TYPE_GEOMETRY:
        return FieldKind::Binary;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VARCHAR:
        // Numbers and dates carry the binary character set too; only strings
        // with it hold raw bytes.
        return f.charsetnr == kBinaryCharset ? FieldKind::Binary : FieldKind::Text;
    default:
        return FieldKind::Text;
    }
}

} // namespace

MyRowSet::MyRowSet(MYSQL_RES *result) : m_result(result), m_fieldCount(mysql_num_fields(result))
{
    const MYSQL_FIELD *fields = mysql_fetch_fields(result);
    m_names.reserve(m_fieldCount);
    m_kinds.reserve(m_fieldCount);
    for (unsigned f = 0; f < m_fieldCount; ++f) {
        m_names.emplace_back(fields[f].name, fields[f].name_length);
        m_kinds.push_back(kindOf(fields[f]));
    }

    // A stored row is one block: the values follow each other, each closed
    // by a NUL, and the row's pointer array has one more entry that marks the
    // end of the last value. That is how the library itself derives the
    // lengths of a stored row, so they need not be copied. Each row is
    // checked against mysql_fetch_lengths all the same; should the two ever
    // differ, the lengths are kept instead.
    m_rows.reserve(size_t(mysql_num_rows(result)));
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long *lengths = mysql_fetch_lengths(result);
        if (!m_keepLengths) {
            bool same = true;
            for (unsigned f = 0; f < m_fieldCount && same; ++f)
                same = !row[f] || layoutLength(row, f) == lengths[f];
            if (!same) {
                m_keepLengths = true;
                m_lengths.reserve(m_rows.capacity() * m_fieldCount);
                for (MYSQL_ROW earlier : m_rows)
                    for (unsigned f = 0; f < m_fieldCount; ++f)
                        m_lengths.push_back(earlier[f] ? layoutLength(earlier, f) : 0);
            }
        }
        if (m_keepLengths)
            m_lengths.insert(m_lengths.end(), lengths, lengths + m_fieldCount);
        m_rows.push_back(row);
    }
}

MyRowSet::~MyRowSet() { mysql_free_result(m_result); }

unsigned long MyRowSet::layoutLength(MYSQL_ROW row, unsigned field) const
{
    const char *start = row[field];
    for (unsigned next = field + 1; next <= m_fieldCount; ++next)
        if (row[next])
            return (unsigned long)(row[next] - start - 1);
    return 0; // not reached: the end marker is never null
}

unsigned long MyRowSet::length(size_t row, unsigned field) const
{
    if (m_keepLengths)
        return m_lengths[row * m_fieldCount + field];
    return layoutLength(m_rows[row], field);
}

std::string_view MyRowSet::text(long long row, int field, std::string &scratch) const
{
    const char *value = m_rows[size_t(row)][field];
    if (!value)
        return {};
    const std::string_view bytes(value, length(size_t(row), unsigned(field)));
    if (m_kinds[size_t(field)] != FieldKind::Binary)
        return bytes;
    static const char digits[] = "0123456789ABCDEF";
    scratch.resize(2 + 2 * bytes.size());
    scratch[0] = '0';
    scratch[1] = 'x';
    char *out = scratch.data() + 2;
    for (unsigned char c : bytes) {
        *out++ = digits[c >> 4];
        *out++ = digits[c & 15];
    }
    return scratch;
}

} // namespace ado::my

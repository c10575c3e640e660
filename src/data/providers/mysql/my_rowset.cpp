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

MyRowSet::MyRowSet(MYSQL_RES *result)
{
    const MYSQL_FIELD *fields = mysql_fetch_fields(result);
    for (unsigned f = 0; f < mysql_num_fields(result); ++f) {
        const FieldKind kind = kindOf(fields[f]);
        addField(std::string(fields[f].name, fields[f].name_length), kind, kind == FieldKind::Binary);
    }
}

void MyRowSet::appendRow(MYSQL_ROW row, const unsigned long *lengths)
{
    PackedRows::appendRow([row, lengths](int f, size_t &length) -> const char * {
        length = lengths[f];
        return row[f];
    });
}

} // namespace ado::my

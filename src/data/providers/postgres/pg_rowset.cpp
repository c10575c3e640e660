#include "pg_rowset.h"

namespace ado::pg {

FieldKind kindOfType(Oid type)
{
    // Built-in type OIDs; they are fixed in every server release.
    switch (type) {
    case 16: // bool
        return FieldKind::Boolean;
    case 17: // bytea
        return FieldKind::Binary;
    case 20:   // int8
    case 21:   // int2
    case 23:   // int4
    case 26:   // oid
    case 700:  // float4
    case 701:  // float8
    case 790:  // money
    case 1700: // numeric
        return FieldKind::Number;
    case 1082: // date
    case 1083: // time
    case 1114: // timestamp
    case 1184: // timestamptz
    case 1186: // interval
    case 1266: // timetz
        return FieldKind::DateTime;
    default:
        return FieldKind::Text;
    }
}

PgRowSet::PgRowSet(PGresult *result)
    : m_result(result), m_fieldCount(PQnfields(result)), m_rowCount(PQntuples(result))
{
    m_kinds.reserve(size_t(m_fieldCount));
    for (int f = 0; f < m_fieldCount; ++f)
        m_kinds.push_back(kindOfType(PQftype(result, f)));
}

PgRowSet::~PgRowSet() { PQclear(m_result); }

std::string PgRowSet::fieldName(int field) const { return PQfname(m_result, field); }

bool PgRowSet::isNull(long long row, int field) const { return PQgetisnull(m_result, int(row), field) != 0; }

std::string_view PgRowSet::text(long long row, int field, std::string &) const
{
    // A null reads as libpq's empty string. Values are the server's text form
    // (bytea as "\x..." hex), passed on byte for byte.
    return {PQgetvalue(m_result, int(row), field), size_t(PQgetlength(m_result, int(row), field))};
}

} // namespace ado::pg

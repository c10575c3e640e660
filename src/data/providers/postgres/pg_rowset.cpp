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

PgRowSet::PgRowSet(const PGresult *result)
{
    // Values are the server's text form (bytea as "\x..." hex), passed on byte for byte.
    for (int f = 0; f < PQnfields(result); ++f)
        addField(PQfname(result, f), kindOfType(PQftype(result, f)));
}

void PgRowSet::appendRows(const PGresult *result)
{
    const int rows = PQntuples(result);
    for (int r = 0; r < rows; ++r)
        appendRow([result, r](int f, size_t &length) -> const char * {
            if (PQgetisnull(result, r, f))
                return nullptr;
            length = size_t(PQgetlength(result, r, f));
            return PQgetvalue(result, r, f);
        });
}

} // namespace ado::pg

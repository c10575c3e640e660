#pragma once
// A PostgreSQL result as a row set: the PGresult is kept whole and every value
// is read where libpq put it.

#include <libpq-fe.h>

#include <vector>

#include "provider.h"

namespace ado::pg {

class PgRowSet : public RowSet {
public:
    // Takes ownership of a PGRES_TUPLES_OK result.
    explicit PgRowSet(PGresult *result);
    ~PgRowSet() override;
    PgRowSet(const PgRowSet &) = delete;
    PgRowSet &operator=(const PgRowSet &) = delete;

    int fieldCount() const override { return m_fieldCount; }
    std::string fieldName(int field) const override;
    FieldKind fieldKind(int field) const override { return m_kinds[size_t(field)]; }
    long long rowCount() const override { return m_rowCount; }
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    PGresult *m_result;
    int m_fieldCount;
    long long m_rowCount;
    std::vector<FieldKind> m_kinds;
};

// The display kind of a column of the given type.
FieldKind kindOfType(Oid type);

} // namespace ado::pg

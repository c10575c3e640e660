#pragma once
// PostgreSQL results as row sets: the values are copied out of libpq's
// results into compact storage as the rows come (one PGresult per row in
// single-row mode, or a whole one), in the text form the server sent.

#include <libpq-fe.h>

#include "providers/packed_rows.h"

namespace ado::pg {

class PgRowSet : public PackedRows {
public:
    // The columns of `result` (any status that carries them), no rows yet.
    explicit PgRowSet(const PGresult *result);
    // Writer: appends the rows of `result`, which has this row set's columns.
    void appendRows(const PGresult *result);
};

// The display kind of a column of the given type.
FieldKind kindOfType(Oid type);

} // namespace ado::pg

#pragma once
// MySQL/MariaDB results as row sets: the rows are read one by one as the
// server sends them (mysql_use_result) and copied into compact storage in the
// text form the server sent; binary columns read as "0x" and hex digits.

#include <mysql.h>

#include "providers/packed_rows.h"

namespace ado::my {

class MyRowSet : public PackedRows {
public:
    // The columns of a result, no rows yet.
    explicit MyRowSet(MYSQL_RES *result);
    // Writer: appends one row that mysql_fetch_row gave.
    void appendRow(MYSQL_ROW row, const unsigned long *lengths);
};

} // namespace ado::my

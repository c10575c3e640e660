#pragma once
// A MySQL/MariaDB result as a row set: the stored MYSQL_RES is kept whole and
// every value is read where the library put it.

#include <mysql.h>

#include <string>
#include <vector>

#include "provider.h"

namespace ado::my {

class MyRowSet : public RowSet {
public:
    // Takes ownership of a result of mysql_store_result.
    explicit MyRowSet(MYSQL_RES *result);
    ~MyRowSet() override;
    MyRowSet(const MyRowSet &) = delete;
    MyRowSet &operator=(const MyRowSet &) = delete;

    int fieldCount() const override { return int(m_fieldCount); }
    std::string fieldName(int field) const override { return m_names[size_t(field)]; }
    FieldKind fieldKind(int field) const override { return m_kinds[size_t(field)]; }
    long long rowCount() const override { return (long long)m_rows.size(); }
    bool isNull(long long row, int field) const override { return m_rows[size_t(row)][field] == nullptr; }
    // Binary columns read as "0x" and upper-case hex digits, rendered into scratch.
    std::string_view text(long long row, int field, std::string &scratch) const override;

    // True when value lengths are read from the row layout, with no copy of them.
    bool lengthsFromLayout() const { return !m_keepLengths; }

private:
    unsigned long length(size_t row, unsigned field) const;
    unsigned long layoutLength(MYSQL_ROW row, unsigned field) const;

    MYSQL_RES *m_result;
    unsigned m_fieldCount;
    std::vector<std::string> m_names;
    std::vector<FieldKind> m_kinds;
    std::vector<MYSQL_ROW> m_rows;
    bool m_keepLengths = false;
    std::vector<unsigned long> m_lengths; // row-major, only when m_keepLengths
};

} // namespace ado::my

#pragma once
// A Firebird statement's result, fetched whole into compact storage.
//
// Each row is packed as Firebird sent it: a null bitmap, then for every
// non-null column its raw value (2/4/8 bytes for numbers, dates and times,
// 1 byte for booleans) or a length (1 byte, 5 from 255 on) and the bytes (CHAR, VARCHAR and
// blob contents). Rows are appended to large blocks and found through one
// 8-byte index entry each. Text is rendered only for the cells that are read;
// character values are handed out in place.

#include <firebird/Interface.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "provider.h"
#include "providers/row_blocks.h"

namespace ado::fb {

struct Column {
    std::string name;
    unsigned type = 0;     // SQL_* without the nullable bit
    int scale = 0;         // exact numerics: value * 10^scale
    int subType = 0;       // blobs: 1 is text
    unsigned charSet = 0;  // character set of the bytes sent
    unsigned length = 0;   // bytes in the message
    unsigned offset = 0;   // of the value in the message
    unsigned nullOffset = 0;
    bool binary = false;   // shown as hex
    FieldKind kind = FieldKind::Text;
};

// The columns of an output message, as the row set reads them.
std::vector<Column> describeColumns(Firebird::IMessageMetadata *meta);

class RowStore : public BlockRowSet {
public:
    using BlobReader = std::function<void(const ISC_QUAD &id, std::string &out)>;

    explicit RowStore(std::vector<Column> columns);

    // Copies one fetched message; blob contents are read now through readBlob.
    void appendMessage(const unsigned char *message, const BlobReader &readBlob);

    int fieldCount() const override { return int(m_columns.size()); }
    std::string fieldName(int field) const override { return m_columns[size_t(field)].name; }
    FieldKind fieldKind(int field) const override { return m_columns[size_t(field)].kind; }
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    const char *cell(long long row, int field, uint32_t &length) const;
    static size_t fixedSize(unsigned type);

    std::vector<Column> m_columns;
    size_t m_nullBytes;
    std::vector<std::string> m_blobs; // one row's blob contents while packing
};

} // namespace ado::fb

#include "o_RowFilter.h"

#include "o_CellKeys.h"

#include <QCollator>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

namespace {

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// Case-insensitive search of an ASCII needle in UTF-8 text: an ASCII byte
// never occurs inside a multi-byte character, so bytes can be compared.
bool containsAscii(std::string_view text, const std::string &needle)
{
    if (needle.size() > text.size())
        return false;
    const char first = needle[0];
    const char firstUpper = first >= 'a' && first <= 'z' ? char(first - 32) : first;
    const size_t last = text.size() - needle.size();
    for (size_t i = 0; i <= last; ++i) {
        const char c = text[i];
        if (c != first && c != firstUpper)
            continue;
        size_t k = 1;
        while (k < needle.size() && lowerAscii(text[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

bool equalsAscii(std::string_view text, const std::string &needle)
{
    if (text.size() != needle.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (lowerAscii(text[i]) != needle[i])
            return false;
    return true;
}

// The filter as it applies to one field, its text read once for the field's kind.
class FieldTest {
public:
    FieldTest(const TRowFilter &filter, ado::FieldKind kind, const QCollator &collator)
        : m_op(filter.op), m_collator(collator)
    {
        const QByteArray utf8 = filter.text.toUtf8();
        m_ascii = isAscii(utf8);
        m_lower = filter.text.toCaseFolded();
        m_text = filter.text;
        if (m_ascii)
            m_needle = m_lower.toStdString();
        const std::string raw = utf8.toStdString();
        // "Contains" looks at the text as shown, in number and date fields too.
        if (filter.op == TRowFilter::Contains)
            return;
        if (kind == ado::FieldKind::Number)
            m_byNumber = cellkeys::readNumber(raw, m_number);
        else if (kind == ado::FieldKind::DateTime)
            m_byMoment = cellkeys::readMoment(raw, m_moment);
    }

    bool matches(std::string_view value) const
    {
        if (m_byNumber) {
            double number = 0;
            if (cellkeys::readNumber(value, number))
                return compare(number < m_number, m_number < number);
        } else if (m_byMoment) {
            cellkeys::Moment moment;
            if (cellkeys::readMoment(value, moment))
                return compare(moment < m_moment, m_moment < moment);
        }
        switch (m_op) {
        case TRowFilter::Contains:
            if (m_ascii)
                return containsAscii(value, m_needle);
            return text(value).toCaseFolded().contains(m_lower);
        case TRowFilter::Equals:
            if (m_ascii)
                return equalsAscii(value, m_needle);
            return text(value).toCaseFolded() == m_lower;
        case TRowFilter::Greater:
            return m_collator.compare(text(value), m_text) > 0;
        case TRowFilter::Less:
            return m_collator.compare(text(value), m_text) < 0;
        }
        return false;
    }

private:
    static QString text(std::string_view value) { return QString::fromUtf8(value.data(), qsizetype(value.size())); }

    // A value that reads as a number or moment: `less`/`greater` than the filter's.
    bool compare(bool less, bool greater) const
    {
        switch (m_op) {
        case TRowFilter::Contains:
            return false;
        case TRowFilter::Equals:
            return !less && !greater;
        case TRowFilter::Greater:
            return greater;
        case TRowFilter::Less:
            return less;
        }
        return false;
    }

    TRowFilter::Operator m_op;
    const QCollator &m_collator;
    bool m_ascii = false;
    std::string m_needle; // folded, when ASCII
    QString m_lower;
    QString m_text;
    bool m_byNumber = false;
    double m_number = 0;
    bool m_byMoment = false;
    cellkeys::Moment m_moment;
};

} // namespace

std::vector<char> filteredRows(const ado::RowSet &rows, const TRowFilter &filter)
{
    const long long count = std::min<long long>(rows.rowCount(), std::numeric_limits<int>::max());
    std::vector<char> keep(size_t(count), filter.isActive() ? 0 : 1);
    if (!filter.isActive())
        return keep;
    QCollator collator;
    const int fieldCount = rows.fieldCount();
    std::vector<int> fields;
    if (filter.field >= 0 && filter.field < fieldCount)
        fields.push_back(filter.field);
    else if (filter.field < 0)
        for (int f = 0; f < fieldCount; ++f)
            fields.push_back(f);
    std::vector<std::unique_ptr<FieldTest>> tests;
    for (int f : fields)
        tests.push_back(std::make_unique<FieldTest>(filter, rows.fieldKind(f), collator));
    std::string scratch;
    for (long long r = 0; r < count; ++r)
        for (size_t i = 0; i < fields.size(); ++i)
            if (!rows.isNull(r, fields[i]) && tests[i]->matches(rows.text(r, fields[i], scratch))) {
                keep[size_t(r)] = 1;
                break;
            }
    return keep;
}

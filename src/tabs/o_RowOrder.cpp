#include "o_RowOrder.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>
#include <string>

namespace {

enum Rank : signed char { rankNull, rankValue, rankOther };

template <class Less>
void stableSort(std::vector<int> &order, bool descending, const Less &less)
{
    if (descending)
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    else
        std::stable_sort(order.begin(), order.end(), less);
}

} // namespace

std::vector<int> sortedRowOrder(const ado::RowSet &rows, int field, bool descending)
{
    const int count = int(std::min<long long>(rows.rowCount(), std::numeric_limits<int>::max()));
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::vector<Rank> rank(static_cast<size_t>(count), rankNull);
    std::string scratch;
    const ado::FieldKind kind = rows.fieldKind(field);

    if (kind == ado::FieldKind::Number) {
        std::vector<double> number(static_cast<size_t>(count), 0.0);
        std::vector<std::string> other(static_cast<size_t>(count));
        for (int r = 0; r < count; ++r) {
            if (rows.isNull(r, field))
                continue;
            const std::string_view text = rows.text(r, field, scratch);
            double value = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc() && end == text.data() + text.size() && value == value) {
                rank[size_t(r)] = rankValue;
                number[size_t(r)] = value;
            } else {
                rank[size_t(r)] = rankOther;
                other[size_t(r)] = std::string(text);
            }
        }
        stableSort(order, descending, [&](int a, int b) {
            if (rank[size_t(a)] != rank[size_t(b)])
                return rank[size_t(a)] < rank[size_t(b)];
            if (rank[size_t(a)] == rankValue)
                return number[size_t(a)] < number[size_t(b)];
            return other[size_t(a)] < other[size_t(b)];
        });
        return order;
    }

    if (kind == ado::FieldKind::Text) {
        QCollator collator;
        std::vector<int> keyOf(static_cast<size_t>(count), -1);
        std::vector<QCollatorSortKey> keys;
        for (int r = 0; r < count; ++r) {
            if (rows.isNull(r, field))
                continue;
            const std::string_view text = rows.text(r, field, scratch);
            keyOf[size_t(r)] = int(keys.size());
            keys.push_back(collator.sortKey(QString::fromUtf8(text.data(), qsizetype(text.size()))));
        }
        stableSort(order, descending, [&](int a, int b) {
            const int ka = keyOf[size_t(a)], kb = keyOf[size_t(b)];
            if (ka < 0 || kb < 0)
                return ka < 0 && kb >= 0;
            return keys[size_t(ka)].compare(keys[size_t(kb)]) < 0;
        });
        return order;
    }

    std::vector<std::string> text(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        if (!rows.isNull(r, field)) {
            rank[size_t(r)] = rankValue;
            text[size_t(r)] = std::string(rows.text(r, field, scratch));
        }
    stableSort(order, descending, [&](int a, int b) {
        if (rank[size_t(a)] != rank[size_t(b)])
            return rank[size_t(a)] < rank[size_t(b)];
        return text[size_t(a)] < text[size_t(b)];
    });
    return order;
}

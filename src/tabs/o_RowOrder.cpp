#include "o_RowOrder.h"

#include "o_CellKeys.h"
#include "o_TextOrder.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <deque>
#include <optional>
#include <limits>
#include <string>

namespace {

// Rows fall into three groups sorted apart: nulls, the values the field's
// kind reads (numbers, moments, collation keys), then texts it cannot read.
// Ascending puts them in that order, descending in the reverse; within a
// group equal values keep their row order either way.
struct Groups {
    std::vector<int> nulls;
    std::vector<int> others;
};

void sortOthers(const ado::RowSet &rows, int field, bool descending, std::vector<int> &others)
{
    if (others.empty())
        return;
    std::vector<std::string> text(others.size());
    std::string scratch;
    for (size_t i = 0; i < others.size(); ++i)
        text[i] = std::string(rows.text(others[i], field, scratch));
    std::vector<int> at(others.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = int(i);
    std::stable_sort(at.begin(), at.end(), [&](int a, int b) {
        return descending ? text[size_t(b)] < text[size_t(a)] : text[size_t(a)] < text[size_t(b)];
    });
    std::vector<int> sorted(others.size());
    for (size_t i = 0; i < at.size(); ++i)
        sorted[i] = others[size_t(at[i])];
    others = std::move(sorted);
}

// Sorts (key, row) pairs: by key, then by row, so equal keys keep row order.
template <class Key, class Less>
void sortKeyed(std::vector<std::pair<Key, int>> &keyed, bool descending, const Less &less)
{
    std::sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        if (less(a, b))
            return !descending;
        if (less(b, a))
            return descending;
        return a.second < b.second;
    });
}

template <class Key>
std::vector<int> joined(const ado::RowSet &rows, int field, bool descending, Groups &groups,
                        const std::vector<std::pair<Key, int>> &keyed)
{
    sortOthers(rows, field, descending, groups.others);
    std::vector<int> order;
    order.reserve(groups.nulls.size() + keyed.size() + groups.others.size());
    auto values = [&] {
        for (const auto &k : keyed)
            order.push_back(k.second);
    };
    if (!descending) {
        order.insert(order.end(), groups.nulls.begin(), groups.nulls.end());
        values();
        order.insert(order.end(), groups.others.begin(), groups.others.end());
    } else {
        order.insert(order.end(), groups.others.begin(), groups.others.end());
        values();
        order.insert(order.end(), groups.nulls.begin(), groups.nulls.end());
    }
    return order;
}

struct NumberKey {
    double value;
    bool wide;
};

} // namespace

std::vector<int> sortedRowOrder(const ado::RowSet &rows, int field, bool descending)
{
    const int count = int(std::min<long long>(rows.rowCount(), std::numeric_limits<int>::max()));
    std::string scratch;
    Groups groups;

    switch (rows.fieldKind(field)) {
    case ado::FieldKind::Number: {
        std::vector<std::pair<NumberKey, int>> keyed;
        keyed.reserve(size_t(count));
        bool anyWide = false;
        for (int r = 0; r < count; ++r) {
            if (rows.isNull(r, field)) {
                groups.nulls.push_back(r);
                continue;
            }
            NumberKey key{};
            if (cellkeys::readNumber(rows.text(r, field, scratch), key.value, &key.wide)) {
                keyed.push_back({key, r});
                anyWide = anyWide || key.wide;
            } else {
                groups.others.push_back(r);
            }
        }
        if (!anyWide) {
            sortKeyed(keyed, descending, [](const auto &a, const auto &b) { return a.first.value < b.first.value; });
        } else {
            // Values with more digits than a double keeps may read as one double:
            // their texts decide then.
            std::string scratchB;
            sortKeyed(keyed, descending, [&](const auto &a, const auto &b) {
                if (a.first.value != b.first.value)
                    return a.first.value < b.first.value;
                if (!a.first.wide && !b.first.wide)
                    return false;
                return cellkeys::compareDecimals(rows.text(a.second, field, scratch),
                                                 rows.text(b.second, field, scratchB)) < 0;
            });
        }
        return joined(rows, field, descending, groups, keyed);
    }
    case ado::FieldKind::DateTime: {
        std::vector<std::pair<cellkeys::Moment, int>> keyed;
        keyed.reserve(size_t(count));
        for (int r = 0; r < count; ++r) {
            cellkeys::Moment moment;
            if (rows.isNull(r, field))
                groups.nulls.push_back(r);
            else if (cellkeys::readMoment(rows.text(r, field, scratch), moment))
                keyed.push_back({moment, r});
            else
                groups.others.push_back(r);
        }
        sortKeyed(keyed, descending, [](const auto &a, const auto &b) { return a.first < b.first; });
        return joined(rows, field, descending, groups, keyed);
    }
    case ado::FieldKind::Text: {
        std::vector<std::optional<std::string_view>> texts(static_cast<size_t>(count));
        std::deque<std::string> copies; // values a row set renders into the scratch text
        for (int r = 0; r < count; ++r) {
            if (rows.isNull(r, field))
                continue;
            std::string_view text = rows.text(r, field, scratch);
            if (!scratch.empty() && text.data() >= scratch.data() && text.data() < scratch.data() + scratch.size())
                text = copies.emplace_back(text);
            texts[size_t(r)] = text;
        }
        return collatedOrder(texts, QCollator(), descending);
    }
    default: {
        // Booleans and binary values: by their text, which the others group does.
        for (int r = 0; r < count; ++r)
            (rows.isNull(r, field) ? groups.nulls : groups.others).push_back(r);
        return joined(rows, field, descending, groups, std::vector<std::pair<int, int>>());
    }
    }
}

// Sorting a row set's rows by one field: the permutation it gives.
#include <gtest/gtest.h>

#include "o_RowOrder.h"

#include <QLocale>

#include <chrono>
#include <iostream>

#include <optional>
#include <string>
#include <vector>

namespace {

using Cell = std::optional<std::string>;
constexpr std::nullopt_t null = std::nullopt;

ado::MemoryRowSet column(ado::FieldKind kind, const std::vector<Cell> &values)
{
    ado::MemoryRowSet rs;
    rs.addField("v", kind);
    for (const Cell &v : values)
        rs.addRow({v});
    return rs;
}

struct OrderCase {
    const char *name;
    ado::FieldKind kind;
    std::vector<Cell> values;
    std::vector<int> ascending;
    std::vector<int> descending;
};

TEST(RowOrder, SortsByKindWithNullsFirstAndTiesInPlace)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const OrderCase cases[] = {
        // 2 before 10; equal numbers keep their order both ways; a numeric
        // field's text that is no number comes after the numbers.
        {"numbers",
         ado::FieldKind::Number,
         {"10", "2", null, "2.0", "-1.5", "abc", "1e2", null, "98765432109876543210"},
         {2, 7, 4, 1, 3, 0, 6, 8, 5},
         {5, 8, 6, 0, 1, 3, 4, 2, 7}},
        // The locale's collation, not the bytes: "a" and "ä" before "B".
        {"text", ado::FieldKind::Text, {"b", "a", "B", null, "\xC3\xA4", "a", ""}, {3, 6, 1, 5, 4, 0, 2}, {2, 0, 4, 1, 5, 6, 3}},
        {"dates",
         ado::FieldKind::DateTime,
         {"2024-01-10 00:00:00", null, "2023-12-31 23:59:59", "2024-01-10 00:00:00"},
         {1, 2, 0, 3},
         {0, 3, 2, 1}},
        {"empty", ado::FieldKind::Number, {}, {}, {}},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(c.name);
        const ado::MemoryRowSet rs = column(c.kind, c.values);
        EXPECT_EQ(sortedRowOrder(rs, 0, false), c.ascending);
        EXPECT_EQ(sortedRowOrder(rs, 0, true), c.descending);
    }
}

} // namespace

namespace {

// A million rows of few distinct values, so that nearly every row ties:
// sorted, ties in row order, in a time the user does not wait for.
TEST(RowOrder, AMillionRowsByNumberAndByText)
{
    constexpr int rows = 1000000;
    ado::MemoryRowSet rs;
    rs.addField("n", ado::FieldKind::Number);
    rs.addField("t", ado::FieldKind::Text);
    for (int r = 0; r < rows; ++r) {
        const int v = int((long long)r * 7919 % 1000);
        rs.addRow({std::to_string(v), "name " + std::to_string(v % 100)});
    }
    std::string scratch;
    for (int field : {0, 1}) {
        SCOPED_TRACE(field);
        const auto started = std::chrono::steady_clock::now();
        const std::vector<int> order = sortedRowOrder(rs, field, false);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        RecordProperty(field == 0 ? "number_ms" : "text_ms", int(ms.count()));
        std::cout << "sorted " << rows << " rows by field " << field << " in " << ms.count() << " ms" << std::endl;
        ASSERT_EQ(order.size(), size_t(rows));
        for (size_t i = 1; i < order.size(); ++i) {
            const int a = order[i - 1], b = order[i];
            const int va = int((long long)a * 7919 % 1000), vb = int((long long)b * 7919 % 1000);
            const int ka = field == 0 ? va : va % 100, kb = field == 0 ? vb : vb % 100;
            // text: "name 10" < "name 2", as the collation has it; ties keep row order
            const std::string ta = std::to_string(ka), tb = std::to_string(kb);
            const bool before = field == 0 ? ka < kb : ta < tb;
            ASSERT_TRUE(before || (ka == kb && a < b)) << "at " << i;
        }
    }
}

} // namespace

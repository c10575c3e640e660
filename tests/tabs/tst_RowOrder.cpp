// Sorting a row set's rows by one field: the permutation it gives.
#include <gtest/gtest.h>

#include "o_RowOrder.h"

#include <QCollator>
#include <QLocale>

#include <chrono>
#include <ctime>
#include <iostream>

#include <algorithm>
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
        // More digits than a double holds: the digits decide.
        {"long numbers",
         ado::FieldKind::Number,
         {"12345678901234567891", "12345678901234567890", "-12345678901234567891", "-12345678901234567890",
          "0.10000000000000000001", "0.1"},
         {2, 3, 5, 4, 1, 0},
         {0, 1, 4, 5, 3, 2}},
        {"money", ado::FieldKind::Number, {"$1,200.00", "$99.50", "-$5.00"}, {2, 1, 0}, {0, 1, 2}},
        // Moments, not texts: time zones, years past 9999, BC, the infinities;
        // 10:00+02 and 08:00Z are the same moment and keep their order.
        {"timestamps",
         ado::FieldKind::DateTime,
         {"2024-03-01 10:00:00+02", "2024-03-01 09:30:00+00", "0044-03-15 00:00:00 BC", "infinity", "-infinity",
          "10000-01-01 00:00:00+00", null, "2024-03-01 08:00:00Z", "someday"},
         {6, 4, 2, 0, 7, 1, 5, 3, 8},
         {8, 3, 5, 1, 0, 7, 2, 4, 6}},
        {"times with zones", ado::FieldKind::DateTime, {"10:00:00+02", "09:00:00+00", "9:30:00.25"}, {0, 1, 2}, {2, 1, 0}},
        {"empty", ado::FieldKind::Number, {}, {}, {}},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(c.name);
        const ado::MemoryRowSet rs = column(c.kind, c.values);
        EXPECT_EQ(sortedRowOrder(rs, 0, false), c.ascending);
        EXPECT_EQ(sortedRowOrder(rs, 0, true), c.descending);
    }
}

// Texts of plain ASCII take a quicker road than others; both must give the
// collator's own order, in locales that join letters ("ch", "aa") too.
TEST(RowOrder, TextOrderIsTheCollatorsInEachLocale)
{
    // The last four are beyond ASCII.
    const std::vector<std::string> alphabet = {"a", "A", "b", "ch", "Ch", "h", "aa", "z", "Z", "0", "9", "10", " ",
                                               "-", "'", ".", "_", "\t", "e", "E", "ss", "\xC3\xA4", "\xC3\xA5",
                                               "\xC3\x89", "\xC5\x99"};
    unsigned seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    std::vector<Cell> values;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const unsigned length = next() % 6;
        // Mostly plain ASCII, some with a letter beyond it.
        const size_t choices = i % 4 == 0 ? alphabet.size() : alphabet.size() - 4;
        for (unsigned k = 0; k < length; ++k)
            text += alphabet[next() % choices];
        values.push_back(i % 97 == 0 ? Cell() : Cell(text));
    }
    const ado::MemoryRowSet rs = column(ado::FieldKind::Text, values);
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Czech),
                                  QLocale(QLocale::Danish), QLocale(QLocale::German), QLocale(QLocale::Swedish)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const QCollator collator(locale);
        std::vector<int> expected(values.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = int(i);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            if (!values[size_t(a)] || !values[size_t(b)])
                return !values[size_t(a)] && values[size_t(b)];
            return collator.compare(QString::fromStdString(*values[size_t(a)]), QString::fromStdString(*values[size_t(b)])) < 0;
        });
        EXPECT_EQ(sortedRowOrder(rs, 0, false), expected);
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
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
        const std::clock_t cpuStarted = std::clock();
        const std::vector<int> order = sortedRowOrder(rs, field, false);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        const long cpuMs = long((std::clock() - cpuStarted) * 1000 / CLOCKS_PER_SEC);
        RecordProperty(field == 0 ? "number_ms" : "text_ms", int(ms.count()));
        // The processor time too: on a busy machine the wall time says little.
        std::cout << "sorted " << rows << " rows by field " << field << " in " << ms.count() << " ms (" << cpuMs
                  << " ms processor time)" << std::endl;
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

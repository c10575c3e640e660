// The row store that providers fill while the window reads: rows come back
// byte for byte wherever the blocks and index chunks break, and a reader on
// another thread sees whole rows only, while the writer keeps appending; the
// same for the packed text rows built on it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <set>
#include <string>
#include <thread>

#include "providers/packed_rows.h"
#include "providers/row_blocks.h"

using ado::RowBlocks;

namespace {

// Row i: its number, then (i * 7) % 600 bytes that depend on i; every 50000th
// row is larger than the largest block.
size_t payloadSize(long long i)
{
    return i % 50000 == 4999 ? 5 * 1024 * 1024 : size_t((i * 7) % 600);
}

char payloadByte(long long i, size_t k)
{
    return char('a' + (i + static_cast<long long>(k)) % 26);
}

void appendRow(RowBlocks &rows, long long i)
{
    const size_t size = payloadSize(i);
    char *p = rows.append(sizeof i + size);
    std::memcpy(p, &i, sizeof i);
    for (size_t k = 0; k < size; ++k)
        p[sizeof i + k] = payloadByte(i, k);
}

// Empty when row i reads back as written; else what differs.
std::string checkRow(const RowBlocks &rows, long long i)
{
    const char *p = rows.row(i);
    long long stored;
    std::memcpy(&stored, p, sizeof stored);
    if (stored != i)
        return "row " + std::to_string(i) + " holds row " + std::to_string(stored);
    const size_t size = payloadSize(i);
    for (size_t k = 0; k < size; ++k)
        if (p[sizeof i + k] != payloadByte(i, k))
            return "row " + std::to_string(i) + " differs at byte " + std::to_string(k);
    return {};
}

} // namespace

TEST(RowBlocks, RowsReadBackAcrossBlockAndIndexBoundaries)
{
    RowBlocks rows;
    EXPECT_EQ(rows.count(), 0);
    const long long total = 12000; // index chunks of 1024, 2048, 4096 and part of 8192
    for (long long i = 0; i < total; ++i) {
        appendRow(rows, i);
        if (i % 3 == 2)
            rows.publish();
    }
    // Rows appended but not published are not there yet for readers.
    EXPECT_EQ(rows.count(), total - total % 3);
    rows.publish();
    ASSERT_EQ(rows.count(), total);
    for (long long i = 0; i < total; ++i)
        ASSERT_EQ(checkRow(rows, i), "");
}

TEST(RowBlocks, ReaderSeesWholeRowsWhileTheWriterAppends)
{
    RowBlocks rows;
    const long long total = 200000;
    std::atomic<bool> readerStarted{false};
    std::string failure;
    std::set<long long> countsSeen;

    long long checked = 0;
    // The reader knows no total: it follows the rows until the store says
    // they are whole, as an export of arriving rows does.
    rows.startArriving();
    std::thread reader([&] {
        readerStarted = true;
        while (failure.empty()) {
            const ado::Arrival arrival = rows.arrival();
            const long long published = rows.count();
            countsSeen.insert(published);
            for (long long i = checked; i < published && failure.empty(); ++i)
                failure = checkRow(rows, i);
            // Rows read before stay where they were.
            if (checked > 0 && failure.empty())
                failure = checkRow(rows, checked / 2);
            checked = published;
            if (arrival != ado::Arrival::Arriving)
                break;
        }
    });
    while (!readerStarted)
        std::this_thread::yield();
    for (long long i = 0; i < total; ++i) {
        appendRow(rows, i);
        rows.publish();
        if (i % 20000 == 0) // let the reader catch up now and then
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    rows.endArriving(ado::Arrival::Whole);
    reader.join();

    EXPECT_EQ(failure, "");
    EXPECT_GT(countsSeen.size(), 2u) << "the reader never read while rows were appended";
    EXPECT_EQ(checked, total) << "the reader stopped before the last row";
    EXPECT_EQ(rows.count(), total);
}

TEST(PackedRows, ValuesReadWhileRowsAreAppended)
{
    // Three columns: the row number as text, a text of 0 to 599 bytes (past
    // the one-byte length form), and one that is null in every seventh row.
    ado::PackedRows rows;
    rows.addField("n", ado::FieldKind::Number);
    rows.addField("pad", ado::FieldKind::Text);
    rows.addField("bin", ado::FieldKind::Binary, true);
    const long long total = 60000;
    std::atomic<bool> readerStarted{false};
    std::string failure;
    std::set<long long> countsSeen;
    auto expectedPad = [](long long i) { return std::string(size_t((i * 7) % 600), char('a' + i % 26)); };

    std::thread reader([&] {
        readerStarted = true;
        long long checked = 0;
        std::string scratch;
        while (checked < total && failure.empty()) {
            const long long published = rows.rowCount();
            countsSeen.insert(published);
            for (long long i = checked; i < published && failure.empty(); ++i) {
                const bool null = i % 7 == 0;
                if (rows.text(i, 0, scratch) != std::to_string(i) || rows.text(i, 1, scratch) != expectedPad(i) ||
                    rows.isNull(i, 2) != null || rows.text(i, 2, scratch) != (null ? "" : "0x0AFF"))
                    failure = "row " + std::to_string(i) + " reads wrong";
            }
            checked = published;
        }
    });
    while (!readerStarted)
        std::this_thread::yield();
    for (long long i = 0; i < total; ++i) {
        const std::string n = std::to_string(i), pad = expectedPad(i);
        rows.appendRow([&](int f, size_t &length) -> const char * {
            switch (f) {
            case 0: length = n.size(); return n.data();
            case 1: length = pad.size(); return pad.data();
            default: length = 2; return i % 7 == 0 ? nullptr : "\x0a\xff";
            }
        });
        if (i % 10000 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    reader.join();

    EXPECT_EQ(failure, "");
    EXPECT_GT(countsSeen.size(), 2u) << "the reader never read while rows were appended";
    EXPECT_EQ(rows.rowCount(), total);
}

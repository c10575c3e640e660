// The result grid under a real keyboard and mouse: moving as in a
// spreadsheet, Shift extending the selection, Ctrl+F for the filter bar,
// Shift+Enter and a double click for the value viewer, a double click on a
// title's edge fitting the column.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid_rows.h"
#include "o_DBGrid.h"
#include "o_GridFilterBar.h"
#include "o_RowSetModel.h"
#include "o_ValueViewer.h"
#include "x11_support.h"

using namespace x11test;

namespace {

constexpr int kRows = 100;
constexpr int kColumns = 5;

struct GridKeys : ::testing::Test {
    void SetUp() override
    {
        auto rows = std::make_unique<ado::MemoryRowSet>();
        for (int c = 0; c < kColumns; ++c)
            rows->addField("c" + std::to_string(c), ado::FieldKind::Number);
        for (int r = 0; r < kRows; ++r) {
            std::vector<std::optional<std::string>> cells;
            for (int c = 0; c < kColumns; ++c)
                cells.push_back(std::to_string(r * 10 + c) + (c == 1 && r == 3 ? std::string(60, '9') : ""));
            rows->addRow(cells);
        }
        shown.show(grid, std::move(rows));
        grid.resize(420, 300);
        showActive(&grid);
        grid.setFocus();
    }
    QModelIndex at(int row, int column) const { return grid.rowSetModel()->index(row, column); }
    // Let the keys arrive.
    void settle() { waitUntil([] { return false; }, 150); }

    GridRows shown;
    TDBGrid grid;
};

TEST_F(GridKeys, MovesAndExtendsAsASpreadsheet)
{
    const struct {
        const char *keys;
        int startRow, startColumn;
        int row, column;      // the current cell after the keys
        int top, left;        // the selection: one rectangle from (top, left) to (row, column)
                              // (with Shift, (top, left) is where it started)
    } cases[] = {
        {"Right", 0, 0, 0, 1, 0, 1},
        {"Down", 0, 0, 1, 0, 1, 0},
        {"End", 3, 1, 3, 4, 3, 4},
        {"Home", 3, 3, 3, 0, 3, 0},
        {"ctrl+End", 2, 2, kRows - 1, kColumns - 1, kRows - 1, kColumns - 1},
        {"ctrl+Home", 50, 3, 0, 0, 0, 0},
        {"shift+Down shift+Down shift+Right", 2, 1, 4, 2, 2, 1},
        {"shift+End", 2, 1, 2, 4, 2, 1},
        {"shift+Home", 2, 3, 2, 0, 2, 3},
        {"shift+ctrl+End", 2, 1, kRows - 1, kColumns - 1, 2, 1},
        {"shift+ctrl+Home", 5, 2, 0, 0, 5, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        grid.setCurrentIndex(at(c.startRow, c.startColumn));
        pressKeys(QString::fromLatin1(c.keys).split(' '));
        settle();
        EXPECT_EQ(grid.currentIndex(), at(c.row, c.column));
        const QItemSelection selection = grid.selectionModel()->selection();
        ASSERT_EQ(selection.size(), 1);
        const QItemSelectionRange range = selection.first();
        EXPECT_EQ(range.top(), std::min(c.top, c.row));
        EXPECT_EQ(range.bottom(), std::max(c.top, c.row));
        EXPECT_EQ(range.left(), std::min(c.left, c.column));
        EXPECT_EQ(range.right(), std::max(c.left, c.column));
    }
}

TEST_F(GridKeys, PageKeysMoveByWhatTheWindowShows)
{
    grid.setCurrentIndex(at(0, 2));
    pressKeys({"Next"});
    settle();
    const int paged = grid.currentIndex().row();
    EXPECT_GT(paged, 3);
    EXPECT_EQ(grid.currentIndex().column(), 2);
    EXPECT_TRUE(grid.viewport()->rect().intersects(grid.visualRect(grid.currentIndex())));
    pressKeys({"shift+Next"});
    settle();
    EXPECT_GT(grid.currentIndex().row(), paged);
    EXPECT_TRUE(grid.selectionModel()->isSelected(at(paged, 2)));
    pressKeys({"Prior", "Prior"});
    settle();
    EXPECT_EQ(grid.currentIndex(), at(0, 2));
}

TEST_F(GridKeys, FilterBarViewerAndFittingByMouse)
{
    grid.setCurrentIndex(at(3, 1));
    pressKeys({"shift+Return"});
    ASSERT_TRUE(waitUntil([&] { return grid.valueViewer()->isVisible(); }));
    EXPECT_TRUE(grid.valueViewer()->caption().startsWith(QStringLiteral("c1, row 4:")));
    grid.valueViewer()->hide();
    showActive(&grid);

    pressKeys({"ctrl+f"});
    TGridFilterBar *bar = grid.filterBar();
    ASSERT_TRUE(waitUntil([&] { return bar->isVisible() && bar->textBox()->hasFocus(); }));
    // Tab goes round the bar's boxes and leaves the grid's current cell alone.
    pressKeys({"shift+Tab", "shift+Tab"});
    EXPECT_TRUE(waitUntil([&] { return bar->columnBox()->hasFocus(); }));
    pressKeys({"Tab", "Tab"});
    EXPECT_TRUE(waitUntil([&] { return bar->textBox()->hasFocus(); }));
    EXPECT_EQ(grid.currentIndex(), at(3, 1));
    typeText(QStringLiteral("99"));
    pressKeys({"Return"});
    // "contains 99": the row of 990 to 994 and the long value in row 3.
    ASSERT_TRUE(waitUntil([&] { return grid.rowSetModel()->isFiltered(); }));
    EXPECT_EQ(grid.rowSetModel()->shownRowsText(), QStringLiteral("2 of 100 rows"));

    // The title row below the bar: a double click on the edge of c1 fits it
    // to its widest value.
    QHeaderView *titles = grid.horizontalHeader();
    grid.setColumnWidth(1, 30);
    const int edge = titles->sectionViewportPosition(1) + titles->sectionSize(1) - 1;
    clickAt(titles->viewport(), QPoint(edge, titles->viewport()->height() - 4), 2);
    ASSERT_TRUE(waitUntil([&] { return grid.columnWidth(1) > 100; }));

    // Down from the text goes to the rows; a double click on a cell opens the viewer.
    grid.filterBar()->textBox()->setFocus();
    pressKeys({"Down"});
    ASSERT_TRUE(waitUntil([&] { return grid.hasFocus(); }));
    clickAt(grid.viewport(), grid.visualRect(at(0, 0)).center(), 2);
    ASSERT_TRUE(waitUntil([&] { return grid.valueViewer()->isVisible(); }));
    EXPECT_EQ(grid.valueViewer()->caption(), QStringLiteral("c0, row 1: text, 2 characters"));
    EXPECT_EQ(grid.valueViewer()->shownValue().text, QStringLiteral("30"));
}

} // namespace

// Filtering the grid's rows: which rows a filter keeps, the filter combined
// with the sort, and the filter bar over the grid.
#include <gtest/gtest.h>

#include "grid_rows.h"
#include "o_DBGrid.h"
#include "o_GridFilterBar.h"
#include "o_RowFilter.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Cells = std::vector<std::optional<std::string>>;
constexpr std::nullopt_t null = std::nullopt;

// id (number), name (text), born (date), amount (number, one null).
std::unique_ptr<ado::MemoryRowSet> people()
{
    auto rows = std::make_unique<ado::MemoryRowSet>();
    rows->addField("id", ado::FieldKind::Number);
    rows->addField("name");
    rows->addField("born", ado::FieldKind::DateTime);
    rows->addField("amount", ado::FieldKind::Number);
    rows->addRow(Cells{"1", "Anna", "1990-05-01", "10"});
    rows->addRow(Cells{"2", "bob", "1985-12-24", "2"});
    rows->addRow(Cells{"3", "Jörg", "2001-01-01", null});
    rows->addRow(Cells{"10", "ANNABEL", "1990-05-01 12:00:00", "2.0"});
    rows->addRow(Cells{"11", "Zoë 10", "1979-07-07", "-3.5"});
    return rows;
}

std::vector<int> kept(const ado::RowSet &rows, const TRowFilter &filter)
{
    const std::vector<char> keep = filteredRows(rows, filter);
    std::vector<int> out;
    for (size_t r = 0; r < keep.size(); ++r)
        if (keep[r])
            out.push_back(int(r));
    return out;
}

TEST(RowFilter, KeepsTheRowsThatMatch)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto rows = people();
    using Op = TRowFilter::Operator;
    const struct {
        const char *name;
        int field;
        Op op;
        const char *text;
        std::vector<int> rows;
    } cases[] = {
        {"empty text keeps all", 1, Op::Equals, "", {0, 1, 2, 3, 4}},
        {"contains ignores case", 1, Op::Contains, "ann", {0, 3}},
        {"contains, non-ASCII, ignoring case", 1, Op::Contains, "JÖR", {2}},
        {"equals ignores case", 1, Op::Equals, "BOB", {1}},
        {"equals is the whole value", 1, Op::Equals, "Ann", {}},
        // Numbers as numbers: 10 is greater than 9, 2.0 equals 2.
        {"number greater", 0, Op::Greater, "9", {3, 4}},
        {"number equals", 3, Op::Equals, "2", {1, 3}},
        {"number less, a null matches nothing", 3, Op::Less, "3", {1, 3, 4}},
        // Contains looks at the text as shown, in number fields too.
        {"number contains", 0, Op::Contains, "1", {0, 3, 4}},
        // Text compares by the collation: "bob" after "Anna", "ANNABEL"; "Jörg" after "bob".
        {"text greater", 1, Op::Greater, "b", {1, 2, 4}},
        {"text less", 1, Op::Less, "B", {0, 3}},
        // Dates as dates: a timestamp later the same day is greater than the day.
        {"date greater", 2, Op::Greater, "1990-05-01", {2, 3}},
        {"date equals", 2, Op::Equals, "1990-05-01", {0}},
        {"date less", 2, Op::Less, "1985-12-24 00:00:01", {1, 4}},
        // Any column: a row matches when one of its values does, each by its kind.
        {"any column contains", -1, Op::Contains, "10", {0, 3, 4}},
        {"any column less", -1, Op::Less, "-1", {4}},
        {"any column equals", -1, Op::Equals, "2", {1, 3}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TRowFilter filter;
        filter.field = c.field;
        filter.op = c.op;
        filter.text = QString::fromUtf8(c.text);
        EXPECT_EQ(kept(*rows, filter), c.rows);
    }
}

struct FilterGrid : ::testing::Test {
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        shown.show(grid, people());
        grid.resize(600, 300);
        grid.show();
        QApplication::setActiveWindow(&grid);
    }
    TRowSetModel *model() const { return grid.rowSetModel(); }
    std::vector<QString> column(int c) const
    {
        std::vector<QString> out;
        for (int r = 0; r < model()->rowCount(); ++r)
            out.push_back(model()->data(model()->index(r, c)).toString());
        return out;
    }
    static TRowFilter filterOf(int field, TRowFilter::Operator op, const QString &text)
    {
        TRowFilter f;
        f.field = field;
        f.op = op;
        f.text = text;
        return f;
    }

    GridRows shown;
    TDBGrid grid;
};

using Strings = std::vector<QString>;

TEST_F(FilterGrid, ShowsTheFilteredRowsInSortedOrder)
{
    model()->sortRows(0, Qt::DescendingOrder);
    grid.setCurrentIndex(model()->index(0, 1)); // "Zoë 10"
    grid.selectionModel()->select(model()->index(4, 1), QItemSelectionModel::Select); // "Anna"

    model()->setRowFilter(filterOf(1, TRowFilter::Contains, QStringLiteral("a")));
    EXPECT_EQ(column(1), (Strings{"ANNABEL", "Anna"}));
    EXPECT_EQ(model()->shownRowsText(), QStringLiteral("2 of 5 rows"));
    EXPECT_EQ(grid.verticalHeader()->count(), 2);
    // The current cell's row is filtered out; the selected row stays selected where it moved.
    EXPECT_FALSE(grid.currentIndex().isValid());
    EXPECT_TRUE(grid.selectionModel()->isSelected(model()->index(1, 1)));

    // Sorting again sorts the kept rows; the filter stays.
    model()->sortRows(0, Qt::AscendingOrder);
    EXPECT_EQ(column(0), (Strings{"1", "10"}));
    model()->sortRows(-1);
    EXPECT_EQ(column(0), (Strings{"1", "10"}));

    // Cleared: every row, still in the order asked for.
    model()->sortRows(0, Qt::DescendingOrder);
    model()->setRowFilter(TRowFilter());
    EXPECT_EQ(column(0), (Strings{"11", "10", "3", "2", "1"}));
    EXPECT_EQ(model()->shownRowsText(), QString());
    EXPECT_EQ(grid.verticalHeader()->count(), 5);

    // A new result drops the filter.
    model()->setRowFilter(filterOf(-1, TRowFilter::Equals, QStringLiteral("nothing")));
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_EQ(model()->shownRowsText(), QStringLiteral("0 of 5 rows"));
    shown.show(grid, people());
    EXPECT_EQ(model()->rowCount(), 5);
    EXPECT_FALSE(model()->isFiltered());
}

TEST_F(FilterGrid, TheBarOpensWithCtrlFAndFiltersAsTyped)
{
    grid.setFocus();
    const int titleHeight = grid.horizontalHeader()->height();
    QTest::keyClick(&grid, Qt::Key_F, Qt::ControlModifier);
    TGridFilterBar *bar = grid.filterBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->textBox()->hasFocus());
    // The bar lies above the titles; the title row grows by its height.
    EXPECT_GT(grid.horizontalHeader()->height(), titleHeight);
    EXPECT_EQ(bar->columnBox()->count(), 5);
    EXPECT_EQ(bar->columnBox()->itemText(0), QStringLiteral("(any column)"));
    EXPECT_EQ(bar->columnBox()->itemText(4), QStringLiteral("amount"));

    bar->columnBox()->setCurrentIndex(1);                     // id
    bar->operatorBox()->setCurrentIndex(2);                   // greater than
    QTest::keyClicks(bar->textBox(), QStringLiteral("2"));
    EXPECT_EQ(model()->rowCount(), 5); // typing waits for a pause...
    QTest::qWait(TGridFilterBar::kTypingPauseMs + 200);
    EXPECT_EQ(column(0), (Strings{"3", "10", "11"}));
    EXPECT_EQ(bar->countLabel()->text(), QStringLiteral("3 of 5 rows"));
    QTest::keyClicks(bar->textBox(), QStringLiteral("0"));
    QTest::keyClick(bar->textBox(), Qt::Key_Return); // ...Enter does not
    EXPECT_EQ(column(0), (Strings{}));

    // A click on a title below the bar still sorts.
    QTest::keyClick(bar->textBox(), Qt::Key_Backspace);
    QTest::keyClick(bar->textBox(), Qt::Key_Return);
    QHeaderView *titles = grid.horizontalHeader();
    const QPoint idTitle(titles->sectionViewportPosition(0) + 5, titles->height() - 5);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, idTitle);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, idTitle);
    EXPECT_EQ(column(0), (Strings{"11", "10", "3"}));

    // Escape clears the filter, hides the bar and gives the grid its focus back.
    QTest::keyClick(bar->textBox(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(model()->rowCount(), 5);
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.horizontalHeader()->height(), titleHeight);
}

} // namespace

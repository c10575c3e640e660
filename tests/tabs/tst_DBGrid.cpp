// The result grid over a row set: read in place, only the painted cells.
#include <gtest/gtest.h>

#include "o_DBGrid.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>

#include <atomic>

namespace {

// A row set of `rows` x 3 fields whose values are made up on demand; counts
// every read of a value.
class CountingRowSet : public ado::RowSet {
public:
    explicit CountingRowSet(long long rows) : m_rows(rows) {}
    int fieldCount() const override { return 3; }
    std::string fieldName(int field) const override
    {
        static const char *names[] = {"id", "name", "note"};
        return names[field];
    }
    ado::FieldKind fieldKind(int field) const override
    {
        return field == 0 ? ado::FieldKind::Number : ado::FieldKind::Text;
    }
    long long rowCount() const override { return m_rows; }
    bool isNull(long long row, int field) const override { return field == 2 && row % 2 == 1; }
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        ++reads;
        if (isNull(row, field))
            return {};
        scratch = field == 0 ? std::to_string(row) : (field == 1 ? "name " + std::to_string(row) : std::string(400, 'w'));
        return scratch;
    }
    mutable std::atomic<long long> reads{0};

private:
    long long m_rows;
};

struct GridFixture : ::testing::Test {
    void open(long long rows)
    {
        auto rowSet = std::make_unique<CountingRowSet>(rows);
        counter = rowSet.get();
        dataSet = std::make_unique<ado::TADODataSet>();
        dataSet->OpenResult(std::move(rowSet));
        source.SetDataSet(dataSet.get());
    }
    ado::TDataSource source;
    std::unique_ptr<ado::TADODataSet> dataSet;
    CountingRowSet *counter = nullptr;
};

} // namespace

TEST_F(GridFixture, MillionRowsOpenAndPaintReadingOnlyTheVisibleCells)
{
    open(1000000);
    TDBGrid grid;
    grid.resize(600, 400);
    grid.SetDataSource(&source);
    grid.show();
    grid.grab(); // paints the first screen
    QApplication::processEvents();

    TRowSetModel *model = grid.rowSetModel();
    ASSERT_EQ(model->rowCount(), 1000000);
    ASSERT_EQ(model->columnCount(), 3);
    const int visibleRows = grid.viewport()->height() / grid.verticalHeader()->defaultSectionSize() + 2;
    // column fitting reads the first rows once; painting reads what is on screen
    const long long budget = 3LL * (TDBGrid::kFitRows + 4 * visibleRows);
    EXPECT_GT(counter->reads.load(), 0);
    EXPECT_LE(counter->reads.load(), budget);

    // scrolling to the end reads the last screen, not the rows between
    const long long before = counter->reads.load();
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    grid.grab();
    QApplication::processEvents();
    EXPECT_LE(counter->reads.load() - before, 3LL * 4 * visibleRows);
    EXPECT_TRUE(grid.rowAt(grid.viewport()->height() - 2) >= 1000000 - visibleRows);
}

TEST_F(GridFixture, ColumnsCarryFieldNamesAndValuesShowAsTheRowSetHasThem)
{
    open(3);
    TDBGrid grid;
    grid.SetDataSource(&source);
    const TRowSetModel *model = grid.rowSetModel();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("id"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("note"));
    EXPECT_EQ(model->data(model->index(2, 1)).toString(), QStringLiteral("name 2"));
    EXPECT_EQ(model->data(model->index(1, 2)).toString(), QString()); // null: empty
    const auto align = [&](int column) {
        return Qt::Alignment(model->data(model->index(0, column), Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(align(0), Qt::AlignRight);
    EXPECT_EQ(align(1), Qt::AlignLeft);
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_LE(grid.columnWidth(2), TDBGrid::kMaxColumnWidth);
    EXPECT_GT(grid.columnWidth(1), grid.fontMetrics().horizontalAdvance(QStringLiteral("name")));
    EXPECT_EQ(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_FALSE(grid.isSortingEnabled());
}

TEST_F(GridFixture, EmptiesWhenTheDataSetClosesOrGoesAway)
{
    open(5);
    TDBGrid grid;
    grid.SetDataSource(&source);
    ASSERT_EQ(grid.rowSetModel()->rowCount(), 5);
    dataSet->Close();
    EXPECT_EQ(grid.rowSetModel()->rowCount(), 0);
    EXPECT_EQ(grid.rowSetModel()->columnCount(), 0);

    open(4);
    ASSERT_EQ(grid.rowSetModel()->rowCount(), 4);
    dataSet.reset();
    EXPECT_EQ(grid.rowSetModel()->rowCount(), 0);
    grid.grab(); // paints without touching the destroyed row set
}

TEST_F(GridFixture, ReattachingRebuildsFromTheSourcesCurrentResult)
{
    open(2);
    TDBGrid grid;
    grid.SetDataSource(&source);
    EXPECT_EQ(grid.DataSource(), &source);
    grid.SetDataSource(nullptr);
    EXPECT_EQ(grid.rowSetModel()->columnCount(), 0);
    grid.SetDataSource(&source);
    EXPECT_EQ(grid.rowSetModel()->rowCount(), 2);
    EXPECT_EQ(grid.rowSetModel()->columnCount(), 3);
}

// The result grid over a row set: read in place, only the painted cells.
#include <gtest/gtest.h>

#include "o_DBGrid.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

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
    EXPECT_EQ(model->data(model->index(1, 2)).toString(), QStringLiteral("NULL")); // null: a dimmed NULL
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

namespace {

// Values chosen per test: null where `nulls` says so.
class TextRowSet : public ado::RowSet {
public:
    TextRowSet(std::vector<std::string> names, std::function<std::string(long long, int)> value, long long rows,
               std::function<bool(long long, int)> nulls = {})
        : m_names(std::move(names)), m_value(std::move(value)), m_rows(rows), m_nulls(std::move(nulls))
    {
    }
    int fieldCount() const override { return int(m_names.size()); }
    std::string fieldName(int field) const override { return m_names[size_t(field)]; }
    ado::FieldKind fieldKind(int) const override { return ado::FieldKind::Number; }
    long long rowCount() const override { return m_rows; }
    bool isNull(long long row, int field) const override { return m_nulls && m_nulls(row, field); }
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        if (isNull(row, field))
            return {};
        scratch = m_value(row, field);
        return scratch;
    }

private:
    std::vector<std::string> m_names;
    std::function<std::string(long long, int)> m_value;
    long long m_rows;
    std::function<bool(long long, int)> m_nulls;
};

struct ShownGrid : ::testing::Test {
    void open(std::unique_ptr<ado::RowSet> rows)
    {
        dataSet = std::make_unique<ado::TADODataSet>();
        dataSet->OpenResult(std::move(rows));
        source.SetDataSet(dataSet.get());
        grid.resize(500, 300);
        grid.SetDataSource(&source);
        grid.show();
        paint();
    }
    void paint()
    {
        grid.grab();
        QApplication::processEvents();
        grid.grab();
    }
    ado::TDataSource source;
    std::unique_ptr<ado::TADODataSet> dataSet;
    TDBGrid grid;
};

} // namespace

TEST_F(ShownGrid, NullIsShownApartFromAnyText)
{
    // Row 0 null, row 1 empty text, row 2 the text "NULL", row 3 a value.
    const char *values[] = {"", "", "NULL", "7"};
    open(std::make_unique<TextRowSet>(std::vector<std::string>{"v"}, [&](long long r, int) { return values[r]; }, 4,
                                      [](long long r, int) { return r == 0; }));
    const TRowSetModel *model = grid.rowSetModel();
    const struct {
        int row;
        QString shown;
        bool dimmed;
    } cases[] = {{0, "NULL", true}, {1, "", false}, {2, "NULL", false}, {3, "7", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        const QModelIndex index = model->index(c.row, 0);
        EXPECT_EQ(model->data(index).toString(), c.shown);
        const QVariant colour = model->data(index, Qt::ForegroundRole);
        EXPECT_EQ(colour.isValid(), c.dimmed);
        if (c.dimmed)
            EXPECT_NE(colour.value<QColor>(), grid.palette().color(QPalette::Text));
        EXPECT_EQ(model->isNull(c.row, 0), c.row == 0);
    }
}

TEST_F(ShownGrid, ColumnsGrowToTheWidestValuePaintedSoFar)
{
    // Short numbers on the first screens, long ones further down.
    open(std::make_unique<TextRowSet>(std::vector<std::string>{"n", "kept"},
                                      [](long long r, int) { return r < 200 ? std::string("9") : std::to_string(r) + "123456789"; },
                                      400));
    const int wide = grid.cellWidth(QStringLiteral("399123456789"));
    ASSERT_LT(grid.columnWidth(0), wide) << "the first rows need less";
    grid.setColumnWidth(1, 30); // set from outside: kept

    grid.scrollTo(grid.rowSetModel()->index(399, 0));
    paint();
    EXPECT_GE(grid.columnWidth(0), wide) << "no painted number is cut";
    EXPECT_EQ(grid.columnWidth(1), 30);

    // Back at the top the column keeps the width it grew to.
    grid.scrollToTop();
    paint();
    EXPECT_GE(grid.columnWidth(0), wide);

    // A window's own limit holds against painted values.
    const int limit = wide - 20;
    grid.SetMaxGrowWidth(limit);
    open(std::make_unique<TextRowSet>(std::vector<std::string>{"n"},
                                      [](long long r, int) { return r < 200 ? std::string("9") : std::to_string(r) + "123456789"; },
                                      400));
    grid.scrollTo(grid.rowSetModel()->index(399, 0));
    paint();
    EXPECT_EQ(grid.columnWidth(0), limit);
}

TEST_F(ShownGrid, DoubleClickOnAHeaderEdgeFitsTheColumn)
{
    open(std::make_unique<TextRowSet>(std::vector<std::string>{"a", "b"},
                                      [](long long r, int f) { return f == 0 ? std::to_string(r * 1000003) : "x"; }, 20));
    QHeaderView *header = grid.horizontalHeader();
    const int needed = grid.cellWidth(QStringLiteral("19000057"));
    for (const int start : {30, 400}) {
        SCOPED_TRACE(start);
        grid.setColumnWidth(0, start);
        paint();
        ASSERT_EQ(grid.columnWidth(0), start);
        const int edge = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(edge, header->height() / 2));
        paint();
        EXPECT_GE(grid.columnWidth(0), needed - 4);
        EXPECT_LT(grid.columnWidth(0), needed + 40);
    }
}

// Copying from the result grid: the selection as tab-separated text on the clipboard.
#include <gtest/gtest.h>

#include "o_DBGrid.h"
#include "o_RowSetModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>
#include <QVBoxLayout>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Cells = std::vector<std::optional<std::string>>;

struct CopyGrid : ::testing::Test {
    void SetUp() override
    {
        auto rows = std::make_unique<ado::MemoryRowSet>();
        rows->addField("id", ado::FieldKind::Number);
        rows->addField("name");
        rows->addField("note");
        rows->addRow(Cells{"1", "plain", std::nullopt});
        rows->addRow(Cells{"2", "tab\there", ""});
        rows->addRow(Cells{"3", "two\nlines", "x"});
        rows->addRow(Cells{"4", longValue, "NULL"});
        dataSet = std::make_unique<ado::TADODataSet>();
        dataSet->OpenResult(std::move(rows));
        source.SetDataSet(dataSet.get());
        grid.SetDataSource(&source);
        grid.resize(500, 300);
        grid.show();
        QApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void select(int top, int left, int bottom, int right)
    {
        const TRowSetModel *m = grid.rowSetModel();
        grid.selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                      QItemSelectionModel::Select);
    }
    QString copied(Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(&grid, Qt::Key_C, modifiers);
        return QApplication::clipboard()->text();
    }

    // Longer than the grid shows (it cuts at 4 KiB); a copy takes it whole.
    const std::string longValue = std::string(5000, 'w') + "!";
    ado::TDataSource source;
    std::unique_ptr<ado::TADODataSet> dataSet;
    TDBGrid grid;
};

} // namespace

TEST_F(CopyGrid, CopiesTheSelectedCellsAsTabSeparatedText)
{
    const QString longText = QString::fromStdString(longValue);
    const struct {
        const char *name;
        std::vector<std::array<int, 4>> ranges; // top, left, bottom, right
        QString expected;
    } cases[] = {
        {"one cell", {{0, 1, 0, 1}}, "plain"},
        // A null is an empty cell, the text "NULL" stays text, an empty text is empty.
        {"null, empty and the text NULL", {{0, 2, 3, 2}}, "\n\nx\nNULL"},
        // A value holding a tab or a line break is quoted, so it pastes as one cell.
        {"block", {{1, 0, 2, 1}}, "2\t\"tab\there\"\n3\t\"two\nlines\""},
        {"long value whole", {{3, 1, 3, 1}}, longText},
        // Cells between two separate ranges that are not selected stay empty.
        {"two ranges", {{0, 0, 0, 0}, {2, 2, 2, 2}}, "1\t\n\tx"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        grid.clearSelection();
        for (const auto &r : c.ranges)
            select(r[0], r[1], r[2], r[3]);
        EXPECT_EQ(copied(), c.expected);
    }
}

TEST_F(CopyGrid, ShiftAddsTheTitlesAndCtrlASelectsAll)
{
    select(0, 1, 1, 2);
    EXPECT_EQ(copied(Qt::ControlModifier | Qt::ShiftModifier), QStringLiteral("name\tnote\nplain\t\n\"tab\there\"\t"));

    grid.clearSelection();
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(copied(Qt::ControlModifier | Qt::ShiftModifier),
              QStringLiteral("id\tname\tnote\n1\tplain\t\n2\t\"tab\there\"\t\n3\t\"two\nlines\"\tx\n4\t") +
                  QString::fromStdString(longValue) + QStringLiteral("\tNULL"));
}

TEST_F(CopyGrid, NothingSelectedLeavesTheClipboardAlone)
{
    grid.clearSelection();
    EXPECT_EQ(copied(), QStringLiteral("before"));
}

TEST(CopyGridInAWindow, TheGridsCopyKeysWinOverTheWindowsShortcuts)
{
    auto rows = std::make_unique<ado::MemoryRowSet>();
    rows->addField("v");
    rows->addRow(Cells{"grid value"});
    ado::TADODataSet dataSet;
    dataSet.OpenResult(std::move(rows));
    ado::TDataSource source;
    source.SetDataSet(&dataSet);

    QWidget window;
    auto *grid = new TDBGrid(&window);
    (new QVBoxLayout(&window))->addWidget(grid);
    grid->SetDataSource(&source);
    int fired = 0;
    auto *copy = new QAction(&window);
    copy->setShortcuts({QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
    QObject::connect(copy, &QAction::triggered, [&] { ++fired; });
    window.addAction(copy);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    grid->selectAll();
    QApplication::clipboard()->clear();

    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("grid value"));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("v\ngrid value"));
    EXPECT_EQ(fired, 0);
}

TEST(SortedGrid, TitleClicksSortAscendingDescendingThenBackAndCopyFollows)
{
    auto rows = std::make_unique<ado::MemoryRowSet>();
    rows->addField("n", ado::FieldKind::Number);
    rows->addField("t");
    rows->addRow(Cells{"10", "x"});
    rows->addRow(Cells{"2", "y"});
    rows->addRow(Cells{std::nullopt, "z"});
    rows->addRow(Cells{"2", "w"});
    ado::TADODataSet dataSet;
    dataSet.OpenResult(std::move(rows));
    ado::TDataSource source;
    source.SetDataSet(&dataSet);
    TDBGrid grid;
    grid.SetDataSource(&source);
    grid.resize(400, 300);
    grid.show();
    grid.setColumnWidth(1, 123); // a width the user set stays through sorting
    const TRowSetModel *model = grid.rowSetModel();
    grid.selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select); // the row of 10

    QHeaderView *header = grid.horizontalHeader();
    const auto clickTitle = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    };
    const auto shown = [&] {
        QString all;
        for (int r = 0; r < model->rowCount(); ++r)
            all += model->data(model->index(r, 0)).toString() + "/" + model->data(model->index(r, 1)).toString() + " ";
        return all;
    };
    const struct {
        QString rows;
        QString copied; // the selected cell, followed to where its row went
        bool indicator;
    } steps[] = {
        {"NULL/z 2/y 2/w 10/x ", "10", true},
        {"10/x 2/y 2/w NULL/z ", "10", true},
        {"10/x 2/y NULL/z 2/w ", "10", false},
    };
    for (const auto &step : steps) {
        clickTitle(0);
        EXPECT_EQ(shown(), step.rows);
        EXPECT_EQ(header->isSortIndicatorShown(), step.indicator);
        EXPECT_EQ(grid.columnWidth(1), 123);
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), step.copied);
    }
    // A title click sorts and selects nothing; a copy of all takes the rows in the order shown.
    grid.clearSelection();
    clickTitle(1);
    EXPECT_FALSE(grid.selectionModel()->hasSelection());
    grid.selectAll();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2\tw\n10\tx\n2\ty\n\tz"));
}

// The status line while a grid is filtered: the outcome of the run stays as
// it was, the count of rows shown stands beside it for the tab in front.
#include "main_fixture.h"

#include "o_GridFilterBar.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

using namespace mainfixture;

namespace {

class GridFilterStatus : public MainWindowTest {
protected:
    QString rowsPanel() const { return w->StatusBar->findChild<QLabel *>("RowsPanel")->text(); }

    // A tab on the test server that has run `sql` with F5; null (after a
    // failure) when the connection or the tab did not come.
    TqdSQLTab *tabThatRan(const char *sql)
    {
        root = connectPg();
        TqdSQLTab *tab = root ? openTabOn(root) : nullptr;
        if (!tab) {
            ADD_FAILURE() << "no connected tab";
            return nullptr;
        }
        tab->SynMemo->Lines().SetText(sql);
        QTest::keyClick(w.get(), Qt::Key_F5);
        return tab;
    }

    QTreeWidgetItem *root = nullptr;
};

} // namespace

TEST_F(GridFilterStatus, ShowsNOfMRowsBesideTheRunsOutcome)
{
    REQUIRE_PG();
    TqdSQLTab *tab = tabThatRan("select g from generate_series(1, 20) g");
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(w->StatusText(), QStringLiteral("Info  : 20 Records fetched"));
    EXPECT_EQ(rowsPanel(), QString());

    TDBGrid *grid = tab->ResultGrid;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
    TGridFilterBar *bar = grid->filterBar();
    ASSERT_TRUE(bar->isVisible());
    bar->operatorBox()->setCurrentIndex(2); // greater than
    QTest::keyClicks(bar->textBox(), QStringLiteral("15"));
    QTest::keyClick(bar->textBox(), Qt::Key_Return);
    EXPECT_EQ(rowsPanel(), QStringLiteral("5 of 20 rows"));
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 20 Records fetched"));

    // Another tab in front has no filter; back again, the count returns.
    TqdSQLTab *other = openTabOn(root);
    ASSERT_NE(other, nullptr);
    w->SQLPageControl->SetActivePage(other);
    EXPECT_EQ(rowsPanel(), QString());
    w->SQLPageControl->SetActivePage(tab);
    EXPECT_EQ(rowsPanel(), QStringLiteral("5 of 20 rows"));

    // Running again keeps the filter open on the new rows.
    tab->SynMemo->Lines().SetText("select g from generate_series(1, 30) g");
    w->SQLPageControl->SetActivePage(tab);
    QTest::keyClick(w.get(), Qt::Key_F5);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 30 Records fetched"));
    EXPECT_EQ(rowsPanel(), QStringLiteral("15 of 30 rows"));

    QTest::keyClick(bar->textBox(), Qt::Key_Escape);
    EXPECT_EQ(rowsPanel(), QString());
}

// The window's Copy (Ctrl+C) belongs to the editor; with the grid focused the
// same keys copy the grid's cells, and the editor's selection stays off the clipboard.
TEST_F(GridFilterStatus, CopyKeysOnAFocusedGridCopyItsCells)
{
    REQUIRE_PG();
    TqdSQLTab *tab = tabThatRan("select g, 'v' || g as v from generate_series(1, 3) g");
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(w->StatusText(), QStringLiteral("Info  : 3 Records fetched"));
    tab->SynMemo->selectAll();

    TDBGrid *grid = tab->ResultGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 1));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("v2"));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("v\nv2"));

    // In the editor, the window's Copy still copies the editor's text.
    tab->SynMemo->setFocus();
    QTest::keyClick(tab->SynMemo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromStdString(tab->SynMemo->Lines().Text()));
}

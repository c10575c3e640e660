// A query tab while its rows arrive, under a real mouse and keyboard: the
// result grid takes clicks and keys, its menu opens with a right click and
// Export writes every row, while the editor takes no key.
#include <gtest/gtest.h>

#include <QFile>
#include <QMenu>
#include <QTimer>

#include <string>

#include "engine_settings.h"
#include "file_answer.h"
#include "o_DBGrid.h"
#include "o_RowSetModel.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"
#include "x11_support.h"

using namespace x11test;

namespace {

QMenu *openGridMenu()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("GridMenu") && w->isVisible())
            return qobject_cast<QMenu *>(w);
    return nullptr;
}

TEST(ArrivingRows, TheGridTakesRealInputAndExportsEveryRow)
{
    REQUIRE_PG();
    TqdSQLPageControl pages;
    pages.resize(900, 700);
    TqdSQLTab *tab = pages.AddSQLTab();
    testenv::pgSettings(*tab->ServerConnection);
    tab->ServerConnection->ReConnect();
    showActive(&pages);

    const QString path = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/arriving-x11.csv");
    QFile::remove(path);
    testenv::answerFileWith(path, 1); // CSV

    const std::string statement = "select g, pg_sleep(0.002) from generate_series(1, 3000) g";
    tab->SynMemo->Lines().SetText(statement);
    TDBGrid *grid = tab->ResultGrid;
    const TRowSetModel *model = grid->rowSetModel();
    int shownAtExport = -1, rowAfterKeys = -1;
    bool menuOpened = false;
    QTimer user;
    user.setSingleShot(true);
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!waitUntil([&] { return model->rowCount() >= 5; }, 2000) || !model->rowsArriving())
            return;
        shownAtExport = model->rowCount();
        clickAt(grid->viewport(), grid->visualRect(model->index(0, 0)).center());
        pressKeys({QStringLiteral("Down"), QStringLiteral("Down")});
        waitUntil([&] { return grid->currentIndex().row() == 2; }, 2000);
        rowAfterKeys = grid->currentIndex().row();
        clickAt(tab->SynMemo, QPoint(40, 10));
        typeText(QStringLiteral("typed"));
        // A right click on a cell: the grid's menu, then Export... in it.
        const QPoint cell = grid->viewport()->mapToGlobal(grid->visualRect(model->index(1, 0)).center());
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(cell.x()), QString::number(cell.y()),
                                        QStringLiteral("click"), QStringLiteral("3")});
        menuOpened = waitUntil([] { return openGridMenu() != nullptr; }, 3000);
        if (QMenu *menu = openGridMenu())
            for (QAction *a : menu->actions())
                if (a->text() == QStringLiteral("Export..."))
                    clickAt(menu, menu->actionGeometry(a).center());
    });
    user.start(100);
    ASSERT_TRUE(tab->ExecuteSQL()) << tab->ErrorMessage;
    waitUntil([&] { return QFile::exists(path); }, 3000);
    prompts::setFileAnswerer({});

    EXPECT_EQ(tab->InfoMessage, "3000 Records fetched");
    ASSERT_GT(shownAtExport, 0) << "the rows came before the user could act";
    EXPECT_LT(shownAtExport, 3000);
    EXPECT_EQ(rowAfterKeys, 2);
    EXPECT_TRUE(menuOpened);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), statement);
    QByteArray expected = "g,pg_sleep\r\n";
    for (int g = 1; g <= 3000; ++g)
        expected += QByteArray::number(g) + ",\"\"\r\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no file was exported";
    EXPECT_EQ(file.readAll(), expected);
    // The current cell, reached while the rows arrived, stays after the run.
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

} // namespace

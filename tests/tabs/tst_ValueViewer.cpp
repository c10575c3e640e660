// The value viewer: a cell's whole value laid out by its form (JSON, XML,
// a hex dump, a picture), opened from the grid and following its current cell.
#include <gtest/gtest.h>

#include "o_DBGrid.h"
#include "o_RowSetModel.h"
#include "o_SQLTab.h"
#include "o_ValueFormat.h"
#include "o_ValueViewer.h"
#include "engine_settings.h"
#include "grid_rows.h"
#include "testenv.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ValueFormat, LaysOutEachFormAndDecodesEachEnginesBinaryText)
{
    const struct {
        const char *name;
        ado::FieldKind kind;
        std::string value;
        TShownValue::Shape shape;
        QString text;
    } cases[] = {
        {"json", ado::FieldKind::Text, R"( {"a":[1,2],"b":{"c":null}} )", TShownValue::Json,
         "{\n    \"a\": [\n        1,\n        2\n    ],\n    \"b\": {\n        \"c\": null\n    }\n}"},
        {"broken json stays text", ado::FieldKind::Text, "{\"a\":", TShownValue::Text, "{\"a\":"},
        {"xml", ado::FieldKind::Text, "<a><b x=\"1\">t &amp; u</b><c/></a>", TShownValue::Xml,
         "<a>\n  <b x=\"1\">t &amp; u</b>\n  <c/>\n</a>"},
        {"broken xml stays text", ado::FieldKind::Text, "<a><b></a>", TShownValue::Text, "<a><b></a>"},
        {"a number is no json", ado::FieldKind::Number, "[1]", TShownValue::Text, "[1]"},
        // The same three bytes in each engine's text form.
        {"bytea hex", ado::FieldKind::Binary, "\\x48690a", TShownValue::Hex, "00000000  48 69 0A" + QString(42, ' ') + "|Hi.|"},
        {"0x form", ado::FieldKind::Binary, "0x48690A", TShownValue::Hex, "00000000  48 69 0A" + QString(42, ' ') + "|Hi.|"},
        {"plain hex", ado::FieldKind::Binary, "48690A", TShownValue::Hex, "00000000  48 69 0A" + QString(42, ' ') + "|Hi.|"},
        {"bytea escapes", ado::FieldKind::Binary, "Hi\\012", TShownValue::Hex, "00000000  48 69 0A" + QString(42, ' ') + "|Hi.|"},
        {"two lines", ado::FieldKind::Binary, "0x303132333435363738394142434445464700FF", TShownValue::Hex,
         "00000000  30 31 32 33 34 35 36 37  38 39 41 42 43 44 45 46  |0123456789ABCDEF|\n"
         "00000010  47 00 FF" + QString(42, ' ') + "|G..|"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TShownValue shown = shapeValue(c.value, c.kind);
        EXPECT_EQ(shown.shape, c.shape);
        EXPECT_EQ(shown.text, c.text);
    }
    EXPECT_EQ(binaryBytes("\\x48690a"), QByteArray("Hi\n"));
    EXPECT_EQ(hexDump(QByteArray(40, 'x'), 16), QStringLiteral("00000000  78 78 78 78 78 78 78 78  78 78 78 78 78 78 78 78  "
                                                               "|xxxxxxxxxxxxxxxx|\n... 24 more bytes"));
}

using Cells = std::vector<std::optional<std::string>>;

struct ViewerGrid : ::testing::Test {
    void SetUp() override
    {
        auto rows = std::make_unique<ado::MemoryRowSet>();
        rows->addField("id", ado::FieldKind::Number);
        rows->addField("doc");
        rows->addRow(Cells{"1", longText});
        rows->addRow(Cells{"2", std::string("{\"k\":1}")});
        rows->addRow(Cells{"3", std::nullopt});
        shown.show(grid, std::move(rows));
        grid.resize(500, 300);
        grid.show();
        QApplication::setActiveWindow(&grid);
        grid.setFocus();
    }
    QString shownText() { return grid.valueViewer()->findChild<QPlainTextEdit *>("ValueText")->toPlainText(); }

    // Longer than the grid shows (it cuts at 4 KiB); the viewer shows it whole.
    const std::string longText = std::string(6000, 'w') + "!";
    GridRows shown;
    TDBGrid grid;
};

TEST_F(ViewerGrid, OpensOnTheCurrentCellAndFollowsIt)
{
    TRowSetModel *model = grid.rowSetModel();
    const QRect cell = grid.visualRect(model->index(0, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    TValueViewer *viewer = grid.valueViewer();
    ASSERT_TRUE(viewer->isVisible());
    EXPECT_EQ(shownText(), QString::fromStdString(longText));
    EXPECT_EQ(viewer->caption(), QStringLiteral("doc, row 1: text, 6001 characters"));

    // Moving in the grid moves the viewer; sorted rows show their own values.
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(shownText(), QStringLiteral("{\n    \"k\": 1\n}"));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(viewer->caption(), QStringLiteral("doc, row 3: NULL"));
    EXPECT_EQ(shownText(), QString());
    model->sortRows(0, Qt::DescendingOrder); // the current cell follows its row: now the first
    grid.setCurrentIndex(model->index(2, 1));
    EXPECT_EQ(shownText(), QString::fromStdString(longText));

    // Copy takes the whole value.
    viewer->findChild<QPushButton *>("ValueCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromStdString(longText));

    // Closed, it no longer follows; Shift+Enter opens it again on the current cell.
    viewer->hide();
    grid.setCurrentIndex(model->index(1, 1));
    QTest::keyClick(&grid, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(shownText(), QStringLiteral("{\n    \"k\": 1\n}"));
}

// A picture stored in each engine comes back as its bytes and is shown.
TEST(ValueViewerEngines, ShowsAPictureStoredAsBinary)
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setPixel(3, 2, qRgb(0, 0, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const std::string hex = png.toHex().toStdString();

    const std::string sqliteFile = testenv::tempDir() + "/picture.sqlite";
    testenv::writeBytes(QString::fromStdString(sqliteFile), QByteArray()); // an empty file is an empty database
    const struct {
        const char *name;
        bool available;
        std::function<void(TqdServerConnection &)> settings;
        std::string select;
    } engines[] = {
        {"PostgreSQL bytea", testenv::pgAvailable(), testenv::pgSettings, "select pic from viewer_pictures"},
        {"MariaDB blob", testenv::myAvailable(), testenv::mySettings, "select unhex('" + hex + "') as pic"},
        {"Firebird octets", true, testenv::fbSettings, "select x'" + hex + "' as pic from rdb$database"},
        {"SQLite blob", true,
         [&](TqdServerConnection &c) {
             c.DBEngine = seSQLite;
             c.ServerName = sqliteFile;
         },
         "select X'" + hex + "' as pic"},
    };
    if (testenv::pgAvailable())
        testenv::pgExec("drop table if exists viewer_pictures; create table viewer_pictures (pic bytea);"
                        "insert into viewer_pictures values (decode('" + hex + "', 'hex'));");
    for (const auto &e : engines) {
        SCOPED_TRACE(e.name);
        if (!e.available) {
            ADD_FAILURE() << "test server not running: run the suite through the README's test command";
            continue;
        }
        TqdSQLPageControl pages;
        TqdSQLTab *tab = pages.AddSQLTab();
        e.settings(*tab->ServerConnection);
        tab->ServerConnection->ReConnect();
        tab->SynMemo->Lines().SetText(e.select);
        ASSERT_TRUE(tab->ExecuteSQL()) << tab->ErrorMessage;
        TDBGrid *grid = tab->ResultGrid;
        grid->setCurrentIndex(grid->rowSetModel()->index(0, 0));
        grid->openValueViewer();
        const TShownValue &shown = grid->valueViewer()->shownValue();
        EXPECT_EQ(shown.shape, TShownValue::Image);
        EXPECT_EQ(shown.bytes, png);
        EXPECT_EQ(shown.image.convertToFormat(QImage::Format_RGB32), image);
        EXPECT_EQ(grid->valueViewer()->caption().toLower(), QStringLiteral("pic, row 1: picture 7 x 5, %1 bytes").arg(png.size()));
        const auto *picture = grid->valueViewer()->findChild<QLabel *>("ValuePicture");
        EXPECT_TRUE(picture->isVisible());
        grid->valueViewer()->hide();
    }
}

} // namespace

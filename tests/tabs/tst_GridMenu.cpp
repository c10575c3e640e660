// The grid's context menu: copy as other formats, export of the whole result
// through the save dialog, and the progress dialog of a long copy or export.
#include <gtest/gtest.h>

#include "export/o_ExportDialog.h"
#include "grid_rows.h"
#include "o_DBGrid.h"
#include "o_GridMenu.h"
#include "o_Prompts.h"
#include "o_RowSetModel.h"
#include "testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Cells = std::vector<std::optional<std::string>>;

// Reads slowly, so that a copy or export outlasts the quiet time.
class SlowRows : public ado::MemoryRowSet {
public:
    using MemoryRowSet::MemoryRowSet;
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(40));
        return MemoryRowSet::text(row, field, scratch);
    }
};

struct GridMenu : ::testing::Test {
    void show(std::unique_ptr<ado::RowSet> rows, const std::string &statement)
    {
        shown.show(grid, std::move(rows), statement);
        grid.resize(500, 300);
        grid.show();
        QApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void SetUp() override
    {
        auto rows = std::make_unique<ado::MemoryRowSet>();
        rows->addField("id", ado::FieldKind::Number);
        rows->addField("name");
        rows->addField("ok", ado::FieldKind::Boolean);
        rows->addRow(Cells{"1", "plain", "t"});
        rows->addRow(Cells{"2", "say \"hi\", ok", std::nullopt});
        rows->addRow(Cells{"10", std::nullopt, "f"});
        show(std::move(rows), "select * from items where id < 100");
    }
    void TearDown() override
    {
        prompts::setFileAnswerer({});
        prompts::setTextAnswerer({});
        prompts::setMessageAnswerer({});
    }
    void select(int top, int left, int bottom, int right)
    {
        const TRowSetModel *m = grid.rowSetModel();
        grid.selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                      QItemSelectionModel::Select);
    }
    std::unique_ptr<QMenu> menu() { return std::unique_ptr<QMenu>(grid.findChild<TGridMenu *>()->createMenu(&grid)); }
    static QAction *item(QMenu *menu, const QString &text)
    {
        for (QAction *a : menu->actions()) {
            if (a->text() == text)
                return a;
            if (a->menu())
                if (QAction *inner = item(a->menu(), text))
                    return inner;
        }
        return nullptr;
    }
    static QStringList texts(const QMenu *menu)
    {
        QStringList out;
        for (const QAction *a : menu->actions())
            out << a->text();
        return out;
    }
    // Answers the save dialog with `name` under the filter `index`.
    void answerSave(const QString &name, int index)
    {
        prompts::setFileAnswerer([this, name, index](const prompts::FileRequest &r) {
            requests.push_back(r);
            prompts::FileAnswer a;
            a.accepted = true;
            a.fileName = name;
            a.filterIndex = index;
            return a;
        });
        prompts::setMessageAnswerer([this](const prompts::MessageRequest &r) {
            messages << r.text;
            return QMessageBox::Ok;
        });
    }

    GridRows shown;
    TDBGrid grid;
    std::vector<prompts::FileRequest> requests;
    QStringList messages;
};

TEST_F(GridMenu, HoldsItsCommandsEnabledByWhatThereIs)
{
    auto m = menu();
    EXPECT_EQ(texts(m.get()), QStringList({"Copy", "Copy with titles", "Copy as", "", "Export..."}));
    EXPECT_EQ(texts(item(m.get(), QStringLiteral("Copy as"))->menu()),
              QStringList({"CSV", "JSON", "SQL INSERT", "Markdown"}));
    EXPECT_FALSE(item(m.get(), QStringLiteral("Copy"))->isEnabled()); // nothing selected
    EXPECT_FALSE(item(m.get(), QStringLiteral("Copy as"))->isEnabled());
    EXPECT_TRUE(item(m.get(), QStringLiteral("Export..."))->isEnabled());

    select(0, 0, 0, 0);
    EXPECT_TRUE(item(menu().get(), QStringLiteral("Copy as"))->isEnabled());

    shown.source.SetDataSet(nullptr);
    EXPECT_FALSE(item(menu().get(), QStringLiteral("Export..."))->isEnabled());
}

TEST_F(GridMenu, CopyAsWritesTheSelectedCellsInTheOrderShown)
{
    grid.rowSetModel()->sortRows(0, Qt::DescendingOrder); // 10, 2, 1
    select(0, 0, 1, 1);
    struct Case {
        const char *item;
        const char *expected;
    };
    const Case cases[] = {
        {"CSV", "id,name\r\n10,\r\n2,\"say \"\"hi\"\", ok\""},
        {"JSON", "[\n{\"id\":10,\"name\":null},\n{\"id\":2,\"name\":\"say \\\"hi\\\", ok\"}\n]\n"},
        {"SQL INSERT", "INSERT INTO items (id, name) VALUES (10, NULL);\n"
                       "INSERT INTO items (id, name) VALUES (2, 'say \"hi\", ok');\n"},
        {"Markdown", "| id | name |\n| ---: | --- |\n| 10 |  |\n| 2 | say \"hi\", ok |\n"},
        {"Copy with titles", "id\tname\n10\t\n2\t\"say \"\"hi\"\", ok\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        auto m = menu();
        item(m.get(), QString::fromLatin1(c.item))->trigger();
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.expected);
    }
}

TEST_F(GridMenu, SqlInsertAsksForTheTableWhenTheStatementReadsSeveral)
{
    auto rows = std::make_unique<ado::MemoryRowSet>();
    rows->addField("a", ado::FieldKind::Number);
    rows->addRow(Cells{"7"});
    show(std::move(rows), "select * from a join b on a.id = b.a");
    select(0, 0, 0, 0);
    std::optional<QString> answer = QStringLiteral(" archive ");
    int asked = 0;
    prompts::setTextAnswerer([&](const prompts::TextRequest &) {
        ++asked;
        prompts::TextAnswer a;
        a.accepted = answer.has_value();
        a.value = answer.value_or(QString());
        return a;
    });
    EXPECT_TRUE(TGridMenu::copyAs(grid, TExportFormat::SqlInsert));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("INSERT INTO archive (a) VALUES (7);\n"));

    answer.reset(); // the user cancels: nothing copied
    QApplication::clipboard()->setText(QStringLiteral("before"));
    EXPECT_FALSE(TGridMenu::copyAs(grid, TExportFormat::SqlInsert));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(asked, 2);
}

TEST_F(GridMenu, ExportWritesTheChosenFormatWithItsExtension)
{
    const QString dir = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/gridmenu");
    QDir().mkpath(dir);
    struct Case {
        int filter;
        const char *name;     // as typed
        const char *written;  // the file that appears
        QByteArray expected;  // its start
    };
    const Case cases[] = {
        {1, "plain", "plain.csv", "id,name,ok\r\n1,plain,t\r\n"},
        {2, "marked", "marked.csv", "\xEF\xBB\xBFid,name,ok\r\n"},
        {4, "tabs.txt", "tabs.txt", "\xEF\xBB\xBFid\tname\tok\n"},
        {5, "doc", "doc.json", "[\n{\"id\":1,\"name\":\"plain\",\"ok\":true},\n{\"id\":2,"},
        {6, "lines", "lines.jsonl", "{\"id\":1,\"name\":\"plain\",\"ok\":true}\n"},
        {7, "rows", "rows.sql", "INSERT INTO items (id, name, ok) VALUES (1, 'plain', 't');\n"},
        {8, "table", "table.md", "| id | name | ok |\n| ---: | --- | --- |\n"},
        {9, "book", "book.xlsx", "PK"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.written);
        answerSave(dir + QLatin1Char('/') + QString::fromLatin1(c.name), c.filter);
        EXPECT_TRUE(TGridMenu::exportAll(grid));
        EXPECT_TRUE(testenv::readBytes(dir + QLatin1Char('/') + QString::fromLatin1(c.written)).startsWith(c.expected))
            << testenv::readBytes(dir + QLatin1Char('/') + QString::fromLatin1(c.written)).left(80).toStdString();
    }
    EXPECT_TRUE(messages.isEmpty());
    // The dialog offers every format, asks before replacing a file, and
    // starts with the format chosen last.
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().filter, exportFilter());
    EXPECT_TRUE(requests.back().confirmOverwrite);
    EXPECT_EQ(requests.back().filterIndex, 8);
    EXPECT_EQ(requests.back().defaultExt, QStringLiteral("md"));
}

TEST_F(GridMenu, AFailedExportIsReported)
{
    answerSave(QStringLiteral("/proc/no-such-folder/out.csv"), 1);
    EXPECT_FALSE(TGridMenu::exportAll(grid));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QStringLiteral("Cannot create /proc/no-such-folder/out.csv")))
        << messages.front().toStdString();
}

// Presses Cancel on the progress dialog once it is up; false when none came.
struct CancelWhenShown {
    CancelWhenShown()
    {
        QObject::connect(&poll, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            poll.stop();
            for (QPushButton *button : dialog->findChildren<QPushButton *>())
                if (button->text() == QStringLiteral("Cancel"))
                    button->click();
        });
        poll.start(20);
    }
    QTimer poll;
    bool seen = false;
};

TEST_F(GridMenu, ALongCopyOrExportShowsProgressAndStopsOnCancel)
{
    auto rows = std::make_unique<SlowRows>();
    rows->addField("id", ado::FieldKind::Number);
    rows->addField("text");
    for (int i = 0; i < 60000; ++i)
        rows->addRow(Cells{std::to_string(i), "some text"});
    show(std::move(rows), "select * from slow");
    grid.selectAll();
    {
        CancelWhenShown cancel;
        EXPECT_FALSE(TGridMenu::copyAs(grid, TExportFormat::Csv));
        EXPECT_TRUE(cancel.seen);
    }
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));

    const QString dir = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/cancelled");
    QDir().mkpath(dir);
    answerSave(dir + QStringLiteral("/slow.csv"), 1);
    {
        CancelWhenShown cancel;
        EXPECT_FALSE(TGridMenu::exportAll(grid));
        EXPECT_TRUE(cancel.seen);
    }
    EXPECT_TRUE(messages.isEmpty()); // a cancel is no failure
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace

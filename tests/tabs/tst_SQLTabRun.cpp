// Running a tab's text on the test servers: what the engine returns decides
// between rows and a count, each statement runs once, errors pass after the
// clean-up, and a long statement can be cancelled while the window lives.
#include <gtest/gtest.h>

#include "engine_settings.h"
#include "file_answer.h"
#include "o_BusyIndicator.h"
#include "o_DBGrid.h"
#include "o_Prompts.h"
#include "o_RowSetModel.h"
#include "o_SQLTab.h"
#include "testenv.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>

namespace {

struct PgTab : ::testing::Test {
    void SetUp() override
    {
        if (!testenv::pgAvailable())
            return;
        testenv::pgExec("drop table if exists tabrun_items, tabrun_copy, tabrun_ddl;"
                        "drop sequence if exists tabrun_seq;"
                        "create table tabrun_items (id int, name text, selected int default 0);"
                        "insert into tabrun_items (id, name) select g, 'item ' || g from generate_series(1, 5) g;"
                        "create sequence tabrun_seq;");
        tab = pages.AddSQLTab();
        testenv::pgSettings(*tab->ServerConnection);
        tab->ServerConnection->ReConnect();
    }
    void TearDown() override
    {
        pages.setParent(nullptr);
        prompts::setFileAnswerer({});
        prompts::setMessageAnswerer({});
    }

    // The tab set in a window of its own, as the program shows it, for tests
    // that watch the window paint or click in it; TearDown takes it back.
    QWidget &placeInWindow(int width, int height, int pagesHeight)
    {
        window = std::make_unique<QWidget>();
        pages.setParent(window.get());
        window->resize(width, height);
        pages.resize(width, pagesHeight);
        return *window;
    }

    bool run(const std::string &sql)
    {
        tab->SynMemo->Lines().SetText(sql);
        return tab->ExecuteSQL();
    }
    const TRowSetModel *grid() const { return tab->ResultGrid->rowSetModel(); }
    QString cell(int row, int column) const { return grid()->data(grid()->index(row, column)).toString(); }
    QString title(int column) const { return grid()->headerData(column, Qt::Horizontal).toString(); }
    // A single value read through a run of the tab itself.
    QString scalar(const std::string &sql)
    {
        EXPECT_TRUE(run(sql)) << sql;
        return cell(0, 0);
    }

    TqdSQLPageControl pages;
    TqdSQLTab *tab = nullptr;
    std::unique_ptr<QWidget> window; // destroyed before pages, which TearDown has taken back
};

} // namespace

TEST_F(PgTab, EngineAnswerDecidesBetweenRowsAndCounts)
{
    REQUIRE_PG();
    const struct {
        const char *sql;
        const char *info;
        int rows;          // -1: no result in the grid
        const char *first; // title of the first column
        const char *check; // a statement whose single value shows the statement ran once
        const char *checked;
    } cases[] = {
        {"SELECT id, name FROM tabrun_items ORDER BY id", "5 Records fetched", 5, "id", nullptr, nullptr},
        {"select * from tabrun_items where false", "0 Records fetched", 0, "id", nullptr, nullptr},
        {"values (1, 'a'), (2, 'b')", "2 Records fetched", 2, "column1", nullptr, nullptr},
        {"show server_version", "1 Records fetched", 1, "server_version", nullptr, nullptr},
        {"explain values (1)", "1 Records fetched", 1, "QUERY PLAN", nullptr, nullptr},
        {"select nextval('tabrun_seq')", "1 Records fetched", 1, "nextval", "select currval('tabrun_seq')", "1"},
        {"delete from tabrun_items where id <= 3", "3 Records Affected", -1, nullptr,
         "select count(*) from tabrun_items", "2"},
        {"update tabrun_items set selected = 1 where id = 5", "1 Records Affected", -1, nullptr,
         "select sum(selected) from tabrun_items", "1"},
        {"insert into tabrun_items select * from tabrun_items", "2 Records Affected", -1, nullptr,
         "select count(*) from tabrun_items", "4"},
        {"create table tabrun_copy as select * from tabrun_items", "4 Records Affected", -1, nullptr,
         "select count(*) from tabrun_copy", "4"},
        {"update tabrun_items set selected = 2 where false", "Commands executed successfully...", -1, nullptr, nullptr,
         nullptr},
        // Nothing but notes: the server runs nothing and counts nothing.
        {"-- a note only", "Commands executed successfully...", -1, nullptr, nullptr, nullptr},
        {"/* a block note */\n  -- and a line note\n", "Commands executed successfully...", -1, nullptr, nullptr,
         nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        ASSERT_TRUE(run(c.sql)) << tab->ErrorMessage;
        EXPECT_EQ(tab->InfoMessage, c.info);
        EXPECT_EQ(tab->ResultGrid->DataSource(), tab->ResultSource);
        EXPECT_TRUE(tab->ResultGrid->ReadOnly());
        if (c.rows < 0) {
            EXPECT_EQ(tab->ResultSource->DataSet(), nullptr);
            EXPECT_EQ(grid()->columnCount(), 0);
        } else {
            EXPECT_EQ(grid()->rowCount(), c.rows);
            EXPECT_EQ(title(0), QString::fromUtf8(c.first));
        }
        if (c.check)
            EXPECT_EQ(scalar(c.check), QString::fromLatin1(c.checked));
    }
    // one result of the tab alive at a time
    EXPECT_LE(tab->ServerConnection->QueryList().size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PgTab, ServerErrorPassesAfterTheCleanUp)
{
    REQUIRE_PG();
    ASSERT_TRUE(run("select id from tabrun_items"));
    ASSERT_EQ(grid()->rowCount(), 5);
    tab->ErrorMessage = "earlier";
    EXPECT_THROW(run("select * from tabrun_no_such_table"), ado::EProviderError);
    EXPECT_EQ(tab->InfoMessage, "5 Records fetched");
    EXPECT_EQ(tab->ErrorMessage, "earlier");
    EXPECT_EQ(tab->ResultSource->DataSet(), nullptr);
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_EQ(tab->ResultGrid->DataSource(), tab->ResultSource);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(TqdSQLTab::isRunning());
    EXPECT_TRUE(tab->ServerConnection->QueryList().empty());
    // and the connection goes on
    EXPECT_EQ(scalar("select 7"), QStringLiteral("7"));
}

TEST_F(PgTab, OnlyTheSelectionRuns)
{
    REQUIRE_PG();
    tab->SynMemo->Lines().SetText("select 1 as a;\r\nselect 2 as b");
    const long start = long(std::string("select 1 as a;\r\n").size());
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_SETSEL, (unsigned long)start, start + 13L);
    ASSERT_TRUE(tab->ExecuteSQL());
    EXPECT_EQ(title(0), QStringLiteral("b"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("2"));
}

TEST_F(PgTab, CancelStopsALongStatementWhileTheWindowStaysAlive)
{
    REQUIRE_PG();
    QWidget &window = placeInWindow(800, 700, 640);
    auto *other = new QPushButton(QStringLiteral("other"), &window);
    other->move(0, 650);
    int otherClicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++otherClicks; });
    window.show();

    TqdSQLTab *second = pages.AddSQLTab();
    second->SynMemo->Lines().SetText("select 1");

    const std::string text = "select pg_sleep(30)";
    tab->SynMemo->Lines().SetText(text);
    bool indicatorShown = false, runningSeen = false, secondRefused = false;
    int ticks = 0;
    QTimer painter; // the window's own event loop keeps running
    QObject::connect(&painter, &QTimer::timeout, [&] { ++ticks; });
    painter.start(50);
    QTimer::singleShot(600, [&] {
        indicatorShown = tab->BusyIndicator()->isVisible();
        runningSeen = TqdSQLTab::isRunning();
        secondRefused = !second->ExecuteSQL();
        QTest::mouseClick(other, Qt::LeftButton);
        QTest::keyClicks(tab->SynMemo, "typed");
        QTest::mouseClick(tab->BusyIndicator()->btnCancel(), Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(tab->ExecuteSQL(), ado::EProviderError);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(indicatorShown);
    EXPECT_TRUE(runningSeen);
    EXPECT_TRUE(secondRefused);
    EXPECT_FALSE(second->ErrorMessage.empty());
    EXPECT_GT(ticks, 5);
    EXPECT_EQ(otherClicks, 0);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), text);
    EXPECT_FALSE(TqdSQLTab::isRunning());
    EXPECT_FALSE(tab->BusyIndicator()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // input reaches the window again, and the connection is usable
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(scalar("select 'after cancel'"), QStringLiteral("after cancel"));

    // Escape cancels too, also pressed in the result grid (which takes keys during a run)
    for (QWidget *target : {static_cast<QWidget *>(tab->SynMemo), static_cast<QWidget *>(tab->ResultGrid)}) {
        tab->SynMemo->Lines().SetText(text);
        QTimer::singleShot(300, [target] { QTest::keyClick(target, Qt::Key_Escape); });
        clock.restart();
        EXPECT_THROW(tab->ExecuteSQL(), ado::EProviderError) << target->metaObject()->className();
        EXPECT_LT(clock.elapsed(), 10000);
    }
}

TEST_F(PgTab, RowsShowWhileTheyArriveAndACancelKeepsThem)
{
    REQUIRE_PG();
    placeInWindow(800, 600, 600).show();
    // The grid's row count, seen by the window's own timers while the run goes on.
    // The user moves to a row while the rest arrive; the end of the run
    // keeps that place (the arriving rows are the result: no reset).
    std::vector<int> counts;
    bool placed = false;
    int resetsAfterPlacing = 0;
    QObject::connect(grid(), &QAbstractItemModel::modelReset, [&] { resetsAfterPlacing += placed; });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        counts.push_back(grid()->rowCount());
        if (grid()->rowCount() > 60 && !placed) {
            tab->ResultGrid->setCurrentIndex(grid()->index(50, 0));
            placed = true;
        }
    });
    watcher.start(30);

    // Slow rows: a few dozen per packet from the server, for about two seconds.
    ASSERT_TRUE(run("select g, repeat('x', 100) as pad, pg_sleep(0.001) from generate_series(1, 2000) g"))
        << tab->ErrorMessage;
    EXPECT_EQ(tab->InfoMessage, "2000 Records fetched");
    EXPECT_EQ(grid()->rowCount(), 2000);
    EXPECT_EQ(cell(1999, 0), QStringLiteral("2000"));
    EXPECT_FALSE(grid()->rowsArriving());
    std::vector<int> between;
    std::copy_if(counts.begin(), counts.end(), std::back_inserter(between), [](int n) { return n > 0 && n < 2000; });
    EXPECT_GE(std::set<int>(between.begin(), between.end()).size(), 2u)
        << "the grid did not show rows before the last one came";
    ASSERT_TRUE(placed);
    EXPECT_EQ(resetsAfterPlacing, 0);
    EXPECT_EQ(tab->ResultGrid->currentIndex().row(), 50);
    // Whole now: a sort is taken.
    tab->ResultGrid->rowSetModel()->sortRows(0, Qt::DescendingOrder);
    EXPECT_EQ(cell(0, 0), QStringLiteral("2000"));

    // A cancel while rows arrive keeps those on screen, and the status says so.
    counts.clear();
    int shownAtCancel = -1;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (grid()->rowCount() >= 100 && shownAtCancel < 0) {
            shownAtCancel = grid()->rowCount();
            QTest::mouseClick(tab->BusyIndicator()->btnCancel(), Qt::LeftButton);
        }
    });
    canceller.start(20);
    ASSERT_TRUE(run("select g, pg_sleep(0.001) from generate_series(1, 60000) g")) << tab->ErrorMessage;
    canceller.stop();
    ASSERT_GE(shownAtCancel, 100);
    const int kept = grid()->rowCount();
    EXPECT_GE(kept, shownAtCancel);
    EXPECT_LT(kept, 60000);
    EXPECT_EQ(tab->InfoMessage, std::to_string(kept) + " Records fetched before the fetch was cancelled");
    EXPECT_EQ(cell(kept - 1, 0), QString::number(kept));
    EXPECT_EQ(scalar("select 'after cancel'"), QStringLiteral("after cancel"));
}

TEST_F(PgTab, TheGridTakesInputAndExportsEveryRowWhileRowsArrive)
{
    REQUIRE_PG();
    placeInWindow(800, 600, 600).show();
    const QString path = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/arriving-export.csv");
    QFile::remove(path);
    testenv::answerFileWith(path, 1); // CSV
    std::vector<std::string> messages;
    prompts::setMessageAnswerer([&messages](const prompts::MessageRequest &r) {
        messages.push_back(r.text.toStdString());
        return QMessageBox::Ok;
    });
    // As soon as the first rows show, the user moves in the grid and picks
    // Export from its menu, while the editor still takes no key.
    int shownAtExport = -1, rowAfterKey = -1;
    TDBGrid *rows = tab->ResultGrid;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (shownAtExport >= 0 || grid()->rowCount() < 3 || !grid()->rowsArriving())
            return;
        shownAtExport = grid()->rowCount();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualRect(grid()->index(0, 0)).center());
        QTest::keyClick(rows, Qt::Key_Down);
        rowAfterKey = rows->currentIndex().row();
        QTest::keyClicks(tab->SynMemo, "typed");
        const QPoint at = rows->visualRect(grid()->index(1, 0)).center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, rows->viewport()->mapToGlobal(at));
        QApplication::sendEvent(rows->viewport(), &menuEvent);
        QMenu *menu = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("GridMenu") && w->isVisible())
                menu = qobject_cast<QMenu *>(w);
        ASSERT_NE(menu, nullptr) << "the grid's menu did not open while rows arrive";
        for (QAction *a : menu->actions())
            if (a->text() == QStringLiteral("Export..."))
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    });
    user.start(20);
    ASSERT_TRUE(run("select g, pg_sleep(0.001) from generate_series(1, 1500) g")) << tab->ErrorMessage;
    user.stop();
    ASSERT_GT(shownAtExport, 0);
    ASSERT_LT(shownAtExport, 1500);
    EXPECT_EQ(rowAfterKey, 1);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "select g, pg_sleep(0.001) from generate_series(1, 1500) g");
    EXPECT_TRUE(messages.empty()) << messages.front();
    QByteArray expected = "g,pg_sleep\r\n";
    for (int g = 1; g <= 1500; ++g)
        expected += QByteArray::number(g) + ",\"\"\r\n";
    EXPECT_EQ(testenv::readBytes(path), expected);
}

TEST(MyTab, QueryAndCountOnMariaDB)
{
    REQUIRE_MY();
    testenv::myExec("drop table if exists tabrun_my, tabrun_my_ddl; create table tabrun_my (id int, selected int);"
                    "insert into tabrun_my values (1, 0), (2, 0), (3, 0);",
                    testenv::myDatabase());
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    TqdServerConnection *c = tab->ServerConnection;
    c->DBEngine = seMySQL;
    c->ServerName = testenv::mySocket();
    c->Port = testenv::myPort();
    c->UserName = testenv::myUser();
    c->Password = testenv::myPassword();
    c->DataBaseName = testenv::myDatabase();
    c->ReConnect();
    EXPECT_EQ(tab->SyntaxHighLight->SQLDialect(), sqlMySQL);
    const struct {
        const char *sql;
        const char *info;
    } cases[] = {
        {"update tabrun_my set selected = 1 where id < 3", "2 Records Affected"},
        {"create table tabrun_my_ddl (x int)", "Commands executed successfully..."},
        {"drop table tabrun_my_ddl", "Commands executed successfully..."},
        {"show tables like 'tabrun_my'", "1 Records fetched"},
        {"select id from tabrun_my where selected = 1", "2 Records fetched"},
    };
    for (const auto &k : cases) {
        tab->SynMemo->Lines().SetText(k.sql);
        ASSERT_TRUE(tab->ExecuteSQL()) << k.sql << ": " << tab->ErrorMessage;
        EXPECT_EQ(tab->InfoMessage, k.info) << k.sql;
    }
}

TEST_F(PgTab, EngineNoticesAreCountedInTheStatusLine)
{
    REQUIRE_PG();
    const struct {
        const char *sql;
        const char *info;
    } cases[] = {
        {"commit", "Commands executed successfully... (1 notice)"},
        {"select 1", "1 Records fetched"},
        {"do $$ begin raise notice 'a'; raise notice 'b'; end $$", "Commands executed successfully... (2 notices)"},
        {"do $$ begin raise warning 'w'; end $$; select id from tabrun_items", "5 Records fetched (1 notice)"},
        {"delete from tabrun_items where id = 1", "1 Records Affected"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(run(c.sql)) << tab->ErrorMessage;
        EXPECT_EQ(tab->InfoMessage, c.info) << c.sql;
    }
}

// The run after a lost session connects again on the worker; the tab hears
// of it on the window thread.
TEST_F(PgTab, RunAfterALostSessionReconnectsAndTellsTheWindow)
{
    REQUIRE_PG();
    TqdServerConnection *c = tab->ServerConnection;
    std::vector<bool> onWindowThread;
    c->OnConnect = [&](TqdServerConnection *) { onWindowThread.push_back(QThread::currentThread() == qApp->thread()); };
    const QString pid = scalar("select pg_backend_pid()");
    testenv::pgExec("select pg_terminate_backend(" + pid.toStdString() + ")");
    EXPECT_THROW(run("select 1"), ado::EProviderError);
    EXPECT_FALSE(c->Connected());
    EXPECT_NE(scalar("select pg_backend_pid()"), pid);
    QCoreApplication::processEvents();
    EXPECT_EQ(onWindowThread, std::vector<bool>{true});
}

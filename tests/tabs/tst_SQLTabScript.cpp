// Scripts of several statements on the real engines: each statement in order
// on the tab's one session, a result tab per row set and a line per statement
// in the messages; the first error stops the script and names its line;
// Cancel stops it; Ctrl+Enter runs the statement under the cursor.
#include <gtest/gtest.h>

#include "engine_settings.h"
#include "o_BusyIndicator.h"
#include "o_DBGrid.h"
#include "o_ResultArea.h"
#include "o_RowSetModel.h"
#include "o_SQLTab.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct Engine {
    const char *name;
    std::function<bool()> available;
    std::function<void(TqdServerConnection &)> settings;
};

using testenv::fbSettings;
using testenv::mySettings;
using testenv::pgSettings;

class ScriptTab : public ::testing::Test {
protected:
    void open(const std::function<void(TqdServerConnection &)> &settings)
    {
        tab = pages.AddSQLTab();
        settings(*tab->ServerConnection);
        tab->ServerConnection->ReConnect();
    }
    bool run(const std::string &sql)
    {
        tab->SynMemo->Lines().SetText(sql);
        return tab->ExecuteSQL();
    }
    // One value through a run of one statement.
    QString scalar(const std::string &sql)
    {
        EXPECT_TRUE(run(sql)) << sql << ": " << tab->ErrorMessage;
        const TRowSetModel *m = tab->ResultGrid->rowSetModel();
        return m->data(m->index(0, 0)).toString();
    }
    QStringList messages() const
    {
        return tab->ResultArea->Messages()->toPlainText().split(QLatin1Char('\n'));
    }
    QStringList tabTitles() const
    {
        QStringList titles;
        for (int i = 0; i < tab->ResultArea->ResultTabs()->count(); ++i)
            titles << tab->ResultArea->ResultTabs()->tabText(i);
        return titles;
    }
    QString resultCell(int result, int row, int column) const
    {
        const TRowSetModel *m = tab->ResultArea->ResultGrid(result)->rowSetModel();
        return m->data(m->index(row, column)).toString();
    }
    long cursorPosition() const { return tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS); }
    void setCursor(std::size_t position)
    {
        tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)position);
    }

    TqdSQLPageControl pages;
    TqdSQLTab *tab = nullptr;
};

class ScriptOnEngine : public ScriptTab, public ::testing::WithParamInterface<Engine> {};
class TransactionOnEngine : public ScriptOnEngine {};

} // namespace

// Statement 3 (on line 4, after a comment line) fails: the two before it ran
// and stay run, the two after it never start.
TEST_P(ScriptOnEngine, ErrorInTheThirdStatementStopsTheScriptAndNamesItsLine)
{
    if (!GetParam().available())
        FAIL() << GetParam().name << " test server is not running: run the suite through the README's test command";
    open(GetParam().settings);
    try {
        (void)run("drop table scr_items");
    } catch (const ado::Exception &) {
    }
    ASSERT_TRUE(run("create table scr_items (id int)")) << tab->ErrorMessage;
    tab->InfoMessage = "before";

    const std::string script = "insert into scr_items values (1);\n"
                               "select id from scr_items;\n"
                               "-- the third statement fails\n"
                               "select nosuch\n  from scr_items;\n"
                               "insert into scr_items values (2);\n"
                               "select count(*) from scr_items";
    tab->SynMemo->Lines().SetText(script);
    EXPECT_FALSE(tab->ExecuteSQL());

    EXPECT_EQ(tab->ErrorMessage.rfind("Line 4: ", 0), 0u) << tab->ErrorMessage;
    EXPECT_GT(tab->ErrorMessage.size(), 8u);
    EXPECT_EQ(tab->ErrorMessage.find('\n'), std::string::npos) << tab->ErrorMessage; // one line for the status line
    EXPECT_EQ(tab->InfoMessage, "before"); // a failed script leaves the last outcome alone
    EXPECT_EQ(cursorPosition(), long(script.find("select nosuch")));
    EXPECT_EQ(tab->ResultSplitter->widget(1), tab->ResultArea->ResultTabs());
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (1 row)", "Messages"}));
    EXPECT_EQ(tab->ResultArea->ResultTabs()->currentWidget(), tab->ResultArea->Messages());
    EXPECT_EQ(resultCell(0, 0, 0), QStringLiteral("1"));

    const QStringList lines = messages();
    // the engine's message may take several lines of its own
    ASSERT_GE(lines.size(), 4) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("Line 1, insert into scr_items values (1): 1 row affected, ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("Line 2, select id from scr_items: 1 row fetched, ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" (Result 1)")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Line 4, select nosuch from scr_items: Error: ")) << lines[2].toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("Stopped at line 4; 2 statements not run"));

    // statements 1 and 2 ran on the server, 4 and 5 did not
    EXPECT_EQ(scalar("select count(*) from scr_items"), QStringLiteral("1"));
    EXPECT_EQ(tab->ResultSplitter->widget(1), tab->ResultGrid); // one statement: the one grid again
    EXPECT_TRUE(tab->ResultArea->ResultTabs()->isHidden());
    run("drop table scr_items");
}

INSTANTIATE_TEST_SUITE_P(
    Engines, ScriptOnEngine,
    ::testing::Values(Engine{"PostgreSQL", testenv::pgAvailable, pgSettings},
                      Engine{"MariaDB", testenv::myAvailable, mySettings},
                      Engine{"Firebird", [] { return true; }, fbSettings}),
    [](const ::testing::TestParamInfo<Engine> &info) { return std::string(info.param.name); });

TEST_F(ScriptTab, EveryRowSetInATabOfItsOwnWithTheEnginesNotices)
{
    REQUIRE_PG();
    open(pgSettings);
    const std::string script = "select g from generate_series(1, 8) g;\n"
                               "do $$ begin raise notice 'half; way'; end $$;\n"
                               "select 'a;b' as \"x;y\", E'\\';' as q /* ; */;\n"
                               "create temporary table scr_tmp as select 1 as one;\n"
                               "update scr_tmp set one = 2";
    ASSERT_TRUE(run(script + ";\ndo $$ begin raise warning 'last'; raise notice 'and more'; end $$"))
        << tab->ErrorMessage;
    EXPECT_EQ(tab->InfoMessage, "Commands executed successfully... (3 notices)"); // all of the script's
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (8 rows)", "Result 2 (1 row)", "Messages"}));
    EXPECT_EQ(tab->ResultArea->ResultTabs()->currentIndex(), 0);
    EXPECT_EQ(resultCell(0, 7, 0), QStringLiteral("8"));
    EXPECT_EQ(resultCell(1, 0, 0), QStringLiteral("a;b"));
    EXPECT_EQ(resultCell(1, 0, 1), QStringLiteral("';"));
    EXPECT_TRUE(tab->ResultArea->ResultGrid(0)->ReadOnly());
    const QStringList lines = messages();
    // each notice on a line of its own under its statement
    ASSERT_EQ(lines.size(), 10) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[1].startsWith("Line 2, do $$ begin raise notice 'half; way'; en...: done, "))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("    ") && lines[2].contains("half; way")) << lines[2].toStdString();
    EXPECT_TRUE(lines[4].startsWith("Line 4, create temporary table scr_tmp as select...: 1 row affected, "))
        << lines[4].toStdString();
    EXPECT_TRUE(lines[6].startsWith("Line 6, do $$ begin raise warning 'last'; raise n...: done, "))
        << lines[6].toStdString();
    EXPECT_TRUE(lines[7].contains("last") && lines[8].contains("and more"))
        << lines[7].toStdString() << " / " << lines[8].toStdString();
    EXPECT_TRUE(lines[9].startsWith("6 statements run, ")) << lines[9].toStdString();
    EXPECT_EQ(tab->ServerConnection->QueryList().size(), 2u);

    // The next run releases every result of this one.
    ASSERT_TRUE(run("select 1; select 2"));
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (1 row)", "Result 2 (1 row)", "Messages"}));
    EXPECT_EQ(tab->ServerConnection->QueryList().size(), 2u);
    EXPECT_EQ(scalar("select 3"), QStringLiteral("3"));
    EXPECT_EQ(tab->ServerConnection->QueryList().size(), 1u);
    EXPECT_EQ(tab->ResultArea->ResultCount(), 0);
}

TEST_F(ScriptTab, ResultTabsStopAtTheLimitAndTheRestAreCounted)
{
    REQUIRE_PG();
    open(pgSettings);
    const int count = TqdResultArea::kMaxResultTabs + 3;
    std::string script;
    for (int i = 1; i <= count; ++i)
        script += "select " + std::to_string(i) + ";\n";
    ASSERT_TRUE(run(script)) << tab->ErrorMessage;
    EXPECT_EQ(tab->ResultArea->ResultCount(), TqdResultArea::kMaxResultTabs);
    EXPECT_EQ(tab->ServerConnection->QueryList().size(), std::size_t(TqdResultArea::kMaxResultTabs));
    EXPECT_EQ(resultCell(TqdResultArea::kMaxResultTabs - 1, 0, 0), QString::number(TqdResultArea::kMaxResultTabs));
    const QStringList lines = messages();
    EXPECT_TRUE(lines[count - 1].endsWith("(not kept)")) << lines[count - 1].toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("3 more row sets not kept (at most 20 result tabs)")));
    EXPECT_EQ(tab->InfoMessage, "1 Records fetched");
}

// One session for the whole script: what a transaction did is seen, and undone, by the statements after it.
TEST_P(TransactionOnEngine, TransactionAcrossStatements)
{
    if (!GetParam().available())
        FAIL() << GetParam().name << " test server is not running";
    open(GetParam().settings);
    try {
        (void)run("drop table scr_tx");
    } catch (const ado::Exception &) {
    }
    ASSERT_TRUE(run("create table scr_tx (id int)"));
    ASSERT_TRUE(run("begin;\ninsert into scr_tx values (1);\nselect count(*) from scr_tx;\nrollback;\n"
                    "select count(*) from scr_tx"))
        << tab->ErrorMessage;
    EXPECT_EQ(resultCell(0, 0, 0), QStringLiteral("1"));
    EXPECT_EQ(resultCell(1, 0, 0), QStringLiteral("0"));
    ASSERT_TRUE(run("begin;\ninsert into scr_tx values (2);\ncommit"));
    EXPECT_EQ(scalar("select count(*) from scr_tx"), QStringLiteral("1"));
    run("drop table scr_tx");
}

// The program's Firebird connections commit each statement by themselves.
INSTANTIATE_TEST_SUITE_P(Engines, TransactionOnEngine,
                         ::testing::Values(Engine{"PostgreSQL", testenv::pgAvailable, pgSettings},
                                           Engine{"MariaDB", testenv::myAvailable, mySettings}),
                         [](const ::testing::TestParamInfo<Engine> &info) { return std::string(info.param.name); });

TEST_F(ScriptTab, CancelStopsTheScriptInTheRunningStatement)
{
    REQUIRE_PG();
    QWidget window;
    pages.setParent(&window);
    window.resize(800, 700);
    pages.resize(800, 640);
    window.show();
    open(pgSettings);
    tab->SynMemo->Lines().SetText("select 1;\nselect pg_sleep(30);\nselect 3");
    QTimer::singleShot(700, [&] { QTest::mouseClick(tab->BusyIndicator()->btnCancel(), Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(tab->ExecuteSQL());
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(tab->ErrorMessage.rfind("Line 2: ", 0), 0u) << tab->ErrorMessage;
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (1 row)", "Messages"}));
    EXPECT_EQ(messages().last(), QStringLiteral("Stopped at line 2; 1 statement not run"));
    EXPECT_FALSE(TqdSQLTab::isRunning());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(scalar("select 'after cancel'"), QStringLiteral("after cancel"));
    pages.setParent(nullptr);
}

// Ctrl+Enter's run: wherever the cursor stands in a statement (or in the
// blanks before it), that statement runs alone, the text and selection unchanged.
TEST_F(ScriptTab, StatementAtTheCursorRunsAlone)
{
    REQUIRE_PG();
    open(pgSettings);
    const std::string script = "select 'one' as a;\n\n"
                               "select 'two;' as b -- not; the end\n"
                               "  , 2 as c;\n"
                               "do $$ begin perform 1; end $$;\n"
                               "select 'four' as d";
    tab->SynMemo->Lines().SetText(script);
    ASSERT_EQ(tab->SynMemo->documentBytes(), script);
    const std::string text = tab->SynMemo->Lines().Text();
    const struct {
        std::size_t position;
        const char *statement; // its first words
        const char *info;
        const char *value;     // null: no rows
    } cases[] = {
        {0, "select 'one'", "1 Records fetched", "one"},
        {script.find(";\n"), "select 'one'", "1 Records fetched", "one"},
        {script.find(";\n") + 1, "select 'one'", "1 Records fetched", "one"}, // just past the ';' that ends it
        {script.find("\n\n") + 1, "select 'two;'", "1 Records fetched", "two;"},
        {script.find("the end"), "select 'two;'", "1 Records fetched", "two;"},
        {script.find("perform"), "do $$", "Commands executed successfully...", nullptr},
        {script.size(), "select 'four'", "1 Records fetched", "four"},
    };
    // The marked stretch of the editor, [first, end).
    auto marked = [this, &script] {
        std::pair<long, long> range{-1, -1};
        for (std::size_t k = 0; k < script.size(); ++k)
            if (tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, TqdSQLTab::kStatementMarkIndicator,
                                            long(k))) {
                if (range.first < 0)
                    range.first = long(k);
                range.second = long(k) + 1;
            }
        return range;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.position);
        setCursor(c.position);
        std::pair<long, long> markedDuringRun;
        QTimer::singleShot(0, [&] { markedDuringRun = marked(); });
        ASSERT_TRUE(tab->ExecuteStatementAtCursor()) << tab->ErrorMessage;
        QTest::qWait(10);
        EXPECT_EQ(markedDuringRun.first, long(script.find(c.statement)));
        EXPECT_GT(markedDuringRun.second, markedDuringRun.first);
        EXPECT_NE(script[std::size_t(markedDuringRun.second - 1)], ';');
        EXPECT_EQ(tab->InfoMessage, c.info);
        EXPECT_EQ(tab->ResultSplitter->widget(1), tab->ResultGrid);
        if (c.value) {
            const TRowSetModel *m = tab->ResultGrid->rowSetModel();
            EXPECT_EQ(m->data(m->index(0, 0)).toString(), QString::fromUtf8(c.value));
        } else {
            EXPECT_EQ(tab->ResultSource->DataSet(), nullptr);
        }
        EXPECT_EQ(tab->SynMemo->Lines().Text(), text);
        EXPECT_FALSE(tab->SynMemo->SelAvail());
        EXPECT_EQ(cursorPosition(), long(c.position));
    }
    // the mark goes away by itself
    QTest::qWait(TqdSQLTab::kStatementMarkMs + 200);
    EXPECT_EQ(marked().first, -1);

    tab->SynMemo->Lines().SetText("-- only a comment");
    EXPECT_FALSE(tab->ExecuteStatementAtCursor());
    EXPECT_EQ(tab->ErrorMessage, "No statement at the cursor");
}

TEST_F(ScriptTab, FirebirdRunsSetTermScriptsStatementByStatement)
{
    open(fbSettings);
    ASSERT_TRUE(run("SET TERM ^ ;\n"
                    "create procedure scr_p returns (x int) as\n"
                    "  declare variable v int;\n"
                    "begin\n"
                    "  v = 6;\n"
                    "  x = v + 1; suspend;\n"
                    "end^\n"
                    "SET TERM ; ^\n"
                    "select x from scr_p;\n"
                    "execute block returns (y varchar(10)) as begin y = 'b;lock'; suspend; end;\n"))
        << tab->ErrorMessage;
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (1 row)", "Result 2 (1 row)", "Messages"}));
    EXPECT_EQ(resultCell(0, 0, 0), QStringLiteral("7"));
    EXPECT_EQ(resultCell(1, 0, 0), QStringLiteral("b;lock"));

    // One statement inside SET TERM lines: a run of one statement, without the client commands.
    ASSERT_TRUE(run("set term !! ;\nexecute block returns (z int) as begin z = 3; suspend; end!!\nset term ; !!"))
        << tab->ErrorMessage;
    EXPECT_EQ(tab->ResultSplitter->widget(1), tab->ResultGrid);
    EXPECT_EQ(tab->InfoMessage, "1 Records fetched");
    const TRowSetModel *m = tab->ResultGrid->rowSetModel();
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QStringLiteral("3"));
}

TEST_F(ScriptTab, MariaDBRoutinesWithAndWithoutDelimiter)
{
    REQUIRE_MY();
    open(mySettings);
    ASSERT_TRUE(run("drop procedure if exists scr_proc;\n"
                    "DELIMITER //\n"
                    "create procedure scr_proc(in n int)\n"
                    "begin\n"
                    "  declare k int default 0;\n"
                    "  while k < n do set k = k + 1; end while;\n"
                    "  select k * 10 as v;\n"
                    "end//\n"
                    "DELIMITER ;\n"
                    "call scr_proc(4);\n"
                    "begin not atomic declare x int default 5; select x + 1 as w; end;\n"
                    "drop procedure scr_proc"))
        << tab->ErrorMessage;
    EXPECT_EQ(tabTitles(), (QStringList{"Result 1 (1 row)", "Result 2 (1 row)", "Messages"}));
    EXPECT_EQ(resultCell(0, 0, 0), QStringLiteral("40"));
    EXPECT_EQ(resultCell(1, 0, 0), QStringLiteral("6"));
}

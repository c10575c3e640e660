// Scripts from the main window: F5 on a script and Ctrl+Enter on the
// statement under the cursor, with what the status line then says.
#include "main_fixture.h"

#include <QPlainTextEdit>

#include "o_ResultArea.h"

using namespace mainfixture;

namespace {

class RunScriptTest : public MainWindowTest {
protected:
    TqdSQLTab *pgTab()
    {
        QTreeWidgetItem *root = connectPg();
        return root ? openTabOn(root) : nullptr;
    }
};

} // namespace

TEST_F(RunScriptTest, CtrlEnterRunsEachStatementWithoutTouchingTheText)
{
    REQUIRE_PG();
    TqdSQLTab *tab = pgTab();
    ASSERT_NE(tab, nullptr);
    const std::string script = "select 1 as a from generate_series(1, 3);\n"
                               "select 'two';\n"
                               "create temporary table scr_main (x int)";
    tab->SynMemo->Lines().SetText(script);
    const std::string text = tab->SynMemo->Lines().Text();
    const struct {
        const char *at;
        const char *status;
    } cases[] = {
        {"1 as a", "Info  : 3 Records fetched"},
        {"'two'", "Info  : 1 Records fetched"},
        {"temporary", "Info  : Commands executed successfully..."},
    };
    for (const auto &c : cases) {
        tab->SynMemo->setFocus();
        tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)script.find(c.at));
        QTest::keyClick(tab->SynMemo, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(w->StatusText().toStdString(), c.status) << c.at;
        EXPECT_EQ(tab->SynMemo->Lines().Text(), text) << c.at; // no line break typed
    }
    // the keypad's Enter too
    tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    QTest::keyClick(tab->SynMemo, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 3 Records fetched"));
    EXPECT_EQ(tab->SynMemo->Lines().Text(), text);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RunScriptTest, F5OnAFailingScriptNamesTheLineInTheStatusLine)
{
    REQUIRE_PG();
    TqdSQLTab *tab = pgTab();
    ASSERT_NE(tab, nullptr);
    tab->SynMemo->Lines().SetText("select 1;\nselect 2;\n\nselect * from scr_no_such_table;\nselect 4");
    QTest::keyClick(w.get(), Qt::Key_F5);
    EXPECT_TRUE(w->StatusText().startsWith(QStringLiteral("Error : Line 4: "))) << w->StatusText().toStdString();
    EXPECT_TRUE(w->StatusText().contains(QStringLiteral("scr_no_such_table"))) << w->StatusText().toStdString();
    EXPECT_TRUE(errorBoxes().empty());
    EXPECT_TRUE(tab->ResultArea->Messages()->isVisible());

    tab->SynMemo->Lines().SetText("select 1;\nselect 2 union select 3");
    QTest::keyClick(w.get(), Qt::Key_F5);
    EXPECT_EQ(w->StatusText(), QStringLiteral("Info  : 2 Records fetched"));
}

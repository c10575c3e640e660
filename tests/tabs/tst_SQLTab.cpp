// A query tab without a server: layout, colours, dialects, captions, scripts,
// the blank-editor box, and the tab set with its connection-info label.
#include <gtest/gtest.h>

#include "o_AppInfo.h"
#include "o_BusyIndicator.h"
#include "o_Prompts.h"
#include "o_SQLTab.h"
#include "files.h"
#include "testenv.h"

#include <QFile>
#include <QSplitter>
#include <QTest>

#include <vector>

namespace {

using testfiles::readBytes;

// One temporary folder for the whole program.
QString tempPath(const QString &name)
{
    static const QString dir = QString::fromStdString(testenv::tempDir());
    return dir + QLatin1Char('/') + name;
}

// Records the message boxes and answers the file dialogs with a queue of names.
struct Prompts {
    Prompts()
    {
        prompts::setMessageAnswerer([this](const prompts::MessageRequest &r) {
            messages.push_back(r);
            return QMessageBox::Ok;
        });
        prompts::setFileAnswerer([this](const prompts::FileRequest &r) {
            fileRequests.push_back(r);
            prompts::FileAnswer a;
            if (!answers.empty()) {
                a.accepted = !answers.front().isEmpty();
                a.fileName = answers.front();
                answers.erase(answers.begin());
            }
            return a;
        });
    }
    ~Prompts()
    {
        prompts::setMessageAnswerer(nullptr);
        prompts::setFileAnswerer(nullptr);
    }
    std::vector<prompts::MessageRequest> messages;
    std::vector<prompts::FileRequest> fileRequests;
    std::vector<QString> answers; // empty name: the user cancels
};

} // namespace

TEST(SQLTab, BuildsEditorOverGridWithTheHighlighterColours)
{
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    pages.resize(800, 700);
    pages.show();
    QApplication::processEvents();

    ASSERT_EQ(tab->ResultSplitter->count(), 2);
    EXPECT_EQ(tab->ResultSplitter->widget(0), tab->SynMemo);
    EXPECT_EQ(tab->ResultSplitter->widget(1), tab->ResultGrid);
    EXPECT_EQ(tab->ResultSplitter->orientation(), Qt::Vertical);
    EXPECT_EQ(tab->ResultGrid->height(), TqdSQLTab::kGridHeight);
    EXPECT_EQ(tab->SynMemo->lexer(), tab->SyntaxHighLight);
    EXPECT_EQ(tab->ResultGrid->DataSource(), nullptr); // attached by the first run
    EXPECT_FALSE(tab->Saved);
    EXPECT_TRUE(tab->ErrorMessage.empty());
    EXPECT_TRUE(tab->InfoMessage.empty());

    const struct {
        TqdSynAttri *attri;
        QColor colour;
    } colours[] = {
        {tab->SyntaxHighLight->DataTypeAttri, QColor(0, 0, 128)}, {tab->SyntaxHighLight->KeyAttri, QColor(0, 0, 255)},
        {tab->SyntaxHighLight->FunctionAttri, QColor(255, 0, 255)}, {tab->SyntaxHighLight->NumberAttri, QColor(0, 0, 128)},
        {tab->SyntaxHighLight->VariableAttri, QColor(255, 0, 255)},
    };
    for (const auto &c : colours)
        EXPECT_EQ(c.attri->Foreground(), c.colour) << c.attri->Name();

    // growing the window gives the room to the editor
    pages.resize(800, 900);
    QApplication::processEvents();
    EXPECT_EQ(tab->ResultGrid->height(), TqdSQLTab::kGridHeight);
}

TEST(SQLTab, DialectFollowsTheEngine)
{
    const struct {
        TqdServerEngine engine;
        TSQLDialect dialect;
    } cases[] = {
        {seSQLite, sqlSQLite},  {seFireBird, sqlInterbase6}, {seMSAccess, sqlStandard}, {seMSCE31, sqlMSSQL2K},
        {seMSCE35, sqlMSSQL2K}, {seMSSQL, sqlMSSQL2K},       {seMySQL, sqlMySQL},       {seOracle, sqlOracle},
        {sePostGre, sqlStandard}, // last: the dialect the two engines below leave unchanged
    };
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    EXPECT_EQ(tab->SyntaxHighLight->SQLDialect(), sqlStandard);
    for (const auto &c : cases) {
        tab->ServerConnection->DBEngine = c.engine;
        tab->ApplyDialect();
        EXPECT_EQ(tab->SyntaxHighLight->SQLDialect(), c.dialect) << engineName(c.engine);
    }
    for (TqdServerEngine unchanged : {seOracleMS, seNone}) {
        tab->ServerConnection->DBEngine = unchanged;
        tab->ApplyDialect();
        EXPECT_EQ(tab->SyntaxHighLight->SQLDialect(), sqlStandard) << engineName(unchanged);
    }
    // the connection's connect event is what sets it
    ASSERT_TRUE(tab->ServerConnection->OnConnect);
    tab->ServerConnection->DBEngine = seMySQL;
    tab->ServerConnection->OnConnect(tab->ServerConnection);
    EXPECT_EQ(tab->SyntaxHighLight->SQLDialect(), sqlMySQL);
}

TEST(SQLTab, BlankEditorShowsTheBoxAndChangesNothing)
{
    Prompts answers;
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    tab->ErrorMessage = "earlier error";
    tab->InfoMessage = "earlier info";
    tab->SynMemo->Lines().SetText(" \t\r\n  \r\n");
    EXPECT_FALSE(tab->ExecuteSQL());
    ASSERT_EQ(answers.messages.size(), 1u);
    const prompts::MessageRequest &box = answers.messages[0];
    EXPECT_EQ(box.text, QStringLiteral("No Database is selected!"));
    EXPECT_EQ(box.caption, appinfo::applicationTitle());
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(tab->ErrorMessage, "earlier error");
    EXPECT_EQ(tab->InfoMessage, "earlier info");
    EXPECT_EQ(tab->ResultGrid->DataSource(), nullptr);
}

TEST(SQLTab, ErrorOfTheDataLayerIsCaughtAndTheGridReattached)
{
    // no engine chosen: the layer itself refuses the empty connection string
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    tab->SynMemo->Lines().SetText("select 1");
    EXPECT_FALSE(tab->ExecuteSQL());
    EXPECT_FALSE(tab->ErrorMessage.empty());
    EXPECT_TRUE(tab->InfoMessage.empty());
    EXPECT_EQ(tab->ResultGrid->DataSource(), tab->ResultSource);
    EXPECT_TRUE(tab->ResultGrid->ReadOnly());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(TqdSQLTab::isRunning());
}

TEST(SQLTab, CaptionAndSavedFollowEditsLoadsAndSaves)
{
    Prompts answers;
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    tab->ServerConnection->ServerName = "dbhost";
    tab->SetCaption(QStringLiteral(" dbhost (sa) Query1*"));
    EXPECT_EQ(pages.tabText(0), QStringLiteral(" dbhost (sa) Query1*"));

    // lines through the line list change neither
    tab->SynMemo->Lines().Add("select 1");
    EXPECT_FALSE(tab->Saved);
    EXPECT_EQ(tab->Caption(), QStringLiteral(" dbhost (sa) Query1*"));

    const QString script = tempPath(QStringLiteral("caption.sql"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("select *\r\nfrom t\r\n");
    }
    TFileDialog open(prompts::FileMode::Open);
    answers.answers = {script};
    tab->OpenScript(&open);
    EXPECT_TRUE(tab->Saved);
    EXPECT_EQ(tab->Caption(), QStringLiteral("dbhost [caption.sql]"));
    EXPECT_EQ(tab->SynMemo->Lines().Count(), 3); // the last break gives an empty last line

    // the first keystroke marks it; more keystrokes add no second "*"
    QTest::keyClicks(tab->SynMemo, "x");
    EXPECT_FALSE(tab->Saved);
    EXPECT_EQ(tab->Caption(), QStringLiteral("dbhost [caption.sql]*"));
    QTest::keyClicks(tab->SynMemo, "y");
    EXPECT_EQ(tab->Caption(), QStringLiteral("dbhost [caption.sql]*"));

    // saving drops the "*" and writes the file
    TFileDialog save(prompts::FileMode::Save);
    save.DefaultExt = QStringLiteral(".sql");
    const QString saved = tempPath(QStringLiteral("caption-saved.sql"));
    answers.answers = {saved};
    tab->SaveScript(&save);
    EXPECT_TRUE(tab->Saved);
    EXPECT_EQ(tab->Caption(), QStringLiteral("dbhost [caption.sql]"));
    EXPECT_EQ(readBytes(saved), "xyselect *\r\nfrom t\r\n");

    // while saved, no dialog and nothing written
    const size_t asked = answers.fileRequests.size();
    tab->SaveScript(&save);
    EXPECT_EQ(answers.fileRequests.size(), asked);
    tab->SaveScript(nullptr);
    tab->OpenScript(nullptr);

    // a caption without the mark keeps all of its text
    TqdSQLTab *other = pages.AddSQLTab();
    other->SetCaption(QStringLiteral("dbhost Query2"));
    answers.answers = {tempPath(QStringLiteral("caption-other.sql"))};
    other->SaveScript(&save);
    EXPECT_TRUE(other->Saved);
    EXPECT_EQ(other->Caption(), QStringLiteral("dbhost Query2"));
}

TEST(SQLTab, OpenScriptLeavesTheTabAloneWhenCancelledOrMissing)
{
    Prompts answers;
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    tab->SynMemo->Lines().SetText("keep me");
    tab->SetCaption(QStringLiteral("Q1*"));
    TFileDialog open(prompts::FileMode::Open);
    answers.answers = {QString(), tempPath(QStringLiteral("does-not-exist.sql"))};
    tab->OpenScript(&open);
    tab->OpenScript(&open);
    EXPECT_EQ(answers.fileRequests.size(), 2u);
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "keep me");
    EXPECT_EQ(tab->Caption(), QStringLiteral("Q1*"));
    EXPECT_FALSE(tab->Saved);
}

TEST(SQLTab, SaveScriptAppendsTheDefaultExtensionOnlyToNamesWithoutOne)
{
    const struct {
        const char *typed;
        const char *defaultExt;
        const char *written;
    } cases[] = {
        {"plain", ".sql", "plain.sql"},
        {"plain2", "sql", "plain2.sql"},
        {"named.txt", ".sql", "named.txt"},
        {"dir.d/inner", ".sql", "dir.d/inner.sql"},
        {"noext", "", "noext"},
    };
    QDir().mkpath(tempPath(QStringLiteral("dir.d")));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Prompts answers;
        TqdSQLPageControl pages;
        TqdSQLTab *tab = pages.AddSQLTab();
        tab->SetCaption(QStringLiteral("Q1*"));
        tab->SynMemo->Lines().Add("select 1");
        TFileDialog save(prompts::FileMode::Save);
        save.DefaultExt = QString::fromLatin1(c.defaultExt);
        answers.answers = {tempPath(QString::fromLatin1(c.typed))};
        tab->SaveScript(&save);
        EXPECT_EQ(readBytes(tempPath(QString::fromLatin1(c.written))), "select 1");
        EXPECT_EQ(tab->Caption(), QStringLiteral("Q1"));
    }
}

TEST(SQLTab, FailedSaveKeepsSavedAndCaption)
{
    Prompts answers;
    TqdSQLPageControl pages;
    TqdSQLTab *tab = pages.AddSQLTab();
    tab->SetCaption(QStringLiteral("Q1*"));
    TFileDialog save(prompts::FileMode::Save);
    answers.answers = {tempPath(QStringLiteral("no-such-folder/x.sql"))};
    EXPECT_THROW(tab->SaveScript(&save), std::exception);
    EXPECT_FALSE(tab->Saved);
    EXPECT_EQ(tab->Caption(), QStringLiteral("Q1*"));
}

TEST(SQLPageControl, PagesAndTheConnectionInfoLabel)
{
    TqdSQLPageControl pages;
    EXPECT_EQ(pages.ActiveSQLTab(), nullptr);
    EXPECT_EQ(pages.ActivePageIndex(), -1);
    EXPECT_THROW(pages.SQLTab(0), std::out_of_range);

    auto *label = new QLabel(QStringLiteral("before"));
    pages.SetConnInfoLabel(label);
    const char *servers[] = {"C:\\data\\shop.mdb", "dbhost\\SQLEXPRESS", "plainhost"};
    for (const char *s : servers)
        pages.AddSQLTab()->ServerConnection->ServerName = s;
    EXPECT_EQ(pages.PageCount(), 3);
    EXPECT_EQ(pages.SQLTab(2)->ServerConnection->ServerName, "plainhost");
    EXPECT_THROW(pages.SQLTab(3), std::out_of_range);

    // code that changes the page leaves the label alone
    pages.SetActivePageIndex(1);
    EXPECT_EQ(pages.ActiveSQLTab(), pages.SQLTab(1));
    EXPECT_EQ(label->text(), QStringLiteral("before"));

    // the user's switch updates it
    pages.show();
    const struct {
        int index;
        const char *shown;
    } clicks[] = {{0, "shop.mdb"}, {1, "SQLEXPRESS"}, {2, "plainhost"}};
    for (const auto &c : clicks) {
        const QRect r = pages.tabBar()->tabRect(c.index);
        QTest::mouseClick(pages.tabBar(), Qt::LeftButton, {}, r.center());
        EXPECT_EQ(pages.ActivePageIndex(), c.index);
        EXPECT_EQ(label->text(), QString::fromLatin1(c.shown));
    }

    // a destroyed label is forgotten
    delete label;
    EXPECT_EQ(pages.ConnInfoLabel(), nullptr);
    QTest::mouseClick(pages.tabBar(), Qt::LeftButton, {}, pages.tabBar()->tabRect(0).center());
    EXPECT_EQ(pages.ActivePageIndex(), 0);

    // removing pages from code neither updates nor fails
    auto *other = new QLabel(QStringLiteral("kept"));
    pages.SetConnInfoLabel(other);
    pages.RemoveSQLTab(0);
    EXPECT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(other->text(), QStringLiteral("kept"));
    delete pages.SQLTab(0); // a page destroyed directly leaves the set as well
    EXPECT_EQ(pages.PageCount(), 1);
    EXPECT_EQ(other->text(), QStringLiteral("kept"));
    delete other;
}

TEST(SQLPageControl, FileNamePartOfServerNames)
{
    const struct {
        const char *server;
        const char *part;
    } cases[] = {{"C:\\data\\shop.mdb", "shop.mdb"}, {"dbhost\\SQLEXPRESS", "SQLEXPRESS"}, {"plainhost", "plainhost"},
                 {"localhost:3307", "3307"},         {"ends\\", ""},                   {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(TqdSQLPageControl::fileNamePart(c.server), QString::fromLatin1(c.part)) << c.server;
}

TEST(BusyIndicator, ShowsElapsedTime)
{
    EXPECT_EQ(TqdBusyIndicator::runningText(3400), QStringLiteral("Running\u2026 00:03"));
    EXPECT_EQ(TqdBusyIndicator::runningText(754000), QStringLiteral("Running\u2026 12:34"));
}

// Scripts and unsaved text: Open SQL Script beside unsaved edits, the save
// question's Cancel on every command that asks it, the save dialog as the
// user drives it, and captions built from names holding "%1".
#include "main_fixture.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "modal_script.h"

using namespace mainfixture;
using modaltest::ModalScript;

namespace {

using testenv::readBytes;
using testenv::writeBytes;

class ScriptsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dir = QString::fromStdString(testenv::tempDir());
        access = connectAccess();
        ASSERT_NE(access, nullptr);
    }

    // A tab on the Access server with text typed into it (unsaved edits).
    TqdSQLTab *tabWithTypedText(const char *text)
    {
        TqdSQLTab *tab = openTabOn(access);
        tab->SynMemo->setFocus();
        QTest::keyClicks(tab->SynMemo, QString::fromLatin1(text));
        return tab;
    }

    QString dir;
    QTreeWidgetItem *access = nullptr;
};

TEST_F(ScriptsTest, OpenScriptBesideUnsavedTextOpensANewTab)
{
    const QByteArray script = "select *\r\nfrom Table1\r\n";
    const QString file = dir + "/report.sql";
    writeBytes(file, script);
    const std::vector<std::string> scriptLines = {"select *", "from Table1", ""};

    // Unsaved, non-blank text: a new tab on the same server takes the script.
    TqdSQLTab *edited = tabWithTypedText("select 'keep me'");
    const QString editedCaption = edited->Caption();
    fileAnswers.push_back({true, file, 1});
    w->mnuOpenSQLScript->trigger();
    ASSERT_EQ(w->SQLPageControl->PageCount(), 2);
    TqdSQLTab *opened = w->SQLPageControl->ActiveSQLTab();
    ASSERT_NE(opened, edited);
    EXPECT_EQ(edited->SynMemo->Lines().Text(), "select 'keep me'");
    EXPECT_FALSE(edited->Saved);
    EXPECT_EQ(edited->Caption(), editedCaption);
    EXPECT_EQ(editorLines(opened), scriptLines);
    EXPECT_TRUE(opened->Saved);
    EXPECT_EQ(opened->Caption(), QString::fromStdString(accessFile()) + " [report.sql]");
    EXPECT_EQ(opened->ServerConnection->DBEngine, seMSAccess);
    EXPECT_EQ(opened->ServerConnection->ServerName, accessFile());
    EXPECT_TRUE(opened->ServerConnection->Connected());
    EXPECT_TRUE(w->toolbtnCloseActiveTab->isEnabled());
    EXPECT_EQ(readBytes(file), script);

    // Cancelling the dialog, or a file that is gone, opens no tab.
    w->SQLPageControl->SetActivePage(edited);
    fileAnswers.push_back({false, {}, 1});
    fileAnswers.push_back({true, dir + "/gone.sql", 1});
    w->mnuOpenSQLScript->trigger();
    w->mnuOpenSQLScript->trigger();
    EXPECT_EQ(w->SQLPageControl->PageCount(), 2);
    EXPECT_EQ(edited->SynMemo->Lines().Text(), "select 'keep me'");

    // A saved tab, and a tab holding only blanks, are replaced in place.
    const QByteArray other = "select 2";
    writeBytes(dir + "/other.sql", other);
    TqdSQLTab *blank = openTabOn(access);
    blank->SynMemo->setFocus();
    QTest::keyClicks(blank->SynMemo, "  ");
    QTest::keyClick(blank->SynMemo, Qt::Key_Return);
    ASSERT_FALSE(blank->Saved);
    for (TqdSQLTab *tab : {opened, blank}) {
        w->SQLPageControl->SetActivePage(tab);
        const int before = w->SQLPageControl->PageCount();
        fileAnswers.push_back({true, dir + "/other.sql", 1});
        w->mnuOpenSQLScript->trigger();
        EXPECT_EQ(w->SQLPageControl->PageCount(), before);
        EXPECT_EQ(tab->SynMemo->Lines().Text(), "select 2");
        EXPECT_TRUE(tab->Saved);
    }
    EXPECT_EQ(readBytes(dir + "/other.sql"), other);
    EXPECT_EQ(readBytes(file), script);
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(ScriptsTest, CancelOnTheSaveQuestionKeepsTheTabAndStopsTheCommand)
{
    const struct {
        const char *name;
        std::function<void(TFrmMain &)> command;
    } commands[] = {
        {"Close Tab", [](TFrmMain &m) { m.mnuCloseTab->trigger(); }},
        {"Close all Tabs", [](TFrmMain &m) { m.mnuCloseallTabs->trigger(); }},
        {"Close all but active", [](TFrmMain &m) {
             m.SQLPageControl->SetActivePageIndex(0);
             m.mnuCloseallbutactive->trigger();
         }},
        {"Disconnect", [this](TFrmMain &m) {
             select(access);
             m.mnuDisconnect->trigger();
         }},
        {"closing the window", [](TFrmMain &m) { EXPECT_FALSE(m.close()); }},
    };
    for (const auto &c : commands) {
        SCOPED_TRACE(c.name);
        answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::No; };
        w->mnuCloseallTabs->trigger();
        ASSERT_EQ(w->SQLPageControl->PageCount(), 0);
        std::vector<TqdSQLTab *> tabs;
        for (const char *text : {"select 0", "select 1", "select 2"})
            tabs.push_back(tabWithTypedText(text));
        messages.clear();
        answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::Cancel; };
        c.command(*w);
        ASSERT_EQ(questions().size(), 1u) << "the command stops at the first Cancel";
        EXPECT_EQ(messages[0].escapeButton, QMessageBox::Cancel);
        ASSERT_EQ(w->SQLPageControl->PageCount(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(w->SQLPageControl->SQLTab(i), tabs[size_t(i)]);
            EXPECT_EQ(tabs[size_t(i)]->SynMemo->Lines().Text(), "select " + std::to_string(i));
            EXPECT_FALSE(tabs[size_t(i)]->Saved);
        }
        EXPECT_TRUE(fileRequests.empty()) << "Cancel saves nothing";
        EXPECT_EQ(w->DataBaseTreeView->topLevelItemCount(), 1) << "the server stays";
        EXPECT_TRUE(w->isVisible());
    }
}

TEST_F(ScriptsTest, CaptionsKeepPlaceholdersInNames)
{
    // An Access file whose name holds "%1" and "%2".
    const QString odd = dir + "/q%1 %2 x.mdb";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(accessFile()), odd));
    QTreeWidgetItem *node = connectWith([&](TqdServerConnection &c) {
        accessSettings(c);
        c.ServerName = odd.toStdString();
    });
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), " " + odd + " ()");
    TqdSQLTab *tab = openTabOn(node);
    ASSERT_NE(tab, nullptr);
    const QString caption = node->text(0) + " Query" + QString::number(w->SQLPageControl->PageCount()) + "*";
    EXPECT_EQ(tab->Caption(), caption);

    tab->SynMemo->Lines().Add("select 1");
    w->mnuCloseTab->trigger();
    ASSERT_EQ(questions().size(), 1u);
    EXPECT_EQ(questions()[0], "Save SQL from [ " + caption + " ] ");

    // A script whose name holds placeholders.
    writeBytes(dir + "/s%2%1.sql", "select 2");
    tab = openTabOn(node);
    fileAnswers.push_back({true, dir + "/s%2%1.sql", 1});
    w->mnuOpenSQLScript->trigger();
    EXPECT_EQ(w->SQLPageControl->ActiveSQLTab()->Caption(), odd + " [s%2%1.sql]");
}

// The save dialog itself, as the user works it: no answerer stands in for it.
class SaveDialogTest : public ScriptsTest {
protected:
    void SetUp() override
    {
        ScriptsTest::SetUp();
        prompts::setFileAnswerer(nullptr);
    }

    static bool isFileDialog(QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; }
    static bool isQuestion(QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; }

    // Types a name into the dialog and presses its Save button.
    static void typeAndSave(QWidget *w, const QString &name)
    {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->setText(name); // typed at once: no completion popup in between
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // Saves the active tab, typing `name`, answering the question with `answer`
    // (No returns to the dialog, which is then cancelled). The question's text.
    QString saveAs(const QString &name, QMessageBox::StandardButton answer)
    {
        QString question;
        ModalScript script;
        script.then("the save dialog", isFileDialog, [name](QWidget *w) { typeAndSave(w, name); })
            .then("the question about the file", isQuestion, [&question, answer](QWidget *w) {
                auto *box = static_cast<QMessageBox *>(w);
                question = box->text();
                box->button(answer)->click();
            });
        if (answer == QMessageBox::No)
            script.then("the save dialog again", isFileDialog, [](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        script.run([&] { w->mnuSaveSQLScript->trigger(); });
        return question;
    }
};

TEST_F(SaveDialogTest, AsksAboutTheFileThatIsReallyWritten)
{
    TqdSQLTab *tab = tabWithTypedText("select 'new'");
    const QString caption = tab->Caption();
    const QString existing = dir + "/foo.sql";
    writeBytes(existing, "-- old");

    // "foo" means foo.sql: the dialog asks before replacing it.
    QString question = saveAs(dir + "/foo", QMessageBox::No);
    EXPECT_TRUE(question.startsWith("foo.sql already exists")) << question.toStdString();
    EXPECT_EQ(readBytes(existing), "-- old");
    EXPECT_FALSE(QFile::exists(dir + "/foo"));
    EXPECT_EQ(tab->SynMemo->Lines().Text(), "select 'new'");
    EXPECT_FALSE(tab->Saved);
    EXPECT_EQ(tab->Caption(), caption);

    question = saveAs(dir + "/foo", QMessageBox::Yes);
    EXPECT_TRUE(question.startsWith("foo.sql already exists")) << question.toStdString();
    EXPECT_EQ(readBytes(existing), "select 'new'");
    EXPECT_TRUE(tab->Saved);
    EXPECT_FALSE(tab->Caption().endsWith('*'));

    // A new file: the dialog asks before creating it.
    QTest::keyClicks(tab->SynMemo, " ");
    question = saveAs(dir + "/bar", QMessageBox::No);
    EXPECT_TRUE(question.startsWith("bar.sql\nThis file does not exist.")) << question.toStdString();
    EXPECT_FALSE(QFile::exists(dir + "/bar.sql"));
    EXPECT_FALSE(tab->Saved);

    question = saveAs(dir + "/bar", QMessageBox::Yes);
    EXPECT_TRUE(question.startsWith("bar.sql\nThis file does not exist.")) << question.toStdString();
    EXPECT_EQ(readBytes(dir + "/bar.sql").toStdString(), tab->SynMemo->Lines().Text());
    EXPECT_TRUE(tab->Saved);
    EXPECT_EQ(readBytes(existing), "select 'new'") << "the other file is untouched";
    EXPECT_TRUE(errorBoxes().empty());
}

} // namespace

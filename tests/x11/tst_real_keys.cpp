// Keys and clicks as an X server delivers them: Escape and Enter in the
// connect dialog's boxes, Delete (which X sends with the text 0x7f) in the
// port box, Escape on the save question, and a double click on a link.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

#include <vector>

#include "dialogs_fixture.h"
#include "f_ConnectForm.h"
#include "f_main.h"
#include "o_LinkLabel.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"
#include "testenv.h"
#include "x11_support.h"

using namespace x11test;

namespace {

class ConnectDialogKeys : public ::testing::Test {
protected:
    void SetUp() override { setHistoryFolder(QString::fromStdString(testenv::tempDir())); }
    void TearDown() override { setHistoryFolder({}); }
    dialogs_test::RecordedPrompts prompts;
};

TEST_F(ConnectDialogKeys, EscapeAndEnterHaveNoMeaningForTheDialog)
{
    TFrmConnect dialog;
    showActive(&dialog);
    dialog.cmbServerEngine->setCurrentIndex(8); // PostGre: the port and database boxes show
    dialog.cmbServerName->setEditText("dbhost");
    dialog.cmbUserName->setEditText("alice");
    dialog.cmbPassword->setText("secret");
    dialog.edtPortNumber->setText("6543");
    dialog.edtDataBaseName->setText("shop");

    const struct {
        const char *name;
        QWidget *box;
    } boxes[] = {
        {"engine", dialog.cmbServerEngine}, {"server", dialog.cmbServerName}, {"user", dialog.cmbUserName},
        {"password", dialog.cmbPassword},   {"port", dialog.edtPortNumber},   {"database", dialog.edtDataBaseName},
    };
    for (const auto &b : boxes) {
        SCOPED_TRACE(b.name);
        b.box->setFocus();
        ASSERT_TRUE(waitUntil([&] { return b.box->hasFocus(); }));
        pressKeys({"Escape"});
        waitUntil([] { return false; }, 150);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(dialog.cmbServerName->currentText(), "dbhost");
        EXPECT_EQ(dialog.cmbPassword->text(), "secret");
        EXPECT_EQ(dialog.edtDataBaseName->text(), "shop");
    }
    // Enter in the port and database boxes starts nothing.
    for (QWidget *box : {static_cast<QWidget *>(dialog.edtPortNumber), static_cast<QWidget *>(dialog.edtDataBaseName)}) {
        box->setFocus();
        ASSERT_TRUE(waitUntil([&] { return box->hasFocus(); }));
        pressKeys({"Return"});
        waitUntil([] { return false; }, 150);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(box->hasFocus());
    }
    EXPECT_TRUE(prompts.messages.empty()) << "no connect was attempted";
    EXPECT_EQ(dialog.edtPortNumber->text(), "6543");

    // Enter in a name box still moves on; the close box still cancels.
    dialog.cmbServerName->setFocus();
    ASSERT_TRUE(waitUntil([&] { return dialog.cmbServerName->hasFocus(); }));
    pressKeys({"Return"});
    EXPECT_TRUE(waitUntil([&] { return dialog.cmbUserName->hasFocus(); }));
    dialog.close();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ConnectDialogKeys, DeleteEditsThePortBox)
{
    TFrmConnect dialog;
    showActive(&dialog);
    dialog.cmbServerEngine->setCurrentIndex(5); // MySQL
    QLineEdit *port = dialog.edtPortNumber;
    port->clear();
    port->setFocus();
    ASSERT_TRUE(waitUntil([&] { return port->hasFocus(); }));
    typeText("15432");
    ASSERT_TRUE(waitUntil([&] { return port->text() == "15432"; })) << port->text().toStdString();
    pressKeys({"Home", "Delete"});
    EXPECT_TRUE(waitUntil([&] { return port->text() == "5432"; })) << port->text().toStdString();
    // A selection goes as well; letters are still refused.
    pressKeys({"shift+End", "Delete", "a", "7"});
    EXPECT_TRUE(waitUntil([&] { return port->text() == "7"; })) << port->text().toStdString();
}

// The save question of a tab with unsaved text, answered by the real box.
class SaveQuestionKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompts::setMessageAnswerer(nullptr);
        prompts::setFileAnswerer([this](const prompts::FileRequest &) {
            ++fileDialogs;
            return prompts::FileAnswer{};
        });
        showActive(&window);
    }
    void TearDown() override { prompts::setFileAnswerer(nullptr); }

    TqdSQLTab *addTab(const QString &caption, const std::string &text)
    {
        TqdSQLTab *tab = window.SQLPageControl->AddSQLTab();
        window.SQLPageControl->SetActivePage(tab);
        tab->SetCaption(caption);
        tab->SynMemo->Lines().Add(text);
        return tab;
    }

    // Presses `keys` on each save question that opens while `command` runs.
    std::vector<QString> answerQuestions(const QStringList &keys, const std::function<void()> &command)
    {
        std::vector<QString> asked;
        QTimer poll;
        poll.setInterval(30);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("asked").toBool())
                return;
            if (!box->isActiveWindow()) {
                box->activateWindow();
                return;
            }
            box->setProperty("asked", true);
            asked.push_back(box->text());
            QTimer::singleShot(0, [keys] { pressKeys(keys); });
        });
        poll.start();
        command();
        poll.stop();
        return asked;
    }

    TFrmMain window;
    int fileDialogs = 0;
};

TEST_F(SaveQuestionKeys, EscapeKeepsTheTabAndStopsTheCommand)
{
    TqdSQLTab *first = addTab("one Query1*", "select 'first'");
    TqdSQLTab *second = addTab("two Query2*", "select 'second'");

    // Close Tab: the active (second) tab asks; Escape keeps it.
    std::vector<QString> asked = answerQuestions({"Escape"}, [&] { window.mnuCloseTab->trigger(); });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Save SQL from [ two Query2* ] ");
    ASSERT_EQ(window.SQLPageControl->PageCount(), 2);
    EXPECT_EQ(second->SynMemo->Lines().Text(), "select 'second'");

    // Close all Tabs stops at the first Escape: the first tab is never asked about.
    asked = answerQuestions({"Escape"}, [&] { window.mnuCloseallTabs->trigger(); });
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(window.SQLPageControl->PageCount(), 2);

    // Closing the window: Escape keeps it open with both tabs.
    asked = answerQuestions({"Escape"}, [&] { window.close(); });
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(window.SQLPageControl->PageCount(), 2);
    EXPECT_EQ(first->SynMemo->Lines().Text(), "select 'first'");
    EXPECT_EQ(second->SynMemo->Lines().Text(), "select 'second'");
    EXPECT_FALSE(first->Saved);
    EXPECT_EQ(fileDialogs, 0);

    // "n" answers No: both tabs go, nothing is saved.
    asked = answerQuestions({"n"}, [&] { window.mnuCloseallTabs->trigger(); });
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(window.SQLPageControl->PageCount(), 0);
    EXPECT_EQ(fileDialogs, 0);
}

TEST(LinkLabelMouse, DoubleClickOpensTheLinkOnce)
{
    std::vector<QUrl> opened;
    const auto saved = TqdLinkLabel::urlOpener;
    TqdLinkLabel::urlOpener = [&](const QUrl &url) {
        opened.push_back(url);
        return true;
    };
    {
        TqdLinkLabel label;
        label.setText("www.example.org");
        label.SetURL("https://www.example.org/");
        label.resize(200, 30);
        showActive(&label);
        clickAt(&label, label.rect().center(), 2);
        ASSERT_TRUE(waitUntil([&] { return !opened.empty(); }));
        waitUntil([] { return false; }, 500); // the second click's events, had they opened anything
        EXPECT_EQ(opened.size(), 1u);
        clickAt(&label, label.rect().center(), 1);
        waitUntil([&] { return opened.size() == 2; }, 1000);
        EXPECT_EQ(opened.size(), 2u) << "a single click still opens it";
    }
    TqdLinkLabel::urlOpener = saved;
}

} // namespace

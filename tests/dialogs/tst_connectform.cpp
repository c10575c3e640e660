// The connect dialog: engine list, key filters, history files, connect and
// provider information.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

#include "dialogs_fixture.h"
#include "modal_script.h"
#include "f_ConnectForm.h"
#include "fit_check.h"
#include "o_AppInfo.h"

using dialogs_test::RecordedPrompts;

namespace {

using testenv::readBytes;
using testenv::writeBytes;

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

class ConnectFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = QString::fromStdString(testenv::tempDir());
        setHistoryFolder(folder);
    }
    void TearDown() override { setHistoryFolder({}); }

    QString historyPath(const char *name) const { return QDir(folder).filePath(QString::fromLatin1(name)); }

    // A dialog on screen and active, so that focus and keys behave as for the user.
    void showActive(TFrmConnect &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    RecordedPrompts prompts;
    QString folder;
};

struct EngineCase {
    int position;
    const char *item;
    TqdServerEngine engine;
    bool fileButton;
    bool extendedPage;
    const char *port;
};

const EngineCase EngineCases[] = {
    {0, "FireBird", seFireBird, true, false, ""},
    {1, "Microsoft Access", seMSAccess, true, false, ""},
    {2, "Microsoft Compact Server 3.1", seMSCE31, true, false, ""},
    {3, "Microsoft Compact Server 3.5", seMSCE35, true, false, ""},
    {4, "Microsoft SQL Server", seMSSQL, false, false, ""},
    {5, "MySQL", seMySQL, false, true, "3306"},
    {6, "Oracle", seOracle, false, false, ""},
    {7, "Oracle with MS Provider", seOracleMS, false, false, ""},
    {8, "PostGre", sePostGre, false, true, "5432"},
    {9, "SQLite", seSQLite, true, false, ""},
};

TEST_F(ConnectFormTest, EngineListShowsButtonPageAndDefaultPortPerEngine)
{
    for (const EngineCase &c : EngineCases) {
        SCOPED_TRACE(c.item);
        TFrmConnect dialog;
        dialog.show();
        EXPECT_EQ(dialog.cmbServerEngine->currentIndex(), -1);
        EXPECT_TRUE(dialog.btnChooseDBFileName->isHidden());
        EXPECT_TRUE(dialog.ExtendedPropsPageControl->isHidden());
        dialog.cmbServerEngine->setCurrentIndex(c.position);
        EXPECT_EQ(dialog.cmbServerEngine->currentText(), QString::fromLatin1(c.item));
        EXPECT_EQ(engineAtPosition(c.position), c.engine);
        EXPECT_EQ(!dialog.btnChooseDBFileName->isHidden(), c.fileButton);
        EXPECT_EQ(!dialog.ExtendedPropsPageControl->isHidden(), c.extendedPage);
        EXPECT_EQ(dialog.edtPortNumber->text(), QString::fromLatin1(c.port));
    }
    EXPECT_EQ(engineAtPosition(-1), seNone);
    EXPECT_EQ(engineAtPosition(10), seNone);
}

TEST_F(ConnectFormTest, PortAndButtonFollowLaterEngineChoices)
{
    TFrmConnect dialog;
    dialog.show();
    dialog.cmbServerEngine->setCurrentIndex(0); // FireBird
    EXPECT_FALSE(dialog.btnChooseDBFileName->isHidden());
    dialog.cmbServerEngine->setCurrentIndex(5); // MySQL
    EXPECT_TRUE(dialog.btnChooseDBFileName->isHidden());
    EXPECT_EQ(dialog.edtPortNumber->text(), "3306");
    dialog.cmbServerEngine->setCurrentIndex(8); // PostGre keeps the port already there
    EXPECT_EQ(dialog.edtPortNumber->text(), "3306");
    dialog.cmbServerEngine->setCurrentIndex(4); // SQL Server hides the page
    EXPECT_TRUE(dialog.ExtendedPropsPageControl->isHidden());
}

TEST_F(ConnectFormTest, KeysInTheEngineAndPortBoxes)
{
    TFrmConnect dialog;
    showActive(dialog);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmbServerEngine);

    QTest::keyClicks(dialog.cmbServerEngine, "Post MySQL");
    EXPECT_EQ(dialog.cmbServerEngine->currentIndex(), -1) << "typing must not choose an engine";
    QTest::keyClick(dialog.cmbServerEngine, Qt::Key_Down);
    EXPECT_EQ(dialog.cmbServerEngine->currentText(), "FireBird");
    EXPECT_FALSE(dialog.btnChooseDBFileName->isHidden()) << "choosing by arrow key runs the same handler";
    QTest::keyClick(dialog.cmbServerEngine, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmbServerName);

    dialog.edtPortNumber->clear();
    QTest::keyClicks(dialog.edtPortNumber, "12a-3 ,4");
    EXPECT_EQ(dialog.edtPortNumber->text(), "1234");
    QTest::keyClick(dialog.edtPortNumber, Qt::Key_Backspace);
    EXPECT_EQ(dialog.edtPortNumber->text(), "123");
    QTest::keyClick(dialog.edtPortNumber, Qt::Key_Left);
    QTest::keyClicks(dialog.edtPortNumber, "9");
    EXPECT_EQ(dialog.edtPortNumber->text(), "1293");
}

TEST_F(ConnectFormTest, EnterInNameBoxesAddsToHistoryAndMovesOn)
{
    TFrmConnect dialog;
    showActive(dialog);
    dialog.cmbServerName->setFocus();
    QTest::keyClicks(dialog.cmbServerName, "dbhost");
    QTest::keyClick(dialog.cmbServerName, Qt::Key_Return);
    EXPECT_EQ(items(dialog.cmbServerName), QStringList{"dbhost"});
    EXPECT_EQ(dialog.cmbServerName->currentText(), "dbhost");
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmbUserName);

    QTest::keyClicks(dialog.cmbUserName, "alice");
    QTest::keyClick(dialog.cmbUserName, Qt::Key_Enter);
    EXPECT_EQ(items(dialog.cmbUserName), QStringList{"alice"});
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmbPassword);

    // Leaving a box by Tab applies the same rule.
    dialog.cmbServerName->setFocus();
    dialog.cmbServerName->setEditText("Another");
    QTest::keyClick(dialog.cmbServerName, Qt::Key_Tab);
    EXPECT_EQ(items(dialog.cmbServerName), (QStringList{"Another", "dbhost"}));
}

TEST_F(ConnectFormTest, HistoryRuleAddsOnlyNewNonBlankTexts)
{
    struct Case {
        const char *typed;
        QStringList expected;
    };
    const Case cases[] = {
        {"beta", {"alpha", "beta", "Gamma"}},
        {"ALPHA", {"alpha", "Gamma"}},
        {"gamma", {"alpha", "Gamma"}},
        {" delta", {" delta", "alpha", "Gamma"}},
        {"  \t ", {"alpha", "Gamma"}},
        {"", {"alpha", "Gamma"}},
        {"zeta ", {"alpha", "Gamma", "zeta "}},
    };
    writeBytes(historyPath("serverlist.dat"), "Gamma\r\nalpha\r\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        TFrmConnect dialog;
        dialog.cmbServerName->setEditText(QString::fromLatin1(c.typed));
        dialog.cmbServerNameExit(dialog.cmbServerName);
        EXPECT_EQ(items(dialog.cmbServerName), c.expected);
        EXPECT_EQ(dialog.cmbServerName->currentText(), QString::fromLatin1(c.typed)) << "the typed text stays";
    }
}

TEST_F(ConnectFormTest, HistoryFilesAreReadLineByLine)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QStringList expected;
    };
    const Case cases[] = {
        {"crlf", "beta\r\nalpha\r\n", {"alpha", "beta"}},
        {"no final break", "beta\r\nalpha", {"alpha", "beta"}},
        {"lone cr and lf", "c\rb\na\r\n", {"a", "b", "c"}},
        {"empty line kept", "a\r\n\r\nb\r\n", {"", "a", "b"}},
        {"lf then cr is two breaks", "x\n\r", {"", "x"}},
        {"duplicates kept", "a\r\nA\r\n", {"a", "A"}},
        {"nul ends the text", QByteArray("a\r\nb\0c\r\nd\r\n", 12), {"a", "b"}},
        {"only a break", "\r\n", {""}},
        {"empty file", "", {}},
        {"blanks kept", " x \r\n", {" x "}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(historyPath("serverlist.dat"), c.bytes);
        writeBytes(historyPath("userlist.dat"), c.bytes);
        TFrmConnect dialog;
        EXPECT_EQ(items(dialog.cmbServerName), c.expected);
        EXPECT_EQ(items(dialog.cmbUserName), c.expected);
        EXPECT_EQ(dialog.cmbServerName->currentText(), "") << "no entry is chosen at first";
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectFormTest, HistoryFilesAreWrittenOnOkOnly)
{
    // Bytes that are not UTF-8 come back unchanged.
    writeBytes(historyPath("serverlist.dat"), "b\rcaf\xe9\n\r\nA\r\n");
    {
        TFrmConnect dialog;
        dialog.cmbServerName->setEditText("new");
        dialog.cmbServerNameExit(dialog.cmbServerName);
        dialog.done(QDialog::Rejected);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(readBytes(historyPath("serverlist.dat")), "b\rcaf\xe9\n\r\nA\r\n");
    EXPECT_FALSE(QFile::exists(historyPath("userlist.dat")));
    {
        TFrmConnect dialog;
        dialog.cmbServerName->setEditText("new");
        dialog.cmbServerNameExit(dialog.cmbServerName);
        dialog.done(QDialog::Accepted);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(readBytes(historyPath("serverlist.dat")), "\r\nA\r\nb\r\ncaf\xe9\r\nnew\r\n");
    EXPECT_EQ(readBytes(historyPath("userlist.dat")), "") << "an empty list gives an empty file";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectFormTest, HistoryFolderIsCreatedWhenMissing)
{
    const QString nested = folder + "/new/deeper";
    setHistoryFolder(nested);
    TFrmConnect dialog;
    dialog.cmbUserName->setEditText("bob");
    dialog.cmbServerNameExit(dialog.cmbUserName);
    dialog.done(QDialog::Accepted);
    EXPECT_EQ(readBytes(nested + "/userlist.dat"), "bob\r\n");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectFormTest, DefaultHistoryFolderIsTheUsersDataFolder)
{
    setHistoryFolder({});
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(historyFolder(), expected);
    EXPECT_NE(QDir(historyFolder()).canonicalPath(), QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

TEST_F(ConnectFormTest, UnwritableHistoryKeepsTheDialogOpen)
{
    // A folder under a regular file cannot be made, not even by root.
    writeBytes(folder + "/plainfile", "x");
    const QString blocked = folder + "/plainfile/history";
    setHistoryFolder(blocked);
    TFrmConnect dialog;
    dialog.show();
    dialog.done(QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(prompts.messages.size(), 1u);
    const QString path = QDir::toNativeSeparators(blocked + "/serverlist.dat");
    const QString text = prompts.messages[0].text;
    EXPECT_TRUE(text.startsWith("Cannot create file \"" + path + "\". ")) << text.toStdString();
    EXPECT_GT(text.size(), QString("Cannot create file \"" + path + "\". ").size()) << "the system's reason follows";
    EXPECT_EQ(prompts.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(prompts.messages[0].caption, appinfo::applicationTitle());

    dialog.done(QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible()) << "Cancel still closes";
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(ConnectFormTest, UnreadableHistoryStillOpensTheDialog)
{
    QDir(folder).mkdir("serverlist.dat"); // exists, cannot be read as a file
    writeBytes(historyPath("userlist.dat"), "carol\r\n");
    TFrmConnect dialog;
    ASSERT_EQ(prompts.messages.size(), 1u);
    const QString prefix = "Cannot open file \"" + QDir::toNativeSeparators(historyPath("serverlist.dat")) + "\". ";
    EXPECT_TRUE(prompts.messages[0].text.startsWith(prefix)) << prompts.messages[0].text.toStdString();
    EXPECT_GT(prompts.messages[0].text.size(), prefix.size());
    EXPECT_EQ(dialog.cmbServerName->count(), 0);
    EXPECT_EQ(items(dialog.cmbUserName), QStringList{"carol"});
}

TEST_F(ConnectFormTest, ReadingTheTextOfThePortAsAnInteger)
{
    struct Case {
        const char *text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"5432", true, 5432},         {"+7", true, 7},           {"-12", true, -12},
        {"0", true, 0},               {"2147483647", true, 2147483647},
        {"-2147483648", true, int(-2147483647 - 1)},           {"2147483648", false, 0},
        {"$FF", true, 255},           {"x1f", true, 31},         {"X10", true, 16},
        {"0x10", true, 16},           {"0XfF", true, 255},       {"$FFFFFFFF", true, -1},
        {"$000000001", true, 1},      {"$123456789", false, 0},  {"-$10", true, -16},
        {"", false, 0},               {"-", false, 0},           {"$", false, 0},
        {"0x", false, 0},             {" 1", false, 0},          {"1 ", false, 0},
        {"12a", false, 0},            {"$G", false, 0},          {"1.5", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        int value = 4242;
        EXPECT_EQ(readTextAsInteger(QString::fromLatin1(c.text), value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : 4242);
    }
}

TEST_F(ConnectFormTest, FailedConnectKeepsTheDialogAndItsEntries)
{
    TFrmConnect dialog;
    dialog.show();
    dialog.cmbServerName->setEditText("nowhere");
    dialog.cmbUserName->setEditText("someone");
    dialog.cmbPassword->setText("secret");
    dialog.edtPortNumber->setText("12ab"); // pasted, not a number: Port stays
    dialog.edtDataBaseName->setText("db1");
    dialog.btnConnect->click(); // no engine chosen: the empty connection string fails

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(prompts.messages[0].text.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.ServerConnection->Connected());
    EXPECT_EQ(dialog.ServerConnection->DBEngine, seNone);
    EXPECT_EQ(dialog.ServerConnection->ServerName, "nowhere");
    EXPECT_EQ(dialog.ServerConnection->UserName, "someone");
    EXPECT_EQ(dialog.ServerConnection->Password, "secret");
    EXPECT_EQ(dialog.ServerConnection->Port, 0);
    EXPECT_EQ(dialog.ServerConnection->DataBaseName, "db1");
    EXPECT_EQ(dialog.cmbServerName->currentText(), "nowhere");
    EXPECT_EQ(dialog.cmbPassword->text(), "secret");
    EXPECT_EQ(dialog.edtPortNumber->text(), "12ab");
    EXPECT_FALSE(QFile::exists(historyPath("serverlist.dat")));

    // A later attempt with another engine copies every entry again, hidden page or not.
    dialog.cmbServerEngine->setCurrentIndex(5); // MySQL
    dialog.edtPortNumber->setText("0x10");
    dialog.cmbServerEngine->setCurrentIndex(4); // Microsoft SQL Server: no provider here
    dialog.btnConnect->click();
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ServerConnection->DBEngine, seMSSQL);
    EXPECT_EQ(dialog.ServerConnection->Port, 16);
    EXPECT_EQ(dialog.ServerConnection->DataBaseName, "db1");
}

TEST_F(ConnectFormTest, FileChooserFillsTheServerNameAndRemembersTheFilter)
{
    TFrmConnect dialog;
    dialog.cmbServerEngine->setCurrentIndex(0);
    prompts.fileAnswer = {true, folder + "/chosen.fdb", 2};
    dialog.btnChooseDBFileName->click();
    ASSERT_EQ(prompts.files.size(), 1u);
    const prompts::FileRequest &first = prompts.files[0];
    EXPECT_EQ(first.mode, prompts::FileMode::Open);
    EXPECT_EQ(first.title, "Choose DataBase File");
    EXPECT_EQ(first.filter, "MS Access|*.mdb|FireBird|*.fdb;*.gdb|MS SQL Compact |*.sdf|"
                            "SQLite database|*.sqlite;*.sqlite3;*.db;*.db3|"
                            "All Supported types|*.mdb;*.fdb;*.gdb;*sdf;*.sqlite;*.sqlite3;*.db;*.db3|All files|*.*");
    EXPECT_EQ(first.filterIndex, 5) << "All Supported types";
    EXPECT_EQ(first.owner, &dialog);
    EXPECT_EQ(dialog.cmbServerName->currentText(), QDir::toNativeSeparators(folder + "/chosen.fdb"));
    EXPECT_EQ(dialog.cmbServerName->count(), 0) << "a chosen file joins the history only on leaving the box";

    prompts.fileAnswer = {false, {}, 1};
    dialog.btnChooseDBFileName->click();
    ASSERT_EQ(prompts.files.size(), 2u);
    EXPECT_EQ(prompts.files[1].filterIndex, 2);
    EXPECT_EQ(dialog.cmbServerName->currentText(), QDir::toNativeSeparators(folder + "/chosen.fdb"));
}

TEST_F(ConnectFormTest, FileChooserTakesAFileThatDoesNotExistYet)
{
    // The real dialog, as the user works it.
    prompts::setFileAnswerer({});
    TFrmConnect dialog;
    dialog.show();
    dialog.cmbServerEngine->setCurrentIndex(0); // FireBird
    const QString wanted = folder + "/new-database.fdb";
    ASSERT_FALSE(QFile::exists(wanted));
    modaltest::ModalScript script;
    script.then(
        "the file dialog", [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; },
        [&](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setFocus();
            edit->setText(wanted);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    script.run([&] { dialog.btnChooseDBFileName->click(); });
    EXPECT_EQ(dialog.cmbServerName->currentText(), QDir::toNativeSeparators(wanted));
    EXPECT_FALSE(QFile::exists(wanted)) << "choosing a name creates nothing";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectFormTest, ProviderInformationTexts)
{
    const QString fireBird = "Tabulon is using the IB Provider Free Edition \r"
                             "which can be download from                       \r"
                             "https://www.firebirdsql.org/en/odbc-driver/      \r";
    const QString postGre = "Due to lack of a proper working       \r"
                            "freeware OLE DB Provider, Tabulon  \r"
                            "is using a provider from              \r"
                            "https://www.postgresql.org/download/  \r"
                            "Unfortunaly this provider is not free \r"
                            "but you can download it for evaluation\r"
                            "purposes and use it to temporarily    \r"
                            "do your job                           \r";
    struct Case {
        int position;
        QString text; // empty: no message
    };
    const Case cases[] = {{-1, {}}, {0, fireBird}, {1, {}}, {5, {}}, {8, postGre}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        prompts.messages.clear();
        TFrmConnect dialog;
        dialog.cmbServerEngine->setCurrentIndex(c.position);
        dialog.btnGetProviderInfo->click();
        if (c.text.isEmpty()) {
            EXPECT_TRUE(prompts.messages.empty());
            continue;
        }
        ASSERT_EQ(prompts.messages.size(), 1u);
        const prompts::MessageRequest &m = prompts.messages[0];
        EXPECT_EQ(m.text.toStdString(), c.text.toStdString());
        EXPECT_EQ(m.icon, QMessageBox::Warning);
        EXPECT_EQ(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(m.caption, appinfo::applicationTitle());
        EXPECT_EQ(m.owner, &dialog);
    }
}

TEST_F(ConnectFormTest, NoButtonAnswersEnterOrEscapeForTheDialog)
{
    TFrmConnect dialog;
    for (QPushButton *b : {dialog.btnConnect, dialog.btnCancel, dialog.btnGetProviderInfo}) {
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
    }
    EXPECT_EQ(dialog.btnChooseDBFileName->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(dialog.windowTitle(), "ConnectTo");
}

TEST_F(ConnectFormTest, BannerIsDecodedIntoTheLogo)
{
    TFrmConnect dialog;
    const QPixmap logo = dialog.LogoImage->pixmap();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(420, 70));
    const QImage image = logo.toImage();
    EXPECT_FALSE(image.isGrayscale()) << "the banner is in colour";
}

// With a font as narrow as the design's, every box, page and button keeps
// its designed place and size.
TEST_F(ConnectFormTest, DesignedLayoutWhereTheFontFits)
{
    const fitcheck::AppFont font(fitcheck::AppFont::small());
    TFrmConnect dialog;
    dialog.cmbServerEngine->setCurrentIndex(5); // MySQL: the extended page shows
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(420, 319));
    EXPECT_EQ(dialog.TabControl2->geometry(), QRect(0, 70, 420, 208));
    EXPECT_EQ(dialog.cmbServerEngine->geometry(), QRect(95, 21, 274, 24));
    EXPECT_EQ(dialog.cmbServerName->geometry(), QRect(95, 52, 274, 24));
    EXPECT_EQ(dialog.cmbUserName->geometry(), QRect(95, 78, 274, 24));
    EXPECT_EQ(dialog.cmbPassword->geometry(), QRect(96, 104, 273, 21));
    EXPECT_EQ(dialog.ExtendedPropsPageControl->geometry(), QRect(4, 131, 412, 73));
    EXPECT_EQ(dialog.edtPortNumber->geometry(), QRect(91, 1, 121, 21));
    EXPECT_EQ(dialog.edtDataBaseName->geometry(), QRect(91, 22, 182, 21));
    EXPECT_EQ(dialog.TabControl1->geometry(), QRect(0, 278, 420, 41));
    EXPECT_EQ(dialog.btnConnect->geometry(), QRect(24, 8, 75, 25));
    EXPECT_EQ(dialog.btnGetProviderInfo->geometry(), QRect(152, 8, 117, 25));
    EXPECT_EQ(dialog.btnCancel->geometry(), QRect(328, 8, 75, 25));
    const QStringList cut = fitcheck::cutTexts(&dialog);
    EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
}

// At the desktop's font and at 125 % and 150 % of it, for every engine's
// page: no caption, engine name or line of text is cut, and every box lies
// inside its frame (the extended page's boxes inside the page).
TEST_F(ConnectFormTest, NothingIsCutAtTheDesktopsFont)
{
    for (const double scale : {1.0, 1.25, 1.5}) {
        const fitcheck::AppFont font(fitcheck::AppFont::scaled(scale));
        TFrmConnect dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (const EngineCase &c : EngineCases) {
            SCOPED_TRACE(testing::Message() << scale << " " << c.item);
            dialog.cmbServerEngine->setCurrentIndex(c.position);
            QApplication::processEvents();
            const QStringList cut = fitcheck::cutTexts(&dialog);
            EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
            // The rows do not overlap one another.
            EXPECT_LE(dialog.cmbServerName->geometry().bottom(), dialog.cmbUserName->y());
            EXPECT_LE(dialog.cmbUserName->geometry().bottom(), dialog.cmbPassword->y());
            EXPECT_LE(dialog.edtPortNumber->geometry().bottom(), dialog.edtDataBaseName->y());
            if (c.extendedPage)
                EXPECT_LT(dialog.cmbPassword->geometry().bottom(), dialog.ExtendedPropsPageControl->y());
        }
    }
}

// Connecting for real: the engine, the entries as a user types them, and Ok.
struct RealConnectCase {
    const char *name;
    int position;
    std::function<bool()> available;
    std::function<void(TFrmConnect &)> fill;
};

class RealConnectTest : public ConnectFormTest, public ::testing::WithParamInterface<RealConnectCase> {};

TEST_P(RealConnectTest, SuccessfulConnectClosesWithOkAndWritesHistory)
{
    const RealConnectCase &c = GetParam();
    ASSERT_TRUE(c.available()) << "the test server for " << c.name
                               << " is not running: run the suite through the README's test command";
    TFrmConnect dialog;
    showActive(dialog);
    dialog.cmbServerEngine->setCurrentIndex(c.position);
    c.fill(dialog);
    const std::string server = dialog.cmbServerName->currentText().toStdString();
    const std::string user = dialog.cmbUserName->currentText().toStdString();
    dialog.cmbPassword->setFocus();
    QTest::keyClick(dialog.cmbPassword, Qt::Key_Return); // Enter in the password box connects

    for (const auto &m : prompts.messages)
        ADD_FAILURE() << "message: " << m.text.toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.ServerConnection->Connected());
    EXPECT_EQ(dialog.ServerConnection->DBEngine, engineAtPosition(c.position));
    EXPECT_EQ(dialog.ServerConnection->ServerName, server);
    EXPECT_EQ(dialog.ServerConnection->UserName, user);
    EXPECT_EQ(readBytes(historyPath("serverlist.dat")), QByteArray::fromStdString(server + "\r\n"));
    EXPECT_EQ(readBytes(historyPath("userlist.dat")), QByteArray::fromStdString(user + "\r\n"));
    const QByteArray password = QByteArray::fromStdString(dialog.ServerConnection->Password);
    for (const char *file : {"serverlist.dat", "userlist.dat"})
        EXPECT_FALSE(readBytes(historyPath(file)).contains(password)) << "passwords are never stored";
}

// Types into a name box and presses Enter, as the user does.
void typeName(QComboBox *box, const std::string &text)
{
    box->setFocus();
    QTest::keyClicks(box, QString::fromStdString(text));
    QTest::keyClick(box, Qt::Key_Return);
}

INSTANTIATE_TEST_SUITE_P(
    Engines, RealConnectTest,
    ::testing::Values(
        RealConnectCase{"PostgreSQL", 8, testenv::pgAvailable,
                        [](TFrmConnect &d) {
                            typeName(d.cmbServerName, testenv::pgSocket());
                            typeName(d.cmbUserName, testenv::pgUser());
                            d.cmbPassword->setText(QString::fromStdString(testenv::pgPassword()));
                            d.edtPortNumber->setText(QString::number(testenv::pgPort()));
                            d.edtDataBaseName->setText(QString::fromStdString(testenv::pgDatabase()));
                        }},
        RealConnectCase{"MariaDB", 5, testenv::myAvailable,
                        [](TFrmConnect &d) {
                            typeName(d.cmbServerName, testenv::mySocket());
                            typeName(d.cmbUserName, testenv::myUser());
                            d.cmbPassword->setText(QString::fromStdString(testenv::myPassword()));
                            d.edtPortNumber->setText(QString::number(testenv::myPort()));
                            d.edtDataBaseName->setText(QString::fromStdString(testenv::myDatabase()));
                        }},
        RealConnectCase{"embedded Firebird", 0, [] { return true; },
                        [](TFrmConnect &d) {
                            typeName(d.cmbServerName, dialogs_test::createFirebirdDatabase());
                            typeName(d.cmbUserName, "SYSDBA");
                            d.cmbPassword->setText("masterkey");
                        }},
        RealConnectCase{"SQLite", 9, [] { return true; },
                        [](TFrmConnect &d) {
                            typeName(d.cmbServerName, dialogs_test::createSQLiteDatabase());
                            // Neither is used by the engine.
                            typeName(d.cmbUserName, "anyone");
                            d.cmbPassword->setText("unused");
                        }}),
    [](const ::testing::TestParamInfo<RealConnectCase> &info) {
        std::string n = info.param.name;
        for (char &ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

} // namespace

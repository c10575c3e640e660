// What a window manager reads from the X server: each window's title is
// exactly its caption, and the boxes (minimise, maximise) it asks for.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <functional>
#include <memory>

#include "f_About.h"
#include "f_ConnectForm.h"
#include "f_TableMetaData.h"
#include "f_main.h"
#include "o_AppInfo.h"
#include "testenv.h"
#include "x11_support.h"

using namespace x11test;

namespace {

// The numbers of _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
std::vector<unsigned long> motifHints(QWidget *window)
{
    const QString line = windowProperty(window, "_MOTIF_WM_HINTS");
    std::vector<unsigned long> numbers;
    const QString values = line.section('=', 1);
    for (const QString &part : values.split(',', Qt::SkipEmptyParts))
        numbers.push_back(part.trimmed().toULong(nullptr, 0));
    return numbers;
}

constexpr unsigned long FunctionMinimize = 1ul << 3, FunctionMaximize = 1ul << 4;
constexpr unsigned long DecorationMinimize = 1ul << 5, DecorationMaximize = 1ul << 6;

struct WindowCase {
    const char *name;
    std::function<QWidget *()> open;
    QString caption;
    bool minimize, maximize;
    const char *windowType;
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override { setHistoryFolder(QString::fromStdString(testenv::tempDir())); }
    void TearDown() override { setHistoryFolder({}); }

    std::vector<WindowCase> cases()
    {
        return {
            {"main window", [this] { return static_cast<QWidget *>(&mainWindow); }, appinfo::applicationTitle(), true,
             true, "_NET_WM_WINDOW_TYPE_NORMAL"},
            {"connect dialog", [this] { return static_cast<QWidget *>(&connectDialog); }, "ConnectTo", true, true,
             "_NET_WM_WINDOW_TYPE_DIALOG"},
            {"metadata window",
             [this] {
                 return static_cast<QWidget *>(OpenTableMetadataWindow(&mainWindow, &connection, "shop db"));
             },
             "MetaData for shop db", true, true, "_NET_WM_WINDOW_TYPE_NORMAL"},
            {"About window", [this] { return static_cast<QWidget *>(&about); }, "Brennick - About...", true, false,
             "_NET_WM_WINDOW_TYPE_DIALOG"},
        };
    }

    TFrmMain mainWindow;
    TqdServerConnection connection;
    TFrmConnect connectDialog;
    TFrmAbout about;
};

TEST_F(Windows, TitlesAreExactlyTheCaptions)
{
    for (const WindowCase &c : cases()) {
        SCOPED_TRACE(c.name);
        QWidget *window = c.open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(windowProperty(window, "_NET_WM_NAME"), "_NET_WM_NAME(UTF8_STRING) = \"" + c.caption + "\"");
        EXPECT_EQ(windowProperty(window, "WM_NAME").section('=', 1).trimmed(), "\"" + c.caption + "\"");
    }
}

TEST_F(Windows, MinimiseAndMaximiseBoxesAsDesigned)
{
    for (const WindowCase &c : cases()) {
        SCOPED_TRACE(c.name);
        QWidget *window = c.open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const std::vector<unsigned long> hints = motifHints(window);
        ASSERT_EQ(hints.size(), 5u) << windowProperty(window, "_MOTIF_WM_HINTS").toStdString();
        EXPECT_EQ(bool(hints[1] & FunctionMinimize), c.minimize);
        EXPECT_EQ(bool(hints[2] & DecorationMinimize), c.minimize);
        EXPECT_EQ(bool(hints[1] & FunctionMaximize), c.maximize);
        EXPECT_EQ(bool(hints[2] & DecorationMaximize), c.maximize);
        EXPECT_TRUE(windowProperty(window, "_NET_WM_WINDOW_TYPE").contains(QString::fromLatin1(c.windowType)))
            << windowProperty(window, "_NET_WM_WINDOW_TYPE").toStdString();
    }
}

} // namespace

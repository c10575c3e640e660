// The wait box: at most one, painted before the caller blocks, harmless to hide twice.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "f_WaitBox.h"

namespace {

int waitBoxesAlive()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TFrmWaitBox *>(w))
            ++n;
    return n;
}

class WaitBoxTest : public ::testing::Test {
protected:
    void TearDown() override { HideWaitBox(); }
};

TEST_F(WaitBoxTest, HideWithoutABoxDoesNothing)
{
    HideWaitBox();
    HideWaitBox();
    EXPECT_EQ(CurrentWaitBox(), nullptr);
    EXPECT_EQ(waitBoxesAlive(), 0);
}

TEST_F(WaitBoxTest, ShowsOneCentredTopmostFramelessBox)
{
    ShowWaitBox();
    TFrmWaitBox *box = CurrentWaitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->size(), QSize(268, 102));
    EXPECT_TRUE(box->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->Panel1->text(), "Please wait.....");
    EXPECT_TRUE(box->Panel1->font().bold());
    EXPECT_GT(QFontInfo(box->Panel1->font()).pixelSize(), QFontInfo(QApplication::font()).pixelSize());
    EXPECT_EQ(box->Panel1->alignment(), Qt::AlignCenter);
    EXPECT_EQ(box->Panel1->geometry(), box->rect());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((box->frameGeometry().center() - screenCentre).manhattanLength(), 2);
}

TEST_F(WaitBoxTest, ShowTwiceLeavesOneAndHideRemovesIt)
{
    ShowWaitBox();
    TFrmWaitBox *first = CurrentWaitBox();
    ShowWaitBox();
    EXPECT_NE(CurrentWaitBox(), nullptr);
    EXPECT_NE(CurrentWaitBox(), first);
    EXPECT_EQ(waitBoxesAlive(), 1);
    HideWaitBox();
    EXPECT_EQ(CurrentWaitBox(), nullptr);
    EXPECT_EQ(waitBoxesAlive(), 0) << "hiding releases the box at once";
}

TEST_F(WaitBoxTest, ShowRunsPendingEventsBeforeReturning)
{
    // Queued input runs inside ShowWaitBox, and may itself show or hide a box.
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        ShowWaitBox();
    });
    QCoreApplication::sendPostedEvents(); // the zero timer is armed, not yet fired
    ShowWaitBox();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
    EXPECT_EQ(waitBoxesAlive(), 1);
    ASSERT_NE(CurrentWaitBox(), nullptr);

    QTimer::singleShot(0, [] { HideWaitBox(); });
    ShowWaitBox();
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentWaitBox(), nullptr);
    EXPECT_EQ(waitBoxesAlive(), 0);
}

} // namespace

// The About window: its rows and column widths, text, link and lifetime.

#include "f_About.h"
#include "fit_check.h"
#include "o_AppInfo.h"
#include "o_FileInfoListView.h"
#include "o_LinkLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QWheelEvent>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

#include <functional>
#include <stdexcept>

namespace {

// Runs `inspect` on the open About window once its modal loop runs, then
// closes it by `close` (a click on Ok, or the close box).
void whileOpen(std::function<void(TFrmAbout *)> inspect, std::function<void(TFrmAbout *)> close)
{
    QTimer::singleShot(0, [=] {
        TFrmAbout *form = FrmAbout;
        ASSERT_NE(form, nullptr);
        inspect(form);
        close(form);
    });
}

void clickOk(TFrmAbout *form) { QTest::mouseClick(form->btnOk, Qt::LeftButton); }
void closeBox(TFrmAbout *form) { form->close(); }

struct Shown {
    QStringList keys, values;
    int width0 = 0, width1 = 0;
    bool visible = false;
    QPointer<TFrmAbout> form;
};

Shown showOnce(std::function<void(TFrmAbout *)> close)
{
    Shown s;
    whileOpen(
        [&](TFrmAbout *form) {
            TqdFileInfoListView *list = form->qdFileInfoListView1;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                s.keys << list->topLevelItem(i)->text(0);
                s.values << list->topLevelItem(i)->text(1);
            }
            s.width0 = list->columnWidth(0);
            s.width1 = list->columnWidth(1);
            s.visible = form->isVisible() && form->isModal();
            s.form = form;
        },
        close);
    ShowAbout();
    return s;
}

} // namespace

TEST(About, ShowsTheProgramsOwnVersionInformation)
{
    for (auto close : {clickOk, closeBox}) {
        const Shown s = showOnce(close);
        EXPECT_TRUE(s.visible);
        EXPECT_EQ(s.keys, (QStringList{"CompanyName", "File Description", "FileName", "File Version", "Internal Name",
                                       "Legal Copyright", "Legal TradeMarks", "Original Filename", "Product Name",
                                       "Product Version"}));
        // This test program carries the executable's version block.
        EXPECT_EQ(s.values, (QStringList{"brennick.example", "Tabulon", QCoreApplication::applicationFilePath(),
                                         "1.0.10.282", "Tabulon", QString::fromUtf8(appinfo::MakerHost),
                                         QString::fromUtf8(appinfo::MakerHost), "Tabulon", "Tabulon", "1.0.10.0"}));
        // 100 and 135 where the font fits them (DesignedColumnsWhereTheFontFits);
        // the key column grows for a wider font.
        EXPECT_GE(s.width0, 100);
        EXPECT_EQ(s.width1, 135);
        // Closed and destroyed, and the global reference emptied.
        EXPECT_TRUE(s.form.isNull());
        EXPECT_EQ(FrmAbout, nullptr);
    }
}

TEST(About, TwoShowingsShowTheSameRows)
{
    const Shown first = showOnce(clickOk), second = showOnce(closeBox);
    ASSERT_EQ(first.values.size(), 10);
    EXPECT_EQ(first.values.count(QString()), 0) << "every row has its value";
    EXPECT_EQ(first.values, second.values);
    EXPECT_EQ(first.keys, second.keys);
}

TEST(About, DesignedColumnsWhereTheFontFits)
{
    const fitcheck::AppFont font(fitcheck::AppFont::small());
    const Shown s = showOnce(clickOk);
    EXPECT_EQ(s.width0, 100);
    EXPECT_EQ(s.width1, 135);
}

TEST(About, FormLayoutAndText)
{
    // The designed geometry holds with a font as narrow as the design's.
    const fitcheck::AppFont font(fitcheck::AppFont::small());
    TFrmAbout form;
    EXPECT_EQ(form.windowTitle(), "Brennick - About...");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    ASSERT_FALSE(form.Image1->pixmap().isNull());
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(480, 83));
    EXPECT_EQ(form.Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.btnOk->text(), "Ok");
    EXPECT_EQ(form.btnOk->geometry(), QRect(218, 11, 75, 25));
    EXPECT_EQ(form.qdFileInfoListView1->width(), 247);
    EXPECT_FALSE(form.qdFileInfoListView1->ReadOnly());
    EXPECT_TRUE(form.InfoMemo->isReadOnly());

    const QStringList expected = {"Brennick Tabulon",
                                  "",
                                  "Tabulon is a stand - alone application",
                                  "that can connect to multiple database engines ",
                                  "such as",
                                  "",
                                  "- MS SQL",
                                  "- MS SQL Compact 3.1 & 3.5",
                                  "- MS Access",
                                  "- Oracle",
                                  "- PostGre",
                                  "- MySQL",
                                  "- Firebird",
                                  "", "", "", "", "", "",
                                  "Author ",
                                  QString::fromUtf8(appinfo::AuthorName),
                                  "",
                                  QString::fromUtf8(appinfo::ContactMail)};
    EXPECT_EQ(form.InfoMemo->toPlainText().split('\n'), expected);

    EXPECT_EQ(form.qdLinkLabel1->text(), QString::fromUtf8(appinfo::MakerHost));
    EXPECT_EQ(form.qdLinkLabel1->URL(), appinfo::MakerUrl);
    EXPECT_EQ(form.qdLinkLabel1->LinkType(), ltURL);
    EXPECT_TRUE(form.qdLinkLabel1->alignment() & Qt::AlignHCenter);

    // The list view sits at its place in the group box, the panels around it.
    form.show();
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 480, 83));
    EXPECT_EQ(form.GroupBox1->geometry(), QRect(0, 83, 480, 328));
    EXPECT_EQ(form.qdFileInfoListView1->geometry(), QRect(2, 15, 247, 311));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 411, 480, 47));
    EXPECT_EQ(form.Panel2->geometry(), QRect(249, 15, 229, 311));
    EXPECT_EQ(form.InfoMemo->geometry(), QRect(2, 2, 225, 287));
    EXPECT_EQ(form.qdLinkLabel1->geometry(), QRect(2, 296, 225, 13));
}

TEST(About, TheLastInfoLinesCanBeScrolledTo)
{
    TFrmAbout form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Shrunk by the user as far as it goes: the memo at its designed 287 pixels.
    form.resize(form.minimumSizeHint());
    QApplication::processEvents();
    QPlainTextEdit *memo = form.InfoMemo;
    const QString before = memo->toPlainText();
    auto lastLineVisible = [memo] {
        QTextCursor end(memo->document());
        end.movePosition(QTextCursor::End);
        return memo->viewport()->rect().contains(memo->cursorRect(end));
    };
    ASSERT_FALSE(lastLineVisible()) << "the text is longer than the memo in this font";

    // The wheel over the memo, as the user turns it.
    const QPoint at = memo->viewport()->rect().center();
    for (int i = 0; i < 10 && !lastLineVisible(); ++i) {
        QWheelEvent wheel(at, memo->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(memo->viewport(), &wheel);
    }
    EXPECT_TRUE(lastLineVisible());

    // Still nobody can focus, select or change the text.
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, at);
    QTest::keyClicks(memo, "typed");
    EXPECT_FALSE(memo->hasFocus());
    EXPECT_FALSE(memo->textCursor().hasSelection());
    EXPECT_EQ(memo->toPlainText(), before);
}

TEST(About, BannerAndLinkOpenTheMakersAddress)
{
    std::vector<QUrl> opened;
    const auto saved = TqdLinkLabel::urlOpener;
    TqdLinkLabel::urlOpener = [&](const QUrl &url) {
        opened.push_back(url);
        return false;
    };
    {
        TFrmAbout form;
        form.resize(480, 458);
        form.show();
        QTest::mouseClick(form.Image1, Qt::LeftButton);
        QTest::mouseClick(form.qdLinkLabel1, Qt::LeftButton);
    }
    TqdLinkLabel::urlOpener = saved;
    const QUrl maker(QString::fromUtf8(appinfo::MakerUrl));
    EXPECT_EQ(opened, (std::vector<QUrl>{maker, maker}));
}

TEST(About, ConnectBannerIsAvailable)
{
    const QImage image = banner("connect-banner.jpg");
    EXPECT_EQ(image.size(), QSize(420, 70));
    EXPECT_TRUE(banner("no-such-banner.jpg").isNull());
}

// At the desktop's font and at 125 % and 150 % of it: no key, caption or
// button text is cut, the info text shows every line whole, and a value
// that its column cuts shows whole as a tooltip.
TEST(About, NothingIsCutAtTheDesktopsFont)
{
    for (const double scale : {1.0, 1.25, 1.5}) {
        SCOPED_TRACE(scale);
        const fitcheck::AppFont font(fitcheck::AppFont::scaled(scale));
        QStringList cut, cells;
        QStringList wrapped;
        bool lastLineShown = false;
        int scrollRange = -1;
        QString fileNameTip, shortValueTip, fileName;
        whileOpen(
            [&](TFrmAbout *form) {
                ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
                cut = fitcheck::cutTexts(form);
                cells = fitcheck::cutCells(form->qdFileInfoListView1, 0);

                QPlainTextEdit *memo = form->InfoMemo;
                for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
                    if (b.layout()->lineCount() != 1)
                        wrapped << b.text();
                QTextCursor end(memo->document());
                end.movePosition(QTextCursor::End);
                lastLineShown = memo->viewport()->rect().contains(memo->cursorRect(end));
                scrollRange = memo->verticalScrollBar()->maximum();

                // Tooltips over the value cells of "FileName" (a long path) and "Product Name".
                TqdFileInfoListView *list = form->qdFileInfoListView1;
                auto tipAt = [list](int row) {
                    QToolTip::hideText();
                    const QModelIndex index = list->model()->index(row, 1);
                    const QPoint at = list->visualRect(index).center();
                    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
                    QApplication::sendEvent(list->viewport(), &help);
                    return QToolTip::isVisible() ? QToolTip::text() : QString();
                };
                fileName = list->topLevelItem(2)->text(1);
                shortValueTip = tipAt(8); // first: a hidden tooltip lingers a while
                fileNameTip = tipAt(2);
                QToolTip::hideText();
            },
            clickOk);
        ShowAbout();
        EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
        EXPECT_TRUE(cells.isEmpty()) << cells.join('\n').toStdString();
        EXPECT_TRUE(wrapped.isEmpty()) << wrapped.join('\n').toStdString();
        EXPECT_TRUE(lastLineShown);
        EXPECT_EQ(scrollRange, 0);
        EXPECT_EQ(fileNameTip, fileName) << "the path is longer than the value column";
        EXPECT_EQ(shortValueTip, QString()) << "\"Tabulon\" shows whole";
    }
}

#include "f_About.h"
#include "ui_f_About.h"

#include "o_AppError.h"
#include "o_AppInfo.h"
#include "o_FileInfo.h"
#include "o_Jpeg.h"
#include "o_TextRoom.h"

#include <QFile>

#include <cmath>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>

// The resources live in a static library: register them before first use.
static void initBannerResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(about);
        return true;
    }();
    (void)done;
}

QImage banner(const QString &fileName)
{
    initBannerResources();
    QFile file(QStringLiteral(":/banners/") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

void showBanner(QLabel *label, const QImage &picture)
{
    label->setPixmap(QPixmap::fromImage(picture));
    if (picture.isNull())
        return;
    // The background repeats the picture's last column.
    QPalette palette = label->palette();
    palette.setBrush(label->backgroundRole(), QBrush(QPixmap::fromImage(picture.copy(picture.width() - 1, 0, 1,
                                                                                     picture.height()))));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

TFrmAbout *FrmAbout = nullptr;

namespace {

QStringList infoText()
{
    return {
        QStringLiteral("Brennick Tabulon"),
        QString(),
        QStringLiteral("Tabulon is a stand - alone application"),
        QStringLiteral("that can connect to multiple database engines "),
        QStringLiteral("such as"),
        QString(),
        QStringLiteral("- MS SQL"),
        QStringLiteral("- MS SQL Compact 3.1 & 3.5"),
        QStringLiteral("- MS Access"),
        QStringLiteral("- Oracle"),
        QStringLiteral("- PostGre"),
        QStringLiteral("- MySQL"),
        QStringLiteral("- Firebird"),
        QString(),
        QString(),
        QString(),
        QString(),
        QString(),
        QString(),
        QStringLiteral("Author "),
        QString::fromUtf8(appinfo::AuthorName),
        QString(),
        QString::fromUtf8(appinfo::ContactMail),
    };
}

// The size a text box's text needs to show every line whole, unwrapped.
QSize plainTextExtent(const QPlainTextEdit *memo)
{
    qreal width = 0, height = 0;
    for (const QString &line : memo->toPlainText().split(QLatin1Char('\n'))) {
        QTextLayout layout(line, memo->font());
        layout.setTextOption(memo->document()->defaultTextOption());
        layout.beginLayout();
        QTextLine textLine = layout.createLine();
        textLine.setNumColumns(int(line.size()) + 1);
        layout.endLayout();
        width = qMax(width, textLine.naturalTextWidth());
        height += textLine.height();
    }
    return {int(std::ceil(width)), int(std::ceil(height))};
}

} // namespace

TFrmAbout::TFrmAbout(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TFrmAbout>())
{
    ui->setupUi(this);
    Image1 = ui->Image1;
    Panel1 = ui->Panel1;
    btnOk = ui->btnOk;
    GroupBox1 = ui->GroupBox1;
    qdFileInfoListView1 = ui->qdFileInfoListView1;
    Panel2 = ui->Panel2;
    InfoMemo = ui->InfoMemo;
    qdLinkLabel1 = ui->qdLinkLabel1;

    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    showBanner(Image1, banner(QStringLiteral("about-banner.jpg")));
    Image1->installEventFilter(this);

    qdFileInfoListView1->SetReadOnly(false);
    InfoMemo->setPlainText(infoText().join(QLatin1Char('\n')));
    // The memo cannot be focused, selected or changed, yet it scrolls (wheel
    // and scroll bar), so its last lines can be read in any font. It takes
    // its parent's colours.
    QPalette memoPalette = Panel2->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        memoPalette.setColor(group, QPalette::Base, Panel2->palette().color(group, QPalette::Window));
        memoPalette.setColor(group, QPalette::Text, Panel2->palette().color(group, QPalette::WindowText));
    }
    InfoMemo->setPalette(memoPalette);

    qdLinkLabel1->setText(QString::fromUtf8(appinfo::MakerHost));
    qdLinkLabel1->SetURL(appinfo::MakerUrl);
    qdLinkLabel1->SetLinkType(ltURL);
    // Fonts as the style and the desktop give them, before measuring texts.
    ensurePolished();
    fitToFont();
}

void TFrmAbout::fitToFont()
{
    // The key column: 100, or the longest key (or the caption) with the
    // margins that the view and its header keep on either side of a text.
    TqdFileInfoListView *list = qdFileInfoListView1;
    const int cellMargin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int headerMargin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list->header());
    // Texts are laid out in fractions of a pixel: a key gets its width rounded up.
    const QFontMetricsF metrics(list->font(), list);
    int keyWidth = 100;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        keyWidth = qMax(keyWidth, int(std::ceil(metrics.horizontalAdvance(list->topLevelItem(i)->text(0)))) +
                                      2 * cellMargin + 1);
    keyWidth = qMax(keyWidth, list->header()->fontMetrics().horizontalAdvance(list->headerItem()->text(0)) +
                                  2 * headerMargin);
    keyColumnWidth = keyWidth;
    // The list grows by what the key column grows, so the value column keeps its width.
    list->setFixedWidth(247 + keyWidth - 100);

    // The link: 13 high, or a line of its font.
    const int linkHeight = textroom::labelSize(qdLinkLabel1, QSize(0, 13)).height();
    qdLinkLabel1->setFixedHeight(linkHeight);

    // The info text: 225 by 287, or as much as shows every line unwrapped.
    const QSize text = plainTextExtent(InfoMemo);
    const int documentMargin = int(std::ceil(InfoMemo->document()->documentMargin()));
    // Room for the scroll bar too: the text is first laid out narrower, with
    // the scroll bar, which would otherwise keep a line wrapped.
    const int scrollBar = InfoMemo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, InfoMemo);
    const int memoWidth =
        qMax(225, text.width() + 2 * documentMargin + 2 * InfoMemo->frameWidth() + 2 + scrollBar);
    const int memoHeight = qMax(287, text.height() + 2 * documentMargin + 2 * InfoMemo->frameWidth() + 2);
    // The memo's designed height is its least; it grows with the window up to the whole text.
    InfoMemo->setMinimumHeight(287);
    InfoMemo->setMaximumHeight(memoHeight);

    // The Ok button: 75 by 25, or its caption's need; the strip around it keeps its margins.
    const QSize okSize = textroom::buttonSize(btnOk, QSize(75, 25));
    btnOk->resize(okSize);
    Panel1->setFixedHeight(47 + okSize.height() - 25);

    // The window: the designed 480 by 458, or what its parts need, within the screen.
    const int panelWidth = qMax(229, memoWidth + 4);
    const int panelHeight = qMax(311, memoHeight + 7 + linkHeight + 4);
    QSize size(qMax(480, 2 + list->minimumWidth() + panelWidth + 2),
               qMax(458, 83 + 15 + panelHeight + 2 + Panel1->minimumHeight()));
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
}

void TFrmAbout::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The Ok button keeps its place relative to the window's middle.
    btnOk->move(218 + (Panel1->width() - 480) / 2, (Panel1->height() - btnOk->height()) / 2);
}

TFrmAbout::~TFrmAbout() = default;

void TFrmAbout::Image1Click(QObject *)
{
    TqdLinkLabel::openUrl(TqdLinkLabel::webUrl(appinfo::MakerUrl));
}

bool TFrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1) {
        if (event->type() == QEvent::MouseButtonPress) {
            imagePressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            const bool click = imagePressed && me->button() == Qt::LeftButton &&
                               Image1->rect().contains(me->position().toPoint());
            imagePressed = false;
            if (click)
                apperror::guarded([this] { Image1Click(Image1); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAbout()
{
    std::unique_ptr<TFrmAbout> form(new TFrmAbout(nullptr));
    FrmAbout = form.get();
    struct ClearReference {
        ~ClearReference() { FrmAbout = nullptr; }
    } clearReference;

    form->qdFileInfoListView1->SetFileName(fileinfo::executablePath());
    form->qdFileInfoListView1->setColumnWidth(0, form->KeyColumnWidth());
    form->qdFileInfoListView1->setColumnWidth(1, 135);
    form->exec();
}

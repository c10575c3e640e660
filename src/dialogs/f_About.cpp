#include "f_About.h"
#include "ui_f_About.h"

#include "o_AppError.h"
#include "o_AppInfo.h"
#include "o_FileInfo.h"
#include "o_Jpeg.h"

#include <QFile>
#include <QMouseEvent>

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

    Image1->setPixmap(QPixmap::fromImage(banner(QStringLiteral("about-banner.jpg"))));
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
    form->qdFileInfoListView1->setColumnWidth(0, 100);
    form->qdFileInfoListView1->setColumnWidth(1, 135);
    form->exec();
}

#include "f_WaitBox.h"

#include "ui_f_WaitBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<TFrmWaitBox> g_waitBox;
}

TFrmWaitBox::TFrmWaitBox(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      ui(new Ui::TFrmWaitBox)
{
    ui->setupUi(this);
    Panel1 = ui->Panel1;
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(268, 102);

    // The desktop's own font, bold and a little larger than the rest.
    QFont font = Panel1->font();
    font.setBold(true);
    const int basePixels = QFontInfo(font).pixelSize();
    font.setPixelSize(qMax(16, basePixels + 3));
    Panel1->setFont(font);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

TFrmWaitBox::~TFrmWaitBox() { delete ui; }

void ShowWaitBox()
{
    HideWaitBox();
    g_waitBox = new TFrmWaitBox(nullptr);
    g_waitBox->show();
    // Paint it now: the request that follows keeps the event loop from running.
    QCoreApplication::processEvents();
}

void HideWaitBox()
{
    TFrmWaitBox *box = g_waitBox.data();
    g_waitBox = nullptr;
    delete box;
}

TFrmWaitBox *CurrentWaitBox() { return g_waitBox.data(); }

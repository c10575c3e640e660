#include "o_LinkLabel.h"

#include "o_AppError.h"

#include <QDesktopServices>
#include <QMouseEvent>

std::function<bool(const QUrl &)> TqdLinkLabel::urlOpener = [](const QUrl &url) {
    return QDesktopServices::openUrl(url);
};

TqdLinkLabel::TqdLinkLabel(QWidget *parent) : QLabel(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
}

void TqdLinkLabel::openUrl(const QUrl &url)
{
    if (urlOpener)
        urlOpener(url); // a failure shows nothing
}

QUrl TqdLinkLabel::webUrl(const std::string &address)
{
    const QString text = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()));
    return text.trimmed().isEmpty() ? QUrl() : QUrl::fromUserInput(text);
}

void TqdLinkLabel::Click()
{
    if (OnClick)
        OnClick(this);
    switch (FLinkType) {
    case ltURL:
        openUrl(webUrl(FURL));
        break;
    case ltMailAddress:
        // The mail program, not a browser window, gets a mailto: address.
        openUrl(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(FMailAddress.data(),
                                                                   static_cast<qsizetype>(FMailAddress.size()))));
        break;
    }
}

void TqdLinkLabel::mousePressEvent(QMouseEvent *e)
{
    FPressed = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void TqdLinkLabel::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click (which the widget would otherwise
    // treat as another press): the first press and release made the click
    // already, so the release that follows opens nothing.
    FPressed = false;
    e->accept();
}

void TqdLinkLabel::mouseReleaseEvent(QMouseEvent *e)
{
    const bool click = FPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(e);
    if (click)
        apperror::guarded([this] { Click(); });
}

#include "o_Application.h"

#include <QIcon>

#include "o_AppError.h"

TTabulonApplication::TTabulonApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Brennick"));
    setApplicationName(QStringLiteral("Tabulon"));
    // No display name: the platform would append it to every window's title.
    // The main window and the message boxes carry the title themselves.

    // The desktop entry's id: lets the desktop match the windows to the
    // entry's name and icon.
    setDesktopFileName(QStringLiteral("example.brennick.Tabulon"));
    Q_INIT_RESOURCE(appicon);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/appicon/%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

bool TTabulonApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    apperror::guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

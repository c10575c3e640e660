#include "o_Application.h"

#include "o_AppError.h"

TTabulonApplication::TTabulonApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Brennick"));
    setApplicationName(QStringLiteral("Tabulon"));
    // No display name: the platform would append it to every window's title.
    // The main window and the message boxes carry the title themselves.
}

bool TTabulonApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    apperror::guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

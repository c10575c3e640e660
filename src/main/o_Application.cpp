#include "o_Application.h"

#include "o_AppError.h"
#include "o_AppInfo.h"

TTabulonApplication::TTabulonApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Brennick"));
    setApplicationName(QStringLiteral("Tabulon"));
    setApplicationDisplayName(appinfo::applicationTitle());
}

bool TTabulonApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    apperror::guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

// Tabulon: start the application, show the main window, run until it closes.
#include "f_main.h"

int main(int argc, char **argv)
{
    TTabulonApplication app(argc, argv);
    TFrmMain mainWindow;
    mainWindow.show();
    return app.exec();
}

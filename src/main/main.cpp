// Tabulon: start the application, show the main window, run until it closes.
#include "f_main.h"
#include "o_TabJournal.h"

int main(int argc, char **argv)
{
    TTabulonApplication app(argc, argv);
    TFrmMain mainWindow;
    TqdTabJournal journal(mainWindow.SQLPageControl, TqdTabJournal::defaultStateFolder());
    mainWindow.AttachJournal(&journal);
    mainWindow.show();
    return app.exec();
}

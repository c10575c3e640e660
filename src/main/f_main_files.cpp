// Scripts named on the command line, and the connection that such a tab gets
// when it first runs.
#include "f_main.h"

#include <QLabel>

#include "o_AppError.h"
#include "o_SQLTab.h"

void TFrmMain::OpenScriptFiles(const QStringList &fileNames)
{
    for (const QString &fileName : fileNames) {
        TqdSQLTab *tab = SQLPageControl->AddSQLTab();
        const bool loaded = apperror::guarded([&] { tab->LoadScript(fileName); });
        if (loaded) {
            SQLPageControl->SetActivePage(tab);
        } else {
            SQLPageControl->RemoveSQLTab(SQLPageControl->indexOf(tab));
        }
    }
    updateTabButtons();
}

bool TFrmMain::ConnectScriptTab(TqdSQLTab *tab)
{
    QTreeWidgetItem *node = ConnectToServer();
    TqdServerConnection *connection = NodeConnection(node);
    if (!connection)
        return false;
    tab->ServerConnection->AssignConnection(connection);
    tab->ServerConnection->ReConnect();
    lblConnectionInfo->setText(TqdSQLPageControl::fileNamePart(tab->ServerConnection->ServerName));
    return true;
}

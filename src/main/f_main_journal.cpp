// The journal of unsaved tabs at start-up, and connecting a tab whose
// connection is not open (a tab reopened from the journal has no password).
#include "f_main.h"

#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QStatusBar>
#include <QTimer>

#include "f_ConnectForm.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_TabJournal.h"

void TFrmMain::AttachJournal(TqdTabJournal *journal)
{
    connect(journal, &TqdTabJournal::report, this, [this](const QString &message) {
        if (auto *field = StatusBar->findChild<QLabel *>(QStringLiteral("StatusPanel")))
            field->setText(message);
    });
    if (journal->Start())
        journal->Restore();
    updateTabButtons();
}

bool TFrmMain::ConnectTab(TqdSQLTab *tab)
{
    TqdServerConnection *connection = tab->ServerConnection;
    if (connection->DBEngine == seNone)
        return ConnectScriptTab(tab);
    if (connection->Connected())
        return true;
    try {
        connection->ReConnect();
        return true;
    } catch (const ado::Exception &) {
        // The engine wants what is not kept (the password): ask for it below.
    }
    TFrmConnect dialog(this);
    int position = 0;
    while (engineAtPosition(position) != seNone && engineAtPosition(position) != connection->DBEngine)
        ++position;
    if (engineAtPosition(position) != seNone)
        dialog.cmbServerEngine->setCurrentIndex(position);
    dialog.cmbServerName->setEditText(QString::fromStdString(connection->ServerName));
    dialog.cmbUserName->setEditText(QString::fromStdString(connection->UserName));
    if (connection->Port != 0)
        dialog.edtPortNumber->setText(QString::number(connection->Port));
    dialog.edtDataBaseName->setText(QString::fromStdString(connection->DataBaseName));
    dialog.cmbServerEngineSelect();
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.cmbPassword->setFocus(Qt::OtherFocusReason); });
    if (!ConnectDialogRunner(dialog))
        return false;
    connection->AssignConnection(dialog.ServerConnection);
    connection->ReConnect();
    return true;
}

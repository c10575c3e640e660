#pragma once
// The connect dialog: the user picks an engine and types the server (or the
// database file), user, password and, for MySQL and PostgreSQL, port and
// database. Connect tries these settings on the dialog's own connection and
// closes with Ok only when that succeeds. Server and user names typed here are
// remembered in two history files in the user's application data folder.

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <vector>

#include "o_ServerConnection.h"

namespace Ui {
class TFrmConnect;
}
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TFileDialog;
class TqdBusyIndicator;

// The folder that holds "serverlist.dat" and "userlist.dat": the application's
// writable data folder, or the folder set with setHistoryFolder (empty = default).
QString historyFolder();
void setHistoryFolder(const QString &folder);

// History file contents: every entry followed by CR LF; on reading, lines end at
// CR LF, CR or LF, a NUL ends the text, and every line (empty ones too) is an entry.
std::vector<QByteArray> splitHistoryText(const QByteArray &bytes);
QByteArray joinHistoryText(const std::vector<QByteArray> &entries);

// "Reading text as an integer": an optional sign, then decimal digits within
// the 32-bit range, or up to eight significant hex digits after $, x, X, 0x, 0X.
bool readTextAsInteger(const QString &text, int &value);

// The engine at a position of the engine list; seNone outside it.
TqdServerEngine engineAtPosition(int position);

class TFrmConnect : public QDialog {
    Q_OBJECT
public:
    explicit TFrmConnect(QWidget *owner = nullptr);
    ~TFrmConnect() override;

    TqdServerConnection *ServerConnection = nullptr;

    QLabel *LogoImage = nullptr;
    QFrame *TabControl2 = nullptr;
    QComboBox *cmbServerEngine = nullptr;
    QComboBox *cmbServerName = nullptr;
    QToolButton *btnChooseDBFileName = nullptr;
    QComboBox *cmbUserName = nullptr;
    QLineEdit *cmbPassword = nullptr;
    QTabWidget *ExtendedPropsPageControl = nullptr;
    QLineEdit *edtPortNumber = nullptr;
    QLineEdit *edtDataBaseName = nullptr;
    QFrame *TabControl1 = nullptr;
    QPushButton *btnConnect = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnGetProviderInfo = nullptr;
    TFileDialog *OpenDialog = nullptr;
    // "Connecting… 00:03" with Cancel, over the buttons while Connect waits.
    TqdBusyIndicator *ConnectIndicator = nullptr;

    // Handlers. A key handler gets the typed character and sets it to 0 to discard it.
    void FormCreate();
    void FormShow();
    // Runs when the dialog is about to close with `result`; false keeps it open.
    bool FormClose(int result);
    void cmbServerEngineKeyPress(QObject *sender, char &key);
    void cmbServerEngineSelect();
    void cmbServerNameKeyPress(QObject *sender, char &key);
    void cmbServerNameExit(QObject *sender);
    void btnChooseDBFileNameClick();
    void edtPortNumberKeyPress(QObject *sender, char &key);
    void btnConnectClick();
    void btnCancelClick();
    void btnGetProviderInfoClick();

    // The texts "Get Provider Info" shows, by engine item; empty for the others.
    static QString providerInfoText(const QString &engineItem);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyHistoryRule(QComboBox *box);
    void loadHistory(QComboBox *box, const QString &fileName);
    bool saveHistory(QComboBox *box, const QString &fileName);
    void loadBanner();
    // Sizes grow from the designed ones where the font needs more room: the
    // boxes for their text and the engine names, the rows for the boxes, the
    // extended page for its rows, the buttons for their captions.
    void fitToFont();

    Ui::TFrmConnect *ui;
    bool m_shownOnce = false;
};

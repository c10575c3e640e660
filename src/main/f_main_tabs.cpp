// The main window's commands on query tabs: open, close, run, the clipboard
// commands, opening and saving scripts, help and About.
#include "f_main.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QUrl>

#include "f_About.h"
#include "o_AppInfo.h"
#include "o_FileInfo.h"
#include "o_Help.h"
#include "o_Prompts.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"

void TFrmMain::OpenNewTab()
{
    if (busy())
        return;
    QTreeWidgetItem *node = SelectedNode();
    if (!node) {
        // Open on the first server, or on a new one.
        node = DataBaseTreeView->topLevelItemCount() > 0 ? DataBaseTreeView->topLevelItem(0) : ConnectToServer();
        if (!node || !NodeConnection(node)) {
            updateTabButtons();
            return;
        }
        DataBaseTreeView->setCurrentItem(node);
        DataBaseTreeView->scrollToItem(node);
    }
    QTreeWidgetItem *root = RootNode(node);
    if (TqdServerConnection *connection = NodeConnection(root)) {
        TqdSQLTab *tab = addTabOn(connection);
        // One pass over the pattern: a "%1" in the node's text stays as it is.
        tab->SetCaption(QStringLiteral("%1 Query%2*").arg(root->text(0), QString::number(SQLPageControl->PageCount())));
    }
    updateTabButtons();
}

TqdSQLTab *TFrmMain::addTabOn(const TqdServerConnection *connection)
{
    TqdSQLTab *tab = SQLPageControl->AddSQLTab();
    SQLPageControl->SetActivePage(tab);
    tab->ServerConnection->AssignConnection(connection);
    tab->ServerConnection->ReConnect();
    lblConnectionInfo->setText(TqdSQLPageControl::fileNamePart(tab->ServerConnection->ServerName));
    return tab;
}

bool TFrmMain::CloseTab(int index)
{
    if (busy())
        return false;
    if (index >= 0 && index < SQLPageControl->PageCount()) {
        TqdSQLTab *tab = SQLPageControl->SQLTab(index);
        if (!tab->Saved && !tab->SynMemo->Lines().Text().empty()) {
            prompts::MessageRequest question;
            question.owner = this;
            question.text = QStringLiteral("Save SQL from [ ") + tab->Caption() + QStringLiteral(" ] ");
            question.caption = appinfo::applicationTitle();
            question.icon = QMessageBox::Question;
            question.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            question.defaultButton = QMessageBox::No;
            question.escapeButton = QMessageBox::Cancel;
            const QMessageBox::StandardButton answer = prompts::message(question);
            if (answer == QMessageBox::Yes)
                tab->SaveScript(SaveDialog);
            // Cancel, Escape and closing the box keep the tab, and so does a
            // cancelled save dialog (Saved turns true only once the file is written).
            if (answer != QMessageBox::No && !tab->Saved) {
                updateTabButtons();
                return false;
            }
        }
        SQLPageControl->RemoveSQLTab(index);
    }
    updateTabButtons();
    return true;
}

bool TFrmMain::CloseAllTabs()
{
    for (int i = SQLPageControl->PageCount() - 1; i >= 0; --i)
        if (!CloseTab(i))
            return false;
    return true;
}

void TFrmMain::mnuCloseTabClick() { CloseTab(SQLPageControl->ActivePageIndex()); }

void TFrmMain::mnuCloseallTabsClick() { CloseAllTabs(); }

void TFrmMain::mnuCloseallbutactiveClick()
{
    const int active = SQLPageControl->ActivePageIndex();
    for (int i = SQLPageControl->PageCount() - 1; i >= 0; --i)
        if (i != active && !CloseTab(i))
            return;
}

void TFrmMain::RunActiveTab()
{
    if (SQLPageControl->PageCount() == 0 || busy())
        return;
    TqdSQLTab *tab = SQLPageControl->SQLTab(SQLPageControl->ActivePageIndex());
    auto *field = StatusBar->findChild<QLabel *>(QStringLiteral("StatusPanel"));
    if (!ConnectTab(tab))
        return;
    if (tab->ExecuteSQL())
        field->setText(QStringLiteral("Info  : ") + QString::fromUtf8(tab->InfoMessage));
    else
        field->setText(QStringLiteral("Error : ") + QString::fromUtf8(tab->ErrorMessage));
}

void TFrmMain::mnuRunSQLClick() { RunActiveTab(); }

void TFrmMain::mnuNewTabClick() { OpenNewTab(); }

void TFrmMain::mnuCutClick()
{
    if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        if (tab->SynMemo->SelAvail())
            tab->SynMemo->CutToClipboard();
}

void TFrmMain::mnuCopyClick()
{
    if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        if (tab->SynMemo->SelAvail())
            tab->SynMemo->CopyToClipboard();
}

void TFrmMain::mnuPasteClick()
{
    if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        tab->SynMemo->PasteFromClipboard();
}

void TFrmMain::mnuDeleteClick()
{
    if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        if (tab->SynMemo->SelAvail())
            tab->SynMemo->ClearSelection();
}

void TFrmMain::mnuSaveSQLScriptClick()
{
    if (TqdSQLTab *tab = SQLPageControl->ActiveSQLTab())
        tab->SaveScript(SaveDialog);
}

void TFrmMain::mnuOpenSQLScriptClick()
{
    if (busy())
        return;
    if (!SQLPageControl->ActiveSQLTab())
        OpenNewTab();
    TqdSQLTab *tab = SQLPageControl->ActiveSQLTab();
    if (!tab)
        return;
    if (tab->Saved || fileinfo::isBlank(tab->SynMemo->Lines().Text())) {
        tab->OpenScript(OpenDialog);
        return;
    }
    // Unsaved text stays where it is: the script opens in a new tab on the
    // same server, made only once the user has chosen an existing file.
    if (!OpenDialog->Execute() || !QFileInfo::exists(OpenDialog->FileName))
        return;
    TqdSQLTab *scriptTab = addTabOn(tab->ServerConnection);
    updateTabButtons();
    scriptTab->LoadScript(OpenDialog->FileName);
}

void TFrmMain::TabulonHelp1Click()
{
    // The viewer's answer does not matter: a missing manual reports nothing.
    const QString helpFile = help::findHelpFile(QCoreApplication::applicationDirPath());
    if (!helpFile.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

void TFrmMain::About2Click() { ShowAbout(); }

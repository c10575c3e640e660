#pragma once
// A main window under test: message boxes and file dialogs are answered and
// recorded, the connect dialog is answered with settings the test chooses.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "f_ConnectForm.h"
#include "f_main.h"
#include "o_Prompts.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"
#include "testenv.h"

namespace mainfixture {

inline void pgSettings(TqdServerConnection &c, const std::string &database = testenv::pgDatabase())
{
    c.DBEngine = sePostGre;
    c.ServerName = testenv::pgSocket();
    c.UserName = testenv::pgUser();
    c.Password = testenv::pgPassword();
    c.Port = testenv::pgPort();
    c.DataBaseName = database;
}

// The MariaDB test server, over its socket unless a host is named.
inline void mySettings(TqdServerConnection &c, const std::string &server = testenv::mySocket())
{
    c.DBEngine = seMySQL;
    c.ServerName = server;
    c.UserName = testenv::myUser();
    c.Password = testenv::myPassword();
    c.Port = testenv::myPort();
    c.DataBaseName.clear();
}

inline std::string accessFile() { return testenv::accessFixtureDir() + "/indexTestV2000.mdb"; }

inline void accessSettings(TqdServerConnection &c)
{
    c.DBEngine = seMSAccess;
    c.ServerName = accessFile();
    c.UserName.clear();
    c.Password.clear();
}

// The lines of a tab's editor.
inline std::vector<std::string> editorLines(TqdSQLTab *tab)
{
    std::vector<std::string> lines;
    for (int i = 0; i < tab->SynMemo->Lines().Count(); ++i)
        lines.push_back(tab->SynMemo->Lines().Strings(i));
    return lines;
}

inline std::vector<QString> childTexts(QTreeWidgetItem *node)
{
    std::vector<QString> texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts.push_back(node->child(i)->text(0));
    return texts;
}

inline QTreeWidgetItem *childNamed(QTreeWidgetItem *node, const QString &text)
{
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    return nullptr;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setHistoryFolder(QString::fromStdString(testenv::tempDir()));
        prompts::setMessageAnswerer([this](const prompts::MessageRequest &r) {
            messages.push_back(r);
            if (answerMessage)
                return answerMessage(r);
            return r.buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
        });
        prompts::setFileAnswerer([this](const prompts::FileRequest &r) {
            fileRequests.push_back(r);
            if (fileAnswers.empty())
                return prompts::FileAnswer{};
            prompts::FileAnswer a = fileAnswers.front();
            fileAnswers.pop_front();
            return a;
        });
        w = std::make_unique<TFrmMain>();
        w->ConnectDialogRunner = [this](TFrmConnect &dialog) {
            ++connectDialogs;
            if (!nextServer)
                return false;
            nextServer(*dialog.ServerConnection);
            return true;
        };
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    void TearDown() override
    {
        answerMessage = [](const prompts::MessageRequest &) { return QMessageBox::No; };
        w.reset();
        prompts::setMessageAnswerer(nullptr);
        prompts::setFileAnswerer(nullptr);
    }

    // Connect through the Connect command, the dialog answered with these settings.
    QTreeWidgetItem *connectWith(const std::function<void(TqdServerConnection &)> &settings)
    {
        nextServer = settings;
        const int before = w->DataBaseTreeView->topLevelItemCount();
        w->mnuConnect->trigger();
        nextServer = nullptr;
        const int after = w->DataBaseTreeView->topLevelItemCount();
        return after > before ? w->DataBaseTreeView->topLevelItem(after - 1) : nullptr;
    }
    QTreeWidgetItem *connectPg(const std::string &database = testenv::pgDatabase())
    {
        return connectWith([database](TqdServerConnection &c) { pgSettings(c, database); });
    }
    QTreeWidgetItem *connectAccess() { return connectWith([](TqdServerConnection &c) { accessSettings(c); }); }

    void select(QTreeWidgetItem *node) { w->DataBaseTreeView->setCurrentItem(node); }

    // A left click on a node as the user makes it.
    void click(QTreeWidgetItem *node)
    {
        w->DataBaseTreeView->scrollToItem(node);
        const QRect r = w->DataBaseTreeView->visualItemRect(node);
        QTest::mouseClick(w->DataBaseTreeView->viewport(), Qt::LeftButton, {}, r.center());
    }
    // A click below the last node.
    void clickEmptySpace()
    {
        QWidget *vp = w->DataBaseTreeView->viewport();
        QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(vp->width() / 2, vp->height() - 3));
    }

    // Open a tab on a node's server through the New Tab command.
    TqdSQLTab *openTabOn(QTreeWidgetItem *node)
    {
        select(node);
        w->mnuNewTab->trigger();
        return w->SQLPageControl->ActiveSQLTab();
    }

    // The texts of the save questions asked so far.
    std::vector<QString> questions() const
    {
        std::vector<QString> texts;
        for (const auto &m : messages)
            if (m.icon == QMessageBox::Question)
                texts.push_back(m.text);
        return texts;
    }

    std::vector<prompts::MessageRequest> errorBoxes() const
    {
        std::vector<prompts::MessageRequest> boxes;
        for (const auto &m : messages)
            if (m.icon == QMessageBox::Critical)
                boxes.push_back(m);
        return boxes;
    }

    std::unique_ptr<TFrmMain> w;
    std::vector<prompts::MessageRequest> messages;
    std::function<QMessageBox::StandardButton(const prompts::MessageRequest &)> answerMessage;
    std::vector<prompts::FileRequest> fileRequests;
    std::deque<prompts::FileAnswer> fileAnswers;
    std::function<void(TqdServerConnection &)> nextServer;
    int connectDialogs = 0;
};

} // namespace mainfixture

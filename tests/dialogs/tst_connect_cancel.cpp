// Connecting to a server that accepts and never answers: the dialog shows
// "Connecting…" with the time and Cancel, keeps painting, and Cancel or
// Escape gives it back at once with its entries as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "../providers/server_provider_support.h"
#include "dialogs_fixture.h"
#include "f_ConnectForm.h"
#include "o_BusyIndicator.h"

namespace {

struct Case {
    const char *name;
    int enginePosition;
    bool escape; // else the strip's Cancel button
};

class ConnectCancel : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { setHistoryFolder(QString::fromStdString(testenv::tempDir())); }
    void TearDown() override { setHistoryFolder({}); }
    dialogs_test::RecordedPrompts prompts;
};

TEST_P(ConnectCancel, SilentServerGivesTheDialogBack)
{
    const Case c = GetParam();
    provider_test::SilentListener listener;
    TFrmConnect dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.cmbServerEngine->setCurrentIndex(c.enginePosition);
    dialog.cmbServerName->setEditText(QStringLiteral("127.0.0.1"));
    dialog.cmbUserName->setEditText(QStringLiteral("someone"));
    dialog.cmbPassword->setText(QStringLiteral("secret"));
    dialog.edtPortNumber->setText(QString::number(listener.port()));
    dialog.edtDataBaseName->setText(QStringLiteral("db1"));
    dialog.cmbPassword->setFocus();

    QStringList seen; // the strip's text while the attempt lasts
    QElapsedTimer sinceCancel;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dialog.ConnectIndicator->isVisible())
            seen << dialog.ConnectIndicator->lblRunning()->text();
        if (seen.size() < 13 || sinceCancel.isValid())
            return;
        sinceCancel.start();
        if (c.escape)
            QTest::keyClick(dialog.cmbPassword, Qt::Key_Escape);
        else
            dialog.ConnectIndicator->btnCancel()->click();
    });
    watch.start();
    dialog.btnConnect->click(); // returns when the attempt is over
    const qint64 backAfterMs = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    watch.stop();
    std::printf("%s: Cancel to window %lld ms\n", c.name, static_cast<long long>(backAfterMs));
    RecordProperty("cancel_to_window_ms", int(backAfterMs));

    ASSERT_TRUE(sinceCancel.isValid()) << "the attempt ended by itself";
    EXPECT_LT(backAfterMs, 1000);
    ASSERT_FALSE(seen.isEmpty()) << "no strip while connecting";
    EXPECT_EQ(seen.front(), QStringLiteral("Connecting\u2026 00:00"));
    EXPECT_EQ(seen.back(), QStringLiteral("Connecting\u2026 00:01")) << "the window stopped painting";
    EXPECT_EQ(listener.accepted(), 1);

    EXPECT_TRUE(prompts.messages.empty()) << "a cancelled attempt is no error";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.ConnectIndicator->isVisible());
    EXPECT_FALSE(dialog.ServerConnection->Connected());
    EXPECT_EQ(dialog.cmbServerName->currentText(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(dialog.cmbUserName->currentText(), QStringLiteral("someone"));
    EXPECT_EQ(dialog.cmbPassword->text(), QStringLiteral("secret"));
    EXPECT_EQ(dialog.edtPortNumber->text(), QString::number(listener.port()));
    EXPECT_EQ(dialog.edtDataBaseName->text(), QStringLiteral("db1"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ConnectCancel,
                         ::testing::Values(Case{"PostgreSQL_Escape", 8, true}, Case{"MySQL_CancelButton", 5, false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

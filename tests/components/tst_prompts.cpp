// The message boxes and file dialogs as the program shows them (no answerer
// installed): texts as they stand, Escape's answer, default extensions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include "modal_script.h"
#include "o_Prompts.h"

using modaltest::ModalScript;

namespace {

bool isMessageBox(QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; }

TEST(Prompts, MessageTextsAreShownAsTheyStand)
{
    // A provider's message and a file name that would read as markup.
    const QString texts[] = {
        QStringLiteral("ERROR: relation \"<b>orders</b>\" does not exist\nLINE 1: select * from <b>orders</b>"),
        QStringLiteral("Cannot open file \"/tmp/<i>x</i>&amp;.sql\". Permission denied"),
        QStringLiteral("<html><body>not a page</body></html>"),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        ASSERT_TRUE(Qt::mightBeRichText(text)) << "the case must be one that markup detection would take";
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        ModalScript script;
        script.then("the message box", isMessageBox, [&](QWidget *w) {
            const auto *label = w->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            if (label) {
                shown = label->text();
                format = label->textFormat();
            }
            static_cast<QMessageBox *>(w)->button(QMessageBox::Ok)->click();
        });
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        script.run([&] {
            prompts::MessageRequest r;
            r.text = text;
            r.caption = QStringLiteral("Tabulon");
            r.icon = QMessageBox::Critical;
            answer = prompts::message(r);
        });
        EXPECT_EQ(answer, QMessageBox::Ok);
        EXPECT_EQ(shown, text);
        EXPECT_EQ(format, Qt::PlainText);
    }
}

TEST(Prompts, EscapeGivesTheEscapeButton)
{
    const struct {
        const char *name;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton escape, expected;
    } cases[] = {
        {"Cancel named", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
         QMessageBox::Cancel},
        {"No named", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, QMessageBox::No},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModalScript script;
        script.then("the question", isMessageBox, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        script.run([&] {
            prompts::MessageRequest r;
            r.text = QStringLiteral("Save SQL from [ x ] ");
            r.icon = QMessageBox::Question;
            r.buttons = c.buttons;
            r.defaultButton = QMessageBox::No;
            r.escapeButton = c.escape;
            answer = prompts::message(r);
        });
        EXPECT_EQ(answer, c.expected);
    }
}

TEST(Prompts, DefaultExtensionOnlyForNamesWithoutOne)
{
    const struct {
        const char *name, *ext, *expected;
    } cases[] = {
        {"/tmp/plain", ".sql", "/tmp/plain.sql"},   {"/tmp/plain", "sql", "/tmp/plain.sql"},
        {"/tmp/named.txt", ".sql", "/tmp/named.txt"}, {"/tmp/dir.d/inner", ".sql", "/tmp/dir.d/inner.sql"},
        {"C:\\dir.d\\inner", ".sql", "C:\\dir.d\\inner.sql"}, {"/tmp/noext", "", "/tmp/noext"},
        {"/tmp/trailing.", ".sql", "/tmp/trailing."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(prompts::withDefaultExtension(QString::fromLatin1(c.name), QString::fromLatin1(c.ext)),
                  QString::fromLatin1(c.expected))
            << c.name << " + " << c.ext;
}

} // namespace

// The message boxes and file dialogs as the program shows them (no answerer
// installed): texts as they stand, Escape's answer, default extensions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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

TEST(Prompts, SaveDialogTakesTheExtensionOfTheFilterChosenLast)
{
    prompts::FileRequest request;
    request.mode = prompts::FileMode::Save;
    request.filter = QStringLiteral("Text|*.txt|JSON documents|*.json;*.js|Anything|*");
    request.filterIndex = 1;
    request.defaultExt = QStringLiteral("txt");
    request.extensionFromFilter = true;
    const QString dir = QDir::tempPath();
    struct Case {
        int filter; // the filter chosen in the dialog, zero-based
        const char *typed, *chosen;
    } cases[] = {
        {1, "data", "data.json"}, {0, "data", "data.txt"}, {1, "named.csv", "named.csv"}, {2, "data", "data.txt"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        prompts::FileAnswer answer;
        ModalScript script;
        script.then("the save dialog", [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; },
                    [&](QWidget *w) {
                        auto *dialog = static_cast<QFileDialog *>(w);
                        dialog->selectNameFilter(dialog->nameFilters().at(c.filter));
                        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                        edit->setText(dir + QLatin1Char('/') + QString::fromLatin1(c.typed));
                        QTest::keyClick(edit, Qt::Key_Return);
                    });
        script.run([&] { answer = prompts::chooseFile(request); });
        ASSERT_TRUE(answer.accepted);
        EXPECT_EQ(answer.fileName, dir + QLatin1Char('/') + QString::fromLatin1(c.chosen));
        EXPECT_EQ(answer.filterIndex, c.filter + 1);
    }
}

} // namespace

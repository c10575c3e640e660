// A Qt generic plugin that drives a running tabulon executable from a test:
// the test starts the program with QT_PLUGIN_PATH pointing at this plugin's
// folder and QT_QPA_GENERIC_PLUGINS=tabulondriver, writes one command a line
// to the program's standard input and reads "ok ..." or "error ..." back from
// its standard output. Input reaches the program as key events, clicks and
// menu commands, the way a user's would.
//
// Commands (arguments percent-encoded, separated by spaces):
//   invoke <slot>                         queue a slot of the main window (mnuNewTabClick, ...)
//   connect <engine> <server> <user> <password> <port> <database>
//                                         answer the connect dialog once it is up
//   answer <button text>                  click a button of the message box once it is up
//   tabs <n>                              wait until n tabs are open
//   select <index>                        make a tab active and focus its editor
//   type <text>                           key events for every character (\n is Return)
//   paste <file>                          the file's UTF-8 text on the clipboard, then Ctrl+V
//   key <sequence>                        one key combination ("Ctrl+Home")
//   dump <file>                           write every tab's caption and bytes to a file
//   status                                reply with the status line's text
//   close                                 close the main window

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGenericPlugin>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

#include <cstdio>
#include <deque>
#include <unistd.h>

namespace {

QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmMain"))
            return w;
    return nullptr;
}

QTabWidget *tabSet()
{
    QWidget *main = mainWindow();
    return main ? main->findChild<QTabWidget *>(QStringLiteral("SQLPageControl")) : nullptr;
}

QsciScintilla *editorOf(QWidget *tab) { return tab ? tab->findChild<QsciScintilla *>(QStringLiteral("SynMemo")) : nullptr; }

QsciScintilla *activeEditor()
{
    QTabWidget *tabs = tabSet();
    return tabs ? editorOf(tabs->currentWidget()) : nullptr;
}

QByteArray editorBytes(QsciScintilla *editor)
{
    const long length = editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const char *data = static_cast<const char *>(editor->SendScintillaPtrResult(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArray(data, length);
}

class Driver : public QObject {
public:
    Driver()
    {
        m_notifier = new QSocketNotifier(0, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &Driver::readInput);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &Driver::step);
        m_timer.start();
    }

private:
    void readInput()
    {
        char buffer[4096];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0) {
            m_notifier->setEnabled(false);
            return;
        }
        m_input.append(buffer, n);
        qsizetype end;
        while ((end = m_input.indexOf('\n')) >= 0) {
            m_commands.push_back(QString::fromUtf8(m_input.left(end)));
            m_input.remove(0, end + 1);
        }
    }

    void reply(const QByteArray &text)
    {
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    void step()
    {
        if (m_busy || m_commands.empty())
            return;
        m_busy = true;
        if (m_waited == 0)
            m_started.start();
        QByteArray answer;
        const bool done = run(m_commands.front(), answer);
        if (done || m_started.elapsed() > 20000) {
            reply(done ? answer : "error timeout: " + m_commands.front().toUtf8());
            m_commands.pop_front();
            m_waited = 0;
        } else {
            ++m_waited;
        }
        m_busy = false;
    }

    // True when the command is carried out; false to try again shortly.
    bool run(const QString &line, QByteArray &answer)
    {
        QStringList args = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (args.isEmpty()) {
            answer = "ok";
            return true;
        }
        const QString command = args.takeFirst();
        for (QString &arg : args)
            arg = QString::fromUtf8(QByteArray::fromPercentEncoding(arg.toUtf8()));
        const auto arg = [&](int i) { return i < args.size() ? args.at(i) : QString(); };
        answer = "ok";

        if (command == QLatin1String("invoke")) {
            QWidget *main = mainWindow();
            if (!main)
                return false;
            QMetaObject::invokeMethod(main, arg(0).toLatin1().constData(), Qt::QueuedConnection);
            return true;
        }
        if (command == QLatin1String("connect")) {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->findChild<QComboBox *>(QStringLiteral("cmbServerEngine")))
                return false;
            dialog->findChild<QComboBox *>(QStringLiteral("cmbServerEngine"))->setCurrentIndex(arg(0).toInt());
            dialog->findChild<QComboBox *>(QStringLiteral("cmbServerName"))->setEditText(arg(1));
            dialog->findChild<QComboBox *>(QStringLiteral("cmbUserName"))->setEditText(arg(2));
            dialog->findChild<QLineEdit *>(QStringLiteral("cmbPassword"))->setText(arg(3));
            dialog->findChild<QLineEdit *>(QStringLiteral("edtPortNumber"))->setText(arg(4));
            dialog->findChild<QLineEdit *>(QStringLiteral("edtDataBaseName"))->setText(arg(5));
            dialog->findChild<QPushButton *>(QStringLiteral("btnConnect"))->click();
            return true;
        }
        if (command == QLatin1String("answer")) {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return false;
            for (QAbstractButton *button : box->buttons()) {
                if (button->text().remove(QLatin1Char('&')) == arg(0)) {
                    answer = "ok " + box->text().toUtf8();
                    button->click();
                    return true;
                }
            }
            answer = "error no button " + arg(0).toUtf8();
            return true;
        }
        if (command == QLatin1String("tabs")) {
            QTabWidget *tabs = tabSet();
            return tabs && tabs->count() == arg(0).toInt() && !QApplication::activeModalWidget();
        }
        if (command == QLatin1String("select")) {
            QTabWidget *tabs = tabSet();
            if (!tabs || arg(0).toInt() >= tabs->count())
                return false;
            tabs->setCurrentIndex(arg(0).toInt());
            editorOf(tabs->currentWidget())->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (command == QLatin1String("type")) {
            QsciScintilla *editor = activeEditor();
            if (!editor)
                return false;
            for (const QChar c : arg(0)) {
                if (c == QLatin1Char('\n'))
                    QTest::keyClick(editor, Qt::Key_Return);
                else
                    QTest::sendKeyEvent(QTest::Click, editor, c.unicode() < 128 ? QTest::asciiToKey(char(c.unicode())) : Qt::Key_unknown,
                                        QString(c), Qt::NoModifier);
            }
            return true;
        }
        if (command == QLatin1String("paste")) {
            QsciScintilla *editor = activeEditor();
            QFile file(arg(0));
            if (!editor || !file.open(QIODevice::ReadOnly)) {
                answer = "error cannot paste";
                return true;
            }
            QApplication::clipboard()->setText(QString::fromUtf8(file.readAll()));
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            return true;
        }
        if (command == QLatin1String("key")) {
            QWidget *target = QApplication::focusWidget();
            if (!target)
                target = activeEditor();
            if (!target)
                return false;
            const QKeyCombination keys = QKeySequence(arg(0))[0];
            QTest::keyClick(target, keys.key(), keys.keyboardModifiers());
            return true;
        }
        if (command == QLatin1String("dump")) {
            QTabWidget *tabs = tabSet();
            QFile out(arg(0));
            if (!tabs || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                answer = "error cannot dump";
                return true;
            }
            // tabs <n>, then per tab: caption line, byte count line, the bytes, a newline
            out.write("tabs " + QByteArray::number(tabs->count()) + '\n');
            for (int i = 0; i < tabs->count(); ++i) {
                const QByteArray bytes = editorBytes(editorOf(tabs->widget(i)));
                out.write(tabs->tabText(i).replace(QLatin1String("&&"), QLatin1String("&")).toUtf8() + '\n');
                out.write(QByteArray::number(bytes.size()) + '\n' + bytes + '\n');
            }
            return true;
        }
        if (command == QLatin1String("status")) {
            QWidget *main = mainWindow();
            auto *field = main ? main->findChild<QLabel *>(QStringLiteral("StatusPanel")) : nullptr;
            answer = "ok " + (field ? field->text().toUtf8() : QByteArray());
            return true;
        }
        if (command == QLatin1String("close")) {
            if (QWidget *main = mainWindow())
                QMetaObject::invokeMethod(main, "close", Qt::QueuedConnection);
            return true;
        }
        answer = "error unknown command " + command.toUtf8();
        return true;
    }

    QSocketNotifier *m_notifier = nullptr;
    QTimer m_timer;
    QByteArray m_input;
    std::deque<QString> m_commands;
    QElapsedTimer m_started;
    int m_waited = 0;
    bool m_busy = false;
};

} // namespace

class TabulonDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "tabulondriver.json")
public:
    QObject *create(const QString &, const QString &) override { return new Driver; }
};

#include "tabulon_driver.moc"

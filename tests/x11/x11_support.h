#pragma once
// Real input and window properties on the tests' own X server: keys and
// clicks go through the XTEST extension (xdotool), so a widget receives them
// exactly as from a keyboard or a mouse; titles and hints are read back from
// the server as a window manager reads them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <functional>

namespace x11test {

// Runs a command of the X tools against the tests' display; its output.
inline QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " failed: "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return p.readAllStandardOutput();
}

// Lets the application handle events until `done` holds (true) or the time is up (false).
inline bool waitUntil(const std::function<bool()> &done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return true;
}

// Shows a window and gives it the X input focus.
inline void showActive(QWidget *window)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// Key presses by key name ("Escape", "Return", "Delete", "Home", "a").
inline void pressKeys(const QStringList &keys)
{
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} + keys);
}

inline void typeText(const QString &text)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

// Left clicks at a point of a widget: `count` 2 makes a double click.
inline void clickAt(QWidget *widget, QPoint at, int count = 1)
{
    const QPoint global = widget->mapToGlobal(at);
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                                    QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                                    QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
}

// A property of a window as the X server holds it (xprop's line for it).
inline QString windowProperty(QWidget *window, const char *property)
{
    return QString::fromUtf8(run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                                           QString::fromLatin1(property)}))
        .trimmed();
}

} // namespace x11test

#pragma once
// Answers the real modal windows (file dialogs, message boxes) that open while
// a command runs, one step at a time. Each step says which window it wants
// and what to do with it; the action runs from the event loop, so it may
// itself open the next window and wait in it. A window that no step wants for
// a few seconds is rejected and reported, so a missing question fails the
// test instead of hanging it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>

namespace modaltest {

class ModalScript {
public:
    using Match = std::function<bool(QWidget *modal)>;
    using Action = std::function<void(QWidget *modal)>;

    ModalScript &then(const std::string &what, Match wants, Action act)
    {
        m_steps.push_back({what, std::move(wants), std::move(act)});
        return *this;
    }

    // Runs `command` with the steps answering its modal windows.
    void run(const std::function<void()> &command)
    {
        QTimer timer;
        timer.setInterval(20);
        QElapsedTimer waiting;
        waiting.start();
        bool queued = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (queued || !modal || !modal->isVisible())
                return;
            if (!m_steps.empty() && m_steps.front().wants(modal)) {
                const Entry step = m_steps.front();
                m_steps.pop_front();
                queued = true;
                waiting.restart();
                QTimer::singleShot(0, &timer, [&queued, step, target = QPointer<QWidget>(modal)] {
                    queued = false;
                    if (target)
                        step.act(target);
                });
                return;
            }
            if (waiting.elapsed() > 5000) {
                ADD_FAILURE() << "unexpected window \"" << modal->windowTitle().toStdString() << "\" ("
                              << modal->metaObject()->className() << ")"
                              << (m_steps.empty() ? std::string() : ", waiting for: " + m_steps.front().what);
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
                else
                    modal->close();
                waiting.restart();
            }
        });
        timer.start();
        command();
        timer.stop();
        for (const Entry &left : m_steps)
            ADD_FAILURE() << "never shown: " << left.what;
        m_steps.clear();
    }

private:
    struct Entry {
        std::string what;
        Match wants;
        Action act;
    };
    std::deque<Entry> m_steps;
};

} // namespace modaltest

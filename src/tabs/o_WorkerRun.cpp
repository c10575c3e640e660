#include "o_WorkerRun.h"

#include "o_BusyIndicator.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <atomic>
#include <exception>
#include <thread>

namespace {

int g_active = 0;

// Swallows the user's input to every widget but the busy indicator.
class InputBlocker : public QObject {
public:
    InputBlocker(TqdBusyIndicator *indicator, std::function<void()> cancel, QWidget *rows)
        : m_indicator(indicator), m_cancel(std::move(cancel)), m_rows(rows)
    {
        if (rows)
            for (QWidget *w : QApplication::topLevelWidgets())
                m_windowsBefore.insert(w);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (opened(watched))
            return false; // the result grid, and what was opened from it
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                if (m_cancel)
                    m_cancel();
                return true;
            }
            [[fallthrough]];
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Shortcut:
            break;
        case QEvent::ShortcutOverride:
            // Accepting the override keeps menu and toolbar shortcuts from firing;
            // the key press that follows is swallowed below.
            if (inIndicator(watched))
                return false;
            event->accept();
            return true;
        case QEvent::Close:
            // Windows stay open until the run is over (closing a window
            // would destroy the tab that waits).
            if (auto *w = qobject_cast<QWidget *>(watched); w && w->isWindow()) {
                event->ignore();
                return true;
            }
            return false;
        default:
            return false;
        }
        // Window-level objects pass input on to their widgets.
        if (!watched->isWidgetType())
            return event->type() == QEvent::Shortcut;
        return !inIndicator(watched);
    }

private:
    // The grid whose rows arrive, its parts and the windows it owns (its
    // value viewer, its menu), and windows that were not open when the call
    // began (the export's dialogs).
    bool opened(QObject *watched) const
    {
        if (!m_rows || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        for (QWidget *p = w; p; p = p->parentWidget())
            if (p == m_rows)
                return true;
        return !m_windowsBefore.contains(w->window());
    }
    bool inIndicator(QObject *watched) const
    {
        auto *w = qobject_cast<QWidget *>(watched);
        return w && m_indicator && (w == m_indicator || m_indicator->isAncestorOf(w));
    }
    QPointer<TqdBusyIndicator> m_indicator;
    std::function<void()> m_cancel;
    QPointer<QWidget> m_rows;
    QSet<QWidget *> m_windowsBefore;
};

} // namespace

bool workerRunActive()
{
    return g_active > 0;
}

void runOnWorker(const std::function<void()> &call, TqdBusyIndicator *indicator,
                 const std::function<void()> &cancel, QWidget *rows)
{
    std::exception_ptr failure;
    std::atomic<bool> done{false};
    QEventLoop loop;

    InputBlocker blocker(indicator, cancel, rows);
    qApp->installEventFilter(&blocker);
    ++g_active;
    QMetaObject::Connection cancelConnection;
    if (indicator) {
        cancelConnection = QObject::connect(indicator, &TqdBusyIndicator::cancelRequested, &loop, [&cancel] {
            if (cancel)
                cancel();
        });
        indicator->start();
    }

    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // An application-wide exit also ends nested loops; keep waiting for the call.
    while (!done.load())
        loop.exec();
    worker.join();

    if (indicator) {
        QObject::disconnect(cancelConnection);
        indicator->stop();
    }
    --g_active;
    qApp->removeEventFilter(&blocker);

    if (failure)
        std::rethrow_exception(failure);
}

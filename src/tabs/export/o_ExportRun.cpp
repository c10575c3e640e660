#include "o_ExportRun.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent>

#include <QCloseEvent>

#include <atomic>
#include <exception>

namespace {

// A progress dialog that stays up after Cancel (and Escape, and its close
// button) until the work has really stopped, keeping the window blocked.
class StopDialog : public QProgressDialog {
public:
    StopDialog(const QString &label, QWidget *owner) : QProgressDialog(label, QStringLiteral("Cancel"), 0, 1000, owner)
    {
        disconnect(this, &QProgressDialog::canceled, this, &QProgressDialog::cancel);
    }
    void reject() override { emit canceled(); }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        emit canceled();
        event->ignore();
    }
};

} // namespace

TExportOutcome runWithProgress(QWidget *owner, const QString &label, long long total, const TExportWork &work)
{
    std::atomic<bool> stop{false};
    std::atomic<long long> done{0};
    const TExportProgress progress = [&stop, &done](long long rows) {
        done.store(rows, std::memory_order_relaxed);
        return !stop.load(std::memory_order_relaxed);
    };
    QFutureWatcher<TExportOutcome> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&work, &progress]() {
        try {
            return work(progress);
        } catch (const std::exception &e) {
            TExportOutcome outcome;
            outcome.error = QString::fromLocal8Bit(e.what());
            return outcome;
        }
    }));

    // A short run finishes before anyone would notice a pause.
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    quiet.start(kQuietMs);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!watcher.isFinished()) {
        StopDialog dialog(label, owner);
        dialog.setObjectName(QStringLiteral("ExportProgress"));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAutoClose(false);
        dialog.setAutoReset(false);
        dialog.setMinimumDuration(0);
        QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&stop, &dialog]() {
            stop = true;
            dialog.setLabelText(QStringLiteral("Stopping..."));
        });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &dialog, [&]() {
            if (total > 0)
                dialog.setValue(int(std::min<long long>(1000, done.load() * 1000 / total)));
        });
        tick.start(50);
        if (total <= 0)
            dialog.setRange(0, 0); // no count to measure against: a busy bar
        dialog.show();
        if (!watcher.isFinished())
            loop.exec();
    }
    TExportOutcome outcome = watcher.result();
    if (stop && !outcome.ok && outcome.error.isEmpty())
        outcome.cancelled = true;
    return outcome;
}

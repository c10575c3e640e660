#pragma once
// The small frame a query tab shows while its statement runs: "Running…"
// with the time elapsed, and a Cancel button. It appears only when the run
// lasts longer than a moment. The connect dialog shows one as "Connecting…".

#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>

class QLabel;
class QPushButton;

class TqdBusyIndicator : public QFrame {
    Q_OBJECT
public:
    explicit TqdBusyIndicator(QWidget *parent);

    static constexpr int kShowDelayMs = 400;

    QLabel *lblRunning() const { return m_label; }
    QPushButton *btnCancel() const { return m_cancel; }

    // Start timing; the frame shows itself after kShowDelayMs.
    void start();
    void stop();
    // What the frame says is going on ("Running" unless set).
    void setActivity(const QString &activity) { m_activity = activity; }
    // "Running… 00:03"
    static QString runningText(qint64 elapsedMs, const QString &activity = QStringLiteral("Running"));

signals:
    void cancelRequested();

private:
    void tick();
    QLabel *m_label;
    QPushButton *m_cancel;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    QString m_activity = QStringLiteral("Running");
};

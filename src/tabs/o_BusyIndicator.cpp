#include "o_BusyIndicator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TqdBusyIndicator::TqdBusyIndicator(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("BusyIndicator"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblRunning"));
    layout->addWidget(m_label, 1);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btnCancelRun"));
    m_cancel->setToolTip(tr("Stop the statement (Esc)"));
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &TqdBusyIndicator::cancelRequested);
    m_timer.setInterval(200);
    connect(&m_timer, &QTimer::timeout, this, &TqdBusyIndicator::tick);
    hide();
}

QString TqdBusyIndicator::runningText(qint64 elapsedMs, const QString &activity)
{
    const qint64 seconds = elapsedMs / 1000;
    return QStringLiteral("%1\u2026 %2:%3")
        .arg(activity)
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TqdBusyIndicator::start()
{
    m_elapsed.start();
    m_cancel->setEnabled(true);
    m_label->setText(runningText(0, m_activity));
    m_timer.start();
}

void TqdBusyIndicator::stop()
{
    m_timer.stop();
    hide();
}

void TqdBusyIndicator::tick()
{
    const qint64 ms = m_elapsed.elapsed();
    m_label->setText(runningText(ms, m_activity));
    if (ms >= kShowDelayMs && !isVisible()) {
        show();
        raise();
    }
}

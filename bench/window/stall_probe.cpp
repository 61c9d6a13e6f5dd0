#include "window/stall_probe.h"

StallProbe::StallProbe(int intervalMs, QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

void StallProbe::begin(const QString &phase)
{
    m_phase = Phase{phase};
    m_sinceTick.start();
    m_timer.start();
}

StallProbe::Phase StallProbe::finish()
{
    tick();  // a stall still going on counts up to now
    m_timer.stop();
    return m_phase;
}

void StallProbe::tick()
{
    const double gapMs = double(m_sinceTick.nsecsElapsed()) / 1e6;
    m_sinceTick.start();
    ++m_phase.ticks;
    if (gapMs > m_phase.longestGapMs)
        m_phase.longestGapMs = gapMs;
    if (gapMs > 50)
        ++m_phase.gapsOver50Ms;
}

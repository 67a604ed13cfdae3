#include "app/StallMeter.h"

#include "core/Logging.h"
#include "core/StationHealth.h"

#include <QDateTime>
#include <QTimerEvent>

#include <algorithm>

StallMeter::StallMeter()
    : m_report(lcStall().isInfoEnabled())
    , m_tickMs(m_report ? kTickMs : kCoarseTickMs)
{
    // Held before its first pass counts as held too.
    StationHealth::UiLastPassMs() = StationHealth::SteadyMs();
    m_running.start();
    m_timer.start(m_tickMs, m_report ? Qt::PreciseTimer : Qt::CoarseTimer, this);
}

StallMeter::~StallMeter()
{
    if (!m_report)
        return;
    qCInfo(lcStall, "longest event-loop stall %.1f ms; %d passes over %d ms in %.1f s",
           double(m_longestNs) / 1e6, m_longStalls, kLongMs,
           m_firstNs < 0 ? 0.0 : double(m_running.nsecsElapsed() - m_firstNs) / 1e9);
}

void StallMeter::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    const qint64 now = m_running.nsecsElapsed();
    StationHealth::UiLastPassMs() = StationHealth::SteadyMs();
    if (m_firstNs < 0) {
        m_firstNs = m_lastNs = m_secondStartNs = now;
        return;
    }
    const qint64 stall = now - m_lastNs - qint64(m_tickMs) * 1000000;
    m_lastNs = now;
    if (stall > m_longestNs) {
        m_longestNs = stall;
        StationHealth::UiStallMaxNs() = stall;
    }
    if (stall > qint64(kLongMs) * 1000000)
        ++m_longStalls;
    if (m_report)
        ReportSecond(now, stall);
}

void StallMeter::ReportSecond(qint64 now, qint64 stall)
{
    m_secondLongestNs = std::max(m_secondLongestNs, stall);
    if (now - m_secondStartNs < 1000000000)
        return;
    qCInfo(lcStall, "second to %lld: longest pass %.1f ms", QDateTime::currentMSecsSinceEpoch(),
           double(m_secondLongestNs) / 1e6);
    m_secondStartNs = now;
    m_secondLongestNs = 0;
}

#include "app/StallMeter.h"

#include "core/Logging.h"

#include <QTimerEvent>

CStallMeter::CStallMeter()
{
    if (!lcStall().isInfoEnabled())
        return;
    m_running.start();
    m_timer.start(kTickMs, Qt::PreciseTimer, this);
}

CStallMeter::~CStallMeter()
{
    if (!m_running.isValid())
        return;
    qCInfo(lcStall, "longest event-loop stall %.1f ms; %d passes over %d ms in %.1f s",
           double(m_longestNs) / 1e6, m_nLong, kLongMs,
           m_firstNs < 0 ? 0.0 : double(m_running.nsecsElapsed() - m_firstNs) / 1e9);
}

void CStallMeter::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    const qint64 now = m_running.nsecsElapsed();
    if (m_firstNs < 0) {
        m_firstNs = m_lastNs = now;
        return;
    }
    const qint64 stall = now - m_lastNs - qint64(kTickMs) * 1000000;
    m_lastNs = now;
    if (stall > m_longestNs)
        m_longestNs = stall;
    if (stall > qint64(kLongMs) * 1000000)
        ++m_nLong;
}

#include "core/Clock.h"

#include <atomic>
#include <limits>

namespace {
std::atomic<qint64> g_fixedMsecs{-1};
thread_local qint64 t_arrivalMsecs = 0;

QDateTime LocalTime(qint64 msecs)
{
    // Every conversion to local time looks at the time zone file again, and "now" is asked for
    // with every message. The offset from UTC only changes on a whole second, so it is looked up
    // once a second; the answer shows the same local time and stands for the same instant.
    thread_local qint64 offsetSecond = std::numeric_limits<qint64>::min();
    thread_local int offset = 0;
    const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
    if (second != offsetSecond) {
        offset = QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc();
        offsetSecond = second;
    }
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, offset);
}

} // namespace

QDateTime Clock::Now()
{
    if (t_arrivalMsecs > 0)
        return LocalTime(t_arrivalMsecs);
    const qint64 fixed = g_fixedMsecs.load(std::memory_order_relaxed);
    if (fixed >= 0)
        return QDateTime::fromMSecsSinceEpoch(fixed);
    return LocalTime(QDateTime::currentMSecsSinceEpoch());
}

Clock::LocalSecond Clock::NowLocalSecond()
{
    thread_local qint64 shownSecond = std::numeric_limits<qint64>::min();
    thread_local LocalSecond shown;
    const qint64 msecs = NowMsecs();
    const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
    if (second != shownSecond) {
        const QDateTime local = LocalTime(msecs);
        shown = {local.date(), local.time().msecsSinceStartOfDay() / 1000};
        shownSecond = second;
    }
    return shown;
}

qint64 Clock::NowMsecs()
{
    if (t_arrivalMsecs > 0)
        return t_arrivalMsecs;
    const qint64 fixed = g_fixedMsecs.load(std::memory_order_relaxed);
    return fixed >= 0 ? fixed : QDateTime::currentMSecsSinceEpoch();
}

void Clock::SetNow(const QDateTime& fixed)
{
    g_fixedMsecs.store(fixed.toMSecsSinceEpoch(), std::memory_order_relaxed);
}

void Clock::Reset()
{
    g_fixedMsecs.store(-1, std::memory_order_relaxed);
}

Clock::ArrivalScope::ArrivalScope(qint64 arrivalMsecs)
    : m_previous(t_arrivalMsecs)
{
    if (arrivalMsecs > 0)
        t_arrivalMsecs = arrivalMsecs;
}

Clock::ArrivalScope::~ArrivalScope()
{
    t_arrivalMsecs = m_previous;
}

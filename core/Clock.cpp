#include "core/Clock.h"

#include <atomic>

namespace {
std::atomic<qint64> g_fixedMsecs{-1};
}

QDateTime Clock::Now()
{
    const qint64 fixed = g_fixedMsecs.load(std::memory_order_relaxed);
    return fixed < 0 ? QDateTime::currentDateTime() : QDateTime::fromMSecsSinceEpoch(fixed);
}

void Clock::SetNow(const QDateTime& fixed)
{
    g_fixedMsecs.store(fixed.toMSecsSinceEpoch(), std::memory_order_relaxed);
}

void Clock::Reset()
{
    g_fixedMsecs.store(-1, std::memory_order_relaxed);
}

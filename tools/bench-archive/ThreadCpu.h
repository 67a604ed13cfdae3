#pragma once
#include <QtGlobal>

#include <ctime>

// CPU time of the calling thread in ns: printed beside the wall-clock figures, which other work on
// a shared machine stretches.
inline qint64 ThreadCpuNsecs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

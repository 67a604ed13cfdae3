#include "comms/QueueOverflow.h"

#include <algorithm>
#include <cstring>

void QueueOverflow::Push(const char* data, int length, int flag, qint64 stamp)
{
    if (m_nWaiting == 0 && m_queue.Push(data, length, flag, stamp) > 0)
        return;
    if (m_nWaiting == m_ring.size())
        Grow();
    Entry& entry = m_ring[(m_nFirst + m_nWaiting) % m_ring.size()];
    entry.length = std::clamp(length, 0, CPriorityQueue::kEntrySize);
    entry.flag = flag;
    entry.stamp = stamp;
    std::memcpy(entry.data, data, size_t(entry.length));
    ++m_nWaiting;
}

void QueueOverflow::Refill()
{
    while (m_nWaiting > 0) {
        const Entry& next = m_ring[m_nFirst];
        if (m_queue.Push(next.data, next.length, next.flag, next.stamp) <= 0)
            return;
        m_nFirst = (m_nFirst + 1) % m_ring.size();
        --m_nWaiting;
    }
}

void QueueOverflow::Grow()
{
    std::vector<Entry> larger(std::max<size_t>(64, 2 * m_ring.size()));
    for (size_t i = 0; i < m_nWaiting; ++i)
        larger[i] = m_ring[(m_nFirst + i) % m_ring.size()];
    m_ring.swap(larger);
    m_nFirst = 0;
}

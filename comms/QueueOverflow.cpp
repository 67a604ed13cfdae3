#include "comms/QueueOverflow.h"

#include <algorithm>
#include <cstring>

void QueueOverflow::Push(const char* data, int length, int flag, qint64 stamp)
{
    if (m_waiting == 0 && m_queue.Push(data, length, flag, stamp) > 0)
        return;
    if (m_waiting == m_ring.size())
        Grow();
    Entry& entry = m_ring[(m_first + m_waiting) % m_ring.size()];
    entry.length = std::clamp(length, 0, CPriorityQueue::kEntrySize);
    entry.flag = flag;
    entry.stamp = stamp;
    std::memcpy(entry.data, data, size_t(entry.length));
    ++m_waiting;
}

void QueueOverflow::Refill()
{
    while (m_waiting > 0) {
        const Entry& next = m_ring[m_first];
        if (m_queue.Push(next.data, next.length, next.flag, next.stamp) <= 0)
            return;
        m_first = (m_first + 1) % m_ring.size();
        --m_waiting;
    }
}

void QueueOverflow::Grow()
{
    std::vector<Entry> larger(std::max<size_t>(64, 2 * m_ring.size()));
    for (size_t i = 0; i < m_waiting; ++i)
        larger[i] = m_ring[(m_first + i) % m_ring.size()];
    m_ring.swap(larger);
    m_first = 0;
}

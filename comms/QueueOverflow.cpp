#include "comms/QueueOverflow.h"

#include "comms/PriorityQueue.h"

#include <algorithm>

void CQueueOverflow::Push(const char* data, int length)
{
    if (m_waiting.empty() && m_queue.Push(data, length) > 0)
        return;
    m_waiting.emplace_back(data, std::clamp(length, 0, CPriorityQueue::kEntrySize));
}

void CQueueOverflow::Refill()
{
    while (!m_waiting.empty()) {
        const QByteArray& next = m_waiting.front();
        if (m_queue.Push(next.constData(), int(next.size())) <= 0)
            return;
        m_waiting.pop_front();
    }
}

#pragma once
#include "comms/PriorityQueue.h"

#include <cstddef>
#include <vector>

// Stands behind one of the link layer's fixed-size queues. What the full queue refuses waits here
// in arrival order and moves into the queue as the queue drains, so every entry keeps the one
// posted message that goes with it and none is lost while the user-interface thread is busy.
// The waiting entries live in a ring that grows to the largest backlog seen and is then reused.
class QueueOverflow
{
public:
    explicit QueueOverflow(CPriorityQueue& queue) : m_queue(queue) {}

    // Into the queue, or behind it while the queue is full or others wait already.
    void Push(const char* data, int length, int flag = 0, qint64 stamp = 0);
    // Moves waiting entries into the room a pop has made.
    void Refill();
    int Waiting() const { return int(m_waiting); }

private:
    struct Entry
    {
        int length;
        int flag;
        qint64 stamp;
        char data[CPriorityQueue::kEntrySize];
    };

    void Grow();

    CPriorityQueue& m_queue;
    std::vector<Entry> m_ring;
    size_t m_first = 0;     // ring index of the oldest waiting entry
    size_t m_waiting = 0;
};

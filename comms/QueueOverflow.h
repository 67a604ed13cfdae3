#pragma once
#include <QByteArray>

#include <deque>

class CPriorityQueue;

// Stands behind one of the link layer's fixed-size queues. What the full queue refuses waits here
// in arrival order and moves into the queue as the queue drains, so every entry keeps the one
// posted message that goes with it and none is lost while the user-interface thread is busy.
class CQueueOverflow
{
public:
    explicit CQueueOverflow(CPriorityQueue& queue) : m_queue(queue) {}

    // Into the queue, or behind it while the queue is full or others wait already.
    void Push(const char* data, int length);
    // Moves waiting entries into the room a pop has made.
    void Refill();
    int Waiting() const { return int(m_waiting.size()); }

private:
    CPriorityQueue& m_queue;
    std::deque<QByteArray> m_waiting;
};

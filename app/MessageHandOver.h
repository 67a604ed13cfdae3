#pragma once
#include <QMutex>
#include <QtGlobal>

#include <cstring>
#include <vector>

// Carries one channel's checked messages from the comms thread to the thread its document lives
// on, in arrival order and in batches: the comms thread wakes the other thread once for every
// message that finds the batch empty, not once per message, and in the steady state nothing is
// allocated, whatever the rate. What the station itself records about the channel (its line lost
// or back) goes the same way, so it keeps its place among the messages.
class MessageHandOver
{
public:
    enum class Kind { Message, SystemEvent };

    // Any thread. True when the entry started a batch: the caller then has Deliver run on the
    // document's thread; until it runs, later entries join the batch.
    bool Add(Kind kind, const char* data, int length, qint64 arrival);

    // The document's thread: handle(kind, data, length, arrival) for every entry of the batch, in
    // order.
    template <typename Handle>
    void Deliver(Handle handle)
    {
        {
            QMutexLocker lock(&m_lock);
            m_delivering.swap(m_adding);
        }
        for (size_t at = 0; at < m_delivering.size();) {
            Header header;
            std::memcpy(&header, m_delivering.data() + at, sizeof header);
            at += sizeof header;
            handle(header.kind, m_delivering.data() + at, header.length, header.arrival);
            at += size_t(header.length);
        }
        m_delivering.clear();  // keeps its allocation for a later batch
    }

private:
    struct Header
    {
        qint64 arrival;
        int length;
        Kind kind;
    };

    QMutex m_lock;
    std::vector<char> m_adding;      // under m_lock
    std::vector<char> m_delivering;  // the document's thread only
};

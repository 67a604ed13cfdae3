#pragma once
#include "comms/CommsProtocol.h"

#include <QByteArrayList>

// The top of the stack as a test sees it: records every message and error text it takes off the
// queue, and lets the test look at the link layer's state.
class RecordingProtocol : public CCommsProtocol
{
public:
    RecordingProtocol() : CCommsProtocol(3, 3, 3) {}

    QByteArrayList messages;
    QByteArrayList errors;

    using CCommsProtocol::m_nErrorLimit;
    using CCommsProtocol::m_nResendLimit;
    using CCommsProtocol::m_nTxState;
    using CCommsProtocol::m_pFrameQueue;
    using CCommsProtocol::m_pMessageQueue;
    using CCommsProtocol::OnTxEvent;

protected:
    void OnRxMessage(int, CPriorityQueue* queue) override { messages.append(Take(queue)); }
    void OnCommsError(int, CPriorityQueue* queue) override { errors.append(Take(queue)); }

private:
    static QByteArray Take(CPriorityQueue* queue)
    {
        char entry[CPriorityQueue::kEntrySize];
        int length = 0;
        if (queue->Count() == 0)
            return QByteArray("<queue empty>");
        queue->Pop(entry, &length);
        return QByteArray(entry, length);
    }
};

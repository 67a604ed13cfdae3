#pragma once
#include "comms/CommsProtocol.h"

class CQuorvelDoc;
class CRemoteMonitor;

// The top of a channel's comms stack: takes each application message the link layer delivers,
// forwards it to the remote monitor when remote monitoring is on, and hands it to the channel
// document, which decodes, archives and lists it. Transmit error texts only go to the trace, as
// the link layer does by default: nothing starts its transmit machine here.
//
// The stack may run on a thread of its own (the comms thread) and the document on another (the
// logging thread): each message then goes to the document's thread with the time its frame
// arrived, and is forwarded and recorded there, so neither a slow disk nor a busy window ever holds
// up an acknowledgement.
class CMessageInterpreter : public CCommsProtocol
{
    Q_OBJECT
public:
    CMessageInterpreter(int nFirst, int nResendLimit, int nErrorLimit, CQuorvelDoc* document,
                        QObject* parent = nullptr);
    ~CMessageInterpreter() override;

    // The application's remote monitor, shared by all channels (not owned).
    static void SetRemoteMonitor(CRemoteMonitor* monitor);

protected:
    void OnRxMessage(int length, CPriorityQueue* queue) override;

private:
    static void Interpret(CQuorvelDoc* document, const QByteArray& message, qint64 arrival);
    static void Forward(CQuorvelDoc* document, const char* message, int length);

    CQuorvelDoc* m_pDocument;
    static CRemoteMonitor* s_pRemoteMonitor;
};

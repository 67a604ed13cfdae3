#pragma once
#include "app/MessageHandOver.h"
#include "comms/CommsProtocol.h"

#include <memory>

class CQuorvelDoc;
class CRemoteMonitor;

// The top of a channel's comms stack: takes each application message the link layer delivers,
// forwards it to the remote monitor when remote monitoring is on, and hands it to the channel
// document, which decodes, archives and lists it. Transmit error texts only go to the trace, as
// the link layer does by default: nothing starts its transmit machine here.
//
// The stack may run on a thread of its own (the comms thread) and the document on another (the
// logging thread): each message then goes to the document's thread with the time its frame
// arrived, in batches, and is forwarded and recorded there, so neither a slow disk nor a busy
// window ever holds up an acknowledgement.
class CMessageInterpreter : public CCommsProtocol
{
    Q_OBJECT
public:
    CMessageInterpreter(int nFirst, int nResendLimit, int nErrorLimit, CQuorvelDoc* document,
                        QObject* parent = nullptr);
    ~CMessageInterpreter() override;

    // The application's remote monitor, shared by all channels (not owned).
    static void SetRemoteMonitor(CRemoteMonitor* monitor);

    // Any thread: has the document record what the station itself says about the channel, after
    // every message received before.
    void PostSystemEvent(const QByteArray& text);

protected:
    void OnRxMessage(int length, CPriorityQueue* queue) override;

private:
    void HandOver(MessageHandOver::Kind kind, const char* data, int length, qint64 arrival);
    static void Interpret(CQuorvelDoc* document, const char* message, int length, qint64 arrival);
    static void Forward(CQuorvelDoc* document, const char* message, int length);

    CQuorvelDoc* m_pDocument;
    // Shared with the calls posted to the document's thread, which may run after this is gone.
    std::shared_ptr<MessageHandOver> m_pHandOver = std::make_shared<MessageHandOver>();
    static CRemoteMonitor* s_pRemoteMonitor;
};

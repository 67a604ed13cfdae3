#pragma once
#include "comms/CommsEvent.h"
#include "comms/PacketComms.h"
#include "comms/PriorityQueue.h"
#include "comms/QueueOverflow.h"
#include "core/StationHealth.h"

#include <QBasicTimer>

#include <deque>
#include <memory>
#include <optional>

// The link layer of a channel. It has received bytes framed, answers every block-check frame at
// once with ACK (or NAK when its check fails) and every "RU" probe with ACK, and hands each frame
// that passed its check up the stack as WM_RX_MESSAGE through the message queue. It also carries
// the transmit machine (poll with sequence number, reply timer, resends, error limits), which
// reports reaching a limit as WM_COMMS_ERROR.
//
// The top of the stack derives from this class and overrides OnRxMessage and OnCommsError; each
// takes one entry off the queue it is given.
//
// The layer posts WM_RX_FRAME, WM_RX_MESSAGE and WM_COMMS_ERROR to itself through a message list
// of its own, handled in posting order behind the events already waiting, one Qt event waking it
// for a whole run of them: a Qt event per frame costs a system call, and a busy line completes
// thousands of frames a second.
class CCommsProtocol : public CPacketComms
{
    Q_OBJECT
public:
    static constexpr int kReplyTimerId = 1282;
    static constexpr int kReplyTimeMs = 128;
    static constexpr int kQueueEntries = 32;
    static constexpr int kTxDataSize = 520;
    static constexpr char kAck = 0x06;
    static constexpr char kNak = 0x15;
    static constexpr char kPoll = 'Q';

    // The first value is not used. Start-up passes 3, 3, 3.
    CCommsProtocol(int unused, int resendLimit, int errorLimit, QObject* parent = nullptr);
    ~CCommsProtocol() override;

    void Reset();
    // Starts a transmission when the transmit machine is idle; 0 when it is busy or count does not
    // fit the payload buffer.
    int Send(const char* data, int count);
    void SendControl();
    void ResendLast();
    // Queues the text on the message queue and posts WM_COMMS_ERROR.
    void ReportError(const char* text);

    void OnRxData(int count, const char* bytes);
    void OnRxFrame(int ok, CPriorityQueue* queue);

    // Where the line's frames are counted (not owned); a channel's own entry once it has one.
    void SetHealth(ChannelHealth* health) { m_pHealth = health; }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void OnTimer(int id) override;

    // WM_RX_MESSAGE and WM_COMMS_ERROR; the defaults take one entry off the queue and trace it.
    // Takes the head entry into out (256 bytes), its flag into *flag and the arrival time of its
    // frame into *arrival when asked; its length, or -1 when the queue is empty.
    static int TakeEntry(CPriorityQueue* queue, char* out, int* flag = nullptr, qint64* arrival = nullptr);
    virtual void OnRxMessage(int length, CPriorityQueue* queue);
    virtual void OnCommsError(int length, CPriorityQueue* queue);

    // Each action returns the next state of its machine.
    virtual void OnTxEvent(int event);
    virtual void OnRxEvent(int event);
    virtual int TxStart();
    virtual int TxError();
    virtual int TxCheckReply();
    virtual int TxResend();
    virtual int RxDeliver();

    int m_bLastFrameOk = 0;
    int m_nErrorCount = 0;
    int m_nErrorLimit = 5;
    int m_nResendCount = 0;
    int m_nResendLimit = 4;
    int m_nTxSequence = 0;
    int m_nTxState = 0;
    int m_nRxState = 0;
    char m_rxMessage[CPriorityQueue::kEntrySize] = {};
    int m_nRxMessageLength = 0;
    qint64 m_nRxArrival = 0;         // when the bytes being framed were read
    qint64 m_nRxMessageArrival = 0;  // when the last byte of the frame in m_rxMessage was read
    char m_txData[kTxDataSize] = {};
    int m_nTxLength = 0;
    int m_nTxFrameLength = 0;
    const char* m_pTxFrame = nullptr;
    char m_frameOut[CPriorityQueue::kEntrySize] = {};
    int m_nFrameOutLength = 0;
    // Completed frames, each with its check result as the entry's flag, and application messages
    // with error texts; both ordered by first byte.
    std::unique_ptr<CPriorityQueue> m_pMessageQueue;
    std::unique_ptr<CPriorityQueue> m_pFrameQueue;

private:
    ChannelHealth* m_pHealth = &StationHealth::Channel(0);
    void HandleFrame(int result);
    void SendReply(char reply);
    void QueueFrame(int ok);
    void QueueMessage(CommsMessage message, const char* data, int length, qint64 arrival = 0);
    void TakeAndTrace(const char* what, CPriorityQueue* queue);
    void PostMessage(CommsMessage message, int wParam);
    void DispatchPosted();
    void Dispatch(int message, int wParam);

    struct PostedMessage
    {
        CommsMessage message;
        int wParam;
    };
    std::deque<PostedMessage> m_posted;
    bool m_bDispatchPending = false;  // a wake-up for m_posted is on its way

    QueueOverflow m_messageOverflow;
    QueueOverflow m_frameOverflow;
    QBasicTimer m_replyTimer;
    std::optional<WriteBatch> m_heldReplies;  // while received blocks wait to be handled
};

#include "comms/CommsProtocol.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "core/Strings.h"

#include <QCoreApplication>
#include <QTimerEvent>

#include <cstring>

namespace {

const QEvent::Type kDispatchEvent = QEvent::Type(QEvent::registerEventType());
// Sent behind the received blocks waiting when the first of them is handled: the replies to all
// of them leave in one write.
const QEvent::Type kRepliesDueEvent = QEvent::Type(QEvent::registerEventType());

} // namespace

CCommsProtocol::CCommsProtocol(int /*unused*/, int resendLimit, int errorLimit, QObject* parent)
    : CPacketComms(parent),
      m_pMessageQueue(std::make_unique<CPriorityQueue>(kQueueEntries, CPriorityQueue::kEntrySize, CompareFirstByte)),
      m_pFrameQueue(std::make_unique<CPriorityQueue>(kQueueEntries, CPriorityQueue::kEntrySize, CompareFirstByte)),
      m_messageOverflow(*m_pMessageQueue),
      m_frameOverflow(*m_pFrameQueue)
{
    Reset();
    m_nResendLimit = resendLimit;
    m_nErrorLimit = errorLimit;
}

CCommsProtocol::~CCommsProtocol() = default;

void CCommsProtocol::Reset()
{
    m_nResendCount = 0;
    m_nErrorCount = 0;
    m_nErrorLimit = 5;
    m_nResendLimit = 4;
    m_nTxSequence = 0;
    m_nTxState = 0;
}

int CCommsProtocol::Send(const char* data, int count)
{
    if (m_nTxState != 0 || count < 0 || count > kTxDataSize)
        return 0;
    std::memcpy(m_txData, data, size_t(count));
    m_nTxLength = count;
    OnTxEvent(0);
    return 1;
}

void CCommsProtocol::SendControl()
{
    m_pTxFrame = BuildFrame(m_txData, m_nTxLength, &m_nTxFrameLength);
    WriteBytes(m_pTxFrame, m_nTxFrameLength);
}

void CCommsProtocol::ResendLast()
{
    if (m_pTxFrame)
        WriteBytes(m_pTxFrame, m_nTxFrameLength);
}

void CCommsProtocol::ReportError(const char* text)
{
    QueueMessage(WM_COMMS_ERROR, text, int(std::strlen(text)));
}

void CCommsProtocol::OnRxData(int count, const char* bytes)
{
    // Every frame the block completes counts, and a frame the block leaves unfinished goes on in
    // the next one: the driver may hand a frame over in pieces.
    const WriteBatch replies(*this);
    for (int i = 0; i < count; ++i) {
        const int result = ReceiveByte(bytes[i], 0);
        if (result != NoFrame)
            HandleFrame(result);
    }
}

void CCommsProtocol::HandleFrame(int result)
{
    // Stamped with when its bytes were read, as its record will be; asked of the clock only when
    // the bytes came without that time.
    m_pHealth->NoteFrame(m_nRxArrival > 0 ? m_nRxArrival : Clock::NowMsecs());
    if (result == CrcFrameComplete) {
        const int ok = CheckCrcFrame();
        m_pHealth->Count(ok ? m_pHealth->framesAck : m_pHealth->framesBad);
        m_wRxCrc = 0;
        QueueFrame(ok);  // the sender of a CRC frame expects no reply
        return;
    }
    if (m_rxFrame.length >= 2 && m_rxFrame.data[0] == 'R' && m_rxFrame.data[1] == 'U') {
        m_pHealth->Count(m_pHealth->framesAck);
        SendReply(kAck);  // a probe: answered, nothing goes up
        m_rxFrame.ResetBuffer();
        return;
    }
    const int ok = CheckBlock();
    m_pHealth->Count(ok ? m_pHealth->framesAck : m_pHealth->framesNak);
    SendReply(ok ? kAck : kNak);
    QueueFrame(ok);
}

void CCommsProtocol::SendReply(char reply)
{
    m_txData[0] = reply;
    m_nTxLength = 1;
    SendControl();
}

void CCommsProtocol::QueueFrame(int ok)
{
    // The check result waits beside the frame: frames leave the queue by first byte, not in the
    // order of the messages posted for them.
    m_nFrameOutLength = ExtractFrame(m_frameOut);
    m_frameOverflow.Push(m_frameOut, m_nFrameOutLength, ok, m_nRxArrival);
    PostMessage(WM_RX_FRAME, ok);
}

void CCommsProtocol::QueueMessage(CommsMessage message, const char* data, int length, qint64 arrival)
{
    m_messageOverflow.Push(data, length, 0, arrival);
    PostMessage(message, length);
}

void CCommsProtocol::PostMessage(CommsMessage message, int wParam)
{
    m_posted.push_back({message, wParam});
    if (!m_bDispatchPending) {
        m_bDispatchPending = true;
        QCoreApplication::postEvent(this, new QEvent(kDispatchEvent));
    }
}

void CCommsProtocol::DispatchPosted()
{
    m_bDispatchPending = false;
    // A handler may post more (a frame brings a message) or run a nested event loop that
    // dispatches some of these itself; each message is taken off before it is handled.
    while (!m_posted.empty()) {
        const PostedMessage next = m_posted.front();
        m_posted.pop_front();
        Dispatch(next.message, next.wParam);
    }
}

void CCommsProtocol::OnRxFrame(int /*ok: of the frame posted, maybe not the one at the head*/,
                               CPriorityQueue* /*queue: always the frame queue*/)
{
    // Each WM_RX_FRAME has its entry; should one ever find the queue empty, it does nothing.
    int ok = 0;
    const int length = TakeEntry(m_pFrameQueue.get(), m_rxMessage, &ok, &m_nRxMessageArrival);
    if (length < 0)
        return;
    m_nRxMessageLength = length;
    m_bLastFrameOk = ok;
    OnRxEvent(0);
}

void CCommsProtocol::OnRxEvent(int /*event: the receive machine knows only event 0*/)
{
    m_nRxState = RxDeliver();
}

int CCommsProtocol::RxDeliver()
{
    if (m_bLastFrameOk)
        QueueMessage(WM_RX_MESSAGE, m_rxMessage, m_nRxMessageLength, m_nRxMessageArrival);
    return m_nRxState;
}

void CCommsProtocol::OnTxEvent(int event)
{
    using Action = int (CCommsProtocol::*)();
    // By state (idle, awaiting reply) and event (send request, reply received, reply timer, spare).
    static constexpr Action kTransmitTable[2][4] = {
        {&CCommsProtocol::TxStart, &CCommsProtocol::TxError, &CCommsProtocol::TxError, &CCommsProtocol::TxError},
        {&CCommsProtocol::TxError, &CCommsProtocol::TxCheckReply, &CCommsProtocol::TxResend, &CCommsProtocol::TxResend},
    };
    if (m_nTxState < 0 || m_nTxState > 1 || event < 0 || event > 3)
        return;
    m_nTxState = (this->*kTransmitTable[m_nTxState][event])();
}

int CCommsProtocol::TxStart()
{
    m_txData[0] = kPoll;
    m_txData[1] = char(m_nTxSequence & 0xFF);
    ++m_nTxSequence;
    m_nTxLength = 2;
    SendControl();
    m_replyTimer.start(kReplyTimeMs, this);
    return 1;
}

int CCommsProtocol::TxError()
{
    // Reported once, when the count reaches the limit; the counts are not reset here.
    if (++m_nErrorCount == m_nErrorLimit)
        ReportError(Str::kTxErrorLimit);
    m_wRxCrc = 0;
    return 0;
}

int CCommsProtocol::TxCheckReply()
{
    const bool sameSequence = m_txData[1] == m_rxMessage[1];
    if (sameSequence && m_bLastFrameOk) {
        m_replyTimer.stop();
        m_nResendCount = 0;
        return 0;
    }
    if (sameSequence) {
        ResendLast();
        m_replyTimer.start(kReplyTimeMs, this);
        ++m_nResendCount;
        return 1;
    }
    if (m_bLastFrameOk)
        return 0;
    // Compared before counting, so the message comes at the error after the limit.
    if (m_nErrorCount++ == m_nErrorLimit) {
        ReportError(Str::kTxCheckLimit);
        Reset();
    }
    return 0;
}

int CCommsProtocol::TxResend()
{
    ResendLast();
    m_replyTimer.start(kReplyTimeMs, this);
    if (++m_nResendCount == m_nResendLimit) {
        ReportError(Str::kTxResendLimit);
        m_replyTimer.stop();
        Reset();
        return 0;
    }
    return 1;
}

bool CCommsProtocol::event(QEvent* event)
{
    const int type = int(event->type());
    if (type == kDispatchEvent) {
        DispatchPosted();
        return true;
    }
    if (type == kRepliesDueEvent) {
        m_heldReplies.reset();
        return true;
    }
    switch (type) {
    case WM_RX_DATA: {
        const auto* message = static_cast<const CommsEvent*>(event);
        m_nRxArrival = message->Arrival();
        if (!m_heldReplies) {
            m_heldReplies.emplace(*this);
            QCoreApplication::postEvent(this, new QEvent(kRepliesDueEvent));
        }
        OnRxData(int(message->Bytes().size()), message->Bytes().constData());
        return true;
    }
    case WM_RX_FRAME:
    case WM_RX_MESSAGE:
    case WM_COMMS_ERROR:
        Dispatch(type, static_cast<const CommsEvent*>(event)->WParam());
        return true;
    default:
        return CPacketComms::event(event);
    }
}

void CCommsProtocol::Dispatch(int message, int wParam)
{
    switch (message) {
    case WM_RX_FRAME:
        OnRxFrame(wParam, m_pFrameQueue.get());
        m_frameOverflow.Refill();
        break;
    case WM_RX_MESSAGE:
        OnRxMessage(wParam, m_pMessageQueue.get());
        m_messageOverflow.Refill();
        break;
    case WM_COMMS_ERROR:
        OnCommsError(wParam, m_pMessageQueue.get());
        m_messageOverflow.Refill();
        break;
    default:
        break;
    }
}

void CCommsProtocol::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_replyTimer.timerId())
        OnTimer(kReplyTimerId);
    else
        CPacketComms::timerEvent(event);
}

void CCommsProtocol::OnTimer(int id)
{
    if (id == kReplyTimerId)
        OnTxEvent(2);
    else
        CPacketComms::OnTimer(id);
}

void CCommsProtocol::OnRxMessage(int /*length*/, CPriorityQueue* queue)
{
    TakeAndTrace("message", queue);
}

void CCommsProtocol::OnCommsError(int /*length*/, CPriorityQueue* queue)
{
    TakeAndTrace("comms error", queue);
}

int CCommsProtocol::TakeEntry(CPriorityQueue* queue, char* out, int* flag, qint64* arrival)
{
    // An empty queue leaves the caller's buffer as it was: nothing of an earlier entry is handed on.
    if (queue->Count() == 0)
        return -1;
    int length = 0;
    queue->Pop(out, &length, flag, arrival);
    return qBound(0, length, CPriorityQueue::kEntrySize);
}

void CCommsProtocol::TakeAndTrace(const char* what, CPriorityQueue* queue)
{
    char entry[CPriorityQueue::kEntrySize];
    const int length = TakeEntry(queue, entry);
    if (length >= 0)
        qCDebug(lcComms) << what << QByteArray(entry, length).toHex(' ');
}

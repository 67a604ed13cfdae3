#include "app/MessageInterpreter.h"

#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"

CRemoteMonitor* CMessageInterpreter::s_pRemoteMonitor = nullptr;

static_assert(CPriorityQueue::kEntrySize <= CDisplayObj::kMaxMessageBytes,
              "a record holds every message the link layer delivers in itself");

CMessageInterpreter::CMessageInterpreter(int nFirst, int nResendLimit, int nErrorLimit, CQuorvelDoc* document,
                                         QObject* parent)
    : CCommsProtocol(nFirst, nResendLimit, nErrorLimit, parent)
    , m_pDocument(document)
{
}

CMessageInterpreter::~CMessageInterpreter()
{
    m_pDocument = nullptr;
}

void CMessageInterpreter::SetRemoteMonitor(CRemoteMonitor* monitor)
{
    s_pRemoteMonitor = monitor;
}

void CMessageInterpreter::OnRxMessage(int, CPriorityQueue* queue)
{
    char entry[CPriorityQueue::kEntrySize];
    qint64 arrival = 0;
    const int length = TakeEntry(queue, entry, nullptr, &arrival);
    if (length < 0 || !m_pDocument)
        return;
    CQuorvelDoc* document = m_pDocument;
    if (document->thread() == thread()) {
        Interpret(document, entry, length, arrival);
        return;
    }
    HandOver(MessageHandOver::Kind::Message, entry, length, arrival);
}

void CMessageInterpreter::PostSystemEvent(const QByteArray& text)
{
    // Stamped with when it happened, as a message is with when its frame came.
    if (m_pDocument)
        HandOver(MessageHandOver::Kind::SystemEvent, text.constData(), int(text.size()), Clock::NowMsecs());
}

void CMessageInterpreter::HandOver(MessageHandOver::Kind kind, const char* data, int length, qint64 arrival)
{
    if (!m_pHandOver->Add(kind, data, length, arrival))
        return;  // the batch's delivery is on its way
    // Queued in arrival order; a document gone meanwhile takes the call with it.
    CQuorvelDoc* document = m_pDocument;
    QMetaObject::invokeMethod(
        document,
        [document, handOver = m_pHandOver] {
            handOver->Deliver([document](MessageHandOver::Kind kind, const char* data, int length, qint64 arrival) {
                if (kind == MessageHandOver::Kind::SystemEvent) {
                    const Clock::ArrivalScope happened(arrival);
                    document->RecordSystemEvent(QByteArray(data, length));
                } else {
                    Interpret(document, data, length, arrival);
                }
            });
        },
        Qt::QueuedConnection);
}

void CMessageInterpreter::Interpret(CQuorvelDoc* document, const char* message, int length, qint64 arrival)
{
    const Clock::ArrivalScope arrived(arrival);
    Forward(document, message, length);
    if (!document->HandleMessage(message, length)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().ReportError(QString::fromLatin1(Str::kFatalDiskError));
    }
}

void CMessageInterpreter::Forward(CQuorvelDoc* document, const char* message, int length)
{
    if (g_nRemoteMonitorEnabled != 1 || !SharedRemotePort().IsOpen())
        return;
    // A message shorter than three bytes forwards zeros for the bytes it lacks.
    const auto byteAt = [&](int i) { return i < length ? message[i] : char(0); };
    const char record[4] = {byteAt(0), char(document->GetChannel() - 1), byteAt(1), byteAt(2)};
    if (!s_pRemoteMonitor) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kRemotePortError));
        return;
    }
    // A frame that cannot go out is told by the monitor, once for each outage.
    s_pRemoteMonitor->SendAlarm(record);
}

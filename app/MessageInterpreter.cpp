#include "app/MessageInterpreter.h"

#include "archive/QuorvelDoc.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"

CRemoteMonitor* CMessageInterpreter::s_pRemoteMonitor = nullptr;

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
    // A box shown below keeps the event loop running, so this handler can be entered again for
    // the same channel before it returns: each call works on the message it popped itself.
    char message[CPriorityQueue::kEntrySize];
    const int length = TakeEntry(queue, message);
    if (length < 0)
        return;

    Forward(message, length);

    if (m_pDocument && !m_pDocument->HandleMessage(message, length)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kFatalDiskError));
    }
}

void CMessageInterpreter::Forward(const char* message, int length)
{
    if (g_nRemoteMonitorEnabled != 1 || !RemotePort().IsOpen() || !m_pDocument)
        return;
    // A message shorter than three bytes forwards zeros for the bytes it lacks.
    const auto byteAt = [&](int i) { return i < length ? message[i] : char(0); };
    const char record[4] = {byteAt(0), char(m_pDocument->GetChannel() - 1), byteAt(1), byteAt(2)};
    if (!s_pRemoteMonitor || !s_pRemoteMonitor->SendAlarm(record)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kRemotePortError));
    }
}

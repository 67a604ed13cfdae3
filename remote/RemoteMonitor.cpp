#include "remote/RemoteMonitor.h"

#include "remote/RemotePort.h"

namespace {
constexpr quint8 kLastSequence = 254;  // 0xFF never appears as a sequence number
}

CRemoteMonitor::CRemoteMonitor(RemotePort& port, QObject* parent)
    : QObject(parent)
    , m_port(port)
{
    connect(&m_port, &RemotePort::FrameFailed, this, &CRemoteMonitor::SendFailed, Qt::QueuedConnection);
}

CRemoteMonitor::CRemoteMonitor()
    : CRemoteMonitor(SharedRemotePort())
{
}

int CRemoteMonitor::SendAlarm(const char record[4])
{
    QMutexLocker lock(&m_sendLock);
    if (!m_port.Enqueue(BuildFrame(m_bySequence, record)))
        return 0;
    m_bySequence = m_bySequence >= kLastSequence ? 0 : quint8(m_bySequence + 1);
    return 1;
}

QByteArray CRemoteMonitor::BuildFrame(quint8 sequence, const char record[4])
{
    QByteArray frame;
    frame.reserve(10);
    frame.append(char(0xFF)).append(char(0x02)).append(char(sequence)).append(record, 4);
    char check = 0;
    for (char byte : frame)
        check = char(check ^ byte);
    frame.append(check).append(char(0xFF)).append(char(0x03));
    return frame;
}

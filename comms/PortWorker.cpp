#include "comms/PortWorker.h"

#include "comms/CommsEvent.h"
#include "core/Logging.h"
#include "core/Strings.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>

CPortWorker::CPortWorker(QObject* receiver)
    : m_receiver(receiver), m_port(this), m_writeTimer(this)
{
    m_writeTimer.setSingleShot(true);
    connect(&m_port, &QSerialPort::readyRead, this, &CPortWorker::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CPortWorker::OnError);
    connect(&m_port, &QSerialPort::bytesWritten, this, &CPortWorker::OnBytesWritten);
    connect(&m_writeTimer, &QTimer::timeout, this, &CPortWorker::OnWriteTimeout);
}

bool CPortWorker::Open(const QString& devicePath)
{
    m_port.setPortName(devicePath);
    // QSerialPort opens exclusively (lock file and TIOCEXCL), so a port in use cannot be opened twice.
    if (!m_port.open(QIODevice::ReadWrite)) {
        qCWarning(lcComms) << "open failed:" << devicePath << m_port.errorString();
        return false;
    }
    if (!m_port.clear(QSerialPort::AllDirections))
        qCDebug(lcComms) << "purge failed:" << m_port.errorString();
    return true;
}

bool CPortWorker::Configure(const LineSettings& line, int writeTimeoutPerByte)
{
    if (!ApplyLineSettings(m_port, line))
        return false;
    m_nWriteTimeoutPerByte = writeTimeoutPerByte;
    // A pseudo-terminal has no modem lines and refuses this; that is no reason to fail.
    if (!m_port.setDataTerminalReady(true))
        qCDebug(lcComms) << "raising DTR failed:" << m_port.errorString();
    m_port.clearError();
    m_bDelivering = true;
    OnReadyRead();  // whatever arrived while the port was being set up
    return true;
}

void CPortWorker::Enqueue(const char* data, int count)
{
    QMutexLocker lock(&m_outgoingLock);
    m_outgoing.append(data, count);
}

void CPortWorker::Kick()
{
    {
        QMutexLocker lock(&m_outgoingLock);
        if (m_bFlushPosted || m_outgoing.isEmpty())
            return;
        m_bFlushPosted = true;
    }
    QMetaObject::invokeMethod(this, &CPortWorker::Flush, Qt::QueuedConnection);
}

void CPortWorker::Flush()
{
    {
        QMutexLocker lock(&m_outgoingLock);
        m_writing.swap(m_outgoing);
        m_bFlushPosted = false;
    }
    const qint64 queued = m_port.isOpen() && !m_writing.isEmpty() ? m_port.write(m_writing) : 0;
    m_writing.resize(0);  // keeps its allocation for the next round
    if (queued <= 0 || m_nWriteTimeoutPerByte <= 0)
        return;
    m_nPending += queued;
    m_writeTimer.start(int(std::min<qint64>(m_nPending * m_nWriteTimeoutPerByte, INT_MAX)));
}

void CPortWorker::Close()
{
    m_bDelivering = false;
    m_writeTimer.stop();
    if (!m_port.isOpen())
        return;
    if (!m_port.setDataTerminalReady(false))
        qCDebug(lcComms) << "dropping DTR failed:" << m_port.errorString();
    m_port.clear(QSerialPort::AllDirections);
    m_port.close();
}

void CPortWorker::OnReadyRead()
{
    if (!m_bDelivering)
        return;
    char buffer[kReadChunk];
    qint64 count;
    while ((count = m_port.read(buffer, kReadChunk)) > 0)
        Post(QByteArray(buffer, int(count)));
}

void CPortWorker::OnError(QSerialPort::SerialPortError error)
{
    if (!m_bDelivering || error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    // The error goes up the stack as received text; outside a frame the framer ignores it.
    Post(QString::fromLatin1(Str::kCommsErrorFormat).arg(uint(error)).toLatin1());
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        qCWarning(lcComms) << "port lost:" << m_port.portName() << m_port.errorString();
        Close();
        emit Lost();
        return;
    }
    qCDebug(lcComms) << "port error cleared:" << m_port.errorString();
    m_port.clearError();
}

void CPortWorker::OnBytesWritten(qint64 count)
{
    if (!m_writeTimer.isActive())
        return;
    m_nSent += count;
    m_nPending = std::max<qint64>(0, m_nPending - count);
    if (m_nPending == 0) {
        m_writeTimer.stop();
        qCDebug(lcComms, "%lld bytes written", m_nSent);
        m_nSent = 0;
    }
}

void CPortWorker::OnWriteTimeout()
{
    // Like a write time-out of the line: what has not gone out in time is discarded.
    qCDebug(lcComms, "Probable Write Timeout: Total of %lld bytes sent", m_nSent);
    m_port.clear(QSerialPort::Output);
    m_nPending = 0;
    m_nSent = 0;
}

void CPortWorker::Post(const QByteArray& bytes)
{
    QCoreApplication::postEvent(m_receiver, new CCommsEvent(WM_RX_DATA, int(bytes.size()), bytes));
}

#include "remote/RemotePort.h"

#include "comms/PortLock.h"
#include "core/Logging.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>

#include <cerrno>
#include <cstring>

namespace {

// Waits are cut into slices so that closing is noticed within one of them.
constexpr int kSliceMs = 20;

int ErrnoOf(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return ENOENT;
    case QSerialPort::PermissionError: return EACCES;
    case QSerialPort::OpenError: return EBUSY;
    default: return EIO;
    }
}

bool IsHardError(QSerialPort::SerialPortError error)
{
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

} // namespace

RemotePort::RemotePort(int maxQueued, QObject* parent)
    : QObject(parent)
    , m_maxQueued(size_t(maxQueued))
{
}

RemotePort::~RemotePort()
{
    Close(0);
}

int RemotePort::Open(const QString& devicePath, const LineSettings& line)
{
    Close();
    if (devicePath.isEmpty())
        return ENOENT;
    std::promise<int> opened;
    std::future<int> result = opened.get_future();
    // A QThread, not a bare thread: the serial port's socket notifiers need Qt's thread data.
    m_thread.reset(QThread::create(&RemotePort::Run, this, devicePath, line, std::move(opened)));
    m_thread->start();
    const int error = result.get();
    if (error != 0) {
        m_thread->wait();
        m_thread.reset();
        return error;
    }
    m_failing = false;
    m_open = true;
    return 0;
}

bool RemotePort::Enqueue(const QByteArray& frame)
{
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (!m_open || m_closing)
            return false;
        if (m_queue.size() >= m_maxQueued) {
            qCWarning(lcRemote) << "remote monitor has fallen" << m_queue.size() << "frames behind; frame dropped";
            lock.unlock();
            ReportFailure(frame);
            return false;
        }
        m_queue.push_back(frame);
    }
    m_wake.notify_one();
    return true;
}

void RemotePort::ReportFailure(const QByteArray& frame)
{
    if (!m_failing.exchange(true))
        emit FrameFailed(frame);
}

void RemotePort::Close(int graceMs)
{
    if (!m_thread)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closing = true;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    }
    m_wake.notify_one();
    m_thread->wait();
    m_thread.reset();
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_queue.empty())
        qCDebug(lcRemote) << m_queue.size() << "frames for the remote monitor dropped at close";
    m_queue.clear();
    m_closing = false;
    m_open = false;
}

bool RemotePort::Abandoned()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_closing && std::chrono::steady_clock::now() >= m_deadline;
}

void RemotePort::Run(const QString& devicePath, const LineSettings& line, std::promise<int> opened)
{
    // Ours alone, like a channel's port: one another program holds is neither set up nor written.
    PortLock lock;
    const PortLock::Result locked = lock.Acquire(devicePath);
    if (locked != PortLock::Result::Locked) {
        qCDebug(lcRemote) << "cannot open" << devicePath << std::strerror(lock.Error());
        opened.set_value(locked == PortLock::Result::InUse ? EBUSY : lock.Error());
        return;
    }
    QSerialPort port;
    port.setPortName(lock.CanonicalPath());
    if (!port.open(QIODevice::ReadWrite)) {
        qCDebug(lcRemote) << "cannot open" << devicePath << port.errorString();
        opened.set_value(ErrnoOf(port.error()));
        return;
    }
    // The monitor's record names no handshake that is applied: the line runs without flow control.
    LineSettings settings = line;
    settings.shake = 0;
    if (!ApplyLineSettings(port, settings)) {
        port.close();
        opened.set_value(EINVAL);
        return;
    }
    opened.set_value(0);

    for (;;) {
        QByteArray frame;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_closing; });
            if (m_queue.empty() || (m_closing && std::chrono::steady_clock::now() >= m_deadline))
                break;
            frame = m_queue.front();
            m_queue.pop_front();
        }
        if (Exchange(port, frame)) {
            m_failing = false;
        } else {
            std::unique_lock<std::mutex> lock(m_lock);
            if (!m_closing) {
                lock.unlock();
                ReportFailure(frame);
            }
        }
    }
    port.close();
}

// One frame: written, and once more unless the monitor acknowledged it within the wait. True when a
// write of the frame succeeded.
bool RemotePort::Exchange(QSerialPort& port, const QByteArray& frame)
{
    if (WriteFrame(port, frame)) {
        const QByteArray reply = ReadReply(port);
        if (reply.size() >= 4 && quint8(reply.at(3)) == 0x06)
            return true;
        qCDebug(lcRemote) << "no acknowledgement from the remote monitor:" << reply.toHex(' ');
    }
    return WriteFrame(port, frame);
}

bool RemotePort::WriteFrame(QSerialPort& port, const QByteArray& frame)
{
    if (Abandoned())
        return false;
    if (port.write(frame) != frame.size()) {
        qCWarning(lcRemote) << "write to the remote monitor failed:" << port.errorString();
        port.clearError();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (port.bytesToWrite() > 0) {
        if (timer.elapsed() >= kWriteWaitMs || Abandoned() || IsHardError(port.error())) {
            qCWarning(lcRemote) << "write to the remote monitor did not complete:" << port.errorString();
            port.clear(QSerialPort::Output);
            port.clearError();
            return false;
        }
        port.waitForBytesWritten(kSliceMs);
    }
    port.clearError();
    return true;
}

// Up to six reply bytes, waiting at most a second in all, as the monitor answers within that time.
QByteArray RemotePort::ReadReply(QSerialPort& port)
{
    QByteArray reply;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        reply += port.read(kReplyBytes - reply.size());
        const qint64 left = kReplyWaitMs - timer.elapsed();
        if (reply.size() >= kReplyBytes || left <= 0 || Abandoned() || IsHardError(port.error()))
            break;
        port.waitForReadyRead(int(qMin<qint64>(left, kSliceMs)));
    }
    port.clearError();
    return reply;
}

RemotePort& SharedRemotePort()
{
    static RemotePort port;
    return port;
}

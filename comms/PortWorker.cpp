#include "comms/PortWorker.h"

#include "comms/CommsEvent.h"
#include "core/Logging.h"
#include "core/Strings.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

CPortWorker::CPortWorker(QObject* receiver)
    : m_receiver(receiver), m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wakeFd < 0)
        qCWarning(lcComms) << "no wake-up descriptor:" << std::strerror(errno);
}

CPortWorker::~CPortWorker()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool CPortWorker::Open(const QString& devicePath)
{
    return Call([this, devicePath] { return OpenOnThread(devicePath); });
}

bool CPortWorker::Configure(const LineSettings& line, int writeTimeoutPerByte)
{
    return Call([this, line, writeTimeoutPerByte] { return ConfigureOnThread(line, writeTimeoutPerByte); });
}

void CPortWorker::Stop()
{
    {
        QMutexLocker lock(&m_lock);
        m_bStopping = true;
        m_fd = -1;
    }
    Wake();
}

bool CPortWorker::Call(std::function<bool()> task)
{
    QMutexLocker lock(&m_lock);
    if (m_bEnded || m_wakeFd < 0)
        return false;
    m_task = std::move(task);
    m_bTaskDone = false;
    Wake();
    while (!m_bTaskDone && !m_bEnded)
        m_taskDone.wait(&m_lock);
    return m_bTaskDone && m_bTaskResult;
}

void CPortWorker::Wake()
{
    const quint64 one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0 && errno != EAGAIN)
        qCWarning(lcComms) << "waking the port's thread failed:" << std::strerror(errno);
}

void CPortWorker::Run()
{
    bool lost = false;
    Clock::time_point holdUntil;  // reading rests until then
    while (m_wakeFd >= 0) {
        std::optional<Clock::time_point> writeDeadline;
        bool writing = false;
        {
            QMutexLocker lock(&m_lock);
            if (m_bStopping)
                break;
            writing = !m_pending.isEmpty();
            if (writing && m_nWriteTimeoutPerByte > 0)
                writeDeadline = m_writeDeadline;
        }
        const Clock::time_point now = Clock::now();
        const bool holding = now < holdUntil;
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        if (m_bDelivering) {
            fds[1] = {m_port->handle(), short((holding ? 0 : POLLIN) | (writing ? POLLOUT : 0)), 0};
            count = 2;
        }
        std::optional<Clock::time_point> until = writeDeadline;
        if (m_bDelivering && holding)
            until = until ? std::min(*until, holdUntil) : holdUntil;
        timespec wait{};
        if (until) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::max(*until - now, Clock::duration::zero()));
            wait.tv_sec = time_t(ns.count() / 1000000000);
            wait.tv_nsec = long(ns.count() % 1000000000);
        }
        if (::ppoll(fds, count, until ? &wait : nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            qCWarning(lcComms) << "waiting for the port failed:" << std::strerror(errno);
            lost = m_bDelivering;
            break;
        }
        if (fds[0].revents & POLLIN) {
            quint64 wakeUps;
            while (::read(m_wakeFd, &wakeUps, sizeof wakeUps) < 0 && errno == EINTR) {
            }
            RunTask();
        }
        if (count < 2)
            continue;
        const short events = fds[1].revents;
        const bool gone = events & (POLLHUP | POLLERR | POLLNVAL);
        if (events & (POLLIN | POLLHUP | POLLERR)) {
            if (!ReadPending(events & POLLIN) || gone) {
                lost = true;
                break;
            }
            holdUntil = HoldOffEnd(Clock::now());
        }
        if (gone) {
            lost = true;
            break;
        }
        if (writing)
            FlushPending();
    }
    if (lost)
        qCWarning(lcComms) << "port lost:" << (m_port ? m_port->portName() : QString());
    ClosePort();
    {
        QMutexLocker lock(&m_lock);
        m_bEnded = true;
        m_taskDone.wakeAll();
    }
    if (lost)
        emit Lost();
}

// The next tick of a grid kReadHoldOff apart that is at least half of it away. Every line's
// hold-off ends on the same ticks, so under load the lines' threads wake together and their chunks
// reach the user-interface thread in one wake-up of it, not in one per line.
CPortWorker::Clock::time_point CPortWorker::HoldOffEnd(Clock::time_point now)
{
    const Clock::duration tick = kReadHoldOff;
    const Clock::duration earliest = (now + tick / 2).time_since_epoch();
    return Clock::time_point((earliest + tick - Clock::duration(1)) / tick * tick);
}

void CPortWorker::RunTask()
{
    std::function<bool()> task;
    {
        QMutexLocker lock(&m_lock);
        task.swap(m_task);
    }
    if (!task)
        return;
    const bool result = task();
    QMutexLocker lock(&m_lock);
    m_bTaskResult = result;
    m_bTaskDone = true;
    m_taskDone.wakeAll();
}

bool CPortWorker::OpenOnThread(const QString& devicePath)
{
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(devicePath);
    // QSerialPort opens exclusively (lock file and TIOCEXCL), so a port in use cannot be opened
    // twice, and non-blocking. Its own read notifier never fires: this thread runs no event loop.
    if (!m_port->open(QIODevice::ReadWrite)) {
        qCWarning(lcComms) << "open failed:" << devicePath << m_port->errorString();
        m_port.reset();
        return false;
    }
    if (!m_port->clear(QSerialPort::AllDirections))
        qCDebug(lcComms) << "purge failed:" << m_port->errorString();
    QMutexLocker lock(&m_lock);
    if (!m_bStopping)
        m_fd = int(m_port->handle());
    return true;
}

bool CPortWorker::ConfigureOnThread(const LineSettings& line, int writeTimeoutPerByte)
{
    if (!m_port || !ApplyLineSettings(*m_port, line))
        return false;
    {
        QMutexLocker lock(&m_lock);
        m_nWriteTimeoutPerByte = writeTimeoutPerByte;
    }
    // A pseudo-terminal has no modem lines and refuses this; that is no reason to fail.
    if (!m_port->setDataTerminalReady(true))
        qCDebug(lcComms) << "raising DTR failed:" << m_port->errorString();
    m_port->clearError();
    // Whatever arrived while the port was being set up is read on the next round of the loop.
    m_bDelivering = true;
    return true;
}

bool CPortWorker::ReadPending(bool dataReported)
{
    char buffer[kReadChunk];
    bool first = true;
    for (;;) {
        const ssize_t count = ::read(int(m_port->handle()), buffer, kReadChunk);
        if (count > 0) {
            Post(QByteArray(buffer, int(count)));
            if (count < kReadChunk)
                return true;  // all there was; anything later is read on the next round
            first = false;
        } else if (count == 0) {
            // A line with data reported that reads as ended has been hung up.
            return !(first && dataReported);
        } else if (errno != EINTR) {
            if (errno == EAGAIN)
                return true;
            // The error goes up the stack as received text; outside a frame the framer ignores it.
            qCWarning(lcComms) << "read failed:" << m_port->portName() << std::strerror(errno);
            PostError(errno);
            return false;
        }
    }
}

void CPortWorker::Write(const char* data, int count)
{
    QMutexLocker lock(&m_lock);
    if (m_fd < 0 || count <= 0)
        return;
    if (!m_pending.isEmpty()) {
        // Behind what is waiting, so the line sees the bytes in the order they were written.
        m_pending.append(data, count);
        RestartWriteDeadline();
        return;
    }
    const qsizetype written = WriteNow(data, count);
    if (written < 0 || written == count)
        return;
    m_nSent = written;
    m_pending.append(data + written, count - int(written));
    RestartWriteDeadline();
    Wake();
}

void CPortWorker::FlushPending()
{
    QMutexLocker lock(&m_lock);
    if (m_pending.isEmpty() || m_fd < 0)
        return;
    if (m_nWriteTimeoutPerByte > 0 && Clock::now() >= m_writeDeadline) {
        // Like a write time-out of the line: what has not gone out in time is discarded.
        qCDebug(lcComms, "Probable Write Timeout: Total of %lld bytes sent", m_nSent);
        ::tcflush(m_fd, TCOFLUSH);
        m_pending.resize(0);
        return;
    }
    const qsizetype written = WriteNow(m_pending.constData(), m_pending.size());
    if (written < 0) {
        m_pending.resize(0);
        return;
    }
    m_nSent += written;
    m_pending.remove(0, written);
    if (m_pending.isEmpty())
        qCDebug(lcComms, "%lld bytes written", m_nSent);
}

// Under m_lock. The number of bytes the line took (0 when it is full), or -1 after an error, which
// goes up the stack as received text like a read error does.
qsizetype CPortWorker::WriteNow(const char* data, qsizetype count)
{
    for (;;) {
        const ssize_t written = ::write(m_fd, data, size_t(count));
        if (written >= 0)
            return written;
        if (errno == EAGAIN)
            return 0;
        if (errno != EINTR) {
            qCDebug(lcComms) << "write failed:" << std::strerror(errno);
            PostError(errno);
            return -1;
        }
    }
}

// Under m_lock: all that is pending may take its count times the time allowed per byte.
void CPortWorker::RestartWriteDeadline()
{
    if (m_nWriteTimeoutPerByte > 0)
        m_writeDeadline = Clock::now() + std::chrono::milliseconds(m_pending.size() * m_nWriteTimeoutPerByte);
}

void CPortWorker::ClosePort()
{
    m_bDelivering = false;
    {
        QMutexLocker lock(&m_lock);
        m_fd = -1;
        m_pending.resize(0);
    }
    if (!m_port)
        return;
    if (m_port->isOpen()) {
        if (!m_port->setDataTerminalReady(false))
            qCDebug(lcComms) << "dropping DTR failed:" << m_port->errorString();
        // Discarding what is still queued also keeps the close from waiting for the line to drain.
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
    m_port.reset();
}

void CPortWorker::Post(const QByteArray& bytes)
{
    QCoreApplication::postEvent(m_receiver, new CCommsEvent(WM_RX_DATA, int(bytes.size()), bytes));
}

void CPortWorker::PostError(int code)
{
    Post(QString::fromLatin1(Str::kCommsErrorFormat).arg(uint(code)).toLatin1());
}

#include "comms/PortWorker.h"

#include "comms/CommsEvent.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/Strings.h"

#include <QCoreApplication>
#include <QFile>
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

PortWorker::PortWorker(QObject* receiver)
    : m_receiver(receiver), m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wakeFd < 0)
        qCWarning(lcComms) << "no wake-up descriptor:" << std::strerror(errno);
}

PortWorker::~PortWorker()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool PortWorker::Open(const QString& devicePath, bool* inUse)
{
    if (inUse)
        *inUse = false;
    return Call([this, devicePath, inUse] { return OpenOnThread(devicePath, inUse); });
}

bool PortWorker::Configure(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal)
{
    return Call([=] { return ConfigureOnThread(line, writeTimeoutPerByte, refusal); });
}

bool PortWorker::ChangeFormat(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal)
{
    return Call([=] { return ChangeFormatOnThread(line, writeTimeoutPerByte, refusal); });
}

void PortWorker::Stop()
{
    {
        QMutexLocker lock(&m_lock);
        m_stopping = true;
        m_fd = -1;
    }
    Wake();
}

bool PortWorker::Call(std::function<bool()> task)
{
    QMutexLocker lock(&m_lock);
    if (m_ended || m_wakeFd < 0)
        return false;
    m_task = std::move(task);
    m_taskFinished = false;
    Wake();
    while (!m_taskFinished && !m_ended)
        m_taskDone.wait(&m_lock);
    return m_taskFinished && m_taskResult;
}

void PortWorker::Wake()
{
    const quint64 one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0 && errno != EAGAIN)
        qCWarning(lcComms) << "waking the port's thread failed:" << std::strerror(errno);
}

void PortWorker::Run()
{
    bool lost = false;
    Clock::time_point holdUntil;  // reading rests until then
    while (m_wakeFd >= 0) {
        std::optional<Clock::time_point> writeDeadline;
        bool writing = false;
        {
            QMutexLocker lock(&m_lock);
            if (m_stopping)
                break;
            writing = !m_held.empty();
            writeDeadline = EarliestDeadline();
        }
        const Clock::time_point now = Clock::now();
        const bool holding = now < holdUntil;
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        if (m_delivering) {
            fds[1] = {m_port->handle(), short((holding ? 0 : POLLIN) | (writing ? POLLOUT : 0)), 0};
            count = 2;
        }
        std::optional<Clock::time_point> until = writeDeadline;
        if (m_delivering && holding)
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
            lost = m_delivering;
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
        m_ended = true;
        m_taskDone.wakeAll();
    }
    if (lost)
        emit Lost();
}

// The next tick of a grid kReadHoldOff apart that is at least half of it away. Every line's
// hold-off ends on the same ticks, so under load the lines' threads wake together and their chunks
// reach the user-interface thread in one wake-up of it, not in one per line.
PortWorker::Clock::time_point PortWorker::HoldOffEnd(Clock::time_point now)
{
    const Clock::duration tick = kReadHoldOff;
    const Clock::duration earliest = (now + tick / 2).time_since_epoch();
    return Clock::time_point((earliest + tick - Clock::duration(1)) / tick * tick);
}

void PortWorker::RunTask()
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
    m_taskResult = result;
    m_taskFinished = true;
    m_taskDone.wakeAll();
}

bool PortWorker::OpenOnThread(const QString& devicePath, bool* inUse)
{
    const PortLock::Result locked = m_portLock.Acquire(devicePath);
    if (locked != PortLock::Result::Locked) {
        qCDebug(lcComms) << "not opened:" << devicePath << std::strerror(m_portLock.Error());
        if (inUse)
            *inUse = locked == PortLock::Result::InUse;
        return false;
    }
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(m_portLock.CanonicalPath());
    // QSerialPort opens exclusively as well (a lock file named after the canonical name, and
    // TIOCEXCL), and non-blocking. Its own read notifier never fires: this thread runs no event loop.
    if (!m_port->open(QIODevice::ReadWrite)) {
        qCWarning(lcComms) << "open failed:" << devicePath << m_port->errorString();
        // Refused although the device itself may be opened: a lock file that another program
        // holds for it, so in use as well.
        if (inUse)
            *inUse = m_port->error() == QSerialPort::PermissionError
                     && ::access(QFile::encodeName(m_portLock.CanonicalPath()).constData(), R_OK | W_OK) == 0;
        m_port.reset();
        m_portLock.Release();
        return false;
    }
    if (!m_port->clear(QSerialPort::AllDirections))
        qCDebug(lcComms) << "purge failed:" << m_port->errorString();
    QMutexLocker lock(&m_lock);
    if (!m_stopping)
        m_fd = int(m_port->handle());
    return true;
}

bool PortWorker::ConfigureOnThread(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal)
{
    if (!m_port || !ApplyLineSettings(*m_port, line, refusal))
        return false;
    {
        QMutexLocker lock(&m_lock);
        m_writeTimeoutPerByte = writeTimeoutPerByte;
    }
    // A pseudo-terminal has no modem lines and refuses this; that is no reason to fail.
    if (!m_port->setDataTerminalReady(true))
        qCDebug(lcComms) << "raising DTR failed:" << m_port->errorString();
    m_port->clearError();
    // Whatever arrived while the port was being set up is read on the next round of the loop.
    m_delivering = true;
    return true;
}

bool PortWorker::ChangeFormatOnThread(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal)
{
    if (!m_port || !ChangeLineFormat(*m_port, line, refusal))
        return false;
    QMutexLocker lock(&m_lock);
    m_writeTimeoutPerByte = writeTimeoutPerByte;
    return true;
}

bool PortWorker::ReadPending(bool dataReported)
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

void PortWorker::Write(const char* data, int count)
{
    QMutexLocker lock(&m_lock);
    if (m_fd < 0 || count <= 0)
        return;
    // Behind what is held, so the line sees the bytes in the order they were written.
    const qsizetype written = m_held.empty() ? WriteNow(data, count) : 0;
    if (written < 0 || written == count)
        return;
    Hold(data, count, written);
    // Also when writes wait already: this one's deadline may come before theirs.
    Wake();
}

// Under m_lock. Keeps the write for the loop; its time runs from now, for its whole count.
void PortWorker::Hold(const char* data, qsizetype count, qsizetype sent)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(count * m_writeTimeoutPerByte);
    m_held.push_back({QByteArray(data, count), sent, deadline});
    m_heldBytes += count - sent;
    // Over the cap the oldest writes that have not begun to go out give way; a begun one is not cut.
    qsizetype dropped = 0;
    auto oldest = m_held.begin();
    while (m_heldBytes > kMaxHeldBytes && m_held.size() > 1) {
        if (oldest->sent > 0)
            ++oldest;
        if (oldest == m_held.end() - 1)
            break;
        m_heldBytes -= oldest->bytes.size();
        dropped += oldest->bytes.size();
        oldest = m_held.erase(oldest);
    }
    if (dropped > 0)
        qCDebug(lcComms) << "line held:" << dropped << "bytes of the oldest writes discarded";
}

// Under m_lock. Like a write time-out of the line: what of a write has not gone out in its time
// is discarded.
void PortWorker::DiscardExpired(Clock::time_point now)
{
    if (m_writeTimeoutPerByte <= 0)
        return;
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (now < it->deadline) {
            ++it;
            continue;
        }
        qCDebug(lcComms, "Probable Write Timeout: Total of %lld bytes sent", qint64(it->sent));
        // The driver still holds what went out of it, behind the bytes of earlier writes: older still.
        if (it->sent > 0)
            ::tcflush(m_fd, TCOFLUSH);
        m_heldBytes -= it->bytes.size() - it->sent;
        it = m_held.erase(it);
    }
}

// Under m_lock. When the loop must next look at the held writes for their time.
std::optional<PortWorker::Clock::time_point> PortWorker::EarliestDeadline() const
{
    if (m_writeTimeoutPerByte <= 0 || m_held.empty())
        return std::nullopt;
    Clock::time_point earliest = m_held.front().deadline;
    for (const HeldWrite& held : m_held)
        earliest = std::min(earliest, held.deadline);
    return earliest;
}

void PortWorker::FlushPending()
{
    QMutexLocker lock(&m_lock);
    if (m_fd < 0)
        return;
    DiscardExpired(Clock::now());
    while (!m_held.empty()) {
        HeldWrite& head = m_held.front();
        const qsizetype written = WriteNow(head.bytes.constData() + head.sent, head.bytes.size() - head.sent);
        if (written < 0) {
            m_held.clear();
            m_heldBytes = 0;
            return;
        }
        head.sent += written;
        m_heldBytes -= written;
        if (head.sent < head.bytes.size())
            return;  // the line is full again
        qCDebug(lcComms, "%lld bytes written", qint64(head.sent));
        m_held.pop_front();
    }
}

// Under m_lock. The number of bytes the line took (0 when it is full), or -1 after an error, which
// goes up the stack as received text like a read error does.
qsizetype PortWorker::WriteNow(const char* data, qsizetype count)
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

void PortWorker::ClosePort()
{
    m_delivering = false;
    {
        QMutexLocker lock(&m_lock);
        m_fd = -1;
        m_held.clear();
        m_heldBytes = 0;
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
    m_portLock.Release();
}

void PortWorker::Post(const QByteArray& bytes)
{
    QCoreApplication::postEvent(m_receiver,
                                new CommsEvent(WM_RX_DATA, int(bytes.size()), bytes, ::Clock::NowMsecs()));
}

void PortWorker::PostError(int code)
{
    Post(QString::fromLatin1(Str::kCommsErrorFormat).arg(uint(code)).toLatin1());
}

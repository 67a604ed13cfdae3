#include "tests/support/Pty.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

Pty::Pty()
{
    char name[256] = {};
    int slave = -1;
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    // Raw on both sides: the far end of a serial line sees bytes, not a terminal.
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // A program the test starts must not inherit the line's far end, or closing it here would not
    // hang the line up.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_slaveKeep = slave;
    m_slavePath = QString::fromLocal8Bit(name);
}

Pty::~Pty()
{
    Close();
}

void Pty::Close()
{
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    if (m_master >= 0)
        ::close(m_master);
    m_slaveKeep = m_master = -1;
}

bool Pty::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

QByteArray Pty::Read(int want, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && (want == 0 || out.size() < want)) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, int(qMax<qint64>(1, timeoutMs - timer.elapsed()))) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0)
            out.append(buf, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return out;
}

void Pty::ReleaseSlave()
{
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    m_slaveKeep = -1;
}

bool Pty::PeerOpen() const
{
    pollfd p{m_master, POLLOUT, 0};
    return m_master >= 0 && ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

int Pty::SlaveInputPending() const
{
    int count = -1;
    return m_slaveKeep >= 0 && ::ioctl(m_slaveKeep, FIONREAD, &count) == 0 ? count : -1;
}

bool Pty::SlaveMaySend() const
{
    pollfd p{m_slaveKeep, POLLOUT, 0};
    return m_slaveKeep >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLOUT);
}

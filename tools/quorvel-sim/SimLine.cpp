#include "SimLine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SimLine::~SimLine()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SimLine::Create()
{
    char name[256] = {};
    int slave = -1;
    if (::openpty(&m_fd, &slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw, so the line carries bytes and not terminal input; the program sets its own line settings.
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
    return true;
}

bool SimLine::CheckOpened()
{
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP))
        m_opened = true;
    return m_opened;
}

void SimLine::ReadPending()
{
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            OnBytes(buffer, int(n));
        if (n < ssize_t(sizeof buffer))
            return;
    }
}

void SimLine::Flush()
{
    while (!m_out.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_out.constData(), size_t(m_out.size()));
        if (n > 0)
            m_out.remove(0, qsizetype(n));
        else if (!(n < 0 && errno == EINTR))
            return;
    }
}

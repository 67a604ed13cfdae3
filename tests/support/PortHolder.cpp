#include "tests/support/PortHolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

PortHolder::PortHolder(const QString& devicePath)
{
    const QByteArray path = QFile::encodeName(devicePath);
    int ready[2], release[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return;
    if (::pipe2(release, O_CLOEXEC) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    m_child = ::fork();
    if (m_child == 0) {
        // Only async-signal-safe calls here: the test process has threads.
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        char held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        ssize_t written;
        do
            written = ::write(ready[1], &held, 1);
        while (written < 0 && errno == EINTR);
        char byte;
        ssize_t got;
        do
            got = ::read(release[0], &byte, 1);
        while (got < 0 && errno == EINTR);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    m_release = release[1];
    char held = 'n';
    if (m_child > 0) {
        ssize_t count;
        do
            count = ::read(ready[0], &held, 1);
        while (count < 0 && errno == EINTR);
    }
    ::close(ready[0]);
    m_holding = held == 'y';
}

PortHolder::~PortHolder()
{
    Release();
}

void PortHolder::Release()
{
    if (m_release >= 0)
        ::close(m_release);
    m_release = -1;
    if (m_child > 0) {
        int status = 0;
        while (::waitpid(m_child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_child = -1;
    m_holding = false;
}

#include "comms/PortLock.h"

#include "core/Logging.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

PortLock::~PortLock()
{
    Release();
}

PortLock::Result PortLock::Acquire(const QString& devicePath)
{
    Release();
    m_canonicalPath.clear();
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(devicePath).constData(), resolved)) {
        m_error = errno;
        return Result::Failed;
    }
    m_canonicalPath = QFile::decodeName(resolved);
    // Non-blocking, so that a modem line without carrier does not hold the open; no controlling
    // terminal is taken. Opening changes neither the line's settings nor what waits on it.
    const int fd = ::open(resolved, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        // A terminal held with TIOCEXCL by another program refuses every other opening.
        return m_error == EBUSY ? Result::InUse : Result::Failed;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        m_error = ENOTTY;
        return Result::Failed;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        m_error = errno;
        ::close(fd);
        if (m_error == EWOULDBLOCK) {
            qCDebug(lcComms) << "port held by another program:" << m_canonicalPath;
            return Result::InUse;
        }
        qCWarning(lcComms) << "locking the port failed:" << m_canonicalPath << std::strerror(m_error);
        return Result::Failed;
    }
    m_fd = fd;
    m_error = 0;
    return Result::Locked;
}

void PortLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

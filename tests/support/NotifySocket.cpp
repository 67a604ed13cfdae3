#include "tests/support/NotifySocket.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

NotifySocket::NotifySocket(const QString& path)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    m_bound = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

NotifySocket::~NotifySocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_bound)
        QFile::remove(m_path);
}

QStringList NotifySocket::Received()
{
    char buffer[4096];
    ssize_t n;
    while (m_fd >= 0 && (n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
        m_received += QString::fromUtf8(buffer, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return m_received;
}

QStringList NotifySocket::TakeNew()
{
    const QStringList all = Received();
    const QStringList fresh = all.mid(m_taken);
    m_taken = all.size();
    return fresh;
}

bool NotifySocket::Has(const QRegularExpression& pattern)
{
    const QStringList all = Received();
    return std::any_of(all.begin(), all.end(), [&](const QString& line) { return pattern.match(line).hasMatch(); });
}

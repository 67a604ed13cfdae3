#include "app/SingleInstance.h"

#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kHandOverTimeoutMs = 5000;
// A local socket's path must fit the system's limit of 108 bytes with room to spare.
constexpr int kMaxSocketPathBytes = 100;
// A command line is a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxCommandLineBytes = 64 * 1024;
// Out of descriptors, connections wait in the backlog until some are free again.
constexpr int kAcceptRetryMs = 1000;
// Refusals closer together than this are one run, told in one box.
constexpr int kRefusalRunMs = 10000;

// A directory only this user can enter: not a link, owned by the user, no access for others.
bool IsPrivateDir(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The hand-over socket named `name`: in the runtime directory when that is the user's own and the
// path fits, else in a directory of the user's own in the temporary directory. Empty when there
// is no such directory.
QString SocketPath(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString inRuntime = QDir(runtime).filePath(name);
    if (!runtime.isEmpty() && IsPrivateDir(runtime) && QFile::encodeName(inRuntime).size() <= kMaxSocketPathBytes)
        return inRuntime;
    // Anyone may make a name in the temporary directory first: what is there is used only when
    // it turns out to be the user's own.
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("quorvel-%1").arg(::geteuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    const QString path = QDir(own).filePath(name);
    if (!IsPrivateDir(own) || QFile::encodeName(path).size() > kMaxSocketPathBytes) {
        qCWarning(lcApp) << own << "is not a directory of this user's own; no hand-over between copies";
        return {};
    }
    return path;
}

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
    m_refusalsEnd.setSingleShot(true);
    connect(&m_refusalsEnd, &QTimer::timeout, this, [this] { m_refusing = m_refusalBoxOpen; });
}

SingleInstance::~SingleInstance()
{
    // The socket file goes before the lock.
    delete m_notifier;
    if (m_listenFd >= 0) {
        ::unlink(m_socketPath.constData());
        ::close(m_listenFd);
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::ServerName(const QString& stationDir)
{
    QString canonical = QFileInfo(stationDir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir(stationDir).absolutePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256);
    const QString name = QStringLiteral("quorvel-") + QString::fromLatin1(hash.left(8).toHex());
    return SocketPath(name);
}

SingleInstance::Claim SingleInstance::ClaimStation(const QString& stationDir, const QStringList& files)
{
    if (!files.isEmpty())
        return ActivatePreviousInstance(ServerName(stationDir), files) ? Claim::AlreadyRunning : Claim::Viewing;

    // Read-only is enough for the lock, and lets a station whose lock file is already there run
    // from a folder this user may not write. Never through a link: another user's link would
    // have this copy create, or lock, a file of their choosing.
    const QByteArray lockPath = QFile::encodeName(QDir(stationDir).filePath(QString::fromLatin1(Str::kStationLockFile)));
    m_lockFd = ::open(lockPath.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (m_lockFd >= 0)
            ::close(m_lockFd);
        m_lockFd = -1;
        if (error == EWOULDBLOCK) {
            ActivatePreviousInstance(ServerName(stationDir), files);
            return Claim::AlreadyRunning;
        }
        m_error = QString::fromLatin1(Str::kStationLockFailed)
                      .arg(QFile::decodeName(lockPath), QString::fromLocal8Bit(std::strerror(error)));
        return Claim::Failed;
    }
    Listen(ServerName(stationDir));
    return Claim::Station;
}

void SingleInstance::Listen(const QString& serverName)
{
    m_socketPath = QFile::encodeName(serverName);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (m_socketPath.isEmpty() || size_t(m_socketPath.size()) >= sizeof(address.sun_path))
        return;
    std::memcpy(address.sun_path, m_socketPath.constData(), size_t(m_socketPath.size()));
    // The lock is ours, so a socket file of that name is left over from a copy that was killed.
    ::unlink(m_socketPath.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(fd, kMaxConnections) != 0) {
        qCWarning(lcApp) << "no hand-over socket for this station:" << std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::AcceptPending);
}

void SingleInstance::AcceptPending()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the station goes on, and so does the hand-over
                // once there is room again.
                qCWarning(lcApp) << "hand-over connection not taken:" << std::strerror(errno);
                m_notifier->setEnabled(false);
                QTimer::singleShot(kAcceptRetryMs, m_notifier, [notifier = m_notifier] { notifier->setEnabled(true); });
            }
            return;
        }
        if (m_connections >= kMaxConnections) {
            ::close(fd);
            Refuse(Str::kHandOverTooMany);
            continue;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        TakeCommandLine(socket);
    }
}

void SingleInstance::TakeCommandLine(QLocalSocket* socket)
{
    ++m_connections;
    auto received = std::make_shared<QByteArray>();
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, this, [this, socket] { Drop(socket, Str::kHandOverIdle); });
    idle->start(kIdleMs);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received, idle] {
        received->append(socket->readAll());
        if (received->size() > kMaxCommandLineBytes || received->count('\0') > kMaxFiles)
            Drop(socket, Str::kHandOverTooLarge);
        else
            idle->start(kIdleMs);
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, received] {
        received->append(socket->readAll());
        Drop(socket, nullptr);
        if (received->size() > kMaxCommandLineBytes || received->count('\0') > kMaxFiles) {
            Refuse(Str::kHandOverTooLarge);
            return;
        }
        QStringList files;
        for (const QByteArray& file : received->split('\0'))
            files.append(QString::fromUtf8(file));
        files.removeLast();  // what follows the last terminator
        qCInfo(lcApp) << "another copy was started on this station:" << files;
        emit ActivateRequested(files);
    });
}

void SingleInstance::Drop(QLocalSocket* socket, const char* reason)
{
    // Nothing of a dropped connection is taken, however it ends.
    socket->disconnect(this);
    for (QTimer* idle : socket->findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
        idle->stop();
    --m_connections;
    if (reason) {
        Refuse(reason);
        socket->abort();
    }
    socket->deleteLater();
}

void SingleInstance::Refuse(const char* reason)
{
    qCWarning(lcApp) << "hand-over refused:" << reason;
    m_refusalsEnd.start(kRefusalRunMs);
    if (m_refusing)
        return;
    m_refusing = true;
    // Not from inside the socket's handlers: a box runs the event loop.
    QTimer::singleShot(0, this, [this, reason] {
        m_refusalBoxOpen = true;
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kHandOverRefused).arg(QString::fromLatin1(reason)),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
        m_refusalBoxOpen = false;
        m_refusalsEnd.start(kRefusalRunMs);
    });
}

bool SingleInstance::ActivatePreviousInstance(const QString& serverName, const QStringList& files) const
{
    if (serverName.isEmpty())
        return false;
    QByteArray commandLine;
    for (const QString& file : files)
        commandLine += file.toUtf8() + '\0';
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kHandOverTimeoutMs)) {
        qCWarning(lcApp) << "the running copy did not take the command line:" << socket.errorString();
        return false;
    }
    socket.write(commandLine);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kHandOverTimeoutMs);
    return true;
}

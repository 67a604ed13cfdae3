#include "app/SingleInstance.h"

#include "core/Logging.h"
#include "core/Strings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kHandOverTimeoutMs = 5000;
// A local socket's path must fit the system's limit of 108 bytes with room to spare.
constexpr int kMaxSocketPathBytes = 100;
// A command line is a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxCommandLineBytes = 64 * 1024;

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance()
{
    delete m_server;  // removes the socket file before the lock goes
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
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        return name;
    const QString path = QDir(runtime).filePath(name);
    return QFile::encodeName(path).size() <= kMaxSocketPathBytes ? path : name;
}

SingleInstance::Claim SingleInstance::ClaimStation(const QString& stationDir, const QStringList& files)
{
    // Read-only is enough for the lock, and lets a station whose lock file is already there run
    // from a folder this user may not write.
    const QByteArray lockPath = QFile::encodeName(QDir(stationDir).filePath(QString::fromLatin1(Str::kStationLockFile)));
    m_lockFd = ::open(lockPath.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
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

    // The lock is ours, so a socket file of that name is left over from a copy that was killed.
    const QString name = ServerName(stationDir);
    QLocalServer::removeServer(name);
    m_server = new QLocalServer;
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            TakeCommandLine(socket);
    });
    if (!m_server->listen(name))
        qCWarning(lcApp) << "no hand-over socket for this station:" << m_server->errorString();
    return Claim::Station;
}

void SingleInstance::ActivatePreviousInstance(const QString& serverName, const QStringList& files) const
{
    QByteArray commandLine;
    for (const QString& file : files)
        commandLine += file.toUtf8() + '\0';
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kHandOverTimeoutMs)) {
        qCWarning(lcApp) << "the running copy did not take the command line:" << socket.errorString();
        return;
    }
    socket.write(commandLine);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kHandOverTimeoutMs);
}

void SingleInstance::TakeCommandLine(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::readyRead, socket, [socket] {
        if (socket->bytesAvailable() > kMaxCommandLineBytes)
            socket->abort();
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        QStringList files;
        for (const QByteArray& file : socket->readAll().split('\0'))
            files.append(QString::fromUtf8(file));
        files.removeLast();  // what follows the last terminator
        qCInfo(lcApp) << "another copy was started on this station:" << files;
        socket->deleteLater();
        emit ActivateRequested(files);
    });
}

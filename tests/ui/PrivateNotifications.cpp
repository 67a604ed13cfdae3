#include "tests/ui/PrivateNotifications.h"

#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>

namespace {
const QString kConnection = QStringLiteral("notification service");
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kStartMs = 5000;
} // namespace

PrivateNotifications::PrivateNotifications()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        return;
    m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                            QStringLiteral("--address=unix:tmpdir=") + QDir::tempPath()});
    if (!m_daemon.waitForStarted(kStartMs))
        return;
    QElapsedTimer timer;
    timer.start();
    while (!m_daemon.canReadLine() && timer.elapsed() < kStartMs)
        m_daemon.waitForReadyRead(100);
    const QString address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    if (address.isEmpty() || !QDBusConnection::connectToBus(address, kConnection).isConnected())
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
    m_address = address;
}

PrivateNotifications::~PrivateNotifications()
{
    Serve(false);
    QDBusConnection::disconnectFromBus(kConnection);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished(kStartMs);
    }
}

bool PrivateNotifications::Serve(bool serving)
{
    if (!IsRunning() || serving == m_serving)
        return IsRunning();
    QDBusConnection bus(kConnection);
    m_serving = serving;
    if (!serving) {
        bus.unregisterService(kService);
        bus.unregisterObject(kPath);
        return true;
    }
    return bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots) && bus.registerService(kService);
}

uint PrivateNotifications::Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
                                  const QString& body, const QStringList&, const QVariantMap& hints, int)
{
    shown.append({appName, replacesId, summary, body, hints.value(QStringLiteral("urgency")).toInt()});
    return replacesId != 0 ? replacesId : uint(100 + shown.size());
}

QString PrivateNotifications::GetServerInformation(QString& vendor, QString& version, QString& specVersion)
{
    vendor = QStringLiteral("test");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("test notifications");
}

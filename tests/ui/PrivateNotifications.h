#pragma once
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

// A session bus of the test's own (dbus-daemon, named in DBUS_SESSION_BUS_ADDRESS for this
// process) and on it, while Serve() holds, a notification service that records what it is asked
// to show and answers with ids as a desktop's service does. Made before anything in the process
// touches the session bus.
class PrivateNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown
    {
        QString app;
        uint replaces;
        QString summary;
        QString body;
        int urgency;
    };

    PrivateNotifications();
    ~PrivateNotifications() override;

    bool IsRunning() const { return !m_address.isEmpty(); }
    QString Address() const { return m_address; }
    // Whether the service is on the bus.
    bool Serve(bool serving);

    QList<Shown> shown;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

private:
    QProcess m_daemon;
    QString m_address;
    bool m_serving = false;
};

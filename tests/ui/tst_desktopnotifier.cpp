#include "core/Strings.h"
#include "ui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kIntervalMs = 600;  // the interval a channel's notifications keep apart, short for the test

} // namespace

// A notification service of the test's own on a private session bus: it records what it is asked
// to show and answers with ids as a desktop's service does.
class FakeNotifications : public QObject
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
    QList<Shown> shown;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int)
    {
        shown.append({appName, replacesId, summary, body, hints.value(QStringLiteral("urgency")).toInt()});
        return replacesId != 0 ? replacesId : uint(100 + shown.size());
    }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake notifications");
    }
};

class TestDesktopNotifier : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void alertsReachTheDesktop_data();
    void alertsReachTheDesktop();
    void alertsBeforeTheAnswerWaitForIt();
    void offWithoutService_data();
    void offWithoutService();

private:
    // A notifier that has had its answer from the bus (true: the service answered).
    bool Started(CDesktopNotifier& notifier, bool expected);

    QProcess m_bus;
    QString m_address;
    std::unique_ptr<FakeNotifications> m_service;
};

void TestDesktopNotifier::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed (scripts/setup.sh installs it)");
    m_bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                         QStringLiteral("--address=unix:tmpdir=") + QDir::tempPath()});
    QVERIFY(m_bus.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 5000);
    m_address = QString::fromLocal8Bit(m_bus.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    // Before anything in this process touches the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
    QDBusConnection service = QDBusConnection::connectToBus(m_address, QStringLiteral("service"));
    QVERIFY(service.isConnected());
}

void TestDesktopNotifier::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }
}

void TestDesktopNotifier::init()
{
    m_service = std::make_unique<FakeNotifications>();
    QDBusConnection service(QStringLiteral("service"));
    QVERIFY(service.registerObject(kPath, m_service.get(), QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(kService));
}

void TestDesktopNotifier::cleanup()
{
    QDBusConnection service(QStringLiteral("service"));
    service.unregisterService(kService);
    service.unregisterObject(kPath);
    m_service.reset();
}

bool TestDesktopNotifier::Started(CDesktopNotifier& notifier, bool expected)
{
    QSignalSpy known(&notifier, &CDesktopNotifier::availabilityKnown);
    notifier.Start();
    return (!known.isEmpty() || known.wait(5000)) && known.size() == 1 && known.at(0).at(0).toBool() == expected
           && notifier.IsAvailable() == expected;
}

void TestDesktopNotifier::alertsReachTheDesktop_data()
{
    // Alerts as "channel:kind" given at once (F fault, A alarm); what the service is asked to show,
    // in order, as "summary|body|urgency|replaces" (replaces: the id of the channel's earlier one).
    QTest::addColumn<QStringList>("alerts");
    QTest::addColumn<QStringList>("expected");
    const QString several = QString::fromLatin1(Str::kNotificationLines);
    QTest::newRow("a fault: critical") << QStringList{"3:F"} << QStringList{"Channel 3|line 1|2|0"};
    QTest::newRow("an alarm: normal") << QStringList{"3:A"} << QStringList{"Channel 3|line 1|1|0"};
    QTest::newRow("a burst: one now, the rest counted once the interval is over")
        << QStringList{"3:A", "3:F", "3:A", "3:A"}
        << QStringList{"Channel 3|line 1|1|0", "Channel 3|" + several.arg(3).arg("line 4") + "|2|101"};
    QTest::newRow("channels apart") << QStringList{"3:F", "5:A", "3:A"}
                                    << QStringList{"Channel 3|line 1|2|0", "Channel 5|line 2|1|0",
                                                   "Channel 3|line 3|1|101"};
}

void TestDesktopNotifier::alertsReachTheDesktop()
{
    QFETCH(QStringList, alerts);
    QFETCH(QStringList, expected);
    CDesktopNotifier notifier(kIntervalMs);
    QVERIFY(Started(notifier, true));
    for (int i = 0; i < alerts.size(); ++i) {
        const int channel = alerts[i].section(':', 0, 0).toInt();
        notifier.Alert(channel, QStringLiteral("Channel %1").arg(channel), QStringLiteral("line %1").arg(i + 1), 1,
                       alerts[i].endsWith('F'));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_service->shown.size(), expected.size(), 5000);
    QStringList shown;
    for (const FakeNotifications::Shown& one : m_service->shown) {
        QCOMPARE(one.app, QStringLiteral("Quorvel"));
        shown << QStringLiteral("%1|%2|%3|%4").arg(one.summary, one.body).arg(one.urgency).arg(one.replaces);
    }
    QCOMPARE(shown, expected);
    // Nothing more follows.
    QTest::qWait(kIntervalMs + 200);
    QCOMPARE(m_service->shown.size(), expected.size());
}

void TestDesktopNotifier::alertsBeforeTheAnswerWaitForIt()
{
    CDesktopNotifier notifier(kIntervalMs);
    QSignalSpy known(&notifier, &CDesktopNotifier::availabilityKnown);
    notifier.Start();
    notifier.Alert(16, QStringLiteral("North Gate"), QStringLiteral("first"), 2, false);
    notifier.Alert(16, QStringLiteral("North Gate"), QStringLiteral("second"), 1, true);
    QVERIFY(known.wait(5000));
    QTRY_COMPARE_WITH_TIMEOUT(m_service->shown.size(), 1, 5000);
    QCOMPARE(m_service->shown[0].summary, QStringLiteral("North Gate"));
    QCOMPARE(m_service->shown[0].body, QString::fromLatin1(Str::kNotificationLines).arg(3).arg("second"));
    QCOMPARE(m_service->shown[0].urgency, CDesktopNotifier::kUrgencyCritical);
}

void TestDesktopNotifier::offWithoutService_data()
{
    QTest::addColumn<bool>("bus");  // a session bus without the service, or no session bus at all
    QTest::newRow("no service on the bus") << true;
    QTest::newRow("no session bus") << false;
}

void TestDesktopNotifier::offWithoutService()
{
    QFETCH(bool, bus);
    cleanup();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!bus) {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("XDG_RUNTIME_DIR");
    }
    CDesktopNotifier notifier(kIntervalMs);
    const bool answered = Started(notifier, false);
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtime);
    QVERIFY(answered);
    // A service that comes later is not asked: the notifier stays off for this run.
    init();
    notifier.Alert(1, QStringLiteral("Channel 1"), QStringLiteral("line"), 1, true);
    QTest::qWait(200);
    QVERIFY(m_service->shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"

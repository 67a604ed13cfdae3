#include "core/Strings.h"
#include "tests/ui/PrivateNotifications.h"
#include "ui/DesktopNotifier.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
constexpr int kIntervalMs = 600;  // the interval a channel's notifications keep apart, short for the test
} // namespace

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
    bool Started(DesktopNotifier& notifier, bool expected);

    std::unique_ptr<PrivateNotifications> m_bus;
};

void TestDesktopNotifier::initTestCase()
{
    m_bus = std::make_unique<PrivateNotifications>();
    if (!m_bus->IsRunning())
        QSKIP("no private session bus: dbus-daemon is not installed (scripts/setup.sh installs it)");
}

void TestDesktopNotifier::cleanupTestCase()
{
    m_bus.reset();
}

void TestDesktopNotifier::init()
{
    m_bus->shown.clear();
    QVERIFY(m_bus->Serve(true));
}

void TestDesktopNotifier::cleanup()
{
    m_bus->Serve(false);
}

bool TestDesktopNotifier::Started(DesktopNotifier& notifier, bool expected)
{
    QSignalSpy known(&notifier, &DesktopNotifier::availabilityKnown);
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
    DesktopNotifier notifier(kIntervalMs);
    QVERIFY(Started(notifier, true));
    for (int i = 0; i < alerts.size(); ++i) {
        const int channel = alerts[i].section(':', 0, 0).toInt();
        notifier.Alert(channel, QStringLiteral("Channel %1").arg(channel), QStringLiteral("line %1").arg(i + 1), 1,
                       alerts[i].endsWith('F'));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->shown.size(), expected.size(), 5000);
    QStringList shown;
    for (const PrivateNotifications::Shown& one : m_bus->shown) {
        QCOMPARE(one.app, QStringLiteral("Quorvel"));
        shown << QStringLiteral("%1|%2|%3|%4").arg(one.summary, one.body).arg(one.urgency).arg(one.replaces);
    }
    QCOMPARE(shown, expected);
    // Nothing more follows.
    QTest::qWait(kIntervalMs + 200);
    QCOMPARE(m_bus->shown.size(), expected.size());
}

void TestDesktopNotifier::alertsBeforeTheAnswerWaitForIt()
{
    DesktopNotifier notifier(kIntervalMs);
    QSignalSpy known(&notifier, &DesktopNotifier::availabilityKnown);
    notifier.Start();
    notifier.Alert(16, QStringLiteral("North Gate"), QStringLiteral("first"), 2, false);
    notifier.Alert(16, QStringLiteral("North Gate"), QStringLiteral("second"), 1, true);
    QVERIFY(known.wait(5000));
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->shown.size(), 1, 5000);
    QCOMPARE(m_bus->shown[0].summary, QStringLiteral("North Gate"));
    QCOMPARE(m_bus->shown[0].body, QString::fromLatin1(Str::kNotificationLines).arg(3).arg("second"));
    QCOMPARE(m_bus->shown[0].urgency, DesktopNotifier::kUrgencyCritical);
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
    m_bus->Serve(false);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!bus) {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("XDG_RUNTIME_DIR");
    }
    DesktopNotifier notifier(kIntervalMs);
    const bool answered = Started(notifier, false);
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->Address().toLocal8Bit());
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtime);
    QVERIFY(answered);
    // A service that comes later is not asked: the notifier stays off for this run.
    QVERIFY(m_bus->Serve(true));
    notifier.Alert(1, QStringLiteral("Channel 1"), QStringLiteral("line"), 1, true);
    QTest::qWait(200);
    QVERIFY(m_bus->shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"

#include "app/ServiceNotifier.h"
#include "core/StationHealth.h"
#include "tests/support/NotifySocket.h"

#include <QDir>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>


// The watchdog notices, with the service manager's socket played by the test: sent while the
// logging thread answers and the windows come round, withheld while either is held.
class TestServiceNotifier : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void watchdog_data();
    void watchdog();

private:
    // The assignments received within ms, the windows' thread kept coming round meanwhile when asked.
    QStringList Receive(int ms, bool windowsAnswer);

    QTemporaryDir m_dir;
    std::unique_ptr<NotifySocket> m_manager;
};

void TestServiceNotifier::initTestCase()
{
    m_manager = std::make_unique<NotifySocket>(m_dir.filePath(QStringLiteral("notify")));
    QVERIFY(m_manager->IsBound());
    qputenv("NOTIFY_SOCKET", QFile::encodeName(m_manager->Path()));
    qputenv("WATCHDOG_USEC", "400000");  // a notice every 0.2 s
}

void TestServiceNotifier::cleanupTestCase()
{
    qunsetenv("NOTIFY_SOCKET");
    qunsetenv("WATCHDOG_USEC");
    m_manager.reset();
}

QStringList TestServiceNotifier::Receive(int ms, bool windowsAnswer)
{
    QStringList received;
    QElapsedTimer timer;
    timer.start();
    do {
        if (windowsAnswer)
            StationHealth::UiLastPassMs() = StationHealth::SteadyMs();
        received += m_manager->TakeNew();
        QTest::qWait(20);
    } while (timer.elapsed() < ms);
    return received;
}

void TestServiceNotifier::watchdog_data()
{
    QTest::addColumn<bool>("holdLogging");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<bool>("holdWindows");

    QTest::newRow("all answer, with windows") << false << true << false;
    QTest::newRow("logging thread held") << true << false << false;
    QTest::newRow("windows held") << false << true << true;
    QTest::newRow("windows held, none shown") << false << false << true;
}

void TestServiceNotifier::watchdog()
{
    QFETCH(bool, holdLogging);
    QFETCH(bool, windows);
    QFETCH(bool, holdWindows);

    QThread logging;
    logging.start();
    QObject heartbeat;
    heartbeat.moveToThread(&logging);
    StationHealth::UiLastPassMs() = StationHealth::SteadyMs();
    Receive(0, false);  // whatever an earlier row left
    {
        ServiceNotifier notifier(&heartbeat, windows, m_dir.path());
        notifier.Ready();
        // Until the notice of readiness and two watchdog notices have come.
        QStringList first;
        QElapsedTimer waited;
        waited.start();
        while ((!first.contains(QStringLiteral("READY=1")) || first.count(QStringLiteral("WATCHDOG=1")) < 2)
               && waited.elapsed() < 5000)
            first += Receive(0, true);
        QCOMPARE(first.count(QStringLiteral("READY=1")), 1);
        QVERIFY2(first.count(QStringLiteral("WATCHDOG=1")) >= 2, qPrintable(first.join(QLatin1Char(' '))));

        QSemaphore release;
        if (holdLogging)
            QMetaObject::invokeMethod(&heartbeat, [&release] { release.acquire(); }, Qt::QueuedConnection);
        // Past the watchdog time the notices stop, while the status goes on.
        const QStringList passing = Receive(700, !holdWindows);
        const QStringList held = Receive(1000, !holdWindows);
        release.release();
        QCOMPARE((passing + held).count(QStringLiteral("READY=1")), 0);  // readiness is told once
        const bool expectHeld = holdLogging || (windows && holdWindows);
        QCOMPARE(held.count(QStringLiteral("WATCHDOG=1")) == 0, expectHeld);
        QVERIFY(std::any_of(held.begin(), held.end(), [](const QString& line) { return line.startsWith(QStringLiteral("STATUS=")); }));
    }
    logging.quit();
    logging.wait();
}

QTEST_GUILESS_MAIN(TestServiceNotifier)
#include "tst_servicenotifier.moc"

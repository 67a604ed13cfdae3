#include "app/ServiceNotifier.h"
#include "core/StationHealth.h"

#include <QDir>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
    int m_socket = -1;
};

void TestServiceNotifier::initTestCase()
{
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("notify")));
    m_socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(size_t(path.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    QCOMPARE(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    qputenv("NOTIFY_SOCKET", path);
    qputenv("WATCHDOG_USEC", "400000");  // a notice every 0.2 s
}

void TestServiceNotifier::cleanupTestCase()
{
    qunsetenv("NOTIFY_SOCKET");
    qunsetenv("WATCHDOG_USEC");
    ::close(m_socket);
}

QStringList TestServiceNotifier::Receive(int ms, bool windowsAnswer)
{
    QStringList received;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (windowsAnswer)
            StationHealth::UiLastPassMs() = StationHealth::SteadyMs();
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(m_socket, buffer, sizeof buffer, 0)) > 0)
            received += QString::fromUtf8(buffer, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QTest::qWait(20);
    }
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
        CServiceNotifier notifier(&heartbeat, windows, m_dir.path());
        notifier.Ready();
        const QStringList first = Receive(1200, true);
        QCOMPARE(first.count(QStringLiteral("READY=1")), 1);
        QVERIFY2(first.count(QStringLiteral("WATCHDOG=1")) >= 2, qPrintable(first.join(QLatin1Char(' '))));

        QSemaphore release;
        if (holdLogging)
            QMetaObject::invokeMethod(&heartbeat, [&release] { release.acquire(); }, Qt::QueuedConnection);
        // Past the watchdog time the notices stop, while the status goes on.
        Receive(700, !holdWindows);
        const QStringList held = Receive(1000, !holdWindows);
        release.release();
        const bool expectHeld = holdLogging || (windows && holdWindows);
        QCOMPARE(held.count(QStringLiteral("WATCHDOG=1")) == 0, expectHeld);
        QVERIFY(std::any_of(held.begin(), held.end(), [](const QString& line) { return line.startsWith(QStringLiteral("STATUS=")); }));
    }
    logging.quit();
    logging.wait();
}

QTEST_GUILESS_MAIN(TestServiceNotifier)
#include "tst_servicenotifier.moc"

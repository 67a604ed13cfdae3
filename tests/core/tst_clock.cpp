// The clock's "now": the local time it shows must be the local time of the instant it stands
// for, in zones with odd offsets and on either side of UTC.
#include "core/Clock.h"

#include <QThread>
#include <QtTest>

#include <ctime>

class TestClock : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void localTimeOfTheInstant_data();
    void localTimeOfTheInstant();
};

void TestClock::cleanup()
{
    qunsetenv("TZ");
    ::tzset();
}

void TestClock::localTimeOfTheInstant_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("UTC") << QByteArray("UTC");
    QTest::newRow("half hour ahead") << QByteArray("Asia/Kolkata");
    QTest::newRow("half hour behind") << QByteArray("America/St_Johns");
    QTest::newRow("three quarters ahead") << QByteArray("Pacific/Chatham");
    QTest::newRow("fixed rule") << QByteArray("XST-5:45");
}

void TestClock::localTimeOfTheInstant()
{
    QFETCH(QByteArray, zone);
    qputenv("TZ", zone);
    ::tzset();
    // A thread of its own: nothing the clock kept from an earlier zone applies there.
    QDateTime now;
    QScopedPointer<QThread> thread(QThread::create([&now] { now = Clock::Now(); }));
    thread->start();
    QVERIFY(thread->wait(10000));

    const QDateTime reference = QDateTime::currentDateTime();
    QVERIFY(qAbs(now.msecsTo(reference)) < 5000);
    const QDateTime sameInstant = QDateTime::fromMSecsSinceEpoch(now.toMSecsSinceEpoch());
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    QCOMPARE(now.toString(format), sameInstant.toString(format));
    QCOMPARE(now.offsetFromUtc(), sameInstant.offsetFromUtc());
}

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"

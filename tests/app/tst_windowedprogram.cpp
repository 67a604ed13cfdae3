#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QtTest>

#include <csignal>
#include <map>

// The program with its windows, run as a user runs it: a signal from the system ends it without
// the quit question, in its order (ports closed, archives flushed), also while a box waits.
class TestWindowedProgram : public QObject
{
    Q_OBJECT

private slots:
    void stopsOnSignalWithoutAsking_data();
    void stopsOnSignalWithoutAsking();
};

void TestWindowedProgram::stopsOnSignalWithoutAsking_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("boxOpen");  // the port map leaves fifteen channels out: its box waits
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM while the port map's box waits") << int(SIGTERM) << true;
}

void TestWindowedProgram::stopsOnSignalWithoutAsking()
{
    QFETCH(int, signal);
    QFETCH(bool, boxOpen);
    HeadlessStation station;
    station.SetWindows(true);
    station.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    Pty one;
    one.ReleaseSlave();
    std::map<int, int> channels{{1, 1}};
    std::map<int, QString> devices{{1, one.SlavePath()}};
    for (int n = 2; n <= 16 && !boxOpen; ++n) {
        channels[n] = n;
        devices[n] = station.Path(QStringLiteral("absent%1").arg(n));
    }
    station.WritePortMap(channels, devices);
    QVERIFY(station.Start());
    QVERIFY(HeadlessStation::WaitForPeers({&one}));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_COMPARE_WITH_TIMEOUT(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1, 10000);

    QCOMPARE(station.Stop(signal), 0);
    QVERIFY(!one.PeerOpen());
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

QTEST_GUILESS_MAIN(TestWindowedProgram)
#include "tst_windowedprogram.moc"

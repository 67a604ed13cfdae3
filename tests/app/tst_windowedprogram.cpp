#include "tests/app/HeadlessStation.h"
#include "archive/ArchiveFormat.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <map>
#include <sysexits.h>

namespace {

// Channel 1 on `line`, every other channel on a device that is absent: every channel has a port,
// so no box waits.
void WritePortMapOfOneLine(HeadlessStation& station, Pty& line)
{
    line.ReleaseSlave();
    std::map<int, int> channels;
    std::map<int, QString> devices{{1, line.SlavePath()}};
    for (int n = 1; n <= 16; ++n) {
        channels[n] = n;
        if (n > 1)
            devices[n] = station.Path(QStringLiteral("absent%1").arg(n));
    }
    station.WritePortMap(channels, devices);
}

} // namespace

// The program with its windows, run as a user runs it: a signal from the system ends it without
// the quit question, in its order (ports closed, archives flushed), also while a box waits.
class TestWindowedProgram : public QObject
{
    Q_OBJECT

private slots:
    void stopsOnSignalWithoutAsking_data();
    void stopsOnSignalWithoutAsking();
    void archiveNamedBySecondCopy();
    void displayThatDoesNotAnswer();
    void displayThatStopsAnswering();
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

// A copy started on a station that runs already hands the archive it names to the running copy,
// which opens it in a window (and so lists it among its recent files) and goes on logging.
void TestWindowedProgram::archiveNamedBySecondCopy()
{
    HeadlessStation station;
    station.SetWindows(true);
    station.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    const QString yesterday = QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd"));
    station.WriteFile(QStringLiteral("kept/Channel 1 %1.krv").arg(yesterday), ArchiveHeader());
    Pty one;
    WritePortMapOfOneLine(station, one);
    QVERIFY(station.Start());
    QVERIFY(HeadlessStation::WaitForPeers({&one}));

    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors, {QStringLiteral("Channel 1 %1.krv").arg(yesterday)},
                                    station.Path(QStringLiteral("kept"))),
             EX_TEMPFAIL);
    const QString archive = QFileInfo(station.Path(QStringLiteral("kept"))).canonicalFilePath()
        + QStringLiteral("/Channel 1 %1.krv").arg(yesterday);
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("archive opened for viewing: \"%1\"").arg(archive)),
                             10000);
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
    const QSettings settings(station.Path(QStringLiteral("config/Brannock/Quorvel.ini")), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), archive);
}

// A display named in the environment that no server answers (a session gone, a service started
// with a stale DISPLAY) leaves the station logging without windows instead of ending it.
void TestWindowedProgram::displayThatDoesNotAnswer()
{
    // A display number whose socket no server listens on, abstract or in the file system.
    QFile sockets(QStringLiteral("/proc/net/unix"));
    QVERIFY(sockets.open(QIODevice::ReadOnly));
    const QByteArray listening = sockets.readAll();
    int display = 90;
    while (listening.contains("/tmp/.X11-unix/X" + QByteArray::number(display) + '\n'))
        ++display;
    HeadlessStation station;
    station.SetWindows(true);
    station.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QString());
    station.SetEnvironment(QStringLiteral("WAYLAND_DISPLAY"), QString());
    station.SetEnvironment(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
    Pty one;
    QVERIFY(station.StartOnLine(one));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 1, 10000);
    QVERIFY2(station.Errors().contains(QStringLiteral("runs without windows")), qPrintable(station.Errors()));
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

// The display's server stops answering while the station runs (a hung X server or compositor):
// the lines go on being answered and archived, and a stop signal ends the program in its order.
void TestWindowedProgram::displayThatStopsAnswering()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed");
    QProcess server;
    // The server picks a free display number and says which.
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24")});
    QVERIFY(server.waitForStarted());
    QVERIFY(server.waitForReadyRead(20000));
    const QByteArray display = server.readAllStandardOutput().trimmed();
    QVERIFY(!display.isEmpty());
    const auto resume = qScopeGuard([&] {
        ::kill(pid_t(server.processId()), SIGCONT);
        server.terminate();
        server.waitForFinished(5000);
    });

    HeadlessStation station;
    station.SetWindows(true);
    station.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    station.SetEnvironment(QStringLiteral("WAYLAND_DISPLAY"), QString());
    station.SetEnvironment(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    Pty one;
    WritePortMapOfOneLine(station, one);
    QVERIFY(station.Start());
    QVERIFY(HeadlessStation::WaitForPeers({&one}));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));

    QCOMPARE(::kill(pid_t(server.processId()), SIGSTOP), 0);
    constexpr int kAlarms = 20;
    for (int i = 0; i < kAlarms; ++i) {
        QVERIFY2(HeadlessStation::SendAlarm(one, 2 + i), qPrintable(QStringLiteral("alarm %1 not acknowledged").arg(i)));
        QThread::msleep(100);
    }
    QElapsedTimer stopping;
    stopping.start();
    QCOMPARE(station.Stop(SIGTERM), 0);
    QVERIFY2(stopping.elapsed() < 5000, qPrintable(QStringLiteral("ended after %1 ms").arg(stopping.elapsed())));
    QVERIFY(!one.PeerOpen());
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1 + kAlarms);
}

QTEST_GUILESS_MAIN(TestWindowedProgram)
#include "tst_windowedprogram.moc"

#include "app/SingleInstance.h"
#include "archive/ArchiveFormat.h"
#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QtTest>

#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sysexits.h>
#include <unistd.h>

namespace {

// Idle connections to the station's hand-over socket, as a hostile user would make them.
std::vector<std::unique_ptr<QLocalSocket>> Connect(const QString& serverName, int count)
{
    std::vector<std::unique_ptr<QLocalSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(serverName);
        socket->waitForConnected(1000);
        sockets.push_back(std::move(socket));
    }
    return sockets;
}

int StillConnected(const std::vector<std::unique_ptr<QLocalSocket>>& sockets)
{
    QCoreApplication::processEvents();
    int count = 0;
    for (const auto& socket : sockets) {
        // A connection the station closed reads as its end.
        socket->waitForReadyRead(0);
        count += socket->state() == QLocalSocket::ConnectedState ? 1 : 0;
    }
    return count;
}

// The station and this test find its hand-over socket in the same runtime directory.
void ShareRuntimeDir(HeadlessStation& station, const QString& dir)
{
    station.SetEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

// The soft limit on open files of a running process.
long long SoftFileLimit(qint64 pid)
{
    QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
    if (!limits.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : limits.readAll().split('\n')) {
        if (line.startsWith("Max open files"))
            return line.mid(26).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

// One running copy per station directory: a second copy on the same station leaves it alone,
// stations in other directories run side by side, and a copy that was killed blocks nothing.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondCopyLeavesTheStation_data();
    void secondCopyLeavesTheStation();
    void stationsSideBySide();
    void killedCopyDoesNotBlockARestart();
    void viewingCopyHoldsNothing();
    void handOverLimits();
    void manyConnectionsUnderALowFileLimit();
    void socketDirOfTheUsersOwn_data();
    void socketDirOfTheUsersOwn();
    void lockFileThroughALink();
};

void TestSingleInstance::secondCopyLeavesTheStation_data()
{
    QTest::addColumn<bool>("throughLink");   // the second copy names the station by another path
    QTest::addColumn<bool>("otherTempDir");  // the second copy has a TMPDIR of its own
    QTest::newRow("same path") << false << false;
    QTest::newRow("through a symbolic link") << true << false;
    QTest::newRow("with another temporary directory") << false << true;
}

void TestSingleInstance::secondCopyLeavesTheStation()
{
    QFETCH(bool, throughLink);
    QFETCH(bool, otherTempDir);
    HeadlessStation station;
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    QTemporaryDir runtime, temp;
    station.SetEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    Pty one, two;
    two.ReleaseSlave();
    QVERIFY(station.StartOnLine(one));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));

    // The first copy read its port map at start; channel 2's line would only be opened by a copy
    // that starts a station now.
    station.WritePortMap({{1, 1}, {2, 2}}, {{1, one.SlavePath()}, {2, two.SlavePath()}});
    QTemporaryDir links;
    QString stationPath = station.Dir();
    if (throughLink) {
        stationPath = links.filePath(QStringLiteral("station"));
        QVERIFY(QFile::link(station.Dir(), stationPath));
    }
    if (otherTempDir)
        station.SetEnvironment(QStringLiteral("TMPDIR"), temp.path());
    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(stationPath, &output, &errors), EX_TEMPFAIL);
    QCOMPARE(errors, QStringLiteral("Station %1 is already running in another copy of the program; this copy ends.\n")
                         .arg(QFileInfo(stationPath).canonicalFilePath()));
    QCOMPARE(output, QByteArray());
    QVERIFY(!two.PeerOpen());

    // The running copy heard of it, and its line and archive are still its own.
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("another copy was started on this station")), 10000);
    QVERIFY(HeadlessStation::SendAlarm(one, 2));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 2, 10000);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 2);
}

void TestSingleInstance::stationsSideBySide()
{
    HeadlessStation first, second;
    Pty one, other;
    QVERIFY(first.StartOnLine(one));
    QVERIFY2(second.StartOnLine(other), qPrintable(second.Errors()));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QVERIFY(HeadlessStation::SendAlarm(other, 2));
    QCOMPARE(first.Stop(), 0);
    QCOMPARE(second.Stop(), 0);
    QCOMPARE(first.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
    QCOMPARE(second.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

void TestSingleInstance::killedCopyDoesNotBlockARestart()
{
    HeadlessStation station;
    Pty one;
    QVERIFY(station.StartOnLine(one));
    station.Kill();
    QTRY_VERIFY_WITH_TIMEOUT(!one.PeerOpen(), 10000);

    QVERIFY(station.Start());
    QVERIFY2(HeadlessStation::WaitForPeers({&one}), qPrintable(station.Errors()));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QCOMPARE(station.Stop(), 0);
    QVERIFY2(!station.Errors().contains(QStringLiteral("already running")), qPrintable(station.Errors()));
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

// A copy started with an archive named and no station running only views it: it holds neither the
// station's lock nor its hand-over name, and a station started later runs as usual.
void TestSingleInstance::viewingCopyHoldsNothing()
{
    HeadlessStation station;
    QTemporaryDir runtime;
    ShareRuntimeDir(station, runtime.path());
    station.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    const QString archive = station.Path(QStringLiteral("kept/Channel 1 %1.krv")
                                             .arg(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd"))));
    station.WriteFile(QStringLiteral("kept/") + QFileInfo(archive).fileName(), ArchiveHeader());
    station.SetWindows(true);
    QProcess viewer;
    viewer.setStandardErrorFile(station.Path(QStringLiteral("viewer.txt")));
    QVERIFY(station.StartAnotherCopy(viewer, {archive}));
    const auto viewerErrors = [&station] {
        QFile file(station.Path(QStringLiteral("viewer.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(viewerErrors().contains(QStringLiteral("archive opened for viewing")),
                              qPrintable(viewerErrors()), 15000);
    QCOMPARE(viewer.state(), QProcess::Running);
    QLocalSocket probe;
    probe.connectToServer(SingleInstance::ServerName(station.Dir()));
    QVERIFY(!probe.waitForConnected(1000));

    station.SetWindows(false);
    Pty one;
    QVERIFY(station.StartOnLine(one));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 1, 10000);
    QCOMPARE(station.Stop(), 0);
    QVERIFY2(!station.Errors().contains(QStringLiteral("already running")), qPrintable(station.Errors()));
    viewer.terminate();
    QVERIFY(viewer.waitForFinished(10000));
    QCOMPARE(viewer.exitCode(), 0);
}

// Other users' connections to the hand-over socket cost the station little: at most 16 at once, a
// silent one dropped after 5 s, a request naming more than 64 files refused, and all of that told
// once. A copy started afterwards is heard as before.
void TestSingleInstance::handOverLimits()
{
    HeadlessStation station;
    QTemporaryDir runtime;
    ShareRuntimeDir(station, runtime.path());
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    Pty one;
    QVERIFY(station.StartOnLine(one));
    const QString name = SingleInstance::ServerName(station.Dir());

    auto idle = Connect(name, SingleInstance::kMaxConnections + 4);
    QTRY_COMPARE_WITH_TIMEOUT(StillConnected(idle), SingleInstance::kMaxConnections, 10000);
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_COMPARE_WITH_TIMEOUT(StillConnected(idle), 0, 15000);

    auto large = Connect(name, 1);
    QByteArray many;
    for (int i = 0; i <= SingleInstance::kMaxFiles; ++i)
        many += "/tmp/a.krv" + QByteArray(1, '\0');
    large[0]->write(many);
    large[0]->flush();
    QTRY_COMPARE_WITH_TIMEOUT(StillConnected(large), 0, 10000);
    QCOMPARE(station.Errors().count(QStringLiteral("were refused")), 1);

    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors), EX_TEMPFAIL);
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("another copy was started on this station")), 10000);
    QVERIFY(HeadlessStation::SendAlarm(one, 2));
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 2);
}

// More connections than the station may have open files: it takes its soft limit up to the hard
// one, refuses what it cannot take and goes on logging.
void TestSingleInstance::manyConnectionsUnderALowFileLimit()
{
    // This side holds every connection open.
    rlimit own = {};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &own) == 0);
    own.rlim_cur = own.rlim_max;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &own) == 0);
    if (own.rlim_max < 400)
        QSKIP("too few open files allowed here");

    HeadlessStation station;
    QTemporaryDir runtime;
    ShareRuntimeDir(station, runtime.path());
    station.SetFileLimit(64, 128);
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    Pty one;
    QVERIFY(station.StartOnLine(one));
    QCOMPARE(SoftFileLimit(station.ProcessId()), 128);

    auto idle = Connect(SingleInstance::ServerName(station.Dir()), 300);
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_VERIFY_WITH_TIMEOUT(StillConnected(idle) <= SingleInstance::kMaxConnections, 15000);
    QVERIFY(HeadlessStation::SendAlarm(one, 2));
    idle.clear();
    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors), EX_TEMPFAIL);
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("another copy was started on this station")), 10000);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 2);
}

void TestSingleInstance::socketDirOfTheUsersOwn_data()
{
    QTest::addColumn<QString>("planted");  // what is at TMPDIR/quorvel-UID before the station starts
    QTest::addColumn<bool>("handedOver");
    QTest::newRow("nothing: made") << QString() << true;
    QTest::newRow("a folder open to others") << QStringLiteral("open") << false;
    QTest::newRow("a link") << QStringLiteral("link") << false;
}

// Without a runtime directory the socket lives in a directory of the user's own in the temporary
// directory; one that another could have planted there is not used.
void TestSingleInstance::socketDirOfTheUsersOwn()
{
    QFETCH(QString, planted);
    QFETCH(bool, handedOver);
    HeadlessStation station;
    QTemporaryDir temp, elsewhere;
    station.SetEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), QString());
    station.SetEnvironment(QStringLiteral("TMPDIR"), temp.path());
    station.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.app.info=true"));
    const QString own = temp.filePath(QStringLiteral("quorvel-%1").arg(::geteuid()));
    if (planted == QStringLiteral("open")) {
        QVERIFY(QDir().mkdir(own));
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
    } else if (planted == QStringLiteral("link")) {
        QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700) == 0);
        QVERIFY(QFile::link(elsewhere.path(), own));
    }
    Pty one;
    QVERIFY(station.StartOnLine(one));
    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors), EX_TEMPFAIL);
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    // The hand-over is taken on the windows' thread once the other copy's connection closes, beside
    // the logging that answered the alarm: it may come after that answer.
    const QString handOver = QStringLiteral("another copy was started on this station");
    if (handedOver)
        QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(handOver), 10000);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.Errors().contains(handOver), handedOver);
    if (handedOver) {
        QCOMPARE(int(QFileInfo(own).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther
                                                    | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup)), 0);
    } else {
        QVERIFY(QDir(own).isEmpty());
    }
}

// The lock file is never reached through a link: another user's link would have the station
// create or lock a file of their choosing.
void TestSingleInstance::lockFileThroughALink()
{
    HeadlessStation station;
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("chosen"));
    QVERIFY(QFile::link(target, station.Path(QStringLiteral("quorvel.lock"))));
    QByteArray output;
    QString errors;
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors), 1);
    QVERIFY2(errors.contains(QStringLiteral("Unable to lock the station")), qPrintable(errors));
    QVERIFY(!QFile::exists(target));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"

#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sysexits.h>

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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"

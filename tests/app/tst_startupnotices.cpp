#include "core/RemovableVolumes.h"
#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <sysexits.h>

namespace {
const QString kNoDrives = QStringLiteral("Warning: No removable media drives fitted. You cannot back up archives.");
const QString kPortMapError = QStringLiteral("The port map qvportmap.ini does not assign a valid COM port to every channel.");
const QString kRefused = QStringLiteral("Archive %1 can be viewed only with windows; \"quorvel-archive show\" prints it.");
const QString kViewingFailed = QStringLiteral("The archives named on the command line could not be viewed; this copy ends.");
const QString kOpenDir = QStringLiteral("Other users may write in the station directory %1 and could replace its files; "
                                        "allow only the station's user to write there (chmod go-w).");
}

// What start-up has to tell comes after every channel is open and logging, in the order start-up
// found it; a file named on the command line is refused, since archives are viewed in windows.
class TestStartupNotices : public QObject
{
    Q_OBJECT

private slots:
    void noticesAfterTheChannels_data();
    void noticesAfterTheChannels();
    void fileNamedAtStart();
    void fileHandedOver();
};

void TestStartupNotices::noticesAfterTheChannels_data()
{
    QTest::addColumn<bool>("backupFolder");    // Backup/Drives names a folder of the station
    QTest::addColumn<bool>("invalidArchive");  // channel 1's archive of today is not an archive
    QTest::addColumn<bool>("openDir");         // others may write in the station directory
    QTest::addColumn<QStringList>("notices");  // %1: the station directory
    QTest::newRow("no drive") << false << false << false << QStringList{kNoDrives, kPortMapError};
    QTest::newRow("a backup folder") << true << false << false << QStringList{kPortMapError};
    QTest::newRow("and a message left by an archive")
        << true << true << false
        << QStringList{kPortMapError, QStringLiteral("The file %1/Archives/Channel 1 %2.krv is not a valid KRV archive")};
    QTest::newRow("a station directory others may write") << true << false << true << QStringList{kOpenDir, kPortMapError};
}

void TestStartupNotices::noticesAfterTheChannels()
{
    QFETCH(bool, backupFolder);
    QFETCH(bool, invalidArchive);
    QFETCH(bool, openDir);
    QFETCH(QStringList, notices);
    if (!backupFolder && !FindRemovableVolumes().isEmpty())
        QSKIP("this machine has a removable volume mounted");
    HeadlessStation station;
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    if (backupFolder) {
        QVERIFY(QDir().mkpath(station.Path(QStringLiteral("backup"))));
        station.SetSetting(QStringLiteral("Backup/Drives"), station.Path(QStringLiteral("backup")));
    }
    if (invalidArchive)
        station.WriteFile(QStringLiteral("Archives/Channel 1 %1.krv").arg(today), "not an archive");
    if (openDir)
        QVERIFY(QFile::setPermissions(station.Dir(), QFile::permissions(station.Dir()) | QFile::WriteOther));
    Pty one;
    // Only channel 1 has a port: the port map is broken for the other fifteen.
    QVERIFY(station.StartOnLine(one));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));

    const QString dir = QFileInfo(station.Dir()).canonicalFilePath();
    QStringList expected;
    for (int channel = 16; channel >= 2; --channel)
        expected.append(QStringLiteral("Channel %1: Port COM0 not connected.").arg(channel));
    for (const QString& notice : notices)
        expected.append(QString(notice).replace(QStringLiteral("%1"), dir).replace(QStringLiteral("%2"), today));
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(expected.last()), 10000);
    QCOMPARE(station.Errors().split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

// Viewing an archive is what a named file asks for, and it would start no channel: without windows
// the program says it cannot, and ends with a line that says so, without touching a line or
// taking the station.
void TestStartupNotices::fileNamedAtStart()
{
    HeadlessStation station;
    QTemporaryDir elsewhere;
    Pty one;
    one.ReleaseSlave();
    station.WritePortMap({{1, 1}}, {{1, one.SlavePath()}});
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    station.SetCommandLine({QStringLiteral("old.krv")}, elsewhere.path());
    QVERIFY(station.Start());
    QCOMPARE(station.WaitForExit(15000), 1);
    const QString file = QFileInfo(elsewhere.path()).canonicalFilePath() + QStringLiteral("/old.krv");
    QCOMPARE(station.Errors(), kRefused.arg(file) + QLatin1Char('\n') + kViewingFailed + QLatin1Char('\n'));
    QVERIFY(!QFile::exists(station.Path(QStringLiteral("quorvel.lock"))));
}

// A second copy hands its files, named from where it started, to the running copy, which refuses
// them and goes on logging.
void TestStartupNotices::fileHandedOver()
{
    HeadlessStation station;
    station.SetSetting(QStringLiteral("Backup/Drives"), station.Dir());
    QTemporaryDir elsewhere;
    Pty one;
    QVERIFY(station.StartOnLine(one));
    QByteArray output;
    QString errors;
    const QStringList files{QStringLiteral("old.krv"), QStringLiteral("../other/new.krv")};
    QCOMPARE(station.RunAnotherCopy(station.Dir(), &output, &errors, files, elsewhere.path()), EX_TEMPFAIL);

    const QString from = QFileInfo(elsewhere.path()).canonicalFilePath();
    const QString refused = kRefused.arg(from + QStringLiteral("/old.krv")) + QLatin1Char('\n')
                            + kRefused.arg(QFileInfo(from).path() + QStringLiteral("/other/new.krv")) + QLatin1Char('\n');
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().endsWith(refused), 10000);
    QVERIFY(HeadlessStation::SendAlarm(one, 2));
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}

QTEST_GUILESS_MAIN(TestStartupNotices)
#include "tst_startupnotices.moc"

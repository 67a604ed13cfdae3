#include "tests/app/HeadlessStation.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

// A station file that is missing or of the wrong kind: start-up either ends and says why on
// standard error, or goes on after saying what it could not use. It never waits on a file.
class TestStartupFailures : public QObject
{
    Q_OBJECT

private slots:
    void stationFileOfTheWrongKind_data();
    void stationFileOfTheWrongKind();
};

void TestStartupFailures::stationFileOfTheWrongKind_data()
{
    QTest::addColumn<QString>("name");     // in the station directory
    QTest::addColumn<QString>("kind");     // what stands there: absent, file, pipe or folder
    QTest::addColumn<bool>("ends");        // start-up ends (status 1) rather than going on
    QTest::addColumn<QString>("message");  // %1: the station directory
    QTest::newRow("Archives is a file") << "Archives" << "file" << true
                                        << "Unable to create Archives directory %1/Archives: File exists";
    QTest::newRow("Print is a file") << "Print" << "file" << true
                                     << "Unable to create Print directory %1/Print: File exists";
    QTest::newRow("no alarm texts") << "almdata.txt" << "absent" << true
                                    << "Fatal error. Unable to load file %1/almdata.txt";
    QTest::newRow("alarm texts a named pipe") << "almdata.txt" << "pipe" << true
                                              << "Fatal error. Unable to load file %1/almdata.txt: not a regular file";
    QTest::newRow("port map a named pipe") << "qvportmap.ini" << "pipe" << false
                                           << "Unable to read the port map qvportmap.ini: not a regular file";
    QTest::newRow("port map a folder") << "qvportmap.ini" << "folder" << false
                                       << "Unable to read the port map qvportmap.ini: not a regular file";
}

void TestStartupFailures::stationFileOfTheWrongKind()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, ends);
    QFETCH(QString, message);
    HeadlessStation station;
    const QString path = station.Path(name);
    QFile::remove(path);
    if (kind == QLatin1String("file"))
        station.WriteFile(name, "not a folder");
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));

    QVERIFY(station.Start());
    const QString why = message.arg(QFileInfo(station.Dir()).canonicalFilePath());
    if (ends) {
        QCOMPARE(station.WaitForExit(15000), 1);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(station.Path(QStringLiteral("Print"))).isDir(), 15000);
        QCOMPARE(station.Stop(), 0);
    }
    QVERIFY2(station.Errors().contains(why + QLatin1Char('\n')), qPrintable(station.Errors()));
}

QTEST_GUILESS_MAIN(TestStartupFailures)
#include "tst_startupfailures.moc"

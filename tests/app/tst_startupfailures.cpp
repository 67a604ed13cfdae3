#include "tests/app/HeadlessStation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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
    void defaultStation_data();
    void defaultStation();
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

// Without --station and $QUORVEL_STATION the station is in the user's data folder; there is none
// here, and the message names where it was looked for.
void TestStartupFailures::defaultStation_data()
{
    QTest::addColumn<QString>("dataHome");  // XDG_DATA_HOME; %1: a folder of the test's own
    QTest::addColumn<QString>("expected");  // the station directory named
    QTest::newRow("XDG_DATA_HOME") << "%1/data" << "%1/data/Brannock/Quorvel";
    QTest::newRow("not set") << "" << "%1/home/.local/share/Brannock/Quorvel";
    QTest::newRow("relative, ignored") << "data" << "%1/home/.local/share/Brannock/Quorvel";
}

void TestStartupFailures::defaultStation()
{
    QFETCH(QString, dataHome);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("home"))));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUORVEL_STATION"));
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    if (dataHome.isEmpty())
        env.remove(QStringLiteral("XDG_DATA_HOME"));
    else
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.arg(dir.path()));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/quorvel"), {QStringLiteral("--headless")});
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    const QString why = QStringLiteral("Station directory %1 does not exist.\n").arg(expected.arg(dir.path()));
    QVERIFY2(errors.contains(why), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestStartupFailures)
#include "tst_startupfailures.moc"

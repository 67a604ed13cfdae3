#include "archive/QuorvelDoc.h"
#include "events/LoadingArchive.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

// A crash must not take the buffered records with it: once the program has gone idle, every
// handled message is in the day's archive.
class TestArchiveCrash : public QObject
{
    Q_OBJECT
private slots:
    void recordsSurviveSigkill();
};

void TestArchiveCrash::recordsSurviveSigkill()
{
    TestStation station;
    ScriptedMessages messages;
    const int count = 100;  // about 4 KiB of records: most of them would sit in the buffer
    QProcess child;
    child.start(QStringLiteral(CRASH_CHILD), {station.Dir(), QString::number(count)});
    QVERIFY(child.waitForStarted(10000));
    QByteArray said;
    while (!said.contains("idle\n") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.contains("idle\n"), child.readAllStandardError().constData());
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const QStringList files = QDir(station.Path(QStringLiteral("Archives"))).entryList({QStringLiteral("Crash *.krv")});
    QCOMPARE(files.size(), 1);
    QFile file(station.Path(QStringLiteral("Archives/") + files.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    CQuorvelDoc reader;
    LoadingArchive ar(file);
    QCOMPARE(reader.ReadArchive(ar), 1);
    QCOMPARE(reader.GetEventCount(), count);
    QVERIFY(messages.texts.isEmpty());
}

QTEST_GUILESS_MAIN(TestArchiveCrash)
#include "tst_archivecrash.moc"

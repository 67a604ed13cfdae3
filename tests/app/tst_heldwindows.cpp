#include "app/QuorvelApp.h"
#include "archive/QuorvelDoc.h"
#include "events/DisplayObj.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtTest>

#include <thread>

// Whatever holds the user-interface thread (a hung display, a box, a long paint), the lines are
// acknowledged in time and every record is archived with the time its frame arrived.
class TestHeldWindows : public QObject
{
    Q_OBJECT

private slots:
    void linesGoOnWhileTheWindowsAreHeld();
};

namespace {

struct Sent
{
    qint64 writtenMs = 0;
    qint64 ackedMs = -1;  // -1: never acknowledged
};

// The far end: a frame every 250 ms, each answered before the next goes.
std::vector<Sent> PlayFarEnd(Pty& line, int frames)
{
    std::vector<Sent> sent;
    const QByteArray ack = SimFrames::TerminalAck();
    for (int i = 0; i < frames; ++i) {
        Sent frame;
        frame.writtenMs = QDateTime::currentMSecsSinceEpoch();
        line.Write(SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(0x10 + i), false));
        if (line.Read(int(ack.size()), 2000) == ack)
            frame.ackedMs = QDateTime::currentMSecsSinceEpoch();
        sent.push_back(frame);
        QThread::msleep(250);
    }
    return sent;
}

QString SecondOf(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

void TestHeldWindows::linesGoOnWhileTheWindowsAreHeld()
{
    TestStation station;
    station.WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes({{0, {"ALARM", "N", "", "", "Door open"}}}));
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Backup]\nDrives=.\n");
    Pty one;
    one.ReleaseSlave();
    station.WriteFile(QStringLiteral("qvportmap.ini"),
                      "[ComPortAssignments]\nChannel1=COM1\n[ComPortDevices]\nCOM1=" + one.SlavePath().toLocal8Bit() + "\n");
    ScriptedMessages messages;
    CQuorvelApp quorvel;
    QVERIFY(quorvel.InitInstance());
    QTest::qWait(200);  // the line is set up

    constexpr int kFrames = 56;  // 14 s of frames, 10 s of them while the thread is held
    std::vector<Sent> sent;
    std::thread farEnd([&] { sent = PlayFarEnd(one, kFrames); });
    QThread::msleep(1000);
    QThread::sleep(10);  // held, as by a display that stopped answering
    farEnd.join();

    for (int i = 0; i < kFrames; ++i) {
        QVERIFY2(sent[size_t(i)].ackedMs >= 0, qPrintable(QStringLiteral("frame %1 not acknowledged").arg(i)));
        // Answered long before the far end would send it again, not when the thread was let go.
        QVERIFY2(sent[size_t(i)].ackedMs - sent[size_t(i)].writtenMs < 1000,
                 qPrintable(QStringLiteral("frame %1 acknowledged after %2 ms").arg(i).arg(sent[size_t(i)].ackedMs - sent[size_t(i)].writtenMs)));
    }

    CQuorvelDoc* document = quorvel.Document(1);
    QTRY_COMPARE_WITH_TIMEOUT(document->GetEventCount(), kFrames, 10000);
    const auto events = document->Events();
    for (int i = 0; i < kFrames; ++i) {
        const QString stamp = QString::fromLatin1(events->At(i).GetText().left(8));
        const QString written = SecondOf(sent[size_t(i)].writtenMs), acked = SecondOf(sent[size_t(i)].ackedMs);
        QVERIFY2(stamp == written || stamp == acked,
                 qPrintable(QStringLiteral("frame %1 sent at %2 stamped %3").arg(i).arg(written, stamp)));
    }

    QFile archive(document->GetArchivePath());
    QVERIFY(archive.open(QIODevice::ReadOnly));
    const ArchiveReading::ArchiveRead read = ArchiveReading::ReadForViewing(archive, {});
    QCOMPARE(read.records->Count(), kFrames);
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("The port map qvportmap.ini does not assign a valid COM port to every channel.")});
}

QTEST_GUILESS_MAIN(TestHeldWindows)
#include "tst_heldwindows.moc"

#include "app/ChannelViews.h"
#include "app/QuorvelApp.h"
#include "archive/QuorvelDoc.h"
#include "core/StationHealth.h"
#include "events/DisplayObj.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtTest>

#include <memory>
#include <thread>

// Whatever holds the user-interface thread (a hung display, a box, a long paint), the lines are
// acknowledged in time and every record is archived with the time its frame arrived.
class TestHeldWindows : public QObject
{
    Q_OBJECT

private slots:
    void linesGoOnWhileTheWindowsAreHeld();
    void lineComesBackWhileTheWindowsAreHeld();
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

// What the station shows of its lines, and whether all of it was shown on the user-interface thread.
class RecordedViews : public IChannelViews
{
public:
    void CreateView(int, CQuorvelDoc&) override {}
    void ShowConnection(int channel, int port, bool connected) override
    {
        onUserInterfaceThread = onUserInterfaceThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        if (channel == 1)
            shown.append(QStringLiteral("COM%1 %2").arg(port).arg(connected ? "connected" : "not connected"));
    }

    QStringList shown;  // channel 1's
    bool onUserInterfaceThread = true;
};

// Sends a frame with alarm 0 and waits briefly for its ACK.
bool SendAlarm(Pty& line, int value)
{
    const QByteArray ack = SimFrames::TerminalAck();
    return line.Write(SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(0x10 + value), false))
        && line.Read(int(ack.size()), 2000) == ack;
}

// Polls from a thread other than the station's; false when `done` did not hold within timeoutMs.
bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
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

void TestHeldWindows::lineComesBackWhileTheWindowsAreHeld()
{
    TestStation station;
    station.WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes({{0, {"ALARM", "N", "", "", "Door open"}}}));
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Backup]\nDrives=.\n");
    auto first = std::make_unique<Pty>();
    first->ReleaseSlave();
    const QString plug = station.Path(QStringLiteral("lines/one"));
    QVERIFY(QDir().mkpath(station.Path(QStringLiteral("lines"))));
    QVERIFY(QFile::link(first->SlavePath(), plug));
    station.WriteFile(QStringLiteral("qvportmap.ini"),
                      "[ComPortAssignments]\nChannel1=COM1\n[ComPortDevices]\nCOM1=" + plug.toLocal8Bit() + "\n");
    ScriptedMessages messages;
    CQuorvelApp quorvel;
    auto views = std::make_unique<RecordedViews>();
    const RecordedViews& recorded = *views;
    quorvel.SetChannelViews(std::move(views));
    QVERIFY(quorvel.InitInstance());
    QVERIFY(first->PeerOpen());
    QVERIFY(SendAlarm(*first, 1));

    // The device goes away with its name and comes back under it while this thread, the
    // user-interface thread, is held: it runs no event loop until the far end is done.
    auto replugged = std::make_unique<Pty>();
    QString farEndFailure;
    std::thread farEnd([&] {
        first.reset();
        QFile::remove(plug);
        if (!WaitFor([] { return !StationHealth::Channel(1).up; }, 5000)) {
            farEndFailure = QStringLiteral("the line's loss was not noticed");
            return;
        }
        replugged->ReleaseSlave();
        QFile::link(replugged->SlavePath(), plug);
        // Up once the station has set the line up (which discards what waited on it).
        if (!WaitFor([] { return StationHealth::Channel(1).up.load(); }, 10000))
            farEndFailure = QStringLiteral("the line was not opened again");
        else if (!SendAlarm(*replugged, 2))
            farEndFailure = QStringLiteral("the frame on the line opened again was not acknowledged");
    });
    farEnd.join();
    QVERIFY2(farEndFailure.isEmpty(), qPrintable(farEndFailure));

    // Let go: the windows show the line lost and back, on their own thread, and the archive
    // explains its gap in the order it happened.
    QTRY_COMPARE_WITH_TIMEOUT(recorded.shown, (QStringList{QStringLiteral("COM1 not connected"), QStringLiteral("COM1 connected")}), 5000);
    QVERIFY(recorded.onUserInterfaceThread);
    CQuorvelDoc* document = quorvel.Document(1);
    QTRY_COMPARE_WITH_TIMEOUT(document->GetEventCount(), 2, 5000);
    QStringList archived;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile archive(document->GetArchivePath());
            if (!archive.open(QIODevice::ReadOnly))
                return false;
            const ArchiveReading::ArchiveRead read = ArchiveReading::ReadForViewing(archive, {1, 1, 1, 1});
            archived.clear();
            for (int i = 0; i < read.records->Count(); ++i)
                archived.append(QString::fromLatin1(read.records->At(i).GetText().mid(9)));
            return archived.size() == 4;
        }(),
        5000);
    QCOMPARE(archived.at(1), QStringLiteral("Port COM1 not connected."));
    QCOMPARE(archived.at(2), QStringLiteral("Port COM1 connected again."));
    QVERIFY2(archived.at(0).contains(QStringLiteral("Door open")) && archived.at(3).contains(QStringLiteral("Door open")),
             qPrintable(archived.join(QLatin1Char('|'))));
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("The port map qvportmap.ini does not assign a valid COM port to every channel.")});
}

QTEST_GUILESS_MAIN(TestHeldWindows)
#include "tst_heldwindows.moc"

#include "app/Channel.h"
#include "app/ChannelTables.h"
#include "app/HeadlessViews.h"
#include "app/PortMap.h"
#include "app/StationThreads.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "core/StationHealth.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtTest>

// One channel of the station: its document, its comms stack and the keeping of its line.
class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void firstMessageBeforeStartUpFinishes();
    void lostLineFollowsWhatItDelivered();
};

// A channel as start-up makes it, before its line is opened: the far end may send at once, and
// its first message can reach the logging thread before start-up has done anything more.
void TestChannel::firstMessageBeforeStartUpFinishes()
{
    const TestStation station;
    const ScriptedMessages messages;
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "N", "", "", "Door open"}}}));
    QVERIFY(QDir().mkdir(station.Path(QStringLiteral("Archives"))));
    LoadChannelNames();

    // The day's earlier records, from a run of the station that ended this morning.
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(8, 0)));
    {
        CQuorvelDoc earlier(QStringLiteral("Channel 5"));
        earlier.SetConnection(0, 5);
        QCOMPARE(earlier.HandleMessage(QByteArray::fromHex("010701")), 1);
        QCOMPARE(earlier.HandleMessage(QByteArray::fromHex("010702")), 1);
    }
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(10, 0)));

    HeadlessViews views;
    Channel channel(5, 0, views);
    CQuorvelDoc& document = *channel.Document();
    const quint64 recordsBefore = StationHealth::Channel(5).records;
    QCOMPARE(document.HandleMessage(QByteArray::fromHex("010703")), 1);

    // Counted for its own channel, and listed after the day's earlier records, which start-up
    // then leaves as they are.
    QCOMPARE(StationHealth::Channel(5).records - recordsBefore, quint64(1));
    QCOMPARE(document.GetEventCount(), 3);
    QCOMPARE(document.GetEvent(0).GetText(), QByteArray("08:00:00 R A Event 007: Door open "));
    QCOMPARE(document.GetEvent(2).GetText(), QByteArray("10:00:00 R A Event 007: Door open "));
    QVERIFY(!document.ReloadDue());
    QVERIFY(messages.texts.isEmpty());
}

// The far end sends a frame and hangs up at once: the port's reader hands over the frame's bytes
// and then the loss, and the archive tells them in that order.
void TestChannel::lostLineFollowsWhatItDelivered()
{
    const TestStation station;
    const ScriptedMessages messages;
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "N", "", "", "Door open"}}}));
    QVERIFY(QDir().mkdir(station.Path(QStringLiteral("Archives"))));
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("System"), 1);
    LoadChannelNames();
    Pty line;
    line.ReleaseSlave();
    const QString plug = station.Path(QStringLiteral("line"));
    QVERIFY(QFile::link(line.SlavePath(), plug));
    station.WriteFile(QStringLiteral("qvportmap.ini"),
                      "[ComPortAssignments]\nChannel1=COM1\n[ComPortDevices]\nCOM1=" + plug.toLocal8Bit() + "\n");
    ReadPortMap(QStringLiteral("qvportmap.ini"));

    // The stack stays on this thread, which plays the comms thread; the document records on a
    // logging thread of its own.
    HeadlessViews views;
    Channel channel(1, 1, views);
    StationThreads threads;
    channel.MoveToThreads(QThread::currentThread(), threads.Logging());
    QVERIFY(channel.Open());

    // This thread is held meanwhile, as a busy comms thread is: the reader hands over the bytes,
    // then the loss, before the stack gets to either.
    QVERIFY(line.Write(SimFrames::BlockFrame(QByteArray::fromHex("010707"), false)));
    QThread::msleep(300);
    line.Close();
    QThread::msleep(300);
    QTRY_COMPARE_WITH_TIMEOUT(channel.Document()->GetEventCount(), 2, 5000);
    const auto events = channel.Document()->Events();
    QVERIFY(events->At(0).GetText().endsWith(" R A Event 007: Door open "));
    QVERIFY(events->At(1).GetText().endsWith(" Port COM1 not connected."));
    threads.Stop({}, {channel.Document()});
}

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channel.moc"

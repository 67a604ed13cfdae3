#include "tests/app/HeadlessStation.h"
#include "tests/support/PortHolder.h"
#include "tests/support/Pty.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

using SimFrames::BlockFrame;
using SimFrames::CrcFrame;

namespace {
const QByteArray kAck = SimFrames::TerminalAck();
const QByteArray kNak = SimFrames::TerminalNak();
}

// The whole station as a user runs it: `quorvel --headless` on real pseudo-terminal lines, with
// the test playing the remote alarm systems and the remote monitor.
class TestHeadlessStation : public QObject
{
    Q_OBJECT

private slots:
    void logsEveryChannel();
    void monitorSequenceWraps();
    void silentMonitorDoesNotDelayLogging();
    void startsWithoutPortMap();
    void unpluggedLineComesBack();
    void refusedLineSettingsReportedOnceUntilCorrected();
    void lineHeldElsewhereWaitsUntilFree_data();
    void lineHeldElsewhereWaitsUntilFree();

private:
    static void EnableMonitor(const HeadlessStation& station, int port);
    // Channel 4 on `four`, the remote monitor on COM monitorCom; true once the program has both open.
    static bool StartWithMonitor(HeadlessStation& station, Pty& four, Pty& monitor, int monitorCom);
};

void TestHeadlessStation::EnableMonitor(const HeadlessStation& station, int port)
{
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/EnableDisable"), 1);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/Port"), port);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/BaudRate"), 5);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/DataBits"), 3);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/Parity"), 0);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/StopBits"), 0);
    station.SetSetting(QStringLiteral("RemoteMonitorSettings/FlowControl"), 0);
}

bool TestHeadlessStation::StartWithMonitor(HeadlessStation& station, Pty& four, Pty& monitor, int monitorCom)
{
    four.ReleaseSlave();
    monitor.ReleaseSlave();
    station.WritePortMap({{4, 4}}, {{4, four.SlavePath()}, {monitorCom, monitor.SlavePath()}});
    EnableMonitor(station, monitorCom);
    return station.Start() && HeadlessStation::WaitForPeers({&four, &monitor});
}

void TestHeadlessStation::logsEveryChannel()
{
    HeadlessStation station;
    Pty one, two, four, monitor;
    for (Pty* line : {&one, &two, &four, &monitor})
        line->ReleaseSlave();
    station.WritePortMap({{1, 1}, {2, 2}, {4, 4}},
                         {{1, one.SlavePath()}, {2, two.SlavePath()}, {4, four.SlavePath()}, {17, monitor.SlavePath()}});
    station.SetSetting(QStringLiteral("Channels/4"), QStringLiteral("North Gate"));
    station.SetSetting(QStringLiteral("Lines/2"), 40);
    EnableMonitor(station, 17);
    QVERIFY(station.Start());
    QVERIFY2(HeadlessStation::WaitForPeers({&one, &two, &four, &monitor}), qPrintable(station.Errors()));

    // Channel 4: a coded alarm in a block-check frame is acknowledged, listed and forwarded.
    QVERIFY(four.Write(BlockFrame(QByteArray::fromHex("210507"), false)));
    QCOMPARE(four.Read(kAck.size(), 5000), kAck);
    QCOMPARE(monitor.Read(10, 5000), QByteArray::fromHex("ff020021030507ddff03"));
    QVERIFY(monitor.Write(QByteArray::fromHex("ff020006ff03")));

    // Channel 1: a bad check is refused and nothing is logged; a text message in a CRC frame
    // gets no reply and is logged.
    QVERIFY(one.Write(BlockFrame(QByteArray::fromHex("010204"), true)));
    QCOMPARE(one.Read(kNak.size(), 5000), kNak);
    QVERIFY(one.Write(CrcFrame(QByteArray::fromHex("9200") + "12", false)));

    // Channel 2 (40 lines): a line-state count above 64, an alarm number the table lacks, a clear.
    QVERIFY(two.Write(BlockFrame(QByteArray::fromHex("000146"), false) + BlockFrame(QByteArray::fromHex("00c801"), false)
                      + BlockFrame(QByteArray::fromHex("8400") + "Tamper cleared", false)));
    QCOMPARE(two.Read(3 * kAck.size(), 5000), kAck + kAck + kAck);

    const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 2")).size(), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("North Gate")).size(), 1, 5000);
    const auto matches = [&](const QString& line, const QString& pattern) {
        return QRegularExpression(QStringLiteral("^") + time + pattern + QStringLiteral("$")).match(line).hasMatch();
    };
    QVERIFY(matches(station.LinesOf(QStringLiteral("North Gate"))[0], QStringLiteral(" R A Event 005: Fire zone 17")));
    QVERIFY(matches(station.LinesOf(QStringLiteral("Channel 1"))[0], QStringLiteral(" Operator's Line 12 Clear Down")));
    QVERIFY(matches(station.LinesOf(QStringLiteral("Channel 2"))[0], QStringLiteral(" L E Event 001: Line busy 46")));
    QVERIFY(matches(station.LinesOf(QStringLiteral("Channel 2"))[1], QStringLiteral(" Alarm Clear: Tamper cleared")));
    QCOMPARE(one.Read(0, 300), QByteArray());  // nothing answers a CRC frame

    // The other forwarded alarms, left unanswered: each goes out twice under its own number.
    QByteArray frames = monitor.Read(8 * 10, 10000);
    QCOMPARE(frames.size(), 8 * 10);
    QSet<QByteArray> forwarded;
    for (int i = 0; i < 8; ++i) {
        const QByteArray frame = frames.mid(i * 10, 10);
        QCOMPARE(int(quint8(frame[2])), 1 + i / 2);
        QCOMPARE(frame, frames.mid((i ^ 1) * 10, 10));
        forwarded.insert(frame.mid(3, 4).toHex());
    }
    QCOMPARE(forwarded, (QSet<QByteArray>{"92000031", "00010146", "0001c801", "84010054"}));

    QCOMPARE(station.Stop(), 0);
    const auto records = station.ArchiveRecords(QStringLiteral("Channel 2"));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records[0].first, 1);
    QVERIFY(records[0].second.endsWith(" L E Event 001: Line busy 46"));
    QCOMPARE(records[1].first, 3);  // unknown alarm: archived, never listed
    QVERIFY(records[1].second.endsWith(" L X Event 200:  "));
    QCOMPARE(records[2].first, 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("North Gate")).size(), 1);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
    QVERIFY(QFile::exists(station.Path(QStringLiteral("Print"))));
}

void TestHeadlessStation::monitorSequenceWraps()
{
    HeadlessStation station;
    Pty four, monitor;
    QVERIFY(StartWithMonitor(station, four, monitor, 20));

    const int count = 257;
    QByteArray burst;
    for (int i = 0; i < count; ++i)
        burst += BlockFrame(QByteArray::fromHex("21") + char(0x40 + i % 6) + char(0x10 + i % 100), false);
    QVERIFY(four.Write(burst));
    QByteArray previous;
    for (int i = 0; i < count;) {
        const QByteArray frame = monitor.Read(10, 10000);
        QCOMPARE(frame.size(), 10);
        QVERIFY(monitor.Write(QByteArray::fromHex("ff02") + frame[2] + '\x06' + QByteArray::fromHex("ff03")));
        // A reply that came too late for a busy machine makes the frame go out again: not a new one.
        if (frame == previous)
            continue;
        QCOMPARE(int(quint8(frame[2])), i % 255);
        const QByteArray record = QByteArray::fromHex("21") + char(3) + char(0x40 + i % 6) + char(0x10 + i % 100);
        QCOMPARE(frame.mid(3, 4), record);
        previous = frame;
        ++i;
    }
    QCOMPARE(station.Stop(), 0);
}

void TestHeadlessStation::silentMonitorDoesNotDelayLogging()
{
    HeadlessStation station;
    Pty four, monitor;
    QVERIFY(StartWithMonitor(station, four, monitor, 17));

    // A monitor that never answers costs each frame a second's wait and a resend; forwarded in
    // line, thirty alarms would take a minute to log.
    const int count = 30;
    QByteArray burst;
    for (int i = 0; i < count; ++i)
        burst += BlockFrame(QByteArray::fromHex("0100") + char(0x10 + i), false);
    QVERIFY(four.Write(burst));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 4")).size(), count, 15000);
    QVERIFY(monitor.Read(10, 5000).size() == 10);

    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 4")).size(), count);
}

void TestHeadlessStation::startsWithoutPortMap()
{
    HeadlessStation station;
    QVERIFY(station.Start());
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("port map")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(station.Path(QStringLiteral("Archives"))), 10000);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.Errors().count(QStringLiteral("port map")), 1);
    QVERIFY(QFile::exists(station.Path(QStringLiteral("Print"))));
    QSettings settings(station.Path(QStringLiteral("config/Brannock/Quorvel.ini")), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Channels/16")).toString(), QStringLiteral("Channel 16"));
}

void TestHeadlessStation::unpluggedLineComesBack()
{
    HeadlessStation station;
    auto one = std::make_unique<Pty>();
    Pty two;
    one->ReleaseSlave();
    two.ReleaseSlave();
    const QString plug = station.Path(QStringLiteral("lines/one"));
    QDir().mkpath(station.Path(QStringLiteral("lines")));
    QVERIFY(QFile::link(one->SlavePath(), plug));
    station.WritePortMap({{1, 1}, {2, 2}, {3, 3}},
                         {{1, plug}, {2, two.SlavePath()}, {3, station.Path(QStringLiteral("lines/absent"))}});
    QVERIFY(station.Start());
    QVERIFY(HeadlessStation::WaitForPeers({one.get(), &two}));

    const auto send = [](Pty& line, int value) {
        QVERIFY(line.Write(BlockFrame(QByteArray::fromHex("0100") + char(0x10 + value), false)));
        QCOMPARE(line.Read(kAck.size(), 5000), kAck);
    };
    send(*one, 1);
    send(two, 2);
    QVERIFY(station.Errors().contains(QStringLiteral("Channel 3: Port COM3 not connected.")));

    // Unplug: the device goes away and its name with it. The other channel keeps logging.
    one.reset();
    QVERIFY(QFile::remove(plug));
    send(two, 3);
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 not connected.")), 10000);
    send(two, 4);

    // Plug a new device in under the same name: the channel logs again within seconds.
    Pty replugged;
    replugged.ReleaseSlave();
    QVERIFY(QFile::link(replugged.SlavePath(), plug));
    QVERIFY2(HeadlessStation::WaitForPeers({&replugged}), qPrintable(station.Errors().right(800)));
    send(replugged, 5);
    send(two, 6);
    QVERIFY(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 not connected.")));
    QTRY_VERIFY(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 connected again.")));

    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 2")).size(), 4, 5000);
    QCOMPARE(station.Stop(), 0);
    // The archive explains its own gap: system events where the line went and came back.
    const auto records = station.ArchiveRecords(QStringLiteral("Channel 1"));
    QCOMPARE(records.size(), 4);
    QCOMPARE(records[1].first, 2);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d Port COM1 not connected\\.$"))
                .match(QString::fromLatin1(records[1].second)).hasMatch());
    QCOMPARE(records[2].first, 2);
    QVERIFY(records[2].second.endsWith(" Port COM1 connected again."));
    QCOMPARE(records[3].first, 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 2")).size(), 4);
}

void TestHeadlessStation::refusedLineSettingsReportedOnceUntilCorrected()
{
    HeadlessStation station;
    Pty line;  // its slave end stays held here, so what waits there shows whether the line was opened
    station.WritePortMap({{1, 1}}, {{1, line.SlavePath()}});
    station.SetSetting(QStringLiteral("COM1 Settings/Port"), 1);
    station.SetSetting(QStringLiteral("COM1 Settings/Baud"), 12);  // beyond the baud-rate table
    station.SetSetting(QStringLiteral("COM1 Settings/Data"), 3);
    const QString refused = QStringLiteral("Unable to setup configuration for Port COM1");
    QVERIFY(station.Start());
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(refused), 10000);

    // Opening the line would discard this byte. Several reconnect rounds go by.
    QVERIFY(line.Write("x"));
    QTRY_COMPARE_WITH_TIMEOUT(line.SlaveInputPending(), 1, 5000);
    QTest::qWait(10000);
    QCOMPARE(station.Errors().count(refused), 1);
    QCOMPARE(line.SlaveInputPending(), 1);

    // Corrected while the station runs: the line opens on the next round and logs.
    station.SetSetting(QStringLiteral("COM1 Settings/Baud"), 5);
    QTRY_COMPARE_WITH_TIMEOUT(line.SlaveInputPending(), 0, 10000);
    QVERIFY(line.Write(BlockFrame(QByteArray::fromHex("010010"), false)));
    QCOMPARE(line.Read(kAck.size(), 5000), kAck);
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 connected again.")), 5000);
    QCOMPARE(station.Errors().count(refused), 1);
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), 1);
}


void TestHeadlessStation::lineHeldElsewhereWaitsUntilFree_data()
{
    // Who has the line first, through a name of its own for the same device.
    QTest::addColumn<bool>("otherStation");
    QTest::newRow("another station") << true;
    QTest::newRow("another program") << false;
}

void TestHeadlessStation::lineHeldElsewhereWaitsUntilFree()
{
    QFETCH(bool, otherStation);
    HeadlessStation first;
    HeadlessStation station;
    Pty line;  // its slave end stays held here, so what waits there shows whether the line was read
    const QString firstName = first.Path(QStringLiteral("by-id-line"));
    const QString ownName = station.Path(QStringLiteral("ttyLine"));
    QVERIFY(QFile::link(line.SlavePath(), firstName));
    QVERIFY(QFile::link(line.SlavePath(), ownName));
    std::unique_ptr<PortHolder> program;
    if (otherStation) {
        first.WritePortMap({{1, 1}}, {{1, firstName}});
        QVERIFY(first.Start());
        // The first station opens the line, which discards what waited there. A loaded machine
        // may take a few of the station's rounds of retries before it starts.
        QVERIFY(line.Write("x"));
        QTRY_COMPARE_WITH_TIMEOUT(line.SlaveInputPending(), 0, 30000);
        QTest::qWait(300);
    } else {
        program = std::make_unique<PortHolder>(firstName);
        QVERIFY(program->IsHolding());
    }

    station.WritePortMap({{1, 1}}, {{1, ownName}});
    QVERIFY(station.Start());
    const QString inUse = QStringLiteral("Port COM1 is in use by another program");
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(inUse), 10000);
    QVERIFY(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 not connected.")));
    if (otherStation) {
        // One answer, from the station that has the line; only it logs the alarm.
        QVERIFY(HeadlessStation::SendAlarm(line, 1));
        QCOMPARE(line.Read(0, 300), QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(first.LinesOf(QStringLiteral("Channel 1")).size(), 1, 5000);
        QCOMPARE(first.Stop(), 0);
    } else {
        // Retries go by without a further message and without touching the line.
        QVERIFY(line.Write("x"));
        QTest::qWait(3500);
        QCOMPARE(line.SlaveInputPending(), 1);
        QCOMPARE(station.Errors().count(inUse), 1);
        program.reset();
    }

    // Once the line is free the station takes it on its next round and logs.
    QTRY_VERIFY_WITH_TIMEOUT(station.Errors().contains(QStringLiteral("Channel 1: Port COM1 connected again.")), 10000);
    QTest::qWait(300);
    QVERIFY(HeadlessStation::SendAlarm(line, 2));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 1, 5000);
    QCOMPARE(station.Errors().count(inUse), 1);
    QCOMPARE(station.Stop(), 0);
}

QTEST_GUILESS_MAIN(TestHeadlessStation)
#include "tst_headlessstation.moc"

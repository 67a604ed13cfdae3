#include "app/Channel.h"
#include "app/ChannelTables.h"
#include "app/HeadlessViews.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/StationHealth.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QtTest>

// One channel of the station: its document, its comms stack and the keeping of its line.
class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void firstMessageBeforeStartUpFinishes();
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

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channel.moc"

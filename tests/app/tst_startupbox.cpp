#include "app/QuorvelApp.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SpinUntil.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QFile>
#include <QtTest>

// The windowed start-up: its boxes wait for someone to answer them, and the station must not.
class TestStartupBox : public QObject
{
    Q_OBJECT

private slots:
    void channelLogsWhileTheBoxIsOpen();
};

void TestStartupBox::channelLogsWhileTheBoxIsOpen()
{
    TestStation station;
    station.WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes({{0, {"ALARM", "N", "", "", "Door open"}}}));
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Backup]\nDrives=.\n[Recent%20File%20List]\nFile1=/old/a.krv\n");
    Pty one;
    one.ReleaseSlave();
    // Channel 1 alone has a port: the port map is broken for the others.
    station.WriteFile(QStringLiteral("qvportmap.ini"),
                      "[ComPortAssignments]\nChannel1=COM1\n[ComPortDevices]\nCOM1=" + one.SlavePath().toLocal8Bit() + "\n");
    const QString archive = station.Path(
        QStringLiteral("Archives/Channel 1 %1.krv").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));

    ScriptedMessages messages;
    bool acknowledged = false;
    bool archived = false;
    messages.onBox = [&] {
        // Nobody has answered yet: the alarm must be acknowledged and archived all the same.
        const QByteArray ack = SimFrames::TerminalAck();
        QByteArray reply;
        one.Write(SimFrames::BlockFrame(QByteArray::fromHex("010011"), false));
        acknowledged = SpinUntil([&] {
            reply += one.Read(int(ack.size() - reply.size()), 1);
            return reply == ack;
        }, 20000);
        archived = SpinUntil([&] {
            QFile file(archive);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("Door open");
        }, 20000);
    };

    CQuorvelApp quorvel;
    QVERIFY(quorvel.InitInstance());
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("The port map qvportmap.ini does not assign a valid COM port to every channel.")});
    QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Stop});
    // The port map's error beep, then the one for the ports that did not open.
    QCOMPARE(messages.beeps, (QList<IUserMessages::Beep>{IUserMessages::Beep::Hand, IUserMessages::Beep::Asterisk}));
    QVERIFY(acknowledged);
    QVERIFY(archived);
    QCOMPARE(quorvel.RecentFiles().Files(), QStringList{QStringLiteral("/old/a.krv")});
}

QTEST_GUILESS_MAIN(TestStartupBox)
#include "tst_startupbox.moc"

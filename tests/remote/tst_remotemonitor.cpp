#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "tests/support/Pty.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The monitor's side of the line is played on the master of a real pseudo-terminal.
class RemoteMonitorTest : public QObject
{
    Q_OBJECT

private:
    static constexpr int kFrameBytes = 10;

    static QByteArray Bytes(const char* hex) { return QByteArray::fromHex(hex); }
    static QByteArray Ack(char sequence)
    {
        return QByteArray("\xFF\x02", 2) + sequence + QByteArray("\x06\xFF\x03", 3);
    }

    void Open(RemotePort& port, const Pty& line)
    {
        QVERIFY(line.IsOpen());
        QCOMPARE(port.Open(line.SlavePath(), LineSettings{5, 3, 0, 0, 0}), 0);
        QVERIFY(port.IsOpen());
    }

    const char m_record[4] = {0x21, 0x03, 0x05, 0x07};

private slots:
    void firstFramesCarrySequenceFromZero()
    {
        Pty line;
        RemotePort port;
        Open(port, line);
        CRemoteMonitor monitor(port);

        QVERIFY(monitor.SendAlarm(m_record));
        const QByteArray first = line.Read(kFrameBytes, 5000);
        QCOMPARE(first.toHex(' '), Bytes("FF020021030507DDFF03").toHex(' '));
        QVERIFY(line.Write(Ack(first.at(2))));

        QVERIFY(monitor.SendAlarm(m_record));
        const QByteArray second = line.Read(kFrameBytes, 5000);
        QCOMPARE(second.size(), kFrameBytes);
        QCOMPARE(quint8(second.at(2)), quint8(1));
        QCOMPARE(quint8(second.at(7)), quint8(0xDD ^ 0x00 ^ 0x01));
        QVERIFY(line.Write(Ack(second.at(2))));
    }

    // Frames queued together go out one exchange after another, in order, and the numbers run
    // 0..254 and start again at 0.
    void queuedFramesKeepOrderAndWrapAfter254()
    {
        Pty line;
        RemotePort port;
        Open(port, line);
        CRemoteMonitor monitor(port);

        const int total = 257;
        for (int i = 0; i < total; ++i) {
            const char record[4] = {char(i & 0x03), char(i % 16), char(i), char(i >> 8)};
            QVERIFY(monitor.SendAlarm(record));
        }
        for (int i = 0; i < total; ++i) {
            const QByteArray frame = line.Read(kFrameBytes, 5000);
            QCOMPARE(frame.size(), kFrameBytes);
            QCOMPARE(quint8(frame.at(2)), quint8(i % 255));
            QCOMPARE(quint8(frame.at(5)), quint8(i));  // the record that was queued i-th
            QVERIFY(line.Write(Ack(frame.at(2))));
        }
        QVERIFY(line.Read(0, 300).isEmpty());
    }

    // A frame refused because the monitor has fallen too far behind takes no number: the monitor
    // sees the numbers run on without a gap once it catches up.
    void frameDroppedAtCapTakesNoNumber()
    {
        Pty line;
        const int cap = 3;
        RemotePort port(cap);
        Open(port, line);
        CRemoteMonitor monitor(port);

        // The worker holds the first frame while it waits for the reply, so the queue fills behind it.
        QVERIFY(monitor.SendAlarm(m_record));
        QByteArray last = line.Read(kFrameBytes, 5000);
        QCOMPARE(last.size(), kFrameBytes);
        for (int i = 0; i < cap; ++i)
            QVERIFY(monitor.SendAlarm(m_record));
        QVERIFY(!monitor.SendAlarm(m_record));
        QVERIFY(!monitor.SendAlarm(m_record));
        QVERIFY(line.Write(Ack(last.at(2))));

        QList<int> numbers{quint8(last.at(2))};
        while (numbers.size() < cap + 2) {
            const QByteArray frame = line.Read(kFrameBytes, 5000);
            QCOMPARE(frame.size(), kFrameBytes);
            if (frame == last)
                continue;  // written again: its reply came late
            last = frame;
            numbers << quint8(frame.at(2));
            QVERIFY(line.Write(Ack(frame.at(2))));
            if (numbers.size() == cap + 1)
                QVERIFY(monitor.SendAlarm(m_record));
        }
        QCOMPARE(numbers, QList<int>({0, 1, 2, 3, 4}));
    }

    void replyDecidesOnResend_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("writes");
        QTest::newRow("ack") << Bytes("FF020006FF03") << 1;
        QTest::newRow("ack in the fourth byte whatever the rest") << Bytes("00000006") << 1;
        QTest::newRow("nak") << Bytes("FF020015FF03") << 2;
        QTest::newRow("three bytes") << Bytes("FF0200") << 2;
        QTest::newRow("silence") << QByteArray() << 2;
    }

    void replyDecidesOnResend()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, writes);
        Pty line;
        RemotePort port;
        Open(port, line);
        CRemoteMonitor monitor(port);
        QSignalSpy failed(&monitor, &CRemoteMonitor::SendFailed);

        QVERIFY(monitor.SendAlarm(m_record));
        const QByteArray frame = line.Read(kFrameBytes, 5000);
        QCOMPARE(frame.size(), kFrameBytes);
        if (!reply.isEmpty())
            QVERIFY(line.Write(reply));
        // The reply wait is one second: a resend comes soon after it, or nothing more comes.
        const QByteArray more = writes == 2 ? line.Read(kFrameBytes, 5000) : line.Read(0, 1500);
        QCOMPARE(more, writes == 2 ? frame : QByteArray());
        QCOMPARE(failed.count(), 0);
    }

    void silentMonitorNeitherBlocksSenderNorClose()
    {
        Pty line;
        RemotePort port;
        Open(port, line);
        CRemoteMonitor monitor(port);

        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 10; ++i)
            QVERIFY(monitor.SendAlarm(m_record));
        // Waiting for replies would take ten seconds and more.
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(line.Read(kFrameBytes, 5000).size(), kFrameBytes);

        timer.restart();
        port.Close();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!port.IsOpen());
        QVERIFY(!monitor.SendAlarm(m_record));
    }

    // However many frames an outage takes, it is told once; a port opened again and lost again is
    // a new outage. The line is opened through a name of the test's own, removed with its folder.
    void oneReportPerOutage_data()
    {
        QTest::addColumn<int>("outages");
        QTest::addColumn<int>("framesPerOutage");
        QTest::newRow("one frame lost") << 1 << 1;
        QTest::newRow("many frames lost on one line") << 1 << 6;
        QTest::newRow("opened again and lost again") << 2 << 4;
        QTest::newRow("three outages") << 3 << 2;
    }

    void oneReportPerOutage()
    {
        QFETCH(int, outages);
        QFETCH(int, framesPerOutage);
        RemotePort port;
        CRemoteMonitor monitor(port);
        QSignalSpy failed(&monitor, &CRemoteMonitor::SendFailed);
        QTemporaryDir names;
        for (int outage = 1; outage <= outages; ++outage) {
            Pty line;
            const QString name = names.filePath(QStringLiteral("monitor%1").arg(outage));
            QVERIFY(QFile::link(line.SlavePath(), name));
            QCOMPARE(port.Open(name, LineSettings{5, 3, 0, 0, 0}), 0);
            QVERIFY(monitor.SendAlarm(m_record));
            const QByteArray frame = line.Read(kFrameBytes, 5000);
            QCOMPARE(frame.size(), kFrameBytes);
            QVERIFY(line.Write(Ack(frame.at(2))));
            QTest::qWait(100);  // the acknowledgement is taken before the line goes

            line.Close();
            for (int i = 0; i < framesPerOutage; ++i)
                QVERIFY(monitor.SendAlarm(m_record));
            QTRY_COMPARE_WITH_TIMEOUT(failed.count(), outage, 10000);
            QTest::qWait(500);  // the outage's other frames fail meanwhile, and are not told
            QCOMPARE(failed.count(), outage);
        }
    }

    // Frames refused while the monitor has fallen behind are one outage; once frames go out again,
    // falling behind again is told again.
    void refusalsWhileBehindAreOneOutage()
    {
        Pty line;
        RemotePort port(1);
        Open(port, line);
        CRemoteMonitor monitor(port);
        QSignalSpy failed(&monitor, &CRemoteMonitor::SendFailed);

        for (int round = 1; round <= 2; ++round) {
            // The worker waits for the reply to the first frame; the second fills the queue.
            QVERIFY(monitor.SendAlarm(m_record));
            const QByteArray first = line.Read(kFrameBytes, 5000);
            QCOMPARE(first.size(), kFrameBytes);
            QVERIFY(monitor.SendAlarm(m_record));
            for (int i = 0; i < 5; ++i)
                QVERIFY(!monitor.SendAlarm(m_record));
            QTRY_COMPARE_WITH_TIMEOUT(failed.count(), round, 5000);

            QVERIFY(line.Write(Ack(first.at(2))));
            QByteArray second = first;
            while (second == first) {  // the first again when its reply came late
                second = line.Read(kFrameBytes, 5000);
                QCOMPARE(second.size(), kFrameBytes);
            }
            QVERIFY(line.Write(Ack(second.at(2))));
            QTest::qWait(100);
            QCOMPARE(failed.count(), round);
        }
    }

    void failedWritesReachUserInterfaceThread()
    {
        Pty line;
        RemotePort port;
        Open(port, line);
        CRemoteMonitor monitor(port);
        QThread* signalledOn = nullptr;
        connect(&monitor, &CRemoteMonitor::SendFailed, this, [&] { signalledOn = QThread::currentThread(); });

        line.Close();  // the line is gone: every write fails
        QVERIFY(monitor.SendAlarm(m_record));
        QTRY_VERIFY_WITH_TIMEOUT(signalledOn != nullptr, 10000);
        QCOMPARE(signalledOn, QThread::currentThread());
    }
};

QTEST_GUILESS_MAIN(RemoteMonitorTest)
#include "tst_remotemonitor.moc"

#include "comms/ComPortDevices.h"
#include "core/ProfileFile.h"
#include "core/Strings.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteStartup.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// The program's end of a simulated line, opened by its slave path.
class LineEnd
{
public:
    explicit LineEnd(const QString& path) : m_fd(::open(qPrintable(path), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~LineEnd() { if (m_fd >= 0) ::close(m_fd); }
    bool IsOpen() const { return m_fd >= 0; }
    void Write(const QByteArray& bytes) { QCOMPARE(::write(m_fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size())); }

    // The next whole frame: 02 a b c 03 check 0D for a coded message in the block form, or
    // FF 02 ... FF 03 in the CRC form. Empty when none comes within the time.
    QByteArray NextFrame(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            if (m_rx.startsWith('\x02') && m_rx.size() >= 7)
                return Take(7);
            if (m_rx.startsWith("\xFF\x02")) {
                for (int i = 2; i + 1 < m_rx.size(); ++i) {
                    if (m_rx.at(i) == char(0xFF) && m_rx.at(i + 1) == char(0x03))
                        return Take(i + 2);
                    if (m_rx.at(i) == char(0xFF))
                        ++i;
                }
            }
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0)
                return QByteArray();
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(left)) > 0) {
                char buffer[256];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    m_rx.append(buffer, n);
            }
        }
    }

private:
    QByteArray Take(int n)
    {
        const QByteArray frame = m_rx.left(n);
        m_rx.remove(0, n);
        return frame;
    }

    int m_fd;
    QByteArray m_rx;
};

bool BlockCheckPasses(const QByteArray& frame)
{
    return char(frame.at(1) ^ frame.at(2) ^ frame.at(3)) == frame.at(5);
}

// "channel 1: sent 4 acked 2 ..." as name -> number.
QMap<QString, qint64> Fields(const QByteArray& output, const QByteArray& prefix)
{
    QMap<QString, qint64> fields;
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith(prefix + ": "))
            continue;
        const QList<QByteArray> words = line.mid(prefix.size() + 2).split(' ');
        for (int i = 0; i + 1 < words.size(); i += 2)
            fields.insert(QString::fromLatin1(words.at(i)), words.at(i + 1).toLongLong());
    }
    return fields;
}

} // namespace

// Runs the simulator, plays the program's side of two channels and of the remote monitor, and
// checks the station files it writes and the summary it gives.
class QuorvelSimTest : public QObject
{
    Q_OBJECT

private slots:
    void playsLinesAndSummarises()
    {
        TestStation station;
        ScriptedMessages messages;
        QProcess sim;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), station.Dir() + QStringLiteral("/config"));
        sim.setProcessEnvironment(env);
        sim.start(qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/tools/quorvel-sim/quorvel-sim"),
                  {"--station", station.Dir(), "--channels", "1,2", "--monitor", "COM17", "--write-settings",
                   "--count", "6", "--rate", "50", "--form", "mixed", "--corrupt-every", "3", "--alarms", "7,9",
                   "--start-delay", "0", "--duration", "30"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(10000));
        QCOMPARE(sim.readLine().trimmed(), QByteArray("ready"));

        // Port map: every channel has COMn; played lines and the monitor have their device, the
        // channel not played a device that does not exist.
        ProfileFile portMap;
        QVERIFY(portMap.Load(station.Path(QString::fromLatin1(Str::kPortMapFile))));
        const QString assignments = QString::fromLatin1(Str::kPortMapSection);
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(portMap.Value(assignments, QStringLiteral("Channel%1").arg(n), {}), QStringLiteral("COM%1").arg(n));
        const QString devices = QString::fromLatin1(Str::kPortDevicesSection);
        QVERIFY(QFileInfo::exists(portMap.Value(devices, "COM1", {})));
        QVERIFY(QFileInfo::exists(portMap.Value(devices, "COM17", {})));
        QVERIFY(!portMap.Value(devices, "COM3", {}).isEmpty());
        QVERIFY(!QFileInfo::exists(portMap.Value(devices, "COM3", {})));

        // Channel 1 is answered as the terminal answers; channel 2 acknowledges every frame, so its
        // corrupted block-check frames get the wrong answer.
        LineEnd channel1(portMap.Value(devices, "COM1", {}));
        LineEnd channel2(portMap.Value(devices, "COM2", {}));
        QVERIFY(channel1.IsOpen() && channel2.IsOpen());
        const QByteArray ack = QByteArray::fromHex("FF0206C660FF03");
        const QByteArray nak = QByteArray::fromHex("FF021594 42FF03");
        int blocks[3] = {}, corruptBlocks[3] = {};
        QList<QByteArray> goodMessages;
        for (int i = 0; i < 6; ++i) {
            for (int channel : {1, 2}) {
                LineEnd& line = channel == 1 ? channel1 : channel2;
                const QByteArray frame = line.NextFrame(10000);
                QVERIFY2(!frame.isEmpty(), "a frame from the simulator");
                if (frame.at(0) != char(0x02))
                    continue;
                ++blocks[channel];
                const bool good = BlockCheckPasses(frame);
                corruptBlocks[channel] += good ? 0 : 1;
                if (channel == 1 && good)
                    goodMessages << frame.mid(1, 3);
                line.Write(channel == 1 && !good ? nak : ack);
            }
        }
        QVERIFY(channel1.NextFrame(300).isEmpty());

        // The monitor, reached through the settings the simulator stored, by the program's own code.
        ComPortDevices::Load(portMap);
        QCOMPARE(OpenRemotePort(), 1);
        CRemoteMonitor monitor;
        QSignalSpy failed(&monitor, &CRemoteMonitor::SendFailed);
        for (const QByteArray& message : goodMessages) {
            const char record[4] = {message.at(0), 0, message.at(1), message.at(2)};
            QVERIFY(monitor.SendAlarm(record));
        }
        const char stranger[4] = {1, 5, char(200), 0};
        QVERIFY(monitor.SendAlarm(stranger));
        RemotePort().Close(5000);  // lets the monitor answer every frame
        QCOMPARE(failed.count(), 0);
        QCOMPARE(messages.texts, QStringList());

        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 0);
        const QByteArray output = sim.readAllStandardOutput();

        const auto one = Fields(output, "channel 1");
        QCOMPARE(one.value("sent"), 6);
        QCOMPARE(one.value("corrupt"), 2);
        QCOMPARE(one.value("block"), blocks[1]);
        QCOMPARE(one.value("acked"), blocks[1] - corruptBlocks[1]);
        QCOMPARE(one.value("naked"), corruptBlocks[1]);
        QCOMPARE(one.value("missing"), 0);
        QCOMPARE(one.value("unexpected"), 0);
        const auto two = Fields(output, "channel 2");
        QCOMPARE(two.value("acked"), blocks[2]);
        QCOMPARE(two.value("unexpected"), corruptBlocks[2]);
        QCOMPARE(Fields(output, "total").value("sent"), 12);

        const auto seen = Fields(output, "monitor");
        QCOMPARE(seen.value("frames"), goodMessages.size() + 1);
        QCOMPARE(seen.value("answered"), goodMessages.size() + 1);
        QCOMPARE(seen.value("matched"), goodMessages.size());
        QCOMPARE(seen.value("unknown"), 1);
        QCOMPARE(seen.value("repeats"), 0);
        QCOMPARE(seen.value("gaps"), 0);
        QCOMPARE(seen.value("bad"), 0);
    }
};

QTEST_GUILESS_MAIN(QuorvelSimTest)
#include "tst_quorvelsim.moc"

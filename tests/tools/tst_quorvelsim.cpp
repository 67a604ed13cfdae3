#include "comms/ComPortDevices.h"
#include "core/ProfileFile.h"
#include "core/SettingsKeys.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteStartup.h"
#include "tests/support/FrameVectors.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

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

QString SimPath()
{
    return qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/tools/quorvel-sim/quorvel-sim");
}

// The simulator with the station's settings store, not the user's.
void Prepare(QProcess& sim, const TestStation& station)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), station.Dir() + QStringLiteral("/config"));
    sim.setProcessEnvironment(env);
}

// Runs the simulator to its end.
void RunToEnd(QProcess& sim, const TestStation& station, const QStringList& arguments)
{
    Prepare(sim, station);
    sim.start(SimPath(), arguments);
    QVERIFY(sim.waitForStarted());
    if (!sim.waitForFinished(15000)) {
        sim.kill();
        sim.waitForFinished();
        QFAIL("the simulator did not end by itself");
    }
}

// Starts the simulator and waits for its "ready".
void StartPlaying(QProcess& sim, const TestStation& station, const QStringList& arguments)
{
    Prepare(sim, station);
    sim.start(SimPath(), arguments);
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(10000));
    QCOMPARE(sim.readLine().trimmed(), QByteArray("ready"));
}

// The three message bytes of a block-check frame or of a CRC frame (FF FF inside stands for FF).
QByteArray MessageOf(const QByteArray& frame)
{
    if (frame.at(0) == char(0x02))
        return frame.mid(1, 3);
    QByteArray data = frame.mid(2, frame.size() - 4);
    data.replace(QByteArray("\xFF\xFF", 2), QByteArray(1, char(0xFF)));
    return data.left(3);
}

} // namespace

// Runs the simulator, plays the program's side of two channels and of the remote monitor, and
// checks the station files it writes and the summary it gives.
class QuorvelSimTest : public QObject
{
    Q_OBJECT

private slots:
    // The simulator's frames are the shared set's: every valid frame of the far end, the
    // terminal's answers and the monitor's acknowledgement, byte for byte.
    void buildsTheSharedFrames_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("bytes");
        for (const FrameVector& vector : FrameVectors::All()) {
            // The station's own frames other than its one-byte answers are not the simulator's to send.
            if (vector.valid && (vector.form != QLatin1String("station") || vector.data.size() == 1))
                QTest::newRow(qPrintable(vector.name)) << vector.form << vector.data << vector.bytes;
        }
    }

    void buildsTheSharedFrames()
    {
        QFETCH(QString, form);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, bytes);
        QByteArray built;
        if (form == QLatin1String("block")) {
            built = SimFrames::BlockFrame(data, false);
            QVERIFY(SimFrames::BlockFrameIsDelimited(built));
        } else if (form == QLatin1String("crc")) {
            built = SimFrames::CrcFrame(data, false);
        } else if (form == QLatin1String("monitor")) {
            built = SimFrames::MonitorAck(quint8(data.at(0)));
        } else if (data == QByteArray(1, SimFrames::kAckByte)) {
            built = SimFrames::TerminalAck();
        } else if (data == QByteArray(1, SimFrames::kNakByte)) {
            built = SimFrames::TerminalNak();
        } else {
            QFAIL("a one-byte answer the terminal does not give");
        }
        QCOMPARE(built.toHex(' '), bytes.toHex(' '));
    }

    void playsLinesAndSummarises()
    {
        TestStation station;
        ScriptedMessages messages;
        QProcess sim;
        StartPlaying(sim, station,
                     {"--station", station.Dir(), "--channels", "1,2", "--monitor", "COM17", "--write-settings",
                      "--count", "6", "--rate", "50", "--form", "mixed", "--corrupt-every", "3", "--alarms", "7,9",
                      "--start-delay", "0", "--duration", "30"});

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
        const QByteArray ack = FrameVectors::Bytes(QStringLiteral("terminal ACK"));
        const QByteArray nak = FrameVectors::Bytes(QStringLiteral("terminal NAK"));
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
        SharedRemotePort().Close(5000);  // lets the monitor answer every frame
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
    // The terminal forwards the messages waiting at once in its queue's order, highest status byte
    // first; the monitor matches each frame to a message sent whatever the order.
    void matchesForwardedFramesWhateverTheirOrder_data()
    {
        QTest::addColumn<bool>("reverse");
        QTest::newRow("highest status byte first") << false;
        QTest::newRow("last sent first") << true;
    }

    void matchesForwardedFramesWhateverTheirOrder()
    {
        QFETCH(bool, reverse);
        TestStation station;
        ScriptedMessages messages;
        QProcess sim;
        StartPlaying(sim, station,
                     {"--station", station.Dir(), "--channels", "1", "--monitor", "COM17", "--write-settings",
                      "--count", "8", "--rate", "50", "--start-delay", "0", "--duration", "30"});
        ProfileFile portMap;
        QVERIFY(portMap.Load(station.Path(QString::fromLatin1(Str::kPortMapFile))));
        const QString devices = QString::fromLatin1(Str::kPortDevicesSection);
        LineEnd channel1(portMap.Value(devices, "COM1", {}));
        QVERIFY(channel1.IsOpen());
        QList<QByteArray> sent;
        for (int i = 0; i < 8; ++i) {
            const QByteArray frame = channel1.NextFrame(10000);
            QVERIFY2(!frame.isEmpty(), "a frame from the simulator");
            sent << MessageOf(frame);
            if (frame.at(0) == char(0x02))
                channel1.Write(FrameVectors::Bytes(QStringLiteral("terminal ACK")));
        }

        QList<QByteArray> forwarded = sent;
        if (reverse)
            std::reverse(forwarded.begin(), forwarded.end());
        else
            std::stable_sort(forwarded.begin(), forwarded.end(),
                             [](const QByteArray& a, const QByteArray& b) { return quint8(a.at(0)) > quint8(b.at(0)); });
        QVERIFY2(forwarded != sent, "the messages sent must come out of order");
        ComPortDevices::Load(portMap);
        QCOMPARE(OpenRemotePort(), 1);
        CRemoteMonitor monitor;
        for (const QByteArray& message : forwarded) {
            const char record[4] = {message.at(0), 0, message.at(1), message.at(2)};
            QVERIFY(monitor.SendAlarm(record));
        }
        SharedRemotePort().Close(5000);

        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        const auto seen = Fields(sim.readAllStandardOutput(), "monitor");
        QCOMPARE(seen.value("frames"), sent.size());
        QCOMPARE(seen.value("matched"), sent.size());
        QCOMPARE(seen.value("unknown"), 0);
    }

    // Every option is checked before anything is written: the station and the settings store stay
    // as they were, and the message names the option.
    void refusesBadOptionsBeforeWritingAnything_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString settings = QStringLiteral("--write-settings");
        QTest::newRow("no station") << QStringList{"--station", ""} << "--station is required";
        QTest::newRow("settings without monitor") << QStringList{settings} << "--write-settings goes with --monitor";
        QTest::newRow("settings at a speed the program lacks")
            << QStringList{"--monitor", "COM17", settings, "--baud", "1234"} << "--write-settings: --baud";
        QTest::newRow("rate infinite") << QStringList{"--rate", "inf"} << "--rate:";
        QTest::newRow("rate too high") << QStringList{"--rate", "1e300"} << "--rate:";
        QTest::newRow("baud beyond a whole number") << QStringList{"--baud", "99999999999"} << "--baud:";
        QTest::newRow("baud with a fraction") << QStringList{"--baud", "9600.5"} << "--baud:";
        QTest::newRow("count with a fraction") << QStringList{"--count", "2.5"} << "--count:";
        QTest::newRow("corrupt-every beyond a whole number") << QStringList{"--corrupt-every", "1e10"}
                                                             << "--corrupt-every:";
        QTest::newRow("duration infinite") << QStringList{"--duration", "inf"} << "--duration:";
        QTest::newRow("start delay beyond a whole number") << QStringList{"--start-delay", "3e9"} << "--start-delay:";
    }

    void refusesBadOptionsBeforeWritingAnything()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        TestStation station;
        const QString stationDir = station.Path(QStringLiteral("station"));
        QProcess sim;
        RunToEnd(sim, station,
                 QStringList{"--station", stationDir, "--channels", "1", "--duration", "0.2"} + arguments);
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(error.startsWith(QStringLiteral("quorvel-sim: ") + message), qPrintable(error));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        QVERIFY(!QFileInfo::exists(stationDir));
        QVERIFY(!QFileInfo::exists(station.Path(QStringLiteral("config"))));
    }

    // A port map the simulator did not write is kept as qvportmap.ini.bak, also over a second run,
    // and the simulator says which files it wrote.
    void keepsSomeoneElsesPortMapAndSaysWhereItWrote()
    {
        TestStation station;
        const QByteArray own = "[ComPortAssignments]\nChannel1=COM5\n[ComPortDevices]\nCOM5=/dev/ttyUSB0\n";
        const QString portMap = station.Path(QString::fromLatin1(Str::kPortMapFile));
        station.WriteFile(QString::fromLatin1(Str::kPortMapFile), own);
        const QString settingsFile = station.Path(QStringLiteral("config/Brannock/Quorvel.ini"));
        for (int run = 0; run < 2; ++run) {
            QProcess sim;
            RunToEnd(sim, station, {"--station", station.Dir(), "--channels", "1", "--monitor", "COM17",
                                    "--write-settings", "--duration", "0.2"});
            QCOMPARE(sim.exitCode(), 0);
            const QString said = QString::fromLocal8Bit(sim.readAllStandardError());
            QVERIFY2(said.contains(portMap) && said.contains(settingsFile), qPrintable(said));
            QFile backup(portMap + QStringLiteral(".bak"));
            QVERIFY(backup.open(QIODevice::ReadOnly));
            QCOMPARE(backup.readAll(), own);
            ProfileFile written;
            QVERIFY(written.Load(portMap));
            QCOMPARE(written.Value(QString::fromLatin1(Str::kPortMapSection), "Channel1", {}), QStringLiteral("COM1"));
            QVERIFY(QFileInfo::exists(settingsFile));
        }
    }

    // Each option's help says its default, or that it is required; --write-settings names the file.
    void helpGivesDefaultsAndWhatIsRequired()
    {
        TestStation station;
        QProcess sim;
        RunToEnd(sim, station, {"--help"});
        QCOMPARE(sim.exitCode(), 0);
        QMap<QString, QString> options;  // option -> its help, lines joined
        QString current;
        for (const QString& line : QString::fromLocal8Bit(sim.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("  -")))
                current = line.trimmed().section(QLatin1Char(' '), 0, 0);
            else if (line.trimmed().isEmpty() || !line.startsWith(QLatin1Char(' ')))
                current.clear();
            if (!current.isEmpty())
                options[current] += line.trimmed() + QLatin1Char(' ');
        }
        options.remove(QStringLiteral("-h,"));
        options.remove(QStringLiteral("--help-all"));
        QVERIFY(options.size() > 10);
        for (auto it = options.begin(); it != options.end(); ++it)
            QVERIFY2(it.value().contains(QLatin1String("(default")) || it.value().contains(QLatin1String("(required)")),
                     qPrintable(it.value()));
        QVERIFY(options.value(QStringLiteral("--station")).contains(QLatin1String("(required)")));
        const QString settingsFile = station.Path(QStringLiteral("config/Brannock/Quorvel.ini"));
        QVERIFY2(options.value(QStringLiteral("--write-settings")).remove(QLatin1Char(' ')).contains(settingsFile),
                 qPrintable(options.value(QStringLiteral("--write-settings"))));
    }
};

QTEST_GUILESS_MAIN(QuorvelSimTest)
#include "tst_quorvelsim.moc"

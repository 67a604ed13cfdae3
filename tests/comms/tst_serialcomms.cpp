#include "comms/CommsEvent.h"
#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "comms/SerialComms.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "tests/support/LineProbe.h"
#include "tests/support/PortHolder.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kPort = 7;

// The port layer alone, keeping the chunks it is handed.
class RxRecorder : public CSerialComms
{
public:
    QByteArrayList chunks;
    QByteArray Received() const { return chunks.join(); }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::Type(WM_RX_DATA))
            return CSerialComms::event(event);
        chunks.append(static_cast<CommsEvent*>(event)->Bytes());
        return true;
    }
};

// More than a pseudo-terminal holds while its far end reads nothing.
QByteArray LargeBlock()
{
    QByteArray block(256 * 1024, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 7 + i / 251);
    return block;
}

int ThreadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

void StoreRecord(int port, int baud, int data, int stop, int parity, int shake)
{
    WritePortSettings(port, PortSettingsRecord{port, LineSettings{baud, data, parity, stop, shake}});
}

// While it lives, the process may open no further descriptor: the limit is lowered to just above
// the highest one in use and every free one below it is taken.
class DescriptorsExhausted
{
public:
    DescriptorsExhausted()
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        int highest = 2;
        for (const QString& name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
            highest = std::max(highest, name.toInt());
        rlimit lowered = m_saved;
        lowered.rlim_cur = rlim_t(highest + 2);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            m_taken.append(fd);
    }
    ~DescriptorsExhausted()
    {
        for (int fd : m_taken)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }

private:
    rlimit m_saved{};
    QList<int> m_taken;
};

} // namespace

class TestSerialComms : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void recordConfiguresTheLine_data();
    void recordConfiguresTheLine();
    void storedRecordAsText_data();
    void storedRecordAsText();
    void portInUseCannotBeOpenedTwice();
    void oneDeviceUnderTwoNamesOpensOnce_data();
    void oneDeviceUnderTwoNamesOpensOnce();
    void portHeldByAnotherProgramIsLeftAlone();
    void openOnAPortWithoutDeviceClosesTheOpenOne();
    void noWakeUpDescriptorIsReported();
    void receivedBytesComeInChunksOfEighty();
    void closeEndsAWaitingWorkerAndItsThread();
    void hangUpIsReportedAndThePortReopens();
    void writeLargerThanTheLineTakesArrivesWholeAndInOrder();
    void bytesHeldByTheLineWaitForTheirTimeOut_data();
    void bytesHeldByTheLineWaitForTheirTimeOut();
    void bytesHeldWithoutTimeLimitAreCapped();
    void closeWithBytesWaitingReturnsPromptly();

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<Pty> m_pty;
};

void TestSerialComms::init()
{
    m_station = std::make_unique<TestStation>();
    m_pty = std::make_unique<Pty>();
    QVERIFY(m_pty->IsOpen());
    ComPortDevices::Set(kPort, m_pty->SlavePath());
}

void TestSerialComms::cleanup()
{
    ComPortDevices::Clear();
    m_pty.reset();
    m_station.reset();
}

void TestSerialComms::recordConfiguresTheLine_data()
{
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told, so those two are
    // left at 8N here; speed, stop bits and flow control read back as set.
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QList<int>>("record");  // Baud, Data, Stop, Parity, Shake
    QTest::addColumn<unsigned>("speed");
    QTest::addColumn<bool>("twoStop");
    QTest::addColumn<bool>("rtsCts");
    QTest::addColumn<bool>("xonXoff");

    QTest::newRow("missing record: 300 baud") << false << QList<int>{} << 300u << false << false << false;
    QTest::newRow("9600, no handshake") << true << QList<int>{5, 3, 0, 0, 0} << 9600u << false << false << false;
    QTest::newRow("19200, 2 stop bits, hardware") << true << QList<int>{7, 3, 2, 0, 3} << 19200u << true << true
                                                  << false;
    QTest::newRow("56000") << true << QList<int>{9, 3, 0, 0, 0} << 56000u << false << false << false;
    QTest::newRow("128000") << true << QList<int>{10, 3, 0, 0, 0} << 128000u << false << false << false;
    QTest::newRow("256000, xon/xoff") << true << QList<int>{11, 3, 0, 0, 4} << 256000u << false << false << true;
}

void TestSerialComms::recordConfiguresTheLine()
{
    QFETCH(bool, stored);
    QFETCH(QList<int>, record);
    if (stored)
        StoreRecord(kPort, record[0], record[1], record[2], record[3], record[4]);

    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    QCOMPARE(comms.IsConnected(), 1);
    const LineProbe line = LineProbe::Read(m_pty->MasterFd());
    QVERIFY(line.ok);
    QTEST(line.speed, "speed");
    QTEST(line.twoStopBits, "twoStop");
    QTEST(line.rtsCts, "rtsCts");
    QTEST(line.xonXoff, "xonXoff");
    QVERIFY(!line.resumesOnAnyByte);
}

void TestSerialComms::storedRecordAsText_data()
{
    // The record as a person might type it into the settings file. Whatever is not a number that
    // fits its table refuses the line; a key that is missing reads as 0.
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<unsigned>("speed");  // 0: refused with the set-up message
    QTest::addColumn<QString>("refused");  // the setting that message names: one the device refused

    QTest::newRow("baud 12") << QByteArray("Baud=12") << 0u << QString();
    QTest::newRow("baud -1") << QByteArray("Baud=-1") << 0u << QString();
    QTest::newRow("data 4") << QByteArray("Baud=5\nData=4") << 0u << QString();
    QTest::newRow("stop 3") << QByteArray("Baud=5\nStop=3") << 0u << QString();
    QTest::newRow("parity 5") << QByteArray("Baud=5\nParity=5") << 0u << QString();
    QTest::newRow("baud abc") << QByteArray("Baud=abc") << 0u << QString();
    QTest::newRow("baud 2^32+5") << QByteArray("Baud=4294967301") << 0u << QString();
    QTest::newRow("data 2^32+3") << QByteArray("Baud=5\nData=4294967299") << 0u << QString();
    QTest::newRow("baud 5 and junk") << QByteArray("Baud=5x") << 0u << QString();
    QTest::newRow("baud empty") << QByteArray("Baud=") << 0u << QString();
    QTest::newRow("baud in hex") << QByteArray("Baud=0x5") << 0u << QString();
    QTest::newRow("shake abc") << QByteArray("Baud=5\nShake=abc") << 0u << QString();
    QTest::newRow("baud quoted with blanks") << QByteArray("Baud=\" 5 \"") << 9600u << QString();
    QTest::newRow("blanks around") << QByteArray("Baud = 11 \nData = 3") << 256000u << QString();
    QTest::newRow("keys missing: 300 baud") << QByteArray("Data=3") << 300u << QString();
    // A pseudo-terminal keeps 8 data bits.
    QTest::newRow("7 data bits, which the device refuses") << QByteArray("Baud=5\nData=2") << 0u
                                                           << QStringLiteral("Data Bits 7");
}

void TestSerialComms::storedRecordAsText()
{
    QFETCH(QByteArray, values);
    QFETCH(unsigned, speed);
    QFETCH(QString, refused);
    m_station->WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"),
                         "[COM7%20Settings]\nPort=7\n" + values + "\n");
    ResetProfileStore();
    ScriptedMessages messages;

    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), speed ? 1 : 0);
    QCOMPARE(comms.IsConnected(), speed ? 1 : 0);
    if (speed) {
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(LineProbe::Read(m_pty->MasterFd()).speed, speed);
        return;
    }
    QCOMPARE(messages.texts.size(), 1);
    const QString setupFailed = QString::fromLatin1(Str::kPortSetupFailed).arg(kPort);
    if (refused.isEmpty())
        QCOMPARE(messages.texts[0], setupFailed);
    else
        QVERIFY2(messages.texts[0].startsWith(setupFailed + QStringLiteral("The device refused %1: ").arg(refused)),
                 qPrintable(messages.texts[0]));
    QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Information});

    // Closed for real: with a sound record the port opens at once.
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    CSerialComms again;
    QCOMPARE(again.OpenPort(kPort), 1);
}

void TestSerialComms::portInUseCannotBeOpenedTwice()
{
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    CSerialComms first;
    CSerialComms second;
    QCOMPARE(first.OpenPort(kPort), 1);
    QCOMPARE(second.OpenPort(kPort), 0);
    QCOMPARE(second.IsConnected(), 0);
    QCOMPARE(first.IsConnected(), 1);

    first.ClosePort();
    QCOMPARE(second.OpenPort(kPort), 1);
}

void TestSerialComms::oneDeviceUnderTwoNamesOpensOnce_data()
{
    // Names of one pseudo-terminal: "device" is its own path, "link A" and "link B" two links to it
    // (as /dev/serial/by-id/... and a udev alias point to one /dev/ttyUSB0).
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("two links") << "link A" << "link B";
    QTest::newRow("link, then the device") << "link A" << "device";
    QTest::newRow("device, then a link") << "device" << "link B";
    QTest::newRow("a link to a link") << "link B" << "link to link B";
}

void TestSerialComms::oneDeviceUnderTwoNamesOpensOnce()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QMap<QString, QString> names{{"device", m_pty->SlavePath()},
                                       {"link A", m_station->Path("ttyA")},
                                       {"link B", m_station->Path("ttyB")},
                                       {"link to link B", m_station->Path("ttyC")}};
    QVERIFY(QFile::link(m_pty->SlavePath(), names["link A"]));
    QVERIFY(QFile::link(m_pty->SlavePath(), names["link B"]));
    QVERIFY(QFile::link(names["link B"], names["link to link B"]));
    constexpr int kOther = kPort + 1;
    ComPortDevices::Set(kPort, names[first]);
    ComPortDevices::Set(kOther, names[second]);
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    StoreRecord(kOther, 5, 3, 0, 0, 0);
    ScriptedMessages messages;
    RxRecorder owner;
    RxRecorder intruder;
    QCOMPARE(owner.OpenPort(kPort), 1);

    QCOMPARE(intruder.OpenPort(kOther), 0);
    QCOMPARE(intruder.LastOpenFailure(), CSerialComms::OpenFailure::InUse);
    QCOMPARE(messages.texts, QStringList{QString::fromLatin1(Str::kPortInUse).arg(kOther)});
    // Retries say nothing more while the port stays held.
    QCOMPARE(intruder.OpenPort(kOther), 0);
    QCOMPARE(messages.texts.size(), 1);

    // Every byte reaches the one that holds the port.
    QVERIFY(m_pty->Write("mine"));
    QTRY_COMPARE_WITH_TIMEOUT(owner.Received(), QByteArray("mine"), 5000);
    QVERIFY(intruder.chunks.isEmpty());

    owner.ClosePort();
    QCOMPARE(intruder.OpenPort(kOther), 1);
    QCOMPARE(owner.OpenPort(kPort), 0);
    QCOMPARE(messages.texts.size(), 2);
}

void TestSerialComms::portHeldByAnotherProgramIsLeftAlone()
{
    const QString link = m_station->Path("ttyHeld");
    QVERIFY(QFile::link(m_pty->SlavePath(), link));
    ComPortDevices::Set(kPort, link);
    StoreRecord(kPort, 11, 3, 0, 0, 0);
    const LineProbe before = LineProbe::Read(m_pty->MasterFd());
    QVERIFY(before.ok);
    QVERIFY(m_pty->Write("theirs"));
    ScriptedMessages messages;
    RxRecorder comms;
    {
        PortHolder holder(m_pty->SlavePath());
        QVERIFY(holder.IsHolding());
        for (int attempt = 0; attempt < 3; ++attempt) {
            QCOMPARE(comms.OpenPort(kPort), 0);
            QCOMPARE(comms.LastOpenFailure(), CSerialComms::OpenFailure::InUse);
        }
        QCOMPARE(messages.texts, QStringList{QString::fromLatin1(Str::kPortInUse).arg(kPort)});
        QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Exclamation});
        // Neither read nor set up: what waits for the other program is still there, the line's
        // speed is as it was.
        QCOMPARE(m_pty->SlaveInputPending(), 6);
        QCOMPARE(LineProbe::Read(m_pty->MasterFd()).speed, before.speed);
    }
    // Once the other program lets go, the next retry takes the port.
    QCOMPARE(comms.OpenPort(kPort), 1);
    QCOMPARE(LineProbe::Read(m_pty->MasterFd()).speed, 256000u);

    // Held again after that: told again.
    comms.ClosePort();
    PortHolder again(m_pty->SlavePath());
    QVERIFY(again.IsHolding());
    QCOMPARE(comms.OpenPort(kPort), 0);
    QCOMPARE(messages.texts.size(), 2);
}

void TestSerialComms::openOnAPortWithoutDeviceClosesTheOpenOne()
{
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    m_pty->ReleaseSlave();
    QVERIFY(m_pty->PeerOpen());

    QCOMPARE(comms.OpenPort(0), 0);  // no COM0: no device to open
    QCOMPARE(comms.IsConnected(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_pty->PeerOpen(), 5000);
}

void TestSerialComms::noWakeUpDescriptorIsReported()
{
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    ScriptedMessages messages;
    CSerialComms comms;
    {
        const DescriptorsExhausted exhausted;
        QCOMPARE(comms.OpenPort(kPort), 0);
    }
    QCOMPARE(messages.texts, QStringList{QString::fromLatin1(Str::kThreadEventFailed)});
    QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Exclamation});
    QCOMPARE(comms.IsConnected(), 0);

    // With descriptors to spare again the same object opens the line.
    QCOMPARE(comms.OpenPort(kPort), 1);
    QCOMPARE(messages.texts.size(), 1);
}

void TestSerialComms::receivedBytesComeInChunksOfEighty()
{
    StoreRecord(kPort, 11, 3, 0, 0, 0);
    RxRecorder comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    QByteArray sent;
    for (int i = 0; i < 90; ++i)
        sent.append(char(i));
    QVERIFY(m_pty->Write(sent));
    QTRY_COMPARE_WITH_TIMEOUT(comms.Received().size(), sent.size(), 5000);
    QCOMPARE(comms.Received(), sent);
    for (const QByteArray& chunk : comms.chunks)
        QVERIFY(chunk.size() <= 80);
}

void TestSerialComms::closeEndsAWaitingWorkerAndItsThread()
{
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    const int threadsBefore = ThreadCount();
    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), 1);

    // Nothing arrives: the worker sits waiting for the line.
    QTest::qWait(50);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(comms.ClosePort(), 1);
    // A generous bound: a worker that cannot be woken would hold close for good.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(comms.IsConnected(), 0);
    // The worker has ended; the system takes a moment more to clear the thread away.
    QTRY_VERIFY_WITH_TIMEOUT(ThreadCount() <= threadsBefore, 5000);
    QCOMPARE(comms.ClosePort(), 1);
}

void TestSerialComms::hangUpIsReportedAndThePortReopens()
{
    StoreRecord(kPort, 5, 3, 0, 0, 0);
    const int threadsBefore = ThreadCount();
    RxRecorder comms;
    QSignalSpy lost(&comms, &CSerialComms::PortLost);
    QCOMPARE(comms.OpenPort(kPort), 1);

    m_pty->Close();
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5000);
    QCOMPARE(comms.IsConnected(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(ThreadCount() <= threadsBefore, 5000);

    // The device comes back under another path; the layer above opens the same COM number again.
    Pty replacement;
    ComPortDevices::Set(kPort, replacement.SlavePath());
    QCOMPARE(comms.OpenPort(kPort), 1);
    comms.chunks.clear();
    QVERIFY(replacement.Write("again"));
    QTRY_COMPARE_WITH_TIMEOUT(comms.Received(), QByteArray("again"), 5000);
    QCOMPARE(lost.size(), 1);
}

void TestSerialComms::writeLargerThanTheLineTakesArrivesWholeAndInOrder()
{
    StoreRecord(kPort, 11, 3, 0, 0, 0);
    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    // The far end reads nothing yet: most of the block waits, and the next write must queue behind it.
    const QByteArray block = LargeBlock();
    QCOMPARE(comms.WriteBytes(block.constData(), int(block.size())), 1);
    QCOMPARE(comms.WriteBytes("tail", 4), 1);
    const QByteArray expected = block + "tail";
    const QByteArray received = m_pty->Read(int(expected.size()), 20000);
    QCOMPARE(received.size(), expected.size());
    QVERIFY(received == expected);
}

void TestSerialComms::bytesHeldByTheLineWaitForTheirTimeOut_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("expected");
    // Above 19200 baud a write has no time limit; at 19200 each byte may take 1 ms.
    QTest::newRow("256000: held bytes go out when the line resumes") << 11 << QByteArray("heldafter");
    QTest::newRow("19200: held bytes are discarded after 4 ms") << 7 << QByteArray("after");
}

void TestSerialComms::bytesHeldByTheLineWaitForTheirTimeOut()
{
    QFETCH(int, baud);
    QFETCH(QByteArray, expected);
    StoreRecord(kPort, baud, 3, 0, 0, 4);  // Xon / Xoff
    RxRecorder comms;
    QCOMPARE(comms.OpenPort(kPort), 1);

    // XOFF stops the line's output, and only XON lets it go on: the marker behind it, which shows
    // the XOFF has been taken, must not resume the line.
    QVERIFY(m_pty->Write(QByteArray("\x13m")));
    QTRY_COMPARE_WITH_TIMEOUT(comms.Received(), QByteArray("m"), 5000);
    QCOMPARE(comms.WriteBytes("held", 4), 1);
    QTest::qWait(500);
    QVERIFY(m_pty->Write(QByteArray("\x11")));
    // "after" must find the line running: held, its 5 ms could pass on a busy machine.
    QTRY_VERIFY_WITH_TIMEOUT(m_pty->SlaveMaySend(), 5000);
    QCOMPARE(comms.WriteBytes("after", 5), 1);
    QCOMPARE(m_pty->Read(int(expected.size()), 5000), expected);
    QCOMPARE(m_pty->Read(0, 200), QByteArray());
}

void TestSerialComms::bytesHeldWithoutTimeLimitAreCapped()
{
    // Above 19200 baud nothing limits a held write's time: only the cap bounds what waits. The
    // oldest writes give way, so what goes out when the line resumes is the newest, whole and in order.
    StoreRecord(kPort, 11, 3, 0, 0, 4);  // 256000, Xon / Xoff
    RxRecorder comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    QVERIFY(m_pty->Write(QByteArray("m\x13")));
    QTRY_COMPARE_WITH_TIMEOUT(comms.Received(), QByteArray("m"), 5000);

    QByteArray written;
    for (int i = 0; i < 2000; ++i) {
        const QByteArray one = QByteArray::number(i).rightJustified(6, '0') + ';';
        QCOMPARE(comms.WriteBytes(one.constData(), int(one.size())), 1);
        written += one;
    }
    QTest::qWait(200);
    QVERIFY(m_pty->Write(QByteArray("\x11")));
    const QByteArray out = m_pty->Read(int(written.size()), 2000);
    QVERIFY2(out.size() > 0 && out.size() <= 4096, qPrintable(QString::number(out.size())));
    QCOMPARE(out.size() % 7, 0);
    QVERIFY(written.endsWith(out));
}

void TestSerialComms::closeWithBytesWaitingReturnsPromptly()
{
    StoreRecord(kPort, 11, 3, 0, 0, 0);
    const int threadsBefore = ThreadCount();
    CSerialComms comms;
    QCOMPARE(comms.OpenPort(kPort), 1);
    const QByteArray block = LargeBlock();
    QCOMPARE(comms.WriteBytes(block.constData(), int(block.size())), 1);

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(comms.ClosePort(), 1);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(comms.WriteBytes("late", 4), 0);
    QTRY_VERIFY_WITH_TIMEOUT(ThreadCount() <= threadsBefore, 5000);
    // Far fewer bytes than were written reached the line: the rest went with the close.
    QVERIFY(m_pty->Read(0, 500).size() < block.size());
}

QTEST_MAIN(TestSerialComms)
#include "tst_serialcomms.moc"

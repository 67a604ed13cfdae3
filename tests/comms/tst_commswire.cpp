#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "core/Strings.h"
#include "tests/comms/RecordingProtocol.h"
#include "tests/support/FrameVectors.h"
#include "tests/support/Pty.h"
#include "tests/support/TestStation.h"

#include <QtTest>

#include <thread>

namespace {

constexpr int kPort = 4;

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

// What the terminal writes back within timeoutMs, while the stack goes on handling what it has
// been sent: its replies come only once it has.
QByteArray ReadReplies(Pty& line, int want, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && (want == 0 || out.size() < want)) {
        QCoreApplication::processEvents();
        out += line.Read(0, 5);
    }
    return out;
}

const QByteArray kAckFrame = FrameVectors::Bytes(QStringLiteral("terminal ACK"));
const QByteArray kNakFrame = FrameVectors::Bytes(QStringLiteral("terminal NAK"));
const QByteArray kBlockFrame = FrameVectors::Bytes(QStringLiteral("block frame"));  // AB
const QByteArray kCrcFrame = FrameVectors::Bytes(QStringLiteral("CRC frame"));      // abc

} // namespace

// The whole link on a real pseudo-terminal: the test plays the remote alarm system on the master.
class TestCommsWire : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exchange_data();
    void exchange();
    void unansweredPollIsResentThenReported();
    void repliesHeldByXoffPastTheirTimeAreDiscarded();
    void frameSplitAroundAHeldThreadIsKept_data();
    void frameSplitAroundAHeldThreadIsKept();

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<Pty> m_pty;
    std::unique_ptr<RecordingProtocol> m_stack;
};

void TestCommsWire::init()
{
    m_station = std::make_unique<TestStation>();
    m_pty = std::make_unique<Pty>();
    QVERIFY(m_pty->IsOpen());
    ComPortDevices::Set(kPort, m_pty->SlavePath());
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{5, 3, 0, 0, 0}});  // 9600 8N1
    m_stack = std::make_unique<RecordingProtocol>();
    QCOMPARE(m_stack->OpenPort(kPort), 1);
}

void TestCommsWire::cleanup()
{
    m_stack.reset();
    m_pty.reset();
    m_station.reset();
    ComPortDevices::Clear();
}

void TestCommsWire::exchange_data()
{
    QTest::addColumn<QByteArrayList>("writes");  // each written on its own, with a pause between
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArrayList>("messages");

    // Every frame of the shared set on its own, then pieces and runs of them.
    for (const FrameVector& vector : FrameVectors::All()) {
        if (!vector.ToStation())
            continue;
        const QByteArray reply = vector.reply == QLatin1String("ack")   ? kAckFrame
                                 : vector.reply == QLatin1String("nak") ? kNakFrame
                                                                        : QByteArray();
        const QByteArrayList messages = vector.delivered ? QByteArrayList{vector.data} : QByteArrayList{};
        QTest::newRow(qPrintable(vector.name)) << QByteArrayList{vector.bytes} << reply << messages;
    }
    QTest::newRow("probe, then a frame") << QByteArrayList{FrameVectors::Bytes(QStringLiteral("probe")), kBlockFrame}
                                         << kAckFrame + kAckFrame << QByteArrayList{"AB"};
    QTest::newRow("block frame in two writes") << QByteArrayList{kBlockFrame.left(3), kBlockFrame.mid(3)} << kAckFrame
                                               << QByteArrayList{"AB"};
    QTest::newRow("two frames in one write") << QByteArrayList{kCrcFrame + kBlockFrame} << kAckFrame
                                             << QByteArrayList{"abc", "AB"};

    QByteArrayList blockBytes;
    for (char ch : kBlockFrame)
        blockBytes.append(QByteArray(1, ch));
    QTest::newRow("block frame byte by byte") << blockBytes << kAckFrame << QByteArrayList{"AB"};
    QByteArrayList crcBytes;
    for (char ch : FrameVectors::Bytes(QStringLiteral("CRC frame with FF doubled")))
        crcBytes.append(QByteArray(1, ch));
    QTest::newRow("CRC frame byte by byte") << crcBytes << QByteArray() << QByteArrayList{Hex("06FF41")};
}

void TestCommsWire::exchange()
{
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArrayList, messages);

    // A probe follows the frames: the terminal answers in order, so its ACK comes after every
    // answer to them, and a reply that should not come at all shows without waiting for it.
    for (const QByteArray& bytes : writes + QByteArrayList{FrameVectors::Bytes(QStringLiteral("probe"))}) {
        QVERIFY(m_pty->Write(bytes));
        QTest::qWait(20);  // each write reaches the stack as a block of its own
    }
    const QByteArray written = ReadReplies(*m_pty, int(replies.size() + kAckFrame.size()), 5000);
    QCOMPARE(written.toHex(' '), (replies + kAckFrame).toHex(' '));
    QTRY_COMPARE_WITH_TIMEOUT(m_stack->messages.size(), messages.size(), 5000);
    QCOMPARE(m_stack->messages, messages);
    QCOMPARE(ReadReplies(*m_pty, 0, 100).toHex(' '), QByteArray());
    QCOMPARE(m_stack->IsConnected(), 1);
}

void TestCommsWire::unansweredPollIsResentThenReported()
{
    // Both limits 3: the poll and three resends 128 ms apart, then the resend limit is reported.
    const QByteArray poll = FrameVectors::Bytes(QStringLiteral("terminal poll"));
    QCOMPARE(m_stack->Send("", 0), 1);
    QCOMPARE(m_stack->m_nTxState, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_stack->errors, QByteArrayList{Str::kTxResendLimit}, 10000);
    QCOMPARE(m_pty->Read(int(4 * poll.size()), 5000).toHex(' '), poll.repeated(4).toHex(' '));
    QCOMPARE(m_pty->Read(0, 400).toHex(' '), QByteArray());  // no fifth
    QCOMPARE(m_stack->m_nTxState, 0);
    QCOMPARE(m_stack->m_nResendLimit, 4);
    QCOMPARE(m_stack->m_nErrorLimit, 5);
}

void TestCommsWire::repliesHeldByXoffPastTheirTimeAreDiscarded()
{
    // 19200 baud, Xon / Xoff: a reply of 7 bytes may wait 7 ms for the line. The far end holds the
    // line with XOFF for 2 s while it sends frames faster than their replies' time; the frames do
    // not resume the line, only XON does.
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{7, 3, 0, 0, ShakeXonXoff}});
    QCOMPARE(m_stack->OpenPort(kPort), 1);
    QVERIFY(m_pty->Write("\x13"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_pty->SlaveMaySend(), 5000);
    const int writes = 200;
    for (int i = 0; i < writes; ++i) {
        QVERIFY(m_pty->Write(kBlockFrame.repeated(3)));
        QTest::qWait(10);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_stack->messages.size(), 3 * writes, 10000);
    QTest::qWait(100);
    QVERIFY(m_pty->Write("\x11"));
    // Every reply is long past its time when the line resumes.
    QCOMPARE(m_pty->Read(0, 1000).count(kAckFrame), 0);
    QCOMPARE(m_stack->IsConnected(), 1);
}

void TestCommsWire::frameSplitAroundAHeldThreadIsKept_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("heldMs");  // longer than the frame may take at 256000 baud
    QTest::newRow("CRC frame") << kCrcFrame.left(4) << kCrcFrame.mid(4) << QByteArray() << QByteArray("abc") << 300;
    QTest::newRow("block frame") << kBlockFrame.left(3) << kBlockFrame.mid(3) << kAckFrame << QByteArray("AB") << 3600;
}

void TestCommsWire::frameSplitAroundAHeldThreadIsKept()
{
    // The rest of the frame arrives in its time while the thread that handles the line is busy
    // for far longer than the frame's time: the frame counts by when its bytes came.
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, rest);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArray, message);
    QFETCH(int, heldMs);
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{11, 3, 0, 0, 0}});
    QCOMPARE(m_stack->OpenPort(kPort), 1);
    QVERIFY(m_pty->Write(first));
    QTest::qWait(30);  // the first part is read and handled
    std::thread farEnd([&] {
        QThread::msleep(2);
        m_pty->Write(rest);
    });
    QThread::msleep(ulong(heldMs));
    farEnd.join();
    QTRY_COMPARE_WITH_TIMEOUT(m_stack->messages.size(), 1, 5000);
    QCOMPARE(m_stack->messages.first(), message);
    QCOMPARE(ReadReplies(*m_pty, int(replies.size()), replies.isEmpty() ? 300 : 5000).toHex(' '), replies.toHex(' '));
}

QTEST_MAIN(TestCommsWire)
#include "tst_commswire.moc"

#include "comms/CommsEvent.h"
#include "core/Strings.h"
#include "tests/comms/RecordingProtocol.h"
#include "tests/support/FrameVectors.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QtTest>

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

void PostData(QObject* stack, const QByteArray& bytes)
{
    QCoreApplication::postEvent(stack, new CommsEvent(WM_RX_DATA, int(bytes.size()), bytes));
}

// Runs the user-interface thread until the stack has handled everything posted to it.
void Drain()
{
    for (int i = 0; i < 50; ++i)
        QCoreApplication::sendPostedEvents();
}

} // namespace

using SimFrames::BlockFrame;
using SimFrames::CrcFrame;

class TestCommsProtocol : public QObject
{
    Q_OBJECT
private slots:
    void delivery_data();
    void delivery();
    void burstWhileBusyArrivesWholeAndInOrder();
    void transmitErrorReportedOnceAtTheLimit();
};

void TestCommsProtocol::delivery_data()
{
    QTest::addColumn<QByteArrayList>("blocks");
    QTest::addColumn<QByteArrayList>("messages");

    // Every frame of the shared set on its own, then pieces and runs of them.
    for (const FrameVector& vector : FrameVectors::All()) {
        if (vector.ToStation())
            QTest::newRow(qPrintable(vector.name))
                << QByteArrayList{vector.bytes} << (vector.delivered ? QByteArrayList{vector.data} : QByteArrayList{});
    }
    const QByteArray block = FrameVectors::Bytes(QStringLiteral("block frame"));
    const QByteArray crc = FrameVectors::Bytes(QStringLiteral("CRC frame"));
    const QByteArray escaped = FrameVectors::Bytes(QStringLiteral("CRC frame with FF doubled"));
    QTest::newRow("probe, then a frame")
        << QByteArrayList{FrameVectors::Bytes(QStringLiteral("probe")) + block} << QByteArrayList{"AB"};
    QTest::newRow("frame split over two blocks") << QByteArrayList{block.left(3), block.mid(3)} << QByteArrayList{"AB"};
    QTest::newRow("CRC frame split inside its escape")
        << QByteArrayList{escaped.left(4), escaped.mid(4, 3), escaped.mid(7, 2), escaped.mid(9)}
        << QByteArrayList{Hex("06FF41")};
    QTest::newRow("two frames in one block") << QByteArrayList{crc + block} << QByteArrayList{"abc", "AB"};
    QByteArrayList bytes;
    for (char ch : crc + block)
        bytes.append(QByteArray(1, ch));
    QTest::newRow("byte by byte") << bytes << QByteArrayList{"abc", "AB"};

    // Frames longer than the 128-byte receive buffer lose their tail, so the bytes the check reads
    // are data bytes; when they match by chance the frame must still fail.
    const QByteArray kept(126, 'L');
    const quint16 keptCrc = SimFrames::Crc16(kept);
    QTest::newRow("overlong block frame, check matches by chance")
        << QByteArrayList{BlockFrame(kept + "x" + '\0' + "yz", false)} << QByteArrayList{};
    QTest::newRow("overlong CRC frame, CRC matches by chance")
        << QByteArrayList{CrcFrame(kept + char(keptCrc >> 8) + char(keptCrc & 0xFF) + "yz", false)} << QByteArrayList{};

    // Frames waiting together leave the frame queue by first byte, not in arrival order: each must
    // keep its own check result. Good ones come up highest first byte first.
    const QByteArray good1011 = Hex("02101103010D");
    const QByteArray bad2021 = Hex("02202103000D");
    QTest::newRow("block: good, then bad with a higher first byte, one read")
        << QByteArrayList{good1011 + bad2021} << QByteArrayList{Hex("1011")};
    QTest::newRow("block: bad, then good with a lower first byte, one read")
        << QByteArrayList{bad2021 + good1011} << QByteArrayList{Hex("1011")};
    QTest::newRow("block: good, then bad, separate reads")
        << QByteArrayList{good1011, bad2021} << QByteArrayList{Hex("1011")};
    QTest::newRow("CRC: good, then spoiled, one read")
        << QByteArrayList{CrcFrame("ab", false) + CrcFrame("xy", true)} << QByteArrayList{"ab"};
    QTest::newRow("CRC: good, then spoiled, separate reads")
        << QByteArrayList{CrcFrame("ab", false), CrcFrame("xy", true)} << QByteArrayList{"ab"};
    QTest::newRow("CRC: spoiled, then good, separate reads")
        << QByteArrayList{CrcFrame("ab", true), CrcFrame("xy", false)} << QByteArrayList{"xy"};
    QTest::newRow("both forms mixed, one read")
        << QByteArrayList{BlockFrame("AB", false) + CrcFrame("zz", true) + CrcFrame("mn", false)
                          + BlockFrame("QR", true) + BlockFrame("\x05\x06", false) + CrcFrame("\x7F\x01", true)}
        << QByteArrayList{"mn", "AB", "\x05\x06"};
    QTest::newRow("both forms mixed, separate reads")
        << QByteArrayList{BlockFrame("AB", false), CrcFrame("zz", true), CrcFrame("mn", false), BlockFrame("QR", true),
                          BlockFrame("\x05\x06", false), CrcFrame("\x7F\x01", true)}
        << QByteArrayList{"mn", "AB", "\x05\x06"};
    QTest::newRow("same first byte, bad between good ones")
        << QByteArrayList{BlockFrame("M1", false) + CrcFrame("M2", true) + CrcFrame("M3", false)
                          + BlockFrame("M4", true)}
        << QByteArrayList{"M1", "M3"};
}

void TestCommsProtocol::delivery()
{
    QFETCH(QByteArrayList, blocks);
    QFETCH(QByteArrayList, messages);

    RecordingProtocol stack;
    for (const QByteArray& block : blocks)
        PostData(&stack, block);
    Drain();
    QCOMPARE(stack.messages, messages);
    QVERIFY(stack.errors.isEmpty());
}

void TestCommsProtocol::burstWhileBusyArrivesWholeAndInOrder()
{
    // A thousand frames reach the stack before the user-interface thread gets round to any of
    // them: far more than the 32 entries each queue holds.
    RecordingProtocol stack;
    QByteArrayList sent;
    QByteArray stream;
    for (int i = 0; i < 1000; ++i) {
        const QByteArray data = 'M' + QByteArray::number(i).rightJustified(4, '0');
        sent.append(data);
        stream += i % 2 ? CrcFrame(data, false) : BlockFrame(data, false);
    }
    for (qsizetype at = 0; at < stream.size(); at += 80)
        PostData(&stack, stream.mid(at, 80));
    Drain();
    QCOMPARE(stack.messages.size(), sent.size());
    QCOMPARE(stack.messages, sent);
    QCOMPARE(stack.m_pFrameQueue->Count(), 0);
    QCOMPARE(stack.m_pMessageQueue->Count(), 0);
}

void TestCommsProtocol::transmitErrorReportedOnceAtTheLimit()
{
    // Reply-timer events while idle are errors; the third reaches the limit of 3.
    RecordingProtocol stack;
    for (int i = 0; i < 5; ++i)
        stack.OnTxEvent(2);
    Drain();
    QCOMPARE(stack.errors, QByteArrayList{Str::kTxErrorLimit});
    QCOMPARE(stack.m_nTxState, 0);
}

QTEST_MAIN(TestCommsProtocol)
#include "tst_commsprotocol.moc"

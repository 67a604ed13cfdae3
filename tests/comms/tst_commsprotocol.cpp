#include "comms/CommsEvent.h"
#include "comms/Crc16.h"
#include "core/Strings.h"
#include "tests/comms/RecordingProtocol.h"

#include <QtTest>

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

void PostData(QObject* stack, const QByteArray& bytes)
{
    QCoreApplication::postEvent(stack, new CCommsEvent(WM_RX_DATA, int(bytes.size()), bytes));
}

// Runs the user-interface thread until the stack has handled everything posted to it.
void Drain()
{
    for (int i = 0; i < 50; ++i)
        QCoreApplication::sendPostedEvents();
}

// A spoiled frame carries a check that is one bit off.
QByteArray BlockFrame(const QByteArray& data, bool spoiled = false)
{
    char check = spoiled ? 1 : 0;
    for (char ch : data)
        check ^= ch;
    return '\x02' + data + '\x03' + check + '\x0D';
}

// A CRC frame as the far end sends it: CRC high byte first, every FF doubled.
QByteArray CrcFrame(const QByteArray& data, bool spoiled = false)
{
    quint16 crc = spoiled ? 1 : 0;
    for (char ch : data)
        crc = Crc16::Update(crc, quint8(ch));
    const QByteArray body = data + char(crc >> 8) + char(crc & 0xFF);
    return Hex("FF02") + QByteArray(body).replace('\xFF', Hex("FFFF")) + Hex("FF03");
}

} // namespace

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

    QTest::newRow("block frame") << QByteArrayList{Hex("02414203030D")} << QByteArrayList{"AB"};
    QTest::newRow("block check fails") << QByteArrayList{Hex("02414203040D")} << QByteArrayList{};
    QTest::newRow("probe, then a frame") << QByteArrayList{Hex("02525503070D" "02414203030D")} << QByteArrayList{"AB"};
    QTest::newRow("CRC frame") << QByteArrayList{Hex("FF026162639DD6FF03")} << QByteArrayList{"abc"};
    QTest::newRow("CRC fails") << QByteArrayList{Hex("FF02616263D69DFF03")} << QByteArrayList{};
    QTest::newRow("CRC of nothing: empty message") << QByteArrayList{Hex("FF020000FF03")} << QByteArrayList{""};
    QTest::newRow("no CRC: nothing") << QByteArrayList{Hex("FF02FF03")} << QByteArrayList{};
    QTest::newRow("frame split over two blocks") << QByteArrayList{Hex("024142"), Hex("03030D")} << QByteArrayList{"AB"};
    QTest::newRow("CRC frame split inside its escape")
        << QByteArrayList{Hex("FF0206FF"), Hex("FF41E9"), Hex("BAFF"), Hex("03")} << QByteArrayList{Hex("06FF41")};
    QTest::newRow("two frames in one block")
        << QByteArrayList{Hex("FF026162639DD6FF03" "02414203030D")} << QByteArrayList{"abc", "AB"};
    QByteArrayList bytes;
    for (char ch : Hex("FF026162639DD6FF03" "02414203030D"))
        bytes.append(QByteArray(1, ch));
    QTest::newRow("byte by byte") << bytes << QByteArrayList{"abc", "AB"};

    // Frames longer than the 128-byte receive buffer lose their tail, so the bytes the check reads
    // are data bytes; when they match by chance the frame must still fail.
    const QByteArray kept(126, 'L');
    quint16 keptCrc = 0;
    for (char ch : kept)
        keptCrc = Crc16::Update(keptCrc, quint8(ch));
    QTest::newRow("overlong block frame, check matches by chance")
        << QByteArrayList{BlockFrame(kept + "x" + '\0' + "yz")} << QByteArrayList{};
    QTest::newRow("overlong CRC frame, CRC matches by chance")
        << QByteArrayList{CrcFrame(kept + char(keptCrc >> 8) + char(keptCrc & 0xFF) + "yz")} << QByteArrayList{};

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
        << QByteArrayList{CrcFrame("ab") + CrcFrame("xy", true)} << QByteArrayList{"ab"};
    QTest::newRow("CRC: good, then spoiled, separate reads")
        << QByteArrayList{CrcFrame("ab"), CrcFrame("xy", true)} << QByteArrayList{"ab"};
    QTest::newRow("CRC: spoiled, then good, separate reads")
        << QByteArrayList{CrcFrame("ab", true), CrcFrame("xy")} << QByteArrayList{"xy"};
    QTest::newRow("both forms mixed, one read")
        << QByteArrayList{BlockFrame("AB") + CrcFrame("zz", true) + CrcFrame("mn") + BlockFrame("QR", true)
                          + BlockFrame("\x05\x06") + CrcFrame("\x7F\x01", true)}
        << QByteArrayList{"mn", "AB", "\x05\x06"};
    QTest::newRow("both forms mixed, separate reads")
        << QByteArrayList{BlockFrame("AB"), CrcFrame("zz", true), CrcFrame("mn"), BlockFrame("QR", true),
                          BlockFrame("\x05\x06"), CrcFrame("\x7F\x01", true)}
        << QByteArrayList{"mn", "AB", "\x05\x06"};
    QTest::newRow("same first byte, bad between good ones")
        << QByteArrayList{BlockFrame("M1") + CrcFrame("M2", true) + CrcFrame("M3") + BlockFrame("M4", true)}
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
        stream += i % 2 ? CrcFrame(data) : BlockFrame(data);
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

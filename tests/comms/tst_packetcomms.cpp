#include "comms/Crc16.h"
#include "comms/PacketComms.h"
#include "tests/support/FrameVectors.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QtTest>

namespace {

// The framing layer with its receiver state in view.
class Framer : public CPacketComms
{
public:
    using CPacketComms::m_nBaud;
    using CPacketComms::m_nDataBits;
    using CPacketComms::m_nFrameState;
    using CPacketComms::m_rxFrame;
    using CPacketComms::OnTimer;

    struct Frame
    {
        int result;
        int ok;
        QByteArray data;
    };

    // Feeds the bytes one at a time and checks and extracts every frame they complete, as the
    // link layer does.
    QList<Frame> Feed(const QByteArray& bytes)
    {
        QList<Frame> frames;
        for (char ch : bytes) {
            const int result = ReceiveByte(ch, 0);
            if (result == NoFrame)
                continue;
            const int ok = result == CrcFrameComplete ? CheckCrcFrame() : CheckBlock();
            m_wRxCrc = 0;
            char out[256];
            const int n = ExtractFrame(out);
            frames.append({result, ok, QByteArray(out, n)});
        }
        return frames;
    }
};

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

Q_DECLARE_METATYPE(FrameVector)

class TestPacketComms : public QObject
{
    Q_OBJECT
private slots:
    void crc_data();
    void crc();
    void receive_data();
    void receive();
    void sharedFrames_data();
    void sharedFrames();
    void blockFrameWithAnyDataByte_data();
    void blockFrameWithAnyDataByte();
    void buildFrame_data();
    void buildFrame();
    void frameTimerDiscardsAStalledFrame();
    void frameArrivingAtLineSpeedIsKept();
    void frameTimeAllowsTheLine_data();
    void frameTimeAllowsTheLine();
};

void TestPacketComms::crc_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("crc");
    QTest::newRow("check value") << QByteArray("123456789") << 0x31C3;
    QTest::newRow("abc") << QByteArray("abc") << 0x9DD6;
    QTest::newRow("with FF") << Hex("06FF41") << 0xE9BA;
    QTest::newRow("nothing") << QByteArray() << 0;
}

void TestPacketComms::crc()
{
    QFETCH(QByteArray, data);
    QFETCH(int, crc);
    quint16 value = 0;
    CPacketComms::ComputeCrc(int(data.size()), &value, reinterpret_cast<const quint8*>(data.constData()));
    QCOMPARE(int(value), crc);
    QCOMPARE(Crc16::kTable[1], quint16(0x1021));
}

void TestPacketComms::receive_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<int>>("results");  // one per completed frame
    QTest::addColumn<int>("lastOk");
    QTest::addColumn<QByteArray>("lastData");
    QTest::addColumn<int>("endState");

    // Single frames are in the shared set (sharedFrames); here what goes on between and around them.
    QTest::newRow("FF FF 02 starts a block frame") << Hex("FFFF02") << QList<int>{} << 0 << QByteArray() << 5;
    QTest::newRow("failed check at a CR that can be the next check byte: waits")
        << Hex("020E0303" "0D") << QList<int>{} << 0 << QByteArray() << 7;
    QTest::newRow("two frames in a row") << Hex("02414203030DFF026162639DD6FF03") << QList<int>{1, 0} << 1
                                         << Hex("616263") << 0;
    // A frame starts clean: nothing of what came before runs into it.
    QTest::newRow("empty frame leaves nothing behind")
        << Hex("FF020000FF03" "02414203030D") << QList<int>{0, 1} << 1 << Hex("4142") << 0;
    QTest::newRow("broken CRC frame, then a new one")
        << Hex("FF024142" "FF026162639DD6FF03") << QList<int>{0} << 1 << Hex("616263") << 0;

    QByteArray overlong = Hex("FF02");
    for (int i = 1; i <= 130; ++i)
        overlong.append(char(i));
    overlong.append(Hex("FF03"));
    QByteArray first126;
    for (int i = 1; i <= 126; ++i)
        first126.append(char(i));
    QTest::newRow("130 data bytes keep 128") << overlong << QList<int>{0} << 0 << first126 << 0;
}

void TestPacketComms::receive()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<int>, results);
    QFETCH(int, lastOk);
    QFETCH(QByteArray, lastData);
    QFETCH(int, endState);

    Framer framer;
    const QList<Framer::Frame> frames = framer.Feed(input);
    QList<int> got;
    for (const Framer::Frame& frame : frames)
        got.append(frame.result);
    QCOMPARE(got, results);
    if (!frames.isEmpty()) {
        QCOMPARE(frames.last().ok, lastOk);
        QCOMPARE(frames.last().data.toHex(), lastData.toHex());
    }
    QCOMPARE(framer.m_nFrameState, endState);
    if (frames.isEmpty() && endState == 0)
        QCOMPARE(framer.m_rxFrame.length, 0);
}

void TestPacketComms::sharedFrames_data()
{
    QTest::addColumn<FrameVector>("vector");
    for (const FrameVector& vector : FrameVectors::All()) {
        if (vector.ToStation())
            QTest::newRow(qPrintable(vector.name)) << vector;
    }
}

void TestPacketComms::sharedFrames()
{
    // A valid frame completes as its form with its data; a broken one completes failing its check
    // (with the data it carried), or not at all. Either way the receiver is ready for the next.
    QFETCH(FrameVector, vector);
    Framer framer;
    const QList<Framer::Frame> frames = framer.Feed(vector.bytes);
    QVERIFY(frames.size() <= 1);
    if (vector.valid)
        QCOMPARE(frames.size(), 1);
    if (!frames.isEmpty()) {
        const int form = vector.form == QLatin1String("crc") ? CPacketComms::CrcFrameComplete
                                                              : CPacketComms::BlockFrameComplete;
        QCOMPARE(frames[0].result, form);
        QCOMPARE(frames[0].ok, int(vector.valid));
        QCOMPARE(frames[0].data.toHex(), vector.data.toHex());
    }
    QCOMPARE(framer.m_nFrameState, 0);
    if (frames.isEmpty())
        QCOMPARE(framer.m_rxFrame.length, 0);
}

void TestPacketComms::blockFrameWithAnyDataByte_data()
{
    QTest::addColumn<QByteArray>("message");
    // Alarm 2 with a count of 3, and alarm 3: an ETX among the data already.
    for (const QByteArray& base : {Hex("010203"), Hex("010305")}) {
        for (int position = 0; position < 3; ++position) {
            for (int value = 0; value < 256; ++value) {
                QByteArray message = base;
                message[position] = char(value);
                QTest::addRow("%s, byte %d = %02X", base.toHex().constData(), position, value) << message;
            }
        }
    }
}

void TestPacketComms::blockFrameWithAnyDataByte()
{
    QFETCH(QByteArray, message);
    Framer framer;
    const QList<Framer::Frame> frames = framer.Feed(SimFrames::BlockFrame(message, false));
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].result, int(CPacketComms::BlockFrameComplete));
    QCOMPARE(frames[0].ok, 1);
    QCOMPARE(frames[0].data.toHex(), message.toHex());
    QCOMPARE(framer.m_nFrameState, 0);
}

void TestPacketComms::buildFrame_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");
    for (const FrameVector& vector : FrameVectors::All()) {
        if (vector.form == QLatin1String("station"))
            QTest::newRow(qPrintable(vector.name)) << vector.data << vector.bytes;
    }
    QTest::newRow("FF doubled, CRC low byte first") << Hex("51FF") << Hex("FF0251FFFF7E23FF03");
    QTest::newRow("abc") << QByteArray("abc") << Hex("FF02616263D69DFF03");
    QTest::newRow("nothing") << QByteArray() << Hex("FF020000FF03");
}

void TestPacketComms::buildFrame()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    Framer framer;
    int length = 0;
    const char* built = framer.BuildFrame(data.constData(), int(data.size()), &length);
    QCOMPARE(QByteArray(built, length).toHex(), frame.toHex());
}

void TestPacketComms::frameTimerDiscardsAStalledFrame()
{
    Framer framer;
    QVERIFY(framer.Feed(Hex("FF026162")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(framer.m_rxFrame.length, 0, 10000);  // the timer runs out by itself
    QCOMPARE(framer.m_nFrameState, 0);
    // The rest of the stalled frame makes no frame of its own.
    QVERIFY(framer.Feed(Hex("639DD6FF03")).isEmpty());

    // A block-check frame has its 3300 ms, counted in ticks of the timer.
    QVERIFY(framer.Feed(Hex("024142")).isEmpty());
    for (int tick = 0; tick < 100 && framer.m_nFrameState != 0; ++tick)
        framer.OnTimer(CPacketComms::kFrameTimerId);
    QCOMPARE(framer.m_nFrameState, 0);
    QVERIFY(framer.Feed(Hex("03030D")).isEmpty());
}

void TestPacketComms::frameArrivingAtLineSpeedIsKept()
{
    // A 9-byte CRC frame takes about 9.4 ms on a 9600 baud line; bytes trickling in over longer
    // than the old 10 ms still make the frame.
    Framer framer;
    framer.m_nBaud = 5;
    const QByteArray frame = Hex("FF026162639DD6FF03");
    QList<Framer::Frame> frames;
    for (char ch : frame) {
        frames += framer.Feed(QByteArray(1, ch));
        QTest::qWait(5);
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].ok, 1);
    QCOMPARE(frames[0].data, QByteArray("abc"));
}

void TestPacketComms::frameTimeAllowsTheLine_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<int>("atLeastMs");
    // A full frame on the line: 260 characters at most (markers, every stored byte doubled).
    QTest::newRow("CRC at 9600 8N1") << 5 << 3 << CPacketComms::kCrcFrameTimeMs << 2 * 260 * 10 * 1000 / 9600;
    QTest::newRow("CRC at 256000 8N1") << 11 << 3 << CPacketComms::kCrcFrameTimeMs << 2 * 260 * 10 * 1000 / 256000;
    QTest::newRow("block at 300 5N1") << 0 << 0 << CPacketComms::kBlockFrameTimeMs << 2 * 260 * 7 * 1000 / 300;
    QTest::newRow("block at 9600 keeps 3300 ms") << 5 << 3 << CPacketComms::kBlockFrameTimeMs << 3300;
}

void TestPacketComms::frameTimeAllowsTheLine()
{
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, minimumMs);
    QFETCH(int, atLeastMs);
    Framer framer;
    framer.m_nBaud = baud;
    framer.m_nDataBits = dataBits;
    const int ms = framer.FrameTimeoutMs(minimumMs);
    QVERIFY2(ms >= atLeastMs && ms >= minimumMs, qPrintable(QString::number(ms)));
}

QTEST_MAIN(TestPacketComms)
#include "tst_packetcomms.moc"

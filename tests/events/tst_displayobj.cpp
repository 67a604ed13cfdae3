#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"
#include "events/StoringArchive.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QTemporaryFile>
#include <QTest>

#include <memory>

class TestDisplayObj : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void codedMessages_data();
    void codedMessages();
    void textMessages_data();
    void textMessages();
    void filter_data();
    void filter();
    void storedForm_data();
    void storedForm();
    void readBack();
    void readSixteenBitText();
    void readDamaged_data();
    void readDamaged();
    void readIntoOneRecord();

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
};

namespace {

QByteArray Stored(const CDisplayObj& record)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    {
        StoringArchive ar(file);
        record.Serialize(ar);
    }
    file.seek(0);
    return file.readAll();
}

// Reads one record from bytes through a real file.
LoadingArchive::Status ReadRecord(const QByteArray& bytes, CDisplayObj& record)
{
    QTemporaryFile file;
    if (!file.open())
        return LoadingArchive::FileError;
    file.write(bytes);
    file.seek(0);
    LoadingArchive ar(file);
    return record.Serialize(ar);
}

QByteArray RecordBytes(const QByteArray& prefixAndText)
{
    return QByteArray::fromHex("ffffff00 0000ff00 00000000 00000000 03000000") + prefixAndText
        + QByteArray::fromHex("00000000");
}

} // namespace

void TestDisplayObj::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(14, 5, 9)));
    QVERIFY(LoadAlarmFixture({
        {1, {"FAULT", "N", "", "", "Mains fail"}},
        {2, {"SYSTEM", "", "", "", "Restart"}},
        {3, {"fault", "Y", "junk", "", "Odd kind"}},
        {5, {"EVENT", "Y", "  -3", "ALM_LINE_IDLE", "Idle"}},
        {7, {"ALARM", "Y", "10", "not a line", "Door open"}},
        {12, {"EVENT", "Y", "0", "ALM_LINE_INCOMING", "Line busy"}},
    }));
    WriteProfileInt(QStringLiteral("Lines"), QStringLiteral("2"), 40);
}

void TestDisplayObj::cleanup()
{
    m_messages.reset();
    m_station.reset();
}

void TestDisplayObj::codedMessages_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("alarm");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<quint32>("statusColour");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fault");

    QTest::newRow("alarm with count") << 0x01 << 7 << 3 << 2 << QByteArray("14:05:09 R A Event 007: Door open 13")
                                      << CDisplayObj::kBlue << CDisplayObj::kWhite << 0 << 0;
    QTest::newRow("line state renumbered, 40 lines")
        << 0x00 << 12 << 70 << 2 << QByteArray("14:05:09 L E Event 012: Line busy 46") << CDisplayObj::kBlack
        << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("line state below 64") << 0x00 << 12 << 5 << 2 << QByteArray("14:05:09 L E Event 012: Line busy 5")
                                         << CDisplayObj::kBlack << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("line 64 on 40 lines") << 0x00 << 12 << 64 << 2 << QByteArray("14:05:09 L E Event 012: Line busy 40")
                                         << CDisplayObj::kBlack << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("line 64 on 64 lines (nothing stored)")
        << 0x00 << 12 << 64 << 3 << QByteArray("14:05:09 L E Event 012: Line busy 64") << CDisplayObj::kBlack
        << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("value byte unsigned") << 0x00 << 12 << 255 << 3
                                         << QByteArray("14:05:09 L E Event 012: Line busy 255") << CDisplayObj::kBlack
                                         << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("fault R is red") << 0x05 << 1 << 9 << 1 << QByteArray("14:05:09 R F Event 001: Mains fail ")
                                    << CDisplayObj::kRed << CDisplayObj::kWhite << 0 << 1;
    QTest::newRow("fault S is green") << 0x02 << 1 << 9 << 1 << QByteArray("14:05:09 S F Event 001: Mains fail ")
                                      << CDisplayObj::kGreen << CDisplayObj::kSlateBlue << 0 << 1;
    QTest::newRow("system") << 0x03 << 2 << 0 << 1 << QByteArray("14:05:09 X S Event 002: Restart ")
                            << CDisplayObj::kMidGreen << CDisplayObj::kBlack << 2 << 0;
    QTest::newRow("kind in lower case, base without digits") << 0xFC << 3 << 4 << 1
                                                             << QByteArray("14:05:09 L X Event 003: Odd kind 4")
                                                             << CDisplayObj::kMidGreen << CDisplayObj::kDarkGrey << 3 << 0;
    QTest::newRow("blanks and sign before the base") << 0x00 << 5 << 70 << 2
                                                     << QByteArray("14:05:09 L E Event 005: Idle 43")
                                                     << CDisplayObj::kBlack << CDisplayObj::kDarkGrey << 1 << 0;
    QTest::newRow("alarm beyond the table") << 0x00 << 200 << 1 << 1 << QByteArray("14:05:09 L X Event 200:  ")
                                            << CDisplayObj::kMidGreen << CDisplayObj::kDarkGrey << 3 << 0;
}

void TestDisplayObj::codedMessages()
{
    QFETCH(int, status);
    QFETCH(int, alarm);
    QFETCH(int, value);
    QFETCH(int, channel);
    QFETCH(QByteArray, line);
    const CDisplayObj record(quint8(status), quint8(alarm), quint8(value), channel);
    QCOMPARE(record.GetText(), line);
    QTEST(record.GetTextColor(), "colour");
    QTEST(record.GetStatusColor(), "statusColour");
    QTEST(record.GetKind(), "kind");
    QTEST(record.IsFault(), "fault");
    QCOMPARE(record.IsTextMessage(), 0);
    QCOMPARE(record.GetLength(), 3);
    QCOMPARE(record.GetChannel(), channel);
}

void TestDisplayObj::textMessages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("kind");

    const QByteArray t = "14:05:09";
    QTest::newRow("132 alarm clear") << QByteArray("\x80\x04" "Fire zone 3", 13) << t + " Alarm Clear: Fire zone 3"
                                     << CDisplayObj::kGrey << 0;
    QTest::newRow("132 from other bytes") << QByteArray("\x04\x80" "abc", 5) << t + " Alarm Clear: abc"
                                          << CDisplayObj::kGrey << 0;
    QTest::newRow("132 ends at a zero") << QByteArray("\x80\x04" "ab\0cd", 7) << t + " Alarm Clear: ab"
                                        << CDisplayObj::kGrey << 0;
    QTest::newRow("132 of two bytes") << QByteArray("\x80\x04", 2) << t + " Alarm Clear: " << CDisplayObj::kGrey << 0;
    QTest::newRow("148 alarm") << QByteArray("\x90\x04" "Smoke", 7) << t + " Alarm: Smoke" << CDisplayObj::kBlue << 0;
    QTest::newRow("143") << QByteArray("\x8f\x00" "07", 4) << t + " Incoming Line 7 Clear Down" << CDisplayObj::kBlack << 1;
    QTest::newRow("146") << QByteArray("\x92\x00" "12", 4) << t + " Operator's Line 12 Clear Down"
                         << CDisplayObj::kBlack << 1;
    QTest::newRow("155") << QByteArray("\x9b\x00" "3x9", 5) << t + " Incoming Line 3 Off Hook." << CDisplayObj::kBlack << 1;
    QTest::newRow("158") << QByteArray("\x9e\x00" "45", 4) << t + " Operator's Line 45 Off Hook."
                         << CDisplayObj::kBlack << 1;
    QTest::newRow("158 no digit") << QByteArray("\x9e\x00" "x5", 4) << t + " Operator's Line 0 Off Hook."
                                  << CDisplayObj::kBlack << 1;
    QTest::newRow("158 without line number") << QByteArray("\x9e\x00", 2) << QByteArray() << CDisplayObj::kBlack << 3;
    QTest::newRow("unknown type") << QByteArray("\x01\x02" "hello", 7) << QByteArray() << CDisplayObj::kBlack << 3;
    // The longest message a line delivers makes the longest line a record holds in itself; one
    // byte more goes beyond both.
    QTest::newRow("132 of the longest message") << QByteArray("\x80\x04", 2) + QByteArray(254, 'z')
                                                << t + " Alarm Clear: " + QByteArray(254, 'z') << CDisplayObj::kGrey << 0;
    QTest::newRow("132 one byte longer") << QByteArray("\x80\x04", 2) + QByteArray(255, 'z')
                                         << t + " Alarm Clear: " + QByteArray(255, 'z') << CDisplayObj::kGrey << 0;
    QTest::newRow("one byte") << QByteArray("\x84", 1) << QByteArray() << CDisplayObj::kBlack << 3;
    QTest::newRow("empty") << QByteArray() << QByteArray() << CDisplayObj::kBlack << 3;
}

void TestDisplayObj::textMessages()
{
    QFETCH(QByteArray, message);
    const CDisplayObj record(message.constData(), int(message.size()), 4);
    QTEST(record.GetText(), "line");
    QTEST(record.GetTextColor(), "colour");
    QTEST(record.GetKind(), "kind");
    QCOMPARE(record.GetStatusColor(), CDisplayObj::kWhite);
    QCOMPARE(record.IsFault(), 0);
    QCOMPARE(record.IsTextMessage(), 1);
    QCOMPARE(record.GetLength(), int(message.size()));
}

void TestDisplayObj::filter_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QList<int>>("passing");  // one result per flag set below
    // Flag sets: call only, fault only, normal only, system only, all, none.
    QTest::newRow("kind 0") << QByteArray("\x80\x04", 2) << QList<int>{1, 1, 0, 0, 1, 0};
    QTest::newRow("kind 1") << QByteArray("\x92\x00" "01", 4) << QList<int>{0, 0, 1, 0, 1, 0};
    QTest::newRow("kind 2") << QByteArray("\x00\x02\x00", 3) << QList<int>{0, 0, 0, 1, 1, 0};
    QTest::newRow("kind 3") << QByteArray("\x01\x01", 2) << QList<int>{0, 0, 0, 0, 0, 0};
}

void TestDisplayObj::filter()
{
    QFETCH(QByteArray, message);
    QFETCH(QList<int>, passing);
    const CDisplayObj record(message.constData(), int(message.size()), 1);
    const std::unique_ptr<CDisplayObj> coded(message.size() == 3 ? new CDisplayObj(0, 2, 0, 1) : nullptr);
    const CDisplayObj& r = coded ? *coded : record;
    const int sets[6][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(r.PassesFilter(sets[i][0], sets[i][1], sets[i][2], sets[i][3]), passing[i]);
}

void TestDisplayObj::storedForm_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("bytes");
    // The text of a type-132 message is the time text, " Alarm Clear: " (22 bytes) and the message text.
    const QByteArray head = QByteArray::fromHex("ffffff00 80808000 00000000 00000000");
    const QByteArray tail = QByteArray::fromHex("01000000");
    auto clear = [](int textLength) { return QByteArray("\x80\x04", 2) + QByteArray(textLength, 'z'); };
    auto text = [](int textLength) { return QByteArray("14:05:09 Alarm Clear: ") + QByteArray(textLength, 'z'); };
    QTest::newRow("254 characters: one-byte prefix")
        << clear(232) << head + QByteArray::fromHex("ea000000 fe") + text(232) + tail;
    QTest::newRow("255 characters: FF FF 00")
        << clear(233) << head + QByteArray::fromHex("eb000000 ffff00") + text(233) + tail;
    QTest::newRow("65533 characters: FF FD FF")
        << clear(65511) << head + QByteArray::fromHex("e9ff0000 fffdff") + text(65511) + tail;
    QTest::newRow("65534 characters: seven-byte prefix")
        << clear(65512) << head + QByteArray::fromHex("eaff0000 ffffff feff0000") + text(65512) + tail;
    QTest::newRow("empty text: 00")
        << QByteArray("\x01\x01", 2) << QByteArray::fromHex("ffffff00 00000000 03000000 00000000 02000000 00 01000000");
}

void TestDisplayObj::storedForm()
{
    QFETCH(QByteArray, message);
    const CDisplayObj record(message.constData(), int(message.size()), 1);
    QTEST(Stored(record), "bytes");
}

void TestDisplayObj::readBack()
{
    // The 28-byte example: status white, text blue, kind 0, no fault, length 3, "abc", coded.
    const QByteArray example = RecordBytes("\x03" "abc");
    QCOMPARE(example.size(), 28);
    CDisplayObj record;
    QCOMPARE(ReadRecord(example, record), LoadingArchive::Ok);
    QCOMPARE(record.GetText(), QByteArray("abc"));
    QCOMPARE(record.GetStatusColor(), 0xFFFFFFu);
    QCOMPARE(record.GetTextColor(), 0xFF0000u);
    QCOMPARE(record.GetLength(), 3);
    QCOMPARE(record.GetChannel(), -1);
    QCOMPARE(Stored(record), example);

    // A record read back stores and draws exactly like the one written.
    const CDisplayObj written(0x01, 7, 3, 2);
    CDisplayObj read;
    QCOMPARE(ReadRecord(Stored(written), read), LoadingArchive::Ok);
    QCOMPARE(read.GetText(), written.GetText());
    QCOMPARE(read.GetTextColor(), written.GetTextColor());
    QCOMPARE(read.GetKind(), written.GetKind());
    QCOMPARE(Stored(read), Stored(written));
}

void TestDisplayObj::readSixteenBitText()
{
    CDisplayObj record;
    // FF FE FF marks 16-bit characters, then the length 3 and three 16-bit characters.
    QCOMPARE(ReadRecord(RecordBytes(QByteArray::fromHex("fffeff 03 6100 e900 0101")), record), LoadingArchive::Ok);
    QCOMPARE(record.GetText(), QByteArray("a\xe9?"));
    // The same with a 16-bit second prefix.
    QCOMPARE(ReadRecord(RecordBytes(QByteArray::fromHex("fffeff ff0200 6200 6300")), record), LoadingArchive::Ok);
    QCOMPARE(record.GetText(), QByteArray("bc"));
}

void TestDisplayObj::readDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("nothing") << QByteArray() << int(LoadingArchive::EndOfData) << QByteArray();
    QTest::newRow("cut in the integers") << RecordBytes("\x03" "abc").left(10) << int(LoadingArchive::EndOfData)
                                         << QByteArray();
    // A text that runs past the end of the file is a record cut short there: the end of the data.
    QTest::newRow("cut in the text") << RecordBytes("\x03" "abc").left(23) << int(LoadingArchive::EndOfData)
                                     << QByteArray();
    QTest::newRow("cut before the last field") << RecordBytes("\x03" "abc").left(26) << int(LoadingArchive::EndOfData)
                                               << QByteArray("abc");
    QTest::newRow("length one past the bytes left") << RecordBytes("\x08" "abc") << int(LoadingArchive::EndOfData)
                                                    << QByteArray();
    QTest::newRow("32-bit length past the end") << RecordBytes(QByteArray::fromHex("ffffff 00000100") + "abc")
                                                << int(LoadingArchive::EndOfData) << QByteArray();
    // A length no text could have is damage, and nothing is allocated for it.
    QTest::newRow("huge 32-bit length") << RecordBytes(QByteArray::fromHex("ffffff fffffff0") + "abc")
                                        << int(LoadingArchive::Corrupt) << QByteArray();
    QTest::newRow("huge 16-bit characters") << RecordBytes(QByteArray::fromHex("fffeff ffffff 00000080"))
                                            << int(LoadingArchive::Corrupt) << QByteArray();
}

void TestDisplayObj::readDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    CDisplayObj record;
    QCOMPARE(int(ReadRecord(bytes, record)), status);
    QTEST(record.GetText(), "text");
}

void TestDisplayObj::readIntoOneRecord()
{
    // The archive readers read every record of a file into one object: nothing of the record
    // before may stay in it, whether that had a text longer than a record holds in itself or the
    // next one is damaged.
    const QList<QByteArray> records = {
        RecordBytes(QByteArray::fromHex("ff2c01") + QByteArray(300, 'L')),
        QByteArray::fromHex("00000000 ff000000 02000000 01000000 00000000 03616263 01000000"),
        RecordBytes(QByteArray::fromHex("ffffff fffffff0") + "abc"),
        RecordBytes(QByteArray::fromHex("ff2c01") + QByteArray(300, 'M')),
    };
    CDisplayObj reused;
    for (const QByteArray& bytes : records) {
        CDisplayObj fresh;
        const LoadingArchive::Status status = ReadRecord(bytes, fresh);
        reused.Reset();
        QCOMPARE(ReadRecord(bytes, reused), status);
        QCOMPARE(reused.GetText(), fresh.GetText());
        QCOMPARE(Stored(reused), Stored(fresh));
    }
}

QTEST_GUILESS_MAIN(TestDisplayObj)
#include "tst_displayobj.moc"

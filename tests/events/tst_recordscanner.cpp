// RecordScanner against the program's own reader: every record it takes, it takes as
// LoadingArchive reads it; everything else it leaves.
#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"
#include "events/RecordScanner.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

QByteArray Fields(const QByteArray& prefixAndText, const QByteArray& flag = QByteArray::fromHex("01000000"))
{
    // Status white, text blue, kind 2, fault 1, length 3.
    return QByteArray::fromHex("ffffff00 0000ff00 02000000 01000000 03000000") + prefixAndText + flag;
}

} // namespace

class TestRecordScanner : public QObject
{
    Q_OBJECT
private slots:
    void sameAsLoadingArchive_data();
    void sameAsLoadingArchive();
};

void TestRecordScanner::sameAsLoadingArchive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");

    const QByteArray text254(254, 'x');
    const QByteArray text255(255, char(0xE9));
    const QByteArray text65534(65534, 'y');
    QTest::newRow("three characters") << Fields("\x03" "abc") << int(RecordScanner::Ok);
    QTest::newRow("empty text") << Fields(QByteArray(1, '\0')) << int(RecordScanner::Ok);
    QTest::newRow("254: one-byte length") << Fields("\xFE" + text254) << int(RecordScanner::Ok);
    QTest::newRow("255: 16-bit length") << Fields(QByteArray::fromHex("ffff00") + text255) << int(RecordScanner::Ok);
    QTest::newRow("65534: 32-bit length") << Fields(QByteArray::fromHex("fffffffeff0000") + text65534)
                                          << int(RecordScanner::Ok);
    QTest::newRow("small 32-bit length") << Fields(QByteArray::fromHex("ffffff03000000") + "abc")
                                         << int(RecordScanner::Ok);
    QTest::newRow("followed by the next record") << Fields("\x03" "abc") + Fields("\x01" "d")
                                                 << int(RecordScanner::Ok);
    QTest::newRow("kind and flag from damage") << Fields("\x01" "a", "\xFF\xFF\xFF\xFF").replace(8, 4, "\xFE\xFF\xFF\x7F")
                                               << int(RecordScanner::Ok);
    QTest::newRow("nothing") << QByteArray() << int(RecordScanner::Short);
    QTest::newRow("cut in the integers") << Fields("\x03" "abc").left(10) << int(RecordScanner::Short);
    QTest::newRow("cut in the 16-bit length") << Fields(QByteArray::fromHex("ffff00") + text255).left(22)
                                              << int(RecordScanner::Short);
    QTest::newRow("cut in the 32-bit length") << Fields(QByteArray::fromHex("ffffff03000000") + "abc").left(25)
                                              << int(RecordScanner::Short);
    QTest::newRow("cut in the text") << Fields("\x03" "abc").left(23) << int(RecordScanner::Short);
    QTest::newRow("cut in the flag") << Fields("\x03" "abc").left(26) << int(RecordScanner::Short);
    QTest::newRow("32-bit length past the end") << Fields(QByteArray::fromHex("ffffff00000100") + "abc")
                                                << int(RecordScanner::Short);
    QTest::newRow("16-bit characters") << Fields(QByteArray::fromHex("fffeff 03 6100 e900 0101"))
                                       << int(RecordScanner::Unusual);
    QTest::newRow("16-bit characters, cut") << Fields(QByteArray::fromHex("fffeff 03 6100")).left(24)
                                            << int(RecordScanner::Unusual);
    QTest::newRow("length no record can have") << Fields(QByteArray::fromHex("ffffff fffffff0") + "abc")
                                               << int(RecordScanner::Unusual);
}

void TestRecordScanner::sameAsLoadingArchive()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);

    RecordView view;
    qsizetype size = -1;
    QCOMPARE(int(RecordScanner::Scan(bytes, view, size)), result);

    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(bytes);
    QVERIFY(file.seek(0));
    LoadingArchive ar(file);
    CDisplayObj record;
    const LoadingArchive::Status status = record.Serialize(ar);
    switch (result) {
    case RecordScanner::Ok:
        QCOMPARE(status, LoadingArchive::Ok);
        QCOMPARE(size, ar.Position());
        QCOMPARE(view.statusColor, record.GetStatusColor());
        QCOMPARE(view.textColor, record.GetTextColor());
        QCOMPARE(view.kind, record.GetKind());
        QCOMPARE(view.fault, record.IsFault());
        QCOMPARE(view.length, record.GetLength());
        QCOMPARE(view.text.toByteArray(), record.GetText());
        QCOMPARE(view.textMessage, record.IsTextMessage());
        QCOMPARE(view.text.data() - bytes.constData(), size - 4 - view.text.size());  // a view, no copy
        break;
    case RecordScanner::Short:
        QCOMPARE(status, LoadingArchive::EndOfData);
        break;
    case RecordScanner::Unusual:  // left to LoadingArchive, which reads it its way
        break;
    }
}

QTEST_GUILESS_MAIN(TestRecordScanner)
#include "tst_recordscanner.moc"

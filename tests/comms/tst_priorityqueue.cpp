#include "comms/PriorityQueue.h"

#include <QtTest>

namespace {

QByteArrayList PopAll(CPriorityQueue& queue)
{
    QByteArrayList out;
    char entry[CPriorityQueue::kEntrySize];
    int length = 0;
    while (queue.Count() > 0) {
        queue.Pop(entry, &length);
        out.append(QByteArray(entry, length));
    }
    return out;
}

} // namespace

class TestPriorityQueue : public QObject
{
    Q_OBJECT
private slots:
    void order_data();
    void order();
    void capacityAndResults();
    void emptyPopWritesNothing();
    void overlongEntryKeepsItsLength();
    void defaultQueueIsSixteenFifo();
};

void TestPriorityQueue::order_data()
{
    QTest::addColumn<bool>("byFirstByte");
    QTest::addColumn<QByteArrayList>("pushed");
    QTest::addColumn<QByteArrayList>("popped");

    QTest::newRow("descending first byte") << true << QByteArrayList{"\x10", "\x30", "\x20"}
                                           << QByteArrayList{"\x30", "\x20", "\x10"};
    QTest::newRow("0x90 is negative") << true << QByteArrayList{"\x05", "\x90"} << QByteArrayList{"\x05", "\x90"};
    QTest::newRow("0x7F ahead of 0xFF") << true << QByteArrayList{"\xFF", "\x7F", "\x80"}
                                        << QByteArrayList{"\x7F", "\xFF", "\x80"};
    QTest::newRow("equal first bytes keep arrival order")
        << true << QByteArrayList{"A1", "B1", "A2", "B2", "A3"} << QByteArrayList{"B1", "B2", "A1", "A2", "A3"};
    QTest::newRow("no comparison is first in first out")
        << false << QByteArrayList{"\x10", "\x30", "\x20", "\x90"} << QByteArrayList{"\x10", "\x30", "\x20", "\x90"};
}

void TestPriorityQueue::order()
{
    QFETCH(bool, byFirstByte);
    QFETCH(QByteArrayList, pushed);
    QFETCH(QByteArrayList, popped);

    CPriorityQueue queue(32, 256, byFirstByte ? CompareFirstByte : CompareNone);
    for (const QByteArray& entry : pushed)
        QVERIFY(queue.Push(entry.constData(), int(entry.size())) > 0);
    QCOMPARE(PopAll(queue), popped);
}

void TestPriorityQueue::capacityAndResults()
{
    CPriorityQueue queue(32, 256, CompareFirstByte);
    for (int i = 0; i < 32; ++i) {
        const char entry[] = {char('A' + i % 26), char(i)};
        QCOMPARE(queue.Push(entry, 2), 32 - i);  // free entries before the push: 32 .. 1
    }
    QCOMPARE(queue.Push("\x7F\x7F", 2), 0);  // would stand first if it had been stored

    char entry[CPriorityQueue::kEntrySize];
    int length = 0;
    for (int left = 31; left >= 0; --left) {
        QCOMPARE(queue.Pop(entry, &length), left);  // popping the last one also returns 0
        QVERIFY(entry[0] != '\x7F');
    }
}

void TestPriorityQueue::emptyPopWritesNothing()
{
    CPriorityQueue queue(32, 256, CompareFirstByte);
    char entry[CPriorityQueue::kEntrySize];
    std::memset(entry, 'x', sizeof entry);
    int length = -7;
    QCOMPARE(queue.Pop(entry, &length), 0);
    QCOMPARE(length, -7);
    QCOMPARE(entry[0], 'x');
}

void TestPriorityQueue::overlongEntryKeepsItsLength()
{
    CPriorityQueue queue;
    const QByteArray data(300, 'd');
    queue.Push(data.constData(), int(data.size()));
    char out[CPriorityQueue::kEntrySize + 8];
    std::memset(out, 'x', sizeof out);
    int length = 0;
    queue.Pop(out, &length);
    QCOMPARE(length, 300);
    QCOMPARE(QByteArray(out, CPriorityQueue::kEntrySize), data.left(CPriorityQueue::kEntrySize));
    QCOMPARE(out[CPriorityQueue::kEntrySize], 'x');  // nothing copied past an entry's 256 bytes
}

void TestPriorityQueue::defaultQueueIsSixteenFifo()
{
    CPriorityQueue queue;
    QCOMPARE(queue.Capacity(), 16);
    QCOMPARE(queue.Push("\x01", 1), 16);
    QCOMPARE(queue.Push("\x02", 1), 15);
    QCOMPARE(PopAll(queue), (QByteArrayList{"\x01", "\x02"}));
}

QTEST_APPLESS_MAIN(TestPriorityQueue)
#include "tst_priorityqueue.moc"

#include "events/EventList.h"

#include <QtTest>

#include <atomic>
#include <thread>

// A channel's list is appended by the logging thread while a window reads it: the reader sees
// every record up to the count it read, whole, also while the list's directory grows.
class TestEventList : public QObject
{
    Q_OBJECT

private slots:
    void readWhileAppended();
};

namespace {

std::unique_ptr<CDisplayObj> Numbered(int n)
{
    // A text message: two type bytes, then the text.
    const QByteArray message = QByteArray::fromHex("9400") + QByteArray::number(n);
    return std::make_unique<CDisplayObj>(message.constData(), int(message.size()), 1);
}

} // namespace

void TestEventList::readWhileAppended()
{
    // Past several table sizes: 16 blocks at first, doubled as it fills.
    constexpr int kRecords = 40 * 4096 + 7;
    CEventList list;
    std::atomic<bool> done{false};
    int wrong = -1;
    std::thread reader([&] {
        int seen = 0;
        while (!done || seen < list.Count()) {
            const int count = list.Count();
            for (int i = seen; i < count; ++i) {
                if (!list.At(i).GetText().endsWith(" " + QByteArray::number(i))) {
                    wrong = i;
                    return;
                }
            }
            seen = count;
        }
    });
    for (int n = 0; n < kRecords; ++n)
        list.Append(*Numbered(n));
    done = true;
    reader.join();
    QCOMPARE(wrong, -1);
    QCOMPARE(list.Count(), kRecords);
    QVERIFY(list.At(kRecords - 1).GetText().endsWith(" " + QByteArray::number(kRecords - 1)));
}

QTEST_GUILESS_MAIN(TestEventList)
#include "tst_eventlist.moc"

#include "events/EventList.h"

#include <QtTest>

#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZED
#endif
#endif

// A channel's list is appended by the logging thread while a window reads it: the reader sees
// every record up to the count it read, whole, also while the list's directory grows.
class TestEventList : public QObject
{
    Q_OBJECT

private slots:
    void readWhileAppended();
    void memoryGoesBackWithTheList_data();
    void memoryGoesBackWithTheList();
};

namespace {

std::unique_ptr<CDisplayObj> Numbered(int n, const QByteArray& text = QByteArray())
{
    // A text message: two type bytes, then the text.
    const QByteArray message = QByteArray::fromHex("9400") + text + QByteArray::number(n);
    return std::make_unique<CDisplayObj>(message.constData(), int(message.size()), 1);
}

// The memory this process holds in bytes (resident set).
qint64 Resident()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

void TestEventList::readWhileAppended()
{
    // Past several table sizes: 16 blocks at first, doubled as it fills.
    constexpr int kRecords = 40 * 4096 + 7;
    EventList list;
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

void TestEventList::memoryGoesBackWithTheList_data()
{
    QTest::addColumn<bool>("onWorker");  // filled on a thread of its own, as an archive read for viewing is
    QTest::newRow("filled on this thread") << false;
    QTest::newRow("filled on a worker") << true;
}

// A closed archive's list gives its memory back to the system, although what was allocated beside
// it while it was read is still held.
void TestEventList::memoryGoesBackWithTheList()
{
    QFETCH(bool, onWorker);
#ifdef ADDRESS_SANITIZED
    QSKIP("the address sanitizer's allocator holds freed memory back in its quarantine");
#endif
    constexpr int kRecords = 300000;  // about 50 MB listed
    const QByteArray text(150, 'x');
    const qint64 before = Resident();
    QVERIFY(before > 0);
    auto list = std::make_unique<EventList>();
    std::vector<std::unique_ptr<char[]>> beside;
    const auto fill = [&] {
        for (int n = 0; n < kRecords; ++n) {
            list->Append(*Numbered(n, text));
            if (n % 64 == 0)
                beside.push_back(std::make_unique<char[]>(48));
        }
    };
    if (onWorker)
        std::thread(fill).join();
    else
        fill();
    const qint64 filled = Resident();
    QVERIFY2(filled - before > 40 * 1024 * 1024, qPrintable(QString::number(filled - before)));

    list.reset();
    const qint64 after = Resident();
    QVERIFY2(after - before < (filled - before) / 4,
             qPrintable(QStringLiteral("%1 of %2 bytes still held").arg(after - before).arg(filled - before)));
}

QTEST_GUILESS_MAIN(TestEventList)
#include "tst_eventlist.moc"

#include "app/OutputQueue.h"
#include "core/Strings.h"

#include <QtTest>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// The smallest pipe the system makes (one page): a reader that stalls makes the writer wait soon.
constexpr int kPipeBytes = 4096;
// A bound above what the pipe holds, so that a writer gets held while nobody reads; not a multiple
// of the test's line lengths, so a short line could fit where a longer one was dropped.
constexpr qsizetype kSmallBound = 10000;

// A pipe the test reads from when it chooses, on a thread of its own, up to its end.
class TestPipe
{
public:
    explicit TestPipe(bool nonBlocking)
    {
        if (::pipe2(m_fds, O_CLOEXEC) != 0)
            return;
        m_ready = ::fcntl(m_fds[1], F_SETPIPE_SZ, kPipeBytes) == kPipeBytes
                  && (!nonBlocking || ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK) == 0);
    }
    ~TestPipe()
    {
        CloseEnd(1);
        if (m_reader.joinable())
            m_reader.join();
        CloseEnd(0);
    }
    TestPipe(const TestPipe&) = delete;
    TestPipe& operator=(const TestPipe&) = delete;

    bool IsReady() const { return m_ready; }
    int WriteEnd() const { return m_fds[1]; }
    void CloseEnd(int end)
    {
        if (m_fds[end] >= 0)
            ::close(m_fds[end]);
        m_fds[end] = -1;
    }
    void StartReading()
    {
        m_reader = std::thread([this] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(m_fds[0], buffer, sizeof buffer);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return;
                m_read.append(buffer, n);
            }
        });
    }
    // Everything read once every writer has closed its end (the test's own is closed here).
    QByteArrayList LinesToEnd()
    {
        CloseEnd(1);
        m_reader.join();
        return m_read.split('\n');
    }

private:
    int m_fds[2] = {-1, -1};
    bool m_ready = false;
    std::thread m_reader;
    QByteArray m_read;
};

// Lines of unequal lengths, so that a short line could still fit where a longer one did not.
QByteArray NumberedLine(int i)
{
    return "line " + QByteArray::number(i) + ' ' + QByteArray(i % 4 * 30, 'x');
}

QByteArray NotPrintedLine(qint64 count)
{
    return QString::fromLatin1(Str::kEventLinesNotPrinted).arg(count).toLocal8Bit();
}

} // namespace

// Lines written by the queue's own thread into a pipe the test reads, or does not read for a while.
class TestOutputQueue : public QObject
{
    Q_OBJECT

private slots:
    void linesKeepOrderAndGapsAreCounted_data();
    void linesKeepOrderAndGapsAreCounted();
    void readerGoneDiscardsLines();
};

void TestOutputQueue::linesKeepOrderAndGapsAreCounted_data()
{
    QTest::addColumn<qsizetype>("bound");
    QTest::addColumn<bool>("stalled");  // nobody reads until every line has been appended
    QTest::addColumn<bool>("nonBlocking");
    QTest::newRow("reader keeps up") << OutputQueue::kDefaultBoundBytes << false << false;
    QTest::newRow("reader stalls") << kSmallBound << true << false;
    QTest::newRow("reader stalls, descriptor non-blocking") << kSmallBound << true << true;
}

void TestOutputQueue::linesKeepOrderAndGapsAreCounted()
{
    QFETCH(qsizetype, bound);
    QFETCH(bool, stalled);
    QFETCH(bool, nonBlocking);
    TestPipe pipe(nonBlocking);
    QVERIFY(pipe.IsReady());
    auto queue = std::make_unique<OutputQueue>(pipe.WriteEnd(), bound);

    // Far more than the pipe and the bound hold together when nobody reads, far less than the default bound.
    const int count = 3000;
    if (!stalled)
        pipe.StartReading();
    for (int i = 0; i < count; ++i)
        queue->AppendLine({NumberedLine(i)});
    if (stalled) {
        QVERIFY(!queue->WaitWritten(200ms));  // nobody takes the lines, so nothing waits for ever either
        pipe.StartReading();
    }
    QVERIFY(queue->WaitWritten(30s));
    const int after = 10;
    for (int i = 0; i < after; ++i)
        queue->AppendLine({"after ", QByteArray::number(i)});
    QVERIFY(queue->WaitWritten(30s));
    queue.reset();
    QByteArrayList lines = pipe.LinesToEnd();
    QCOMPARE(lines.takeLast(), QByteArray());  // the last line is whole

    // Every line is printed in order or counted by one line in its place; then the lines after.
    int next = 0;
    int notices = 0;
    bool afterNotice = false;
    int at = 0;
    for (; at < lines.size() && !lines[at].startsWith("after "); ++at) {
        const QByteArray& line = lines[at];
        if (line.startsWith("line ")) {
            QCOMPARE(line, NumberedLine(next));
            ++next;
            afterNotice = false;
            continue;
        }
        QVERIFY2(!afterNotice, line.constData());
        const qint64 missing = line.left(line.indexOf(' ')).toLongLong();
        QVERIFY2(missing > 0 && line == NotPrintedLine(missing), line.constData());
        next += int(missing);
        ++notices;
        afterNotice = true;
    }
    QCOMPARE(next, count);
    QCOMPARE(notices > 0, stalled);
    QCOMPARE(lines.size() - at, after);
    for (int i = 0; i < after; ++i)
        QCOMPARE(lines[at + i], "after " + QByteArray::number(i));
}

void TestOutputQueue::readerGoneDiscardsLines()
{
    TestPipe pipe(false);
    QVERIFY(pipe.IsReady());
    pipe.CloseEnd(0);
    OutputQueue queue(pipe.WriteEnd());
    // Far more than the pipe holds: writing goes on failing, without a signal ending this process.
    for (int i = 0; i < 2000; ++i)
        queue.AppendLine({"line ", QByteArray::number(i)});
    QVERIFY(queue.WaitWritten(30s));
    queue.AppendLine({"last"});
    QVERIFY(queue.WaitWritten(30s));
}

QTEST_GUILESS_MAIN(TestOutputQueue)
#include "tst_outputqueue.moc"

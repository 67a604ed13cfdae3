#include "app/OutputQueue.h"

#include "core/StationHealth.h"
#include "core/Strings.h"

#include <QString>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

// The writer lets lines gather this long after the first one arrives, so that at full rate one
// system call carries the lines of a few milliseconds, not a single line; no reader notices the delay.
constexpr std::chrono::milliseconds kGatherTime{5};

} // namespace

struct OutputQueue::State
{
    int fd = -1;
    qsizetype bound = 0;
    std::mutex mutex;
    std::condition_variable queued;   // lines arrived, or the queue ends
    std::condition_variable written;  // the writer got bytes out
    QByteArray pending;               // appended, not yet taken by the writer
    qsizetype unwritten = 0;          // bytes in pending and in the writer's hands
    qint64 dropped = 0;               // lines dropped since the writer last got bytes out
    bool ending = false;
};

OutputQueue::OutputQueue(int fd, qsizetype boundBytes)
    : m_state(std::make_shared<State>())
{
    m_state->fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    m_state->bound = boundBytes;
    std::thread(Write, m_state).detach();
}

OutputQueue::~OutputQueue()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->ending = true;
    }
    m_state->queued.notify_one();
}

void OutputQueue::AppendLine(std::initializer_list<QByteArrayView> parts)
{
    qsizetype size = 1;
    for (QByteArrayView part : parts)
        size += part.size();
    State& s = *m_state;
    const std::lock_guard lock(s.mutex);
    // Once a line is dropped the rest wait for the writer to get bytes out, so the line that
    // counts them stands exactly where they are missing. A line is always taken into an empty
    // queue, however long, so the count is always written.
    if (s.dropped > 0 || (s.unwritten > 0 && s.unwritten + size > s.bound)) {
        ++s.dropped;
        StationHealth::StdoutLinesDropped().fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const bool wake = s.pending.isEmpty();
    for (QByteArrayView part : parts)
        s.pending.append(part);
    s.pending.append('\n');
    s.unwritten += size;
    // The writer sleeps only while nothing is pending.
    if (wake)
        s.queued.notify_one();
}

bool OutputQueue::WaitWritten(std::chrono::milliseconds limit)
{
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    return s.written.wait_for(lock, limit, [&s] { return s.unwritten == 0; });
}

void OutputQueue::Write(const std::shared_ptr<State>& state)
{
    // A reader that went away makes write() fail with EPIPE; the SIGPIPE sent to this thread with
    // it stays pending here instead of ending the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    State& s = *state;
    QByteArray batch;
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.queued.wait(lock, [&s] { return !s.pending.isEmpty() || s.ending; });
        if (s.pending.isEmpty())
            break;
        lock.unlock();
        std::this_thread::sleep_for(kGatherTime);
        lock.lock();
        batch.swap(s.pending);
        lock.unlock();
        for (qsizetype done = 0; done < batch.size();) {
            const ssize_t n = ::write(s.fd, batch.constData() + done, size_t(batch.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            // A descriptor handed over non-blocking: wait for room as a blocking one would.
            if (n < 0 && errno == EAGAIN) {
                pollfd room{s.fd, POLLOUT, 0};
                ::poll(&room, 1, -1);
                continue;
            }
            // Any other failure means nobody takes the lines any more: they are discarded.
            const qsizetype taken = n < 0 ? batch.size() - done : qsizetype(n);
            done += taken;
            lock.lock();
            s.unwritten -= taken;
            if (s.dropped > 0) {
                const QByteArray notice =
                    QString::fromLatin1(Str::kEventLinesNotPrinted).arg(s.dropped).toLocal8Bit() + '\n';
                s.pending.append(notice);
                s.unwritten += notice.size();
                s.dropped = 0;
            }
            s.written.notify_all();
            lock.unlock();
        }
        batch.resize(0);  // keeps its capacity for the next batch
        lock.lock();
    }
    ::close(s.fd);
}

// Feeds one channel's comms stack a long stream of mixed frames (valid and corrupt, block-check
// and CRC, probes, noise), cut into blocks of 1 to 80 bytes as the read thread hands them over,
// and prints how fast the user-interface thread gets through it. The port is a real
// pseudo-terminal, so every ACK and NAK costs what a real write costs on this side.
//
//   bench-comms [frames]        (default 500000)

#include "comms/CommsEvent.h"
#include "comms/CommsProtocol.h"
#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "tools/bench-common/BenchLine.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <thread>

#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace {

using SimFrames::BlockFrame;
using SimFrames::CrcFrame;

constexpr int kPort = 1;

class CountingStack : public CCommsProtocol
{
public:
    CountingStack() : CCommsProtocol(3, 3, 3) {}
    qint64 delivered = 0;

protected:
    void OnRxMessage(int, CPriorityQueue* queue) override
    {
        char entry[CPriorityQueue::kEntrySize];
        int length = 0;
        if (queue->Count() > 0) {
            queue->Pop(entry, &length);
            ++delivered;
        }
    }
};

struct Stream
{
    QByteArray bytes;
    qint64 frames = 0;
    qint64 valid = 0;
};

// Alarm-sized messages mostly, some longer CRC frames, a few corrupt frames, probes and noise.
Stream MakeStream(qint64 frames)
{
    QRandomGenerator random(1234);
    Stream stream;
    stream.frames = frames;
    for (qint64 i = 0; i < frames; ++i) {
        QByteArray data;
        const int length = random.bounded(100) < 80 ? 3 : 3 + random.bounded(20);
        for (int k = 0; k < length; ++k)
            data.append(char(0x20 + random.bounded(0x5F)));
        if (data.startsWith("RU"))
            data[0] = 'r';  // would be a probe
        const int kind = random.bounded(100);
        if (kind < 50) {
            stream.bytes += BlockFrame(data, false);
            ++stream.valid;
        } else if (kind < 55) {
            stream.bytes += BlockFrame(data, true);
        } else if (kind < 85) {
            data[0] = char(0xFF);  // doubled on the line
            stream.bytes += CrcFrame(data, false);
            ++stream.valid;
        } else if (kind < 90) {
            stream.bytes += CrcFrame(data, true);
        } else if (kind < 95) {
            stream.bytes += BlockFrame("RU", false);
        } else {
            stream.bytes += "<CE-4>";
            stream.bytes += BlockFrame(data, false);
            ++stream.valid;
        }
    }
    return stream;
}

QList<QByteArray> CutIntoBlocks(const QByteArray& bytes)
{
    QRandomGenerator random(99);
    QList<QByteArray> blocks;
    for (qsizetype at = 0; at < bytes.size();) {
        const int size = 1 + random.bounded(80);
        blocks.append(bytes.mid(at, size));
        at += size;
    }
    return blocks;
}

qint64 ThreadCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Reads the far end of the line so the terminal's replies never back up.
class FarEnd
{
public:
    explicit FarEnd(int master) : m_master(master), m_thread([this] { Run(); }) {}
    ~FarEnd()
    {
        m_stop = true;
        m_thread.join();
    }
    qint64 Received() const { return m_received; }

private:
    void Run()
    {
        char buffer[65536];
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0)
                    m_received += n;
            }
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_received{0};
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 frames = argc > 1 ? QByteArray(argv[1]).toLongLong() : 500000;

    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    ResetProfileStore();
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{11, 3, 0, 0, 0}});  // 256000 8N1

    const int master = OpenBenchLine(kPort);
    if (master < 0)
        return 1;

    const Stream stream = MakeStream(frames);
    const QList<QByteArray> blocks = CutIntoBlocks(stream.bytes);

    FarEnd farEnd(master);
    CountingStack stack;
    if (!stack.OpenPort(kPort)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(ComPortDevices::DevicePath(kPort)));
        return 1;
    }

    // Blocks arrive in bursts, as they do when the user-interface thread has been busy. Posting
    // them is the read thread's work and is left out of the figures; handling them is timed.
    constexpr int kBurst = 256;
    qint64 ns = 0;
    qint64 cpuNs = 0;
    QElapsedTimer timer;
    const auto handlePosted = [&] {
        timer.start();
        const qint64 cpuStart = ThreadCpuNs();
        QCoreApplication::sendPostedEvents();
        cpuNs += ThreadCpuNs() - cpuStart;
        ns += timer.nsecsElapsed();
    };
    for (qsizetype i = 0; i < blocks.size(); i += kBurst) {
        for (qsizetype k = i; k < std::min(blocks.size(), i + kBurst); ++k)
            QCoreApplication::postEvent(&stack, new CommsEvent(WM_RX_DATA, int(blocks[k].size()), blocks[k]));
        handlePosted();
    }
    for (qint64 before = -1; before != stack.delivered;) {
        before = stack.delivered;
        handlePosted();
    }
    stack.ClosePort();

    const double seconds = double(ns) / 1e9;
    const double nsPerByte = double(ns) / double(stream.bytes.size());
    const double lineBytesPerSecond = 16 * 25600.0;  // sixteen lines at 256000 baud
    std::printf("frames fed           %lld (%lld valid), %lld bytes in %lld blocks\n", stream.frames, stream.valid,
                qint64(stream.bytes.size()), qint64(blocks.size()));
    std::printf("messages delivered   %lld%s\n", stack.delivered, stack.delivered == stream.valid ? "" : "  (MISMATCH)");
    std::printf("reply bytes written  %lld\n", farEnd.Received());
    std::printf("time                 %.3f s\n", seconds);
    std::printf("frames per second    %.0f\n", double(stream.frames) / seconds);
    std::printf("ns per byte          %.1f wall clock, %.1f on the user-interface thread's CPU\n", nsPerByte,
                double(cpuNs) / double(stream.bytes.size()));
    std::printf("headroom             %.0fx sixteen lines at 256000 baud\n", 1e9 / nsPerByte / lineBytesPerSecond);
    return stack.delivered == stream.valid ? 0 : 1;
}

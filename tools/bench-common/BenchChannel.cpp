#include "tools/bench-common/BenchChannel.h"

#include "app/MessageInterpreter.h"
#include "app/StationThreads.h"
#include "archive/QuorvelDoc.h"
#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "tools/bench-common/BenchLine.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {
constexpr int kPort = 1;
}

class BenchChannel::FarEnd
{
public:
    explicit FarEnd(int master) : m_master(master), m_thread([this] { Run(); }) {}
    ~FarEnd() { Stop(); }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    std::atomic<int> phase{0};
    std::atomic<qint64> maxWaitUs[kMaxPhases] = {};
    std::atomic<qint64> sent[kMaxPhases] = {};
    std::atomic<qint64> lost{0};

private:
    void Run()
    {
        const QByteArray frame = SimFrames::BlockFrame(QByteArray("\x01\x02\x00", 3), false);
        const QByteArray ack = SimFrames::TerminalAck();
        while (!m_stop) {
            const int p = phase;
            QElapsedTimer wait;
            wait.start();
            if (::write(m_master, frame.constData(), size_t(frame.size())) != frame.size())
                return;
            ++sent[p];
            QByteArray in;
            while (!in.contains(ack) && wait.elapsed() < 2 * kFrameTimerMs && !m_stop) {
                pollfd fd{m_master, POLLIN, 0};
                char buffer[256];
                if (::poll(&fd, 1, 20) > 0) {
                    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                    if (n > 0)
                        in.append(buffer, int(n));
                }
            }
            if (!in.contains(ack))
                ++lost;
            const qint64 us = wait.nsecsElapsed() / 1000;
            if (us > maxWaitUs[p])
                maxWaitUs[p] = us;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct BenchChannel::Station
{
    CQuorvelDoc document{QStringLiteral("Channel 1")};
    CMessageInterpreter interpreter{3, 3, 3, &document};
    StationThreads threads;
};

BenchChannel::BenchChannel()
{
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{11, 3, 0, 0, 0}});  // 256000 8N1
    const int master = OpenBenchLine(kPort);
    if (master < 0)
        return;
    m_station = std::make_unique<Station>();
    m_station->document.SetConnection(1, 1);
    m_station->document.moveToThread(m_station->threads.Logging());
    m_station->interpreter.moveToThread(m_station->threads.Comms());
    if (!m_station->interpreter.OpenPort(kPort)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(ComPortDevices::DevicePath(kPort)));
        return;
    }
    m_farEnd = std::make_unique<FarEnd>(master);
    m_running = true;
}

BenchChannel::~BenchChannel()
{
    Stop();
}

void BenchChannel::Stop()
{
    if (m_farEnd)
        m_farEnd->Stop();
    if (!m_station || m_stopped)
        return;
    m_stopped = true;
    m_station->interpreter.ClosePort();
    m_station->threads.Stop({&m_station->interpreter}, {&m_station->document});
}

void BenchChannel::SetPhase(int phase)
{
    if (m_farEnd)
        m_farEnd->phase = phase;
}

void BenchChannel::Report(const char* const phaseNames[], int phases) const
{
    if (!m_farEnd)
        return;
    for (int p = 0; p < phases; ++p)
        std::printf("while %-16s %6lld frames sent, longest wait for ACK %8.1f ms%s\n", phaseNames[p],
                    qint64(m_farEnd->sent[p]), m_farEnd->maxWaitUs[p] / 1000.0,
                    m_farEnd->maxWaitUs[p] / 1000 > kFrameTimerMs ? "  PAST THE FRAME TIMER" : "");
    std::printf("frames without ACK: %lld\n", qint64(m_farEnd->lost));
}

void ProcessEventsFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

#pragma once
#include <QtGlobal>

#include <atomic>

// How one channel is doing, counted by the threads that see it happen (comms: frames and the
// line's state; logging: records and archive writes) and read by whoever reports on
// the station (the service manager's status, the metrics file, the silence watch). Lock-free:
// counting never makes a channel's thread wait.
struct ChannelHealth
{
    std::atomic<bool> assigned{false};  // a COM port is mapped to the channel
    std::atomic<bool> up{false};        // its line is open
    std::atomic<quint64> framesAck{0};  // accepted: acknowledged, probes included, or a good CRC frame
    std::atomic<quint64> framesNak{0};  // block-check frames refused with NAK
    std::atomic<quint64> framesBad{0};  // CRC frames whose check failed (they get no reply)
    std::atomic<quint64> records{0};    // records archived
    std::atomic<quint64> recordsLost{0};
    std::atomic<quint64> archiveWriteErrors{0};
    std::atomic<qint64> lastFrameMs{0};  // when a frame (or probe) last came; 0: none yet
    std::atomic<qint64> upSinceMs{0};    // when the line was last opened

    // A frame came now (ms since the epoch).
    void NoteFrame(qint64 nowMs) { lastFrameMs.store(nowMs, std::memory_order_relaxed); }
    void Count(std::atomic<quint64>& counter) { counter.fetch_add(1, std::memory_order_relaxed); }
};

// The figures of the whole station: one entry per channel, 1..16, and what belongs to no channel.
namespace StationHealth {
inline constexpr int kChannels = 16;

// Channel n, 1..16.
ChannelHealth& Channel(int n);
// Standard output lines the reader did not take in time.
std::atomic<quint64>& StdoutLinesDropped();
// The longest the user-interface thread went without coming round, in ns.
std::atomic<qint64>& UiStallMaxNs();
// When the user-interface thread last came round, in ms of the monotonic clock (SteadyMs()).
std::atomic<qint64>& UiLastPassMs();
// The monotonic clock, in ms: for how long something has not happened, whatever the wall clock does.
qint64 SteadyMs();
// When the program started (ms since the epoch).
std::atomic<qint64>& StartMs();
// Every figure back to zero (tests).
void Reset();
} // namespace StationHealth

#include "core/StationHealth.h"

#include <array>
#include <chrono>

namespace {
std::array<ChannelHealth, StationHealth::kChannels> g_channels;
ChannelHealth g_none;  // stands for a channel number out of range
std::atomic<quint64> g_stdoutDropped{0};
std::atomic<qint64> g_uiStallMaxNs{0};
std::atomic<qint64> g_uiLastPassMs{0};
std::atomic<qint64> g_startMs{0};
} // namespace

ChannelHealth& StationHealth::Channel(int n)
{
    return n >= 1 && n <= kChannels ? g_channels[size_t(n - 1)] : g_none;
}

std::atomic<quint64>& StationHealth::StdoutLinesDropped()
{
    return g_stdoutDropped;
}

std::atomic<qint64>& StationHealth::UiStallMaxNs()
{
    return g_uiStallMaxNs;
}

std::atomic<qint64>& StationHealth::UiLastPassMs()
{
    return g_uiLastPassMs;
}

qint64 StationHealth::SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::atomic<qint64>& StationHealth::StartMs()
{
    return g_startMs;
}

void StationHealth::Reset()
{
    for (ChannelHealth* channel = g_channels.data(); channel != g_channels.data() + kChannels; ++channel) {
        for (std::atomic<quint64>* counter : {&channel->framesAck, &channel->framesNak, &channel->framesBad,
                                              &channel->records, &channel->recordsLost, &channel->archiveWriteErrors})
            counter->store(0);
        channel->assigned = false;
        channel->up = false;
        channel->lastFrameMs = 0;
        channel->upSinceMs = 0;
    }
    g_stdoutDropped = 0;
    g_uiStallMaxNs = 0;
    g_uiLastPassMs = 0;
}

#pragma once
#include "app/ChannelViews.h"
#include "app/HeadlessConsole.h"

#include <array>
#include <memory>

// The channels without windows: each channel's records on standard output, its line's state on
// standard error.
class HeadlessViews : public IChannelViews
{
public:
    void CreateView(int channel, CQuorvelDoc& document) override;
    void ShowConnection(int channel, int port, bool connected) override;

private:
    std::array<std::unique_ptr<HeadlessConsole>, 16> m_consoles;  // index channel - 1
};

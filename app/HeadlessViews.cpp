#include "app/HeadlessViews.h"

#include "archive/QuorvelDoc.h"

void HeadlessViews::CreateView(int channel, CQuorvelDoc& document)
{
    auto& console = m_consoles[size_t(channel - 1)];
    console = std::make_unique<HeadlessConsole>(document);
    document.SetView(console.get());
}

void HeadlessViews::ShowConnection(int channel, int port, bool connected)
{
    if (const auto& console = m_consoles[size_t(channel - 1)])
        console->ShowConnection(port, connected);
}

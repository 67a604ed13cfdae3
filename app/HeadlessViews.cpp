#include "app/HeadlessViews.h"

#include "archive/QuorvelDoc.h"

void CHeadlessViews::CreateView(int channel, CQuorvelDoc& document)
{
    auto& console = m_consoles[size_t(channel - 1)];
    console = std::make_unique<CHeadlessConsole>(document);
    document.SetView(console.get());
}

void CHeadlessViews::ShowConnection(int channel, int port, bool connected)
{
    if (const auto& console = m_consoles[size_t(channel - 1)])
        console->ShowConnection(port, connected);
}

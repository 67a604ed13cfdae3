#include "app/PortRetries.h"

#include "app/Channel.h"
#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "core/ThreadCall.h"

#include <QSettings>

#include <memory>
#include <utility>

PortRetries::PortRetries(std::vector<Channel*> channels)
    : m_channels(std::move(channels))
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PortRetries::RetryRound);
}

void PortRetries::Start()
{
    CallOnThread(this, [this] { m_timer.start(); });
}

void PortRetries::Stop()
{
    CallOnThread(this, [this] { m_timer.stop(); });
}

void PortRetries::RetryRound()
{
    // Records are read through a store of this thread's own (the program-wide one is the
    // user-interface thread's), synced once a round so that a record corrected by hand in the
    // settings file counts as well.
    std::unique_ptr<QSettings> store;
    const auto storedRecord = [&store](int port) {
        if (!store) {
            store = OpenThreadStore();
            store->sync();
        }
        return LoadPortSettings(port, *store);
    };
    for (Channel* channel : m_channels)
        channel->Retry(storedRecord);
}

// quorvel-sim: plays the remote alarm systems and the remote monitoring device on pseudo-terminals,
// so the program can be run and tested end to end without the equipment.
#include "SimChannel.h"
#include "SimMonitor.h"
#include "SimOptions.h"
#include "SimStation.h"

#include "core/SettingsStore.h"

#include <QCoreApplication>
#include <QSettings>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <poll.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = g_stop + 1;  // a second signal ends the wait for the last replies
}

qint64 NowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

constexpr qint64 kMs = 1000000;
constexpr qint64 kOpenCheckNs = 20 * kMs;   // how often lines nobody holds are looked at
constexpr qint64 kGraceNs = 1000 * kMs;     // time for the last replies after sending stopped

void InstallSignals()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// A line of the simulator's progress on standard output, for scripts that wait for it.
void Announce(const char* what)
{
    std::printf("%s\n", what);
    std::fflush(stdout);
}

int Fail(const QString& error)
{
    std::fprintf(stderr, "quorvel-sim: %s\n", qPrintable(error));
    return 2;
}

// One poll loop serves every line: replies and monitor frames as they come, paced sending on a
// tick of a few milliseconds.
void Run(const SimOptions& options, const std::vector<std::unique_ptr<SimChannel>>& channels, SimMonitor* monitor)
{
    std::vector<SimLine*> lines;
    for (const auto& channel : channels)
        lines.push_back(channel.get());
    if (monitor)
        lines.push_back(monitor);

    const qint64 tickNs = (options.split ? 1 : 4) * kMs;
    const qint64 started = NowNs();
    const qint64 endAt = options.duration > 0 ? started + qint64(options.duration * 1e9) : 0;
    qint64 stopAt = 0;    // sending stopped
    qint64 endingAt = 0;  // waiting for the last replies, then the summary
    bool sending = false;
    qint64 nextOpenCheck = 0;
    std::vector<pollfd> fds;
    std::vector<SimLine*> polled;
    for (;;) {
        const qint64 now = NowNs();
        if (!stopAt && (g_stop || (endAt && now >= endAt))) {
            stopAt = now;
            for (const auto& channel : channels)
                channel->StopSending();
            Announce("stopped");
        }
        if (stopAt && !endingAt && (!options.hold || g_stop))
            endingAt = now;
        if (endingAt) {
            bool waiting = false;
            for (const auto& channel : channels)
                waiting = waiting || (channel->IsOpened() && channel->AwaitingReplies());
            if (!waiting || now - endingAt >= kGraceNs || g_stop > 1)
                return;
        }
        if (now >= nextOpenCheck) {
            for (const auto& channel : channels)
                if (!channel->IsOpened() && channel->CheckOpened())
                    channel->OnOpened(now);
            if (monitor && !monitor->IsOpened())
                monitor->CheckOpened();
            nextOpenCheck = now + kOpenCheckNs;
        }
        for (const auto& channel : channels) {
            channel->Tick(now);
            if (!sending && !stopAt && channel->Started(now)) {
                sending = true;
                Announce("sending");
            }
        }

        fds.clear();
        polled.clear();
        for (SimLine* line : lines) {
            if (!line->IsOpened())
                continue;
            fds.push_back(pollfd{line->Fd(), short(POLLIN | (line->HasOutput() ? POLLOUT : 0)), 0});
            polled.push_back(line);
        }
        const int ready = ::poll(fds.data(), nfds_t(fds.size()), int(tickNs / kMs));
        if (ready <= 0)
            continue;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN)
                polled[i]->ReadPending();
            if (fds[i].revents & POLLOUT)
                polled[i]->Flush();
            // The program closed the line: it waits, silent, until it is opened again.
            if ((fds[i].revents & POLLHUP) && !(fds[i].revents & POLLIN))
                polled[i]->SetClosed();
        }
    }
}

void PrintSummary(const std::vector<std::unique_ptr<SimChannel>>& channels, const SimMonitor* monitor)
{
    SimChannel::Counts total;
    auto line = [](const char* name, const SimChannel::Counts& c) {
        std::printf("%s: sent %lld acked %lld naked %lld missing %lld unexpected %lld block %lld crc %lld "
                    "corrupt %lld text %lld\n",
                    name, c.sent, c.acked, c.naked, c.missing, c.unexpected, c.block, c.crc, c.corrupt, c.text);
    };
    for (const auto& channel : channels) {
        const SimChannel::Counts counts = channel->Totals();
        line(qPrintable(QStringLiteral("channel %1").arg(channel->Channel())), counts);
        total += counts;
    }
    line("total", total);
    if (monitor)
        std::printf("%s\n", qPrintable(monitor->Summary()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-sim"));
    SimOptions options;
    QString error;
    if (!ParseSimOptions(app, options, error))
        return Fail(error);

    std::vector<std::unique_ptr<SimChannel>> channels;
    QHash<int, SimChannel*> byNumber;
    QMap<int, QString> devices;
    for (int number : options.channels) {
        auto channel = std::make_unique<SimChannel>(number, options);
        if (!channel->Create())
            return Fail(QStringLiteral("cannot create a pseudo-terminal"));
        devices.insert(number, channel->SlavePath());
        byNumber.insert(number, channel.get());
        channels.push_back(std::move(channel));
    }
    std::unique_ptr<SimMonitor> monitor;
    if (options.monitorCom) {
        monitor = std::make_unique<SimMonitor>(options.silentMonitor, options.verbose, byNumber);
        if (!monitor->Create())
            return Fail(QStringLiteral("cannot create a pseudo-terminal"));
        devices.insert(options.monitorCom, monitor->SlavePath());
    }
    if (!SimStation::WritePortMap(options, devices, error))
        return Fail(error);
    if (options.writeSettings && !SimStation::WriteMonitorSettings(options, error))
        return Fail(error);
    std::fprintf(stderr, "quorvel-sim: port map written to %s", qPrintable(SimStation::PortMapPath(options)));
    if (options.writeSettings)
        std::fprintf(stderr, "; remote monitor settings written to %s", qPrintable(ProfileStore().fileName()));
    std::fprintf(stderr, "\n");

    InstallSignals();
    if (options.verbose)
        for (auto it = devices.begin(); it != devices.end(); ++it)
            std::printf("COM%d: %s\n", it.key(), qPrintable(it.value()));
    Announce("ready");
    Run(options, channels, monitor.get());
    PrintSummary(channels, monitor.get());
    return 0;
}

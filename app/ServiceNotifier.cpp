#include "app/ServiceNotifier.h"

#include "archive/DiskSpace.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/StationHealth.h"
#include "core/Strings.h"

#include <QMetaObject>
#include <QObject>

#include <systemd/sd-daemon.h>

struct ServiceNotifier::State
{
    QObject* logging = nullptr;  // outlives the notifier
    bool windows = false;
    QString stationDir;
    qint64 watchdogMs = 0;  // 0: the manager keeps no watchdog
    std::atomic<bool> ready{false};
    bool readySent = false;
    std::shared_ptr<std::atomic<qint64>> answeredMs = std::make_shared<std::atomic<qint64>>(0);
};

namespace {

void Notify(const QByteArray& state)
{
    const int result = sd_notify(0, state.constData());
    if (result < 0)
        qCWarning(lcApp) << "sd_notify failed:" << state << result;
}

} // namespace

bool ServiceNotifier::Wanted()
{
    return !qEnvironmentVariableIsEmpty("NOTIFY_SOCKET");
}

ServiceNotifier::ServiceNotifier(QObject* logging, bool windows, const QString& stationDir)
    : m_state(std::make_shared<State>())
{
    if (!Wanted())
        return;
    m_state->logging = logging;
    m_state->windows = windows;
    m_state->stationDir = stationDir;
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0)
        m_state->watchdogMs = qint64(usec / 1000);
    *m_state->answeredMs = StationHealth::SteadyMs();
    const qint64 interval = m_state->watchdogMs > 0 ? qMax<qint64>(1, m_state->watchdogMs / 2) : kStatusIntervalMs;
    m_worker = std::make_unique<PeriodicWorker>(std::chrono::milliseconds(interval),
                                                 [state = m_state] { Tick(*state); });
}

ServiceNotifier::~ServiceNotifier() = default;

void ServiceNotifier::Ready()
{
    if (!m_worker)
        return;
    m_state->ready = true;
    m_worker->Wake();
}

void ServiceNotifier::Stopping()
{
    if (Wanted())
        Notify("STOPPING=1");
}

void ServiceNotifier::Tick(State& state)
{
    const qint64 now = StationHealth::SteadyMs();
    // The logging thread answered a heartbeat of an earlier tick within the watchdog time, and the
    // windows came round as recently: the station is alive, not merely its process.
    if (state.watchdogMs > 0 && state.readySent) {
        const bool logging = now - state.answeredMs->load() < state.watchdogMs;
        const bool windows = !state.windows || now - StationHealth::UiLastPassMs().load() < state.watchdogMs;
        if (logging && windows)
            Notify("WATCHDOG=1");
        else
            qCWarning(lcApp) << "no watchdog notice: logging answers" << logging << "windows answer" << windows;
    }
    if (state.logging) {
        QMetaObject::invokeMethod(
            state.logging, [answered = state.answeredMs] { *answered = StationHealth::SteadyMs(); },
            Qt::QueuedConnection);
    }
    QByteArray message;
    if (state.ready && !state.readySent) {
        state.readySent = true;
        message = "READY=1\n";
    }
    Notify(message + "STATUS=" + StatusText(state.stationDir).toUtf8());
}

QString ServiceNotifier::StatusText(const QString& stationDir)
{
    int assigned = 0, up = 0;
    qint64 lastFrame = 0;
    for (int n = 1; n <= StationHealth::kChannels; ++n) {
        const ChannelHealth& channel = StationHealth::Channel(n);
        assigned += channel.assigned ? 1 : 0;
        up += channel.assigned && channel.up ? 1 : 0;
        lastFrame = qMax(lastFrame, channel.lastFrameMs.load());
    }
    const QString last = lastFrame > 0
        ? QString::fromLatin1(Str::kLastMessageAgo).arg(qMax<qint64>(0, (Clock::NowMsecs() - lastFrame) / 1000))
        : QString::fromLatin1(Str::kNoMessageYet);
    const DiskFigures disk = QueryDiskFigures(stationDir);
    const QString free = disk.valid && disk.total > 0 ? QString::number(qRound(100.0 * double(disk.available) / double(disk.total)))
                                                       : QString::fromLatin1(Str::kDiskUnknown);
    return QString::fromLatin1(Str::kServiceStatus).arg(up).arg(assigned).arg(last, free);
}

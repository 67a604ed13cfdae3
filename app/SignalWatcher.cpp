#include "app/SignalWatcher.h"

#include "app/ServiceNotifier.h"
#include "core/Logging.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

enum class StopState { Running, Orderly, Saved, Emergency };
std::atomic<StopState> g_state{StopState::Running};
std::mutex g_emergencyLock;
std::function<void()> g_emergencyStop;

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; the watcher's thread does the rest.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// Waits until fd is readable or timeoutMs have passed (-1: no limit); true when readable.
bool WaitReadable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    int result;
    while ((result = ::poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    return result > 0;
}

} // namespace

SignalWatcher::SignalWatcher(QObject* parent)
    : QObject(parent)
{
    g_state = StopState::Running;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_wakeFd < 0)
        return;
    m_thread = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    if (m_thread.joinable()) {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    SetEmergencyStop({});
    for (int* fd : {&g_signalPipe[0], &g_signalPipe[1], &m_wakeFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void SignalWatcher::Watch()
{
    pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[1].revents)
            return;
        char buffer[16];
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], buffer, sizeof buffer);
        ServiceNotifier::Stopping();
        QMetaObject::invokeMethod(this, [this] { emit StopRequested(); }, Qt::QueuedConnection);
        if (WaitReadable(m_wakeFd, kGraceMs))
            return;
        StopState running = StopState::Running;
        if (g_state.compare_exchange_strong(running, StopState::Emergency)) {
            qCWarning(lcApp) << "the user-interface thread did not stop in time; the station is stopped without it";
            const std::lock_guard<std::mutex> lock(g_emergencyLock);
            if (g_emergencyStop)
                g_emergencyStop();
            ::_exit(0);
        }
        // The orderly stop is under way: the program ends once the station is saved, however long
        // the windows then take to go.
        while (g_state != StopState::Saved) {
            if (WaitReadable(m_wakeFd, 50))
                return;
        }
        if (!WaitReadable(m_wakeFd, kGraceMs))
            ::_exit(0);
        return;
    }
}

void SignalWatcher::SetEmergencyStop(std::function<void()> stop)
{
    const std::lock_guard<std::mutex> lock(g_emergencyLock);
    g_emergencyStop = std::move(stop);
}

bool SignalWatcher::BeginOrderlyStop()
{
    StopState running = StopState::Running;
    return g_state.compare_exchange_strong(running, StopState::Orderly) || g_state == StopState::Orderly
        || g_state == StopState::Saved;
}

void SignalWatcher::MarkStationSaved()
{
    StopState orderly = StopState::Orderly;
    g_state.compare_exchange_strong(orderly, StopState::Saved);
}

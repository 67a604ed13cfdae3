#pragma once
#include "app/PeriodicWorker.h"

#include <QString>

#include <atomic>
#include <memory>

class QObject;

// Tells the service manager how the station is (sd_notify): READY=1 once every channel is set up
// and the logging thread runs; STATUS= with the lines up, the last message and the free disk;
// WATCHDOG=1 at half the watchdog time the manager asks for, only while the logging thread answers
// a heartbeat and, with windows, the user-interface thread has not been held past that time; and
// STOPPING=1 when a stop signal comes. Without NOTIFY_SOCKET in the environment it does nothing.
// Its own thread does the sending, so no channel's thread ever waits on the manager's socket.
class ServiceNotifier
{
public:
    // Status lines without a watchdog.
    static constexpr int kStatusIntervalMs = 15000;

    // logging: an object on the logging thread, which the heartbeat goes to; it must outlive this.
    // windows: the user-interface thread's stalls count.
    ServiceNotifier(QObject* logging, bool windows, const QString& stationDir);
    ~ServiceNotifier();

    static bool Wanted();  // NOTIFY_SOCKET is set
    // Sends READY=1 (from the notifier's thread): the channels are set up and logging.
    void Ready();
    // STOPPING=1, at once; safe on any thread.
    static void Stopping();
    // The status as the manager shows it: "14/16 lines up, last message 12 s ago, disk 63 % free".
    static QString StatusText(const QString& stationDir);

private:
    struct State;
    static void Tick(State& state);

    std::shared_ptr<State> m_state;
    std::unique_ptr<PeriodicWorker> m_worker;
};

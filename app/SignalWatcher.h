#pragma once
#include <QObject>

#include <functional>
#include <thread>

// Turns SIGINT and SIGTERM into a Qt signal on the user-interface thread, so the station shuts
// down in its proper order (ports closed, archives flushed) instead of dying mid-write.
//
// A thread of its own waits for the signals. Should the user-interface thread not end the program
// in time (a display that stopped answering holds it), that thread closes the ports and writes the
// archives out itself through the logging threads, which nothing holds, and ends the program.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    // How long the user-interface thread has to begin its orderly stop after a signal.
    static constexpr int kGraceMs = 1200;

    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // What ends the station without the user-interface thread: closes every port and writes the
    // archives out; called on the watcher's thread. Set once the channels run; empty: nothing to
    // save, the program just ends.
    static void SetEmergencyStop(std::function<void()> stop);
    // The user-interface thread begins the orderly stop; false when the watcher's stop has begun
    // already, which ends the program (the caller must then leave the station alone).
    static bool BeginOrderlyStop();
    // The orderly stop has closed the ports and written the archives: ending now loses nothing.
    static void MarkStationSaved();

signals:
    void StopRequested();

private:
    void Watch();

    int m_wakeFd = -1;  // written by the destructor to end the watcher's thread
    std::thread m_thread;
};

#pragma once
#include <chrono>
#include <functional>
#include <memory>

// Runs a job on a thread of its own, at once and then every interval, until the worker goes (and,
// when asked, once more then, so the last figures are out). The job may block (a disk that stalls, a socket): only this thread waits. The destructor gives a job
// under way a moment to end and otherwise leaves the thread to finish it alone, so the program's
// end is never held by it.
class PeriodicWorker
{
public:
    enum class AtEnd { Stop, RunOnceMore };
    PeriodicWorker(std::chrono::milliseconds interval, std::function<void()> job, AtEnd atEnd = AtEnd::Stop);
    ~PeriodicWorker();
    PeriodicWorker(const PeriodicWorker&) = delete;
    PeriodicWorker& operator=(const PeriodicWorker&) = delete;

    // The job runs again now instead of at its time.
    void Wake();

private:
    struct State;
    std::shared_ptr<State> m_state;  // shared with the thread
};

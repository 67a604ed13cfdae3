#include "app/PeriodicWorker.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
// How long the end of the program waits for a job under way.
constexpr std::chrono::milliseconds kEndWait{1000};
} // namespace

struct PeriodicWorker::State
{
    std::mutex lock;
    std::condition_variable changed;
    bool stop = false;
    bool woken = false;
    bool ended = false;
    bool abandoned = false;  // the owner has gone: what the job uses may be gone too
    std::chrono::milliseconds interval;
    std::function<void()> job;
};

PeriodicWorker::PeriodicWorker(std::chrono::milliseconds interval, std::function<void()> job, AtEnd atEnd)
    : m_state(std::make_shared<State>())
{
    m_state->interval = interval;
    m_state->job = std::move(job);
    std::thread([state = m_state, atEnd] {
        std::unique_lock<std::mutex> lock(state->lock);
        while (!state->stop) {
            lock.unlock();
            state->job();
            lock.lock();
            state->changed.wait_for(lock, state->interval, [&] { return state->stop || state->woken; });
            state->woken = false;
        }
        if (atEnd == AtEnd::RunOnceMore && !state->abandoned) {
            lock.unlock();
            state->job();
            lock.lock();
        }
        state->ended = true;
        state->changed.notify_all();
    }).detach();
}

PeriodicWorker::~PeriodicWorker()
{
    std::unique_lock<std::mutex> lock(m_state->lock);
    m_state->stop = true;
    m_state->changed.notify_all();
    if (!m_state->changed.wait_for(lock, kEndWait, [&] { return m_state->ended; }))
        m_state->abandoned = true;
}

void PeriodicWorker::Wake()
{
    const std::lock_guard<std::mutex> lock(m_state->lock);
    m_state->woken = true;
    m_state->changed.notify_all();
}

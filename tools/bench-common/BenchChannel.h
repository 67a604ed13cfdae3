#pragma once
#include <QtGlobal>

#include <memory>

// Channel 1 of a station run as the program runs it (its comms stack on the comms thread, its
// document on the logging thread) on a pseudo-terminal, whose far end sends one alarm frame at a
// time, each after the ACK of the one before and a pause of a few milliseconds. A benchmark moves
// it through its phases and reads, per phase, the frames sent and the longest wait for an ACK: what
// the benchmark's work on the user-interface thread did to the line. The station directory and the
// settings store must be set up before it is made.
class BenchChannel
{
public:
    static constexpr int kFrameTimerMs = 3300;
    static constexpr int kMaxPhases = 8;

    BenchChannel();
    ~BenchChannel();  // Stop()
    BenchChannel(const BenchChannel&) = delete;
    BenchChannel& operator=(const BenchChannel&) = delete;

    bool IsRunning() const { return m_running; }
    void SetPhase(int phase);
    // The far end stops, the port closes, the threads end and the archive is written out.
    void Stop();
    // One line per phase: frames sent, longest wait for an ACK; then the frames never answered.
    void Report(const char* const phaseNames[], int phases) const;

private:
    class FarEnd;
    struct Station;
    std::unique_ptr<Station> m_station;
    std::unique_ptr<FarEnd> m_farEnd;
    bool m_running = false;
    bool m_stopped = false;
};

// Runs the calling thread's event loop for `ms` milliseconds, as the program's windows would.
void ProcessEventsFor(int ms);

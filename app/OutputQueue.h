#pragma once
#include <QByteArray>
#include <QByteArrayView>

#include <chrono>
#include <initializer_list>
#include <memory>

// Event lines on their way to a file descriptor (the headless station's standard output), written
// by a thread of its own so that whoever appends a line never waits on the reader. What the reader
// has not taken yet is held up to a bound; lines beyond it are dropped and counted, and once the
// writer gets bytes out again one line, where the gap is, says how many event lines were not
// printed. May be used from any thread.
class OutputQueue
{
public:
    // Event lines are 50 to 150 bytes: this holds 7,000 to 20,000 of them, several seconds of
    // sixteen lines at full rate (about 110 KB of lines a second), enough to ride out a journal or
    // a terminal that pauses, at a cost in memory that does not matter.
    static constexpr qsizetype kDefaultBoundBytes = qsizetype(1) << 20;

    // Lines go to a duplicate of fd, so the writer, which may outlive this object, never writes to
    // a descriptor number its owner has closed and reused.
    explicit OutputQueue(int fd, qsizetype boundBytes = kDefaultBoundBytes);
    // The writer goes on until what is queued is written or discarded, then ends; nothing waits
    // for it here, since a reader that stalls might hold it for ever.
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // The parts and a line feed, as one line; waits at most for the queue's mutex.
    void AppendLine(std::initializer_list<QByteArrayView> parts);
    // Waits up to `limit` for everything appended to be written (or discarded because the reader
    // went away); true when it was.
    bool WaitWritten(std::chrono::milliseconds limit);

private:
    struct State;
    static void Write(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;  // shared with the writer
};

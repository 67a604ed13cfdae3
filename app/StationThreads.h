#pragma once
#include <QThread>

#include <vector>

class QObject;

// The threads the channels' path runs on beside the user-interface thread, each with an event loop
// of its own: the comms thread (every channel's framing, frame timing and ACK/NAK, beside the port
// readers) and the logging thread (interpreting, archiving, listing, forwarding to the remote
// monitor). So no display, pipe, box or paint holds up an acknowledgement or a record's time.
class StationThreads
{
public:
    StationThreads();
    ~StationThreads();  // Stop()
    StationThreads(const StationThreads&) = delete;
    StationThreads& operator=(const StationThreads&) = delete;

    QThread* Comms() { return &m_comms; }
    QThread* Logging() { return &m_logging; }

    // Takes the objects back to the calling thread, comms objects first (so what they had received
    // reaches the logging thread), then the logging objects once everything posted to them is
    // handled; then ends both threads. The objects may then be destroyed on the calling thread.
    void Stop(const std::vector<QObject*>& commsObjects, const std::vector<QObject*>& loggingObjects);

private:
    QThread m_comms;
    QThread m_logging;
};

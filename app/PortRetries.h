#pragma once
#include <QObject>
#include <QTimer>

#include <vector>

class Channel;

// Every few seconds, the channels whose lines are missing try them again. It runs on the comms
// thread beside the lines themselves, so a device that comes back is taken again and answered while
// the user-interface thread is held (a display that stopped answering, a box, a long print).
class PortRetries : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 3000;

    // The channels outlive this object.
    explicit PortRetries(std::vector<Channel*> channels);

    // From any thread, once this object is on its thread.
    void Start();
    // From any thread whose object's thread still runs; no round runs once it returns.
    void Stop();

private:
    void RetryRound();

    std::vector<Channel*> m_channels;
    QTimer m_timer{this};  // a child, so it moves with this object
};

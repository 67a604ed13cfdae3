#pragma once
#include <QByteArray>
#include <QMutex>
#include <QObject>

class RemotePort;

// Forwards alarm records to the remote monitor as 10-byte frames:
// FF 02, sequence 0..254, the four record bytes, the XOR of the seven bytes before it, FF 03.
// The sequence runs for the life of the object, across all channels.
class CRemoteMonitor : public QObject
{
    Q_OBJECT
public:
    explicit CRemoteMonitor(RemotePort& port, QObject* parent = nullptr);
    // On the program's remote monitor port.
    CRemoteMonitor();

    // Queues the frame for record (status byte, channel index, alarm number, value) and returns at
    // once: nonzero when the port is open and the frame was queued. The frame then goes out behind
    // every frame queued before it, numbered in that order.
    int SendAlarm(const char record[4]);

    static QByteArray BuildFrame(quint8 sequence, const char record[4]);

signals:
    // On the user-interface thread, once per outage: frames could not be written (neither the
    // first time nor the second) or not queued; told again only after a frame has gone out since.
    void SendFailed();

private:
    RemotePort& m_port;
    quint8 m_bySequence = 0;
    QMutex m_sendLock;  // numbering and queueing go together, so numbers follow the queue order
};

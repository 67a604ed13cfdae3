#pragma once
#include "comms/PortSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <memory>

class QSerialPort;
class QThread;

// The remote monitor port. One worker thread of its own owns the open device and carries out the
// exchanges one after another: write a frame, wait up to a second for the monitor's reply, write the
// frame once more when no acknowledgement came. The user-interface thread only queues frames, so a
// slow or silent monitor never holds up the logging.
class RemotePort : public QObject
{
    Q_OBJECT
public:
    static constexpr int kReplyWaitMs = 1000;   // the monitor's time to answer a frame
    static constexpr int kReplyBytes = 6;       // the longest reply read
    static constexpr int kWriteWaitMs = 1000;   // a frame the driver has not taken by then counts as not written
    static constexpr int kCloseGraceMs = 200;   // how long closing lets queued frames go out
    static constexpr int kMaxQueued = 65536;    // frames waiting for a monitor that has fallen behind

    // maxQueued: frames held for the worker at most; more are refused.
    explicit RemotePort(int maxQueued = kMaxQueued, QObject* parent = nullptr);
    ~RemotePort() override;

    // Opens the device exclusively and applies the line settings (flow control is never applied).
    // Returns 0, or the errno value of what failed: ENOENT, EACCES, EBUSY, EIO, or EINVAL for
    // settings outside the tables. An open port is closed first.
    int Open(const QString& devicePath, const LineSettings& line);
    bool IsOpen() const { return m_open.load(); }
    // Queues a frame for the worker; false when the port is not open or the queue is full.
    bool Enqueue(const QByteArray& frame);
    // Lets queued frames go out for at most graceMs, drops the rest and closes the device.
    void Close(int graceMs = kCloseGraceMs);

signals:
    // Emitted once per outage: for the first frame that could not be written (neither the first
    // time nor the second) or was refused because the monitor has fallen too far behind, since the
    // port was opened or last wrote a frame. Frames that fail on in the same outage are not told
    // again, so the operator gets one box and can reach the menus. Emitted on the worker thread,
    // or on the sender's for a refused frame; not once closing has begun.
    void FrameFailed(const QByteArray& frame);

private:
    void Run(const QString& devicePath, const LineSettings& line, std::promise<int> opened);
    bool Exchange(QSerialPort& port, const QByteArray& frame);
    bool WriteFrame(QSerialPort& port, const QByteArray& frame);
    QByteArray ReadReply(QSerialPort& port);
    bool Abandoned();  // closing and out of time
    void ReportFailure(const QByteArray& frame);

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    const size_t m_maxQueued;
    bool m_closing = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_failing{false};  // an outage has been told and no frame has gone out since
};

// The program's remote monitor port, opened at start-up when remote monitoring is configured and on.
RemotePort& SharedRemotePort();

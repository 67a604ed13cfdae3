#pragma once
#include "comms/PortLock.h"
#include "comms/PortSettings.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QSerialPort;

// One open serial port and the loop of its own thread (Run). The port is opened, configured and
// closed on that thread; the loop waits in poll() on the port and on a wake-up descriptor, reads
// whatever arrives in chunks of at most 80 bytes and posts each chunk as WM_RX_DATA to the comms
// object, and reports a device that stops delivering. Writes go straight to the descriptor from
// the calling thread; only what the line cannot take at once is left to the loop.
class PortWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr int kReadChunk = 80;
    // After a read the loop leaves the line alone for about this long, so that the rest of a frame
    // and the next frames gather and one wake-up serves several of them: under full load that
    // roughly halves the program's CPU against 2 ms. USB serial adapters hold received bytes back
    // longer (16 ms by default), so senders live with it already; the frame timer adds it to a frame's
    // time; an idle line is read at once.
    static constexpr std::chrono::microseconds kReadHoldOff{10000};
    // Most bytes that wait for a held line (XOFF, CTS low) besides the write going out: as much as
    // the 4096-byte driver output queue the ports have always been given, some 580 replies. Above
    // 19200 baud nothing else bounds them; the newest writes are kept, since a held line makes the
    // oldest replies stale first.
    static constexpr qsizetype kMaxHeldBytes = 4096;

    explicit PortWorker(QObject* receiver);
    ~PortWorker() override;

    // False when the wake-up descriptor could not be made: such a worker can do nothing.
    bool HasWakeUp() const { return m_wakeFd >= 0; }

    // The thread's work: returns after Stop, or once the port is lost (Lost is emitted then).
    void Run();

    // Called from another thread; each is carried out on the loop's thread and returns its result.
    // Open takes the port's lock first: a port another program holds is not opened, and *inUse
    // says so.
    bool Open(const QString& devicePath, bool* inUse = nullptr);
    // Applies the line settings, raises DTR and starts delivering received bytes. What the line
    // has not taken of a write within its count times writeTimeoutPerByte ms from the call (0: no
    // limit) is discarded.
    bool Configure(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal = nullptr);
    // Changes the rate, data bits, parity and stop bits of the open port while it is read; flow
    // control stays. False, with the line as it was, when the device refuses the change.
    bool ChangeFormat(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal = nullptr);
    // Ends Run, which closes the port; no write reaches the descriptor once this is called.
    void Stop();

    // May be called from any thread. Bytes go out in the order of the calls.
    void Write(const char* data, int count);

signals:
    // The device stopped delivering (hang-up, removal, read error); the port is closed already.
    void Lost();

private:
    using Clock = std::chrono::steady_clock;

    static Clock::time_point HoldOffEnd(Clock::time_point now);
    bool Call(std::function<bool()> task);
    void Wake();
    void RunTask();
    bool OpenOnThread(const QString& devicePath, bool* inUse);
    bool ConfigureOnThread(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal);
    bool ChangeFormatOnThread(const LineSettings& line, int writeTimeoutPerByte, LineRefusal* refusal);
    bool ReadPending(bool dataReported);
    void FlushPending();
    qsizetype WriteNow(const char* data, qsizetype count);
    void Hold(const char* data, qsizetype count, qsizetype sent);
    void DiscardExpired(Clock::time_point now);
    std::optional<Clock::time_point> EarliestDeadline() const;
    void ClosePort();
    void Post(const QByteArray& bytes);
    void PostError(int code);

    QObject* m_receiver;
    int m_wakeFd = -1;                    // eventfd: a task, a stop or pending bytes to write
    std::unique_ptr<QSerialPort> m_port;  // made, used and destroyed on the loop's thread only
    PortLock m_portLock;                 // held while m_port is open; loop's thread only
    bool m_delivering = false;            // loop's thread only

    QMutex m_lock;  // guards everything below
    QWaitCondition m_taskDone;
    std::function<bool()> m_task;
    bool m_taskFinished = false;
    bool m_taskResult = false;
    bool m_stopping = false;
    bool m_ended = false;   // Run has finished
    int m_fd = -1;          // where writes go; -1 before opening and once closing has begun
    int m_writeTimeoutPerByte = 0;

    // A write the line did not take at once, with what of it has gone out and when the rest is
    // discarded.
    struct HeldWrite
    {
        QByteArray bytes;
        qsizetype sent;
        Clock::time_point deadline;
    };
    std::deque<HeldWrite> m_held;  // oldest first
    qsizetype m_heldBytes = 0;     // not yet written, over all of m_held
};

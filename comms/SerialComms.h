#pragma once
#include "comms/PortSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

class PortWorker;
class QThread;

// The bottom layer of a channel's comms stack: one COM port, opened by number and configured from
// its "COM<n> Settings" record. A worker thread per open port owns the device, reads it and posts
// what arrives to this object as WM_RX_DATA. Writes go to the device at once when the line takes
// them, else they wait in the worker in order, so the caller never waits for the line. The station
// runs every layer derived from it on a comms thread of its own; opening, closing and the line
// settings may be asked for from another thread and are carried out on the object's own.
class CSerialComms : public QObject
{
    Q_OBJECT
public:
    // Why the last OpenPort or OpenDevice left the object closed.
    enum class OpenFailure {
        None,
        Device,    // no device, or it could not be opened (absent, in use, no resources): may come right later
        Settings,  // the device is there but its stored settings are out of range or refused
        InUse,     // another program holds the device: may be free later, and is never read meanwhile
    };

    explicit CSerialComms(QObject* parent = nullptr);
    ~CSerialComms() override;  // ends the worker if the port is still open

    // Opens the device of COM port nPort; nonzero when it is open and its worker reads it. An
    // open port is closed first, whatever becomes of the new one.
    int OpenPort(int nPort);
    int OpenDevice(const QString& devicePath);
    // Applies the port's stored line settings to the open device; 0 (after telling the user) when
    // the record holds a value outside its table or the device refuses a setting.
    int ConfigurePort();
    // Returns only after the worker thread has ended. Always 1.
    int ClosePort();
    // Nonzero when the bytes were written or left to the port's worker, 0 when no port is open.
    // Virtual so that a stack can be driven without a port and still be seen answering.
    virtual int WriteBytes(const char* buffer, int count);
    void LoadPortSettings();
    // Gives the open port a new rate, data bits, parity and stop bits at once, without closing it;
    // its flow control stays until the port is next configured. 0 when no port is open, or when an
    // index is out of its table or the device refuses: the line then stays as it was.
    int ChangeLineFormat(const LineSettings& line, LineRefusal* refusal = nullptr);
    // The line settings the port was last given.
    LineSettings Line() const;
    int IsConnected() const { return m_bConnected; }
    OpenFailure LastOpenFailure() const { return m_openFailure; }

signals:
    // The open port stopped delivering (hang-up, device removed, read error). The object is no
    // longer connected; OpenPort may be called again.
    void PortLost();

protected:
    // While held, writes collect and go out together when the last hold ends: the replies to a
    // whole block of received bytes cost one write to the device.
    class WriteBatch
    {
    public:
        explicit WriteBatch(CSerialComms& comms) : m_comms(comms) { ++m_comms.m_nWriteHolds; }
        ~WriteBatch();
        WriteBatch(const WriteBatch&) = delete;
        WriteBatch& operator=(const WriteBatch&) = delete;

    private:
        CSerialComms& m_comms;
    };

    int m_nBaud = 5;
    int m_nDataBits = 3;
    int m_nFlowControl = 0;
    int m_nParity = 0;
    int m_nPort = 0;
    int m_nStopBits = 0;
    std::atomic<int> m_bConnected{0};

private:
    bool StartWorker();
    void StopWorker();
    void OnWorkerLost(int generation);
    void ReportInUse();

    QThread* m_pThread = nullptr;
    PortWorker* m_pWorker = nullptr;  // m_pThread runs its loop; deleted once that thread has ended
    int m_nGeneration = 0;             // tells a stale loss report from an earlier opening
    int m_nWriteHolds = 0;
    OpenFailure m_openFailure = OpenFailure::None;
    bool m_bWakeUpFailureShown = false;  // until the next successful open
    bool m_bInUseShown = false;          // for this port, until it next opens
    QByteArray m_heldWrites;  // what WriteBytes collected while held
};

#pragma once
#include "comms/PortSettings.h"

#include <QMutex>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

// Owns one open serial port on that port's own thread. It reads whatever arrives in chunks of at
// most 80 bytes and posts each chunk as WM_RX_DATA to the comms object, carries out the writes
// handed to it, and reports a device that stops delivering. Every member but the constructor
// runs on the worker's thread.
class CPortWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr int kReadChunk = 80;

    explicit CPortWorker(QObject* receiver);

    bool Open(const QString& devicePath);
    // Applies the line settings, raises DTR and starts delivering received bytes. A write may take
    // writeTimeoutPerByte ms per byte (0: no limit) before what is left of it is discarded.
    bool Configure(const LineSettings& line, int writeTimeoutPerByte);
    void Close();

    // May be called from any thread. Bytes queued until the next Kick go out together, so a burst
    // of replies costs one wake-up of this thread, not one each.
    void Enqueue(const char* data, int count);
    void Kick();

signals:
    // The device stopped delivering (hang-up, removal, read error); the port is closed already.
    void Lost();

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void OnBytesWritten(qint64 count);
    void OnWriteTimeout();
    void Flush();
    void Post(const QByteArray& bytes);

    QObject* m_receiver;
    QSerialPort m_port;
    QTimer m_writeTimer;
    bool m_bDelivering = false;
    int m_nWriteTimeoutPerByte = 0;
    qint64 m_nPending = 0;  // bytes handed to the port and not yet written, while a limit applies
    qint64 m_nSent = 0;
    QMutex m_outgoingLock;
    QByteArray m_outgoing;        // written on the next Flush
    QByteArray m_writing;         // the buffer handed back after a Flush, so appends rarely allocate
    bool m_bFlushPosted = false;  // a Flush is on its way
};

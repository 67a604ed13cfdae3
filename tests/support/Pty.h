#pragma once
#include <QByteArray>
#include <QString>

// A real pseudo-terminal pair standing for a serial line: the program opens SlavePath() like a
// serial device, the test plays the far end on the master.
class Pty
{
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    int MasterFd() const { return m_master; }
    QString SlavePath() const { return m_slavePath; }

    bool Write(const QByteArray& bytes);
    // Reads what arrives within timeoutMs, returning as soon as `want` bytes are in (want 0: wait the full time).
    QByteArray Read(int want, int timeoutMs);
    void Close();  // hangs the line up: the slave side sees an error or end of data

    // Lets go of the slave end this object holds, so PeerOpen() tells whether another process has
    // the line open (a master reports a hang-up while nobody holds its slave).
    void ReleaseSlave();
    bool PeerOpen() const;
    // Bytes written here that wait unread at the slave end, while this object still holds it. A
    // program that opens the line discards them, so they also tell whether it did.
    int SlaveInputPending() const;
    // Whether the slave end may send now: false while an XOFF from here holds it (slave still held).
    bool SlaveMaySend() const;

private:
    int m_master = -1;
    int m_slaveKeep = -1;  // held so the line stays up until the program opens it
    QString m_slavePath;
};

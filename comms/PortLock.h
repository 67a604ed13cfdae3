#pragma once
#include <QString>

// Exclusive use of a serial device, taken before the device is touched in any other way. The
// device is named by its canonical path, so /dev/serial/by-id/... and the /dev/ttyUSB0 it points to
// are one port, and flock(LOCK_EX|LOCK_NB) is held on a descriptor of it for as long as this object
// holds the lock: the convention serial programs share, and one that holds for root as well
// (TIOCEXCL does not). A port another program holds is left exactly as it is, unread and unset.
class PortLock
{
public:
    enum class Result {
        Locked,  // the port is ours until Release
        InUse,   // another program (or another opening in this one) holds it
        Failed,  // no such device, not a terminal, or it cannot be opened: Error() says why
    };

    PortLock() = default;
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    Result Acquire(const QString& devicePath);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    // The device's canonical path once Acquire has found it: the name to open the port by, so that
    // lock files named after the port agree between every name of one device.
    QString CanonicalPath() const { return m_canonicalPath; }
    int Error() const { return m_error; }  // errno of the last failed Acquire

private:
    int m_fd = -1;
    int m_error = 0;
    QString m_canonicalPath;
};

#pragma once
#include <QString>

#include <sys/types.h>

// Another program holding a serial device the way serial programs agree on: a child process that
// opens the device and keeps flock(LOCK_EX) on it until this object ends.
class PortHolder
{
public:
    explicit PortHolder(const QString& devicePath);
    ~PortHolder();
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    bool IsHolding() const { return m_holding; }
    void Release();  // the child lets go and ends

private:
    pid_t m_child = -1;
    int m_release = -1;  // the child holds on until this pipe closes
    bool m_holding = false;
};

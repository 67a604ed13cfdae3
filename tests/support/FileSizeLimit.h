#pragma once
#include <QtGlobal>

#include <sys/resource.h>

// Stands in for a full disk: while it is set, no file of this process grows past the limit and
// a write beyond it fails (SIGXFSZ ignored) after writing what fits.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 limit);
    ~FileSizeLimit() { Lift(); }
    bool IsSet() const { return m_set; }
    void Lift();

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_set = false;
};

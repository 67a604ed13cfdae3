#include "tests/support/FileSizeLimit.h"

#include <csignal>

FileSizeLimit::FileSizeLimit(qint64 limit)
{
    ::getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = m_previous;
    lowered.rlim_cur = rlim_t(limit);
    m_set = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

void FileSizeLimit::Lift()
{
    if (!m_set)
        return;
    ::setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
    m_set = false;
}

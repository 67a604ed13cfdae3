#include "archive/ViewingMemory.h"

#include <unistd.h>

namespace ViewingMemory {

quint64 PhysicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? quint64(pages) * quint64(pageSize) : 0;
}

quint64 Bound()
{
    return PhysicalMemory() / kShareDivisor;
}

quint64 EstimatedListBytes(qint64 fileSize)
{
    return fileSize > 0 ? quint64(fileSize) : 0;
}

} // namespace ViewingMemory

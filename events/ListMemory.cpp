#include "events/ListMemory.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

ListMemory::~ListMemory()
{
    m_chunks.clear();
    // Chunks lie among the allocations made beside them while the list was read, where the
    // allocator keeps freed pages for itself: a closed archive of a few gigabytes would leave its
    // memory taken. Handing the free pages back costs a pass over the heap, worth it for a large
    // list only.
#ifdef __GLIBC__
    if (m_total >= kTrimFrom)
        ::malloc_trim(0);
#endif
}

char* ListMemory::Carve(std::size_t size)
{
    const std::size_t at = (m_used + kAlignment - 1) & ~(kAlignment - 1);
    if (m_chunks.empty() || at > m_size || m_size - at < size) {
        // Each chunk twice the last, up to the huge page; a piece larger than that has its own.
        const std::size_t next = m_chunks.empty() ? kFirstChunk : std::min(m_size * 2, kHugeChunk);
        const std::size_t chunkSize = std::max(next, (size + kAlignment - 1) & ~(kAlignment - 1));
        const bool huge = chunkSize % kHugeChunk == 0;
        void* chunk = std::aligned_alloc(huge ? kHugeChunk : kAlignment, chunkSize);
        if (!chunk)
            throw std::bad_alloc();
        if (huge)
            ::madvise(chunk, chunkSize, MADV_HUGEPAGE);
        m_chunks.emplace_back(static_cast<char*>(chunk));
        m_size = chunkSize;
        m_used = 0;
        m_total += chunkSize;
        return Carve(size);
    }
    m_used = at + size;
    return m_chunks.back().get() + at;
}

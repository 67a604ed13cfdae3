#include "events/ListMemory.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include <sys/mman.h>

ListMemory::~ListMemory()
{
    for (const Chunk& chunk : m_chunks)
        ::munmap(chunk.memory, chunk.size);
}

// A chunk of its own mapping, its pages made at once (a fault per page costs more than the page).
// One of a huge page's size is aligned to one and handed to the kernel untouched, to be backed by
// a huge page.
ListMemory::Chunk ListMemory::Map(std::size_t size)
{
    const bool huge = size % kHugeChunk == 0;
    const std::size_t span = huge ? size + kHugeChunk : size;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | (huge ? 0 : MAP_POPULATE),
                          -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    char* const start = static_cast<char*>(mapped);
    if (!huge)
        return {start, size};
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    char* const aligned = start + ((kHugeChunk - address % kHugeChunk) % kHugeChunk);
    if (aligned > start)
        ::munmap(start, std::size_t(aligned - start));
    char* const end = aligned + size;
    if (end < start + span)
        ::munmap(end, std::size_t(start + span - end));
    ::madvise(aligned, size, MADV_HUGEPAGE);
    // Older kernels do not know this: their pages come at first touch.
    ::madvise(aligned, size, MADV_POPULATE_WRITE);
    return {aligned, size};
}

char* ListMemory::Carve(std::size_t size)
{
    const std::size_t at = (m_used + kAlignment - 1) & ~(kAlignment - 1);
    const std::size_t last = m_chunks.empty() ? 0 : m_chunks.back().size;
    if (m_chunks.empty() || at > last || last - at < size) {
        // Each chunk twice the last, up to the huge page; a piece larger than that has its own.
        const std::size_t next = m_chunks.empty() ? kFirstChunk : std::min(last * 2, kHugeChunk);
        const std::size_t chunkSize = std::max(next, (size + kAlignment - 1) & ~(kAlignment - 1));
        m_chunks.push_back(Map(chunkSize));
        m_used = 0;
        return Carve(size);
    }
    m_used = at + size;
    return m_chunks.back().memory + at;
}

#pragma once
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

// The memory of an event list's blocks, carved from chunks that grow with the list: a short list
// stays small, a long one is made of 2 MB chunks the kernel may back with huge pages, so filling
// it takes one page fault per 2 MB instead of one per 4 KB. Used by one thread; a carved piece
// stays where it is until the whole goes.
class ListMemory
{
public:
    ListMemory() = default;
    ~ListMemory();  // a large list's freed pages go back to the system
    ListMemory(const ListMemory&) = delete;
    ListMemory& operator=(const ListMemory&) = delete;

    // size bytes, aligned for any entry, left as they come.
    char* Carve(std::size_t size);

private:
    static constexpr std::size_t kFirstChunk = 64 * 1024;
    static constexpr std::size_t kHugeChunk = 2 * 1024 * 1024;
    static constexpr std::size_t kAlignment = 16;
    // Freeing this much or more hands the memory back to the system at once.
    static constexpr std::size_t kTrimFrom = 16 * 1024 * 1024;

    struct Free
    {
        void operator()(char* chunk) const { std::free(chunk); }
    };
    std::vector<std::unique_ptr<char, Free>> m_chunks;
    std::size_t m_used = 0;   // of the last chunk
    std::size_t m_size = 0;   // of the last chunk
    std::size_t m_total = 0;  // of all chunks
};

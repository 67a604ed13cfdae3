#pragma once
#include <cstddef>
#include <vector>

// The memory of an event list's blocks, carved from chunks that grow with the list: a short list
// stays small, a long one is made of 2 MB chunks the kernel backs with huge pages. Each chunk is
// mapped with its pages in place, so filling a list takes no page fault per 4 KB. Used by one
// thread; a carved piece stays where it is until the whole goes, and the chunks go back to the
// system with the list.
class ListMemory
{
public:
    ListMemory() = default;
    ~ListMemory();
    ListMemory(const ListMemory&) = delete;
    ListMemory& operator=(const ListMemory&) = delete;

    // size bytes, aligned for any entry, left as they come.
    char* Carve(std::size_t size);

private:
    static constexpr std::size_t kFirstChunk = 64 * 1024;
    static constexpr std::size_t kHugeChunk = 2 * 1024 * 1024;
    static constexpr std::size_t kAlignment = 16;

    struct Chunk
    {
        char* memory;
        std::size_t size;
    };
    static Chunk Map(std::size_t size);

    std::vector<Chunk> m_chunks;
    std::size_t m_used = 0;  // of the last chunk
};

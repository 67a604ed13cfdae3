#pragma once
#include "events/DisplayObj.h"

#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

// The records of one list: appended by one thread (the logging thread, for a live channel) while
// others (the window, a print) read it at the same time without waiting. A record keeps its address
// until the list goes; a reader sees the records up to a Count() it has read, complete. Records are
// kept in chunks reached through a directory; a directory that grows is copied and the old one is
// kept until the list goes, so a reader may still be looking through it.
class CEventList
{
public:
    static constexpr int kChunkBits = 12;
    static constexpr int kChunkSize = 1 << kChunkBits;

    CEventList();
    explicit CEventList(std::vector<std::unique_ptr<CDisplayObj>> records);
    ~CEventList();
    CEventList(const CEventList&) = delete;
    CEventList& operator=(const CEventList&) = delete;

    int Count() const { return m_count.load(std::memory_order_acquire); }
    // index below a Count() read before.
    const CDisplayObj* At(int index) const
    {
        Chunk* const* directory = m_directory.load(std::memory_order_acquire);
        return directory[index >> kChunkBits]->records[index & (kChunkSize - 1)];
    }
    // On the one thread that appends.
    void Append(std::unique_ptr<CDisplayObj> record);

private:
    struct Chunk
    {
        CDisplayObj* records[kChunkSize];
    };

    std::atomic<Chunk**> m_directory{nullptr};
    std::atomic<int> m_count{0};
    int m_nDirectorySize = 0;                                // appending thread only
    std::vector<std::unique_ptr<Chunk*[]>> m_directories;  // the current one last
    std::vector<std::unique_ptr<Chunk>> m_chunks;
};

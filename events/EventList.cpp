#include "events/EventList.h"

#include <algorithm>
#include <limits>

CEventList::CEventList() = default;

CEventList::CEventList(std::vector<std::unique_ptr<CDisplayObj>> records)
{
    for (std::unique_ptr<CDisplayObj>& record : records)
        Append(std::move(record));
}

CEventList::~CEventList()
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        delete At(i);
}

void CEventList::Append(std::unique_ptr<CDisplayObj> record)
{
    const int count = m_count.load(std::memory_order_relaxed);
    if (count == std::numeric_limits<int>::max())
        return;
    const int chunk = count >> kChunkBits;
    if (chunk == int(m_chunks.size())) {
        if (chunk == m_nDirectorySize) {
            const int size = std::max(16, m_nDirectorySize * 2);
            auto directory = std::make_unique<Chunk*[]>(size_t(size));
            std::copy_n(m_chunks.empty() ? nullptr : m_directories.back().get(), m_nDirectorySize, directory.get());
            m_directories.push_back(std::move(directory));
            m_nDirectorySize = size;
        }
        m_chunks.push_back(std::make_unique<Chunk>());
        m_directories.back()[size_t(chunk)] = m_chunks.back().get();
        m_directory.store(m_directories.back().get(), std::memory_order_release);
    }
    m_chunks[size_t(chunk)]->records[count & (kChunkSize - 1)] = record.release();
    m_count.store(count + 1, std::memory_order_release);
}

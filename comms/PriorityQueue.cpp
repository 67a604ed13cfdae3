#include "comms/PriorityQueue.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes of an entry that are actually copied: never more than an entry holds, never negative.
size_t CopyCount(int length)
{
    return size_t(std::clamp(length, 0, CPriorityQueue::kEntrySize));
}

} // namespace

int CompareFirstByte(const char* newer, const char* older)
{
    return static_cast<signed char>(newer[0]) > static_cast<signed char>(older[0]) ? 1 : 0;
}

int CompareNone(const char*, const char*)
{
    return 0;
}

CPriorityQueue::CPriorityQueue()
    : CPriorityQueue(16, kEntrySize, CompareNone)
{
}

CPriorityQueue::CPriorityQueue(int n, int /*entrySize: entries always keep 256 bytes*/, QueueCompare compare)
    : m_nCapacity(std::max(n, 0)),
      m_pfnCompare(compare ? compare : CompareNone),
      m_pEntries(new Entry[size_t(m_nCapacity)]),
      m_ppSlots(new Entry*[size_t(m_nCapacity)])
{
    for (int i = 0; i < m_nCapacity; ++i)
        m_ppSlots[i] = &m_pEntries[i];
}

CPriorityQueue::~CPriorityQueue()
{
    delete[] m_ppSlots;
    delete[] m_pEntries;
}

int CPriorityQueue::Push(const char* data, int length, int flag, qint64 stamp)
{
    const int free = m_nCapacity - m_nCount;
    if (free <= 0)
        return free;
    // The buffer after the last entry in use takes the new entry.
    Entry* entry = m_ppSlots[m_nCount];
    entry->length = length;
    entry->flag = flag;
    entry->stamp = stamp;
    std::memcpy(entry->data, data, CopyCount(length));
    int slot = m_nCount++;
    while (slot > 0 && Ahead(entry->data, m_ppSlots[slot - 1]->data)) {
        m_ppSlots[slot] = m_ppSlots[slot - 1];
        --slot;
    }
    m_ppSlots[slot] = entry;
    return free;
}

inline bool CPriorityQueue::Ahead(const char* newer, const char* older) const
{
    // The link layer's comparator, spelled out so the insertion loop needs no call per entry.
    if (m_pfnCompare == CompareFirstByte)
        return static_cast<signed char>(newer[0]) > static_cast<signed char>(older[0]);
    return m_pfnCompare(newer, older) != 0;
}

int CPriorityQueue::Pop(char* out, int* length, int* flag, qint64* stamp)
{
    if (m_nCount == 0)
        return 0;
    Entry* head = m_ppSlots[0];
    *length = head->length;
    if (flag)
        *flag = head->flag;
    if (stamp)
        *stamp = head->stamp;
    std::memcpy(out, head->data, CopyCount(head->length));
    --m_nCount;
    std::memmove(m_ppSlots, m_ppSlots + 1, size_t(m_nCount) * sizeof(Entry*));
    m_ppSlots[m_nCount] = head;
    return m_nCount;
}

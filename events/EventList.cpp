#include "events/EventList.h"

#include <algorithm>
#include <cstring>
#include <limits>

template <typename Block>
void EventList::BlockTable<Block>::Add(Block* block)
{
    if (m_count == m_capacity) {
        const int capacity = std::max(16, m_capacity * 2);
        auto table = std::make_unique<Block*[]>(size_t(capacity));
        if (m_count > 0)
            std::copy_n(m_tables.back().get(), m_count, table.get());
        m_tables.push_back(std::move(table));
        m_capacity = capacity;
    }
    m_tables.back()[size_t(m_count++)] = block;
    m_current.store(m_tables.back().get(), std::memory_order_release);
}

int EventList::ListedKind(int kind)
{
    return kind >= CDisplayObj::KIND_ALARM && kind <= CDisplayObj::KIND_OTHER ? kind : CDisplayObj::KIND_OTHER;
}

EventList::EventList() = default;

EventList::~EventList() = default;

ListedEvent EventList::At(int index) const
{
    const Entry& entry = m_entryTable.Get(index >> kEntryBits)[index & (kEntriesPerBlock - 1)];
    ListedEvent event;
    event.m_text = m_textTable.Get(int(entry.block)) + entry.offset;
    event.m_length = qsizetype(entry.length);
    event.m_textColor = entry.colorAndFlags & 0x00FFFFFF;
    event.m_kind = int((entry.colorAndFlags >> 24) & 3);
    event.m_fault = int((entry.colorAndFlags >> 26) & 1);
    return event;
}

const char* EventList::PlaceText(QByteArrayView text, quint32& block, quint32& offset)
{
    const quint32 length = quint32(text.size());
    if (!m_lastText || m_textSize - m_textUsed < length) {
        // A line longer than a block has a block of its own.
        m_textSize = std::max(kTextBlockSize, length);
        m_lastText = m_memory.Carve(m_textSize);
        m_textTable.Add(m_lastText);
        ++m_textBlocks;
        m_textUsed = 0;
    }
    block = m_textBlocks - 1;
    offset = m_textUsed;
    char* at = m_lastText + m_textUsed;
    if (length > 0)
        std::memcpy(at, text.data(), length);
    m_textUsed += length;
    return at;
}

void EventList::Append(const CDisplayObj& record)
{
    const int count = m_count.load(std::memory_order_relaxed);
    const QByteArrayView text = record.TextView();
    if (count == std::numeric_limits<int>::max() || quint64(text.size()) > std::numeric_limits<quint32>::max())
        return;
    if ((count & (kEntriesPerBlock - 1)) == 0) {
        m_lastEntries = reinterpret_cast<Entry*>(m_memory.Carve(sizeof(Entry) * kEntriesPerBlock));
        m_entryTable.Add(m_lastEntries);
    }
    Entry& entry = m_lastEntries[size_t(count & (kEntriesPerBlock - 1))];
    PlaceText(text, entry.block, entry.offset);
    entry.length = quint32(text.size());
    entry.colorAndFlags = (record.GetTextColor() & 0x00FFFFFF) | quint32(ListedKind(record.GetKind())) << 24
        | quint32(record.IsFault() ? 1 : 0) << 26;
    m_count.store(count + 1, std::memory_order_release);
}

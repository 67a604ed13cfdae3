#pragma once
#include "events/DisplayObj.h"
#include "events/ListMemory.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

// One record of a list as the windows, the printer and the console see it: its display line,
// colour (the three colour bytes), kind (one of the four) and fault flag (0 or 1), read from the
// list's storage without a copy.
class ListedEvent
{
public:
    QByteArrayView TextView() const { return {m_text, m_length}; }
    QByteArray GetText() const { return QByteArray(m_text, m_length); }
    QString GetDisplayText() const { return QString::fromLatin1(m_text, m_length); }  // for drawing
    quint32 GetTextColor() const { return m_textColor; }
    int IsFault() const { return m_fault; }
    int GetKind() const { return m_kind; }

private:
    friend class EventList;
    const char* m_text = nullptr;
    qsizetype m_length = 0;
    quint32 m_textColor = 0;
    int m_kind = 0;
    int m_fault = 0;
};

// The records of one list: appended by one thread (the logging thread, for a live channel) while
// others (the window, a print) read it at the same time without waiting. A reader sees the
// records up to a Count() it has read, whole.
//
// A day's list may hold millions of records, so a record is kept as its display line in a block
// of text shared with its neighbours, and a 16-byte entry (where the line is, its colour, kind and
// fault flag) in a block of entries. Blocks are reached through tables that a reader may be
// looking through while they grow: a grown table is a copy, and the old one stays until the list
// goes.
class EventList
{
public:
    EventList();
    ~EventList();
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;

    int Count() const { return m_count.load(std::memory_order_acquire); }
    // index below a Count() read before.
    ListedEvent At(int index) const;
    // On the one thread that appends: the record's listed part is copied in.
    void Append(const CDisplayObj& record);
    // The kind a record is listed with: a kind a damaged archive gives outside the four is "other".
    static int ListedKind(int kind);

    // A table of block addresses that readers may use while the appending thread adds to it.
    template <typename Block>
    class BlockTable
    {
    public:
        Block* Get(int index) const { return m_current.load(std::memory_order_acquire)[index]; }
        void Add(Block* block);  // appending thread only

    private:
        std::atomic<Block**> m_current{nullptr};
        int m_count = 0;
        int m_capacity = 0;
        std::vector<std::unique_ptr<Block*[]>> m_tables;  // the current one last
    };

private:
    static constexpr int kEntryBits = 12;
    static constexpr int kEntriesPerBlock = 1 << kEntryBits;
    static constexpr quint32 kTextBlockSize = 64 * 1024;

    struct Entry
    {
        quint32 block;   // text block
        quint32 offset;  // in the text block
        quint32 length;
        quint32 colorAndFlags;  // 0x00BBGGRR colour; kind in bits 24-25, fault in bit 26
    };
    static_assert(sizeof(Entry) == 16, "an entry is 16 bytes");

    const char* PlaceText(QByteArrayView text, quint32& block, quint32& offset);

    std::atomic<int> m_count{0};
    BlockTable<Entry> m_entryTable;
    BlockTable<char> m_textTable;
    ListMemory m_memory;  // appending thread only, as are these
    Entry* m_lastEntries = nullptr;
    char* m_lastText = nullptr;
    quint32 m_textBlocks = 0;
    quint32 m_textSize = 0;  // of the last text block
    quint32 m_textUsed = 0;  // in the last text block
};

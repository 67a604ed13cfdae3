#pragma once
#include <QtGlobal>

// Decides whether a newer entry stands ahead of an older one, from the first data bytes of both.
using QueueCompare = int (*)(const char* newer, const char* older);

// Newer ahead when its first byte is greater, both read as signed bytes (0x80..0xFF rank lowest).
int CompareFirstByte(const char* newer, const char* older);
// Never ahead: first in, first out.
int CompareNone(const char* newer, const char* older);

// A fixed-capacity queue of byte entries of up to 256 bytes, ordered by its comparator (equal
// entries keep their arrival order). All storage is allocated by the constructor; push and pop
// only copy bytes and move pointers. No locking: one thread uses it.
class CPriorityQueue
{
public:
    static constexpr int kEntrySize = 256;

    CPriorityQueue();  // 16 entries, first in first out
    CPriorityQueue(int n, int entrySize, QueueCompare compare);
    virtual ~CPriorityQueue();
    CPriorityQueue(const CPriorityQueue&) = delete;
    CPriorityQueue& operator=(const CPriorityQueue&) = delete;

    // Stores a copy of the first 256 bytes and the length as given, and a flag and a time (the
    // arrival of the bytes, in ms since the epoch) that travel with them. Returns the number of free
    // entries before the push, or 0 when the queue was full and nothing was stored.
    int Push(const char* data, int length, int flag = 0, qint64 stamp = 0);
    // Takes the head entry: its stored length into *length, up to 256 bytes into out (which must
    // hold 256), its flag into *flag and its time into *stamp when asked. Returns the entries left,
    // or 0 without writing anything when it was empty.
    int Pop(char* out, int* length, int* flag = nullptr, qint64* stamp = nullptr);

    int Count() const { return m_nCount; }
    int Capacity() const { return m_nCapacity; }

private:
    bool Ahead(const char* newer, const char* older) const;

    struct Entry
    {
        int length;
        int flag;
        qint64 stamp;
        char data[kEntrySize];
    };

    int m_nCount = 0;
    int m_nCapacity;
    QueueCompare m_pfnCompare;
    Entry* m_pEntries;   // the entry buffers, allocated once
    Entry** m_ppSlots;   // slots 0 .. m_nCount-1 hold the entries in order, slot 0 the head
};

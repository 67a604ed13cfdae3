#pragma once
#include <QtGlobal>

#include <cstring>
#include <memory>

// Bytes held in the object itself up to Capacity, so that an object made for every record costs no
// allocation; longer contents go to a heap buffer, which is kept for the next long contents of an
// object that is used again.
template <int Capacity>
class InlineBytes
{
public:
    InlineBytes() = default;
    InlineBytes(const InlineBytes&) = delete;
    InlineBytes& operator=(const InlineBytes&) = delete;

    const char* Data() const { return m_size > Capacity ? m_heap.get() : m_inline; }
    int Size() const { return m_size; }

    // Room for `size` bytes, which the caller fills. What was there is kept up to the smaller size
    // when both sizes lie inline, or both on the heap without the buffer growing.
    char* Resize(int size)
    {
        m_size = size > 0 ? size : 0;
        if (m_size <= Capacity)
            return m_inline;
        if (m_size > m_heapSize) {
            m_heap.reset(new char[size_t(m_size)]);
            m_heapSize = m_size;
        }
        return m_heap.get();
    }
    void Assign(const char* data, int size)
    {
        char* into = Resize(size);
        if (m_size > 0)
            std::memcpy(into, data, size_t(m_size));
    }

private:
    int m_size = 0;
    int m_heapSize = 0;
    std::unique_ptr<char[]> m_heap;
    char m_inline[Capacity];
};

#include "HeapCount.h"

#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_HEAP_OWNED_BY_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_HEAP_OWNED_BY_SANITIZER 1
#endif

namespace {

std::atomic<quint64> g_allocations{0};

} // namespace

#if defined(__GLIBC__) && !defined(QUORVEL_HEAP_OWNED_BY_SANITIZER)

// The C library's own entry points, which these replacements hand every call to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}
}

bool HeapCount::Available()
{
    return true;
}

#else

bool HeapCount::Available()
{
    return false;
}

#endif

quint64 HeapCount::Allocations()
{
    return g_allocations.load(std::memory_order_relaxed);
}

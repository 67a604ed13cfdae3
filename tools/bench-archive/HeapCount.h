#pragma once
#include <QtGlobal>

// Heap allocations this process has made so far. The benchmark binary puts its own malloc, calloc,
// realloc and aligned_alloc in front of the C library's and counts each call; operator new and
// Qt's containers go through them. Not available in a sanitized build, whose runtime owns these.
namespace HeapCount {

bool Available();
quint64 Allocations();

} // namespace HeapCount

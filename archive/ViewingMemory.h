#pragma once
#include <QtGlobal>

// How much memory an archive opened for viewing may take. Its records are held whole while its
// window is open, so an archive the machine could not hold is refused before it is read.
namespace ViewingMemory {

// The share of the machine's memory one archive's records may take: a quarter, leaving the
// station's logging, its windows and other open archives their room.
inline constexpr quint64 kShareDivisor = 4;

// The machine's physical memory in bytes.
quint64 PhysicalMemory();
// The most one archive's records may take: PhysicalMemory() / kShareDivisor.
quint64 Bound();
// What the records of an archive file of fileSize bytes take once listed, at most. A listed record
// is a 16-byte entry and its text, and a stored one its text and 25 bytes or more, so the list
// never takes more than the file.
quint64 EstimatedListBytes(qint64 fileSize);

} // namespace ViewingMemory

#pragma once
#include "events/EventList.h"

#include <memory>
#include <vector>

class CDisplayObj;
class MemoryFile;

using Records = std::vector<std::unique_ptr<CDisplayObj>>;

// Every field of the stored form equal.
bool SameStoredRecord(const CDisplayObj& a, const CDisplayObj& b);
// Whether a list shows the record as it is: its line, colour, kind and fault flag.
bool SameListedRecord(const CDisplayObj& record, const ListedEvent& listed);

// Writes the records' stored forms with StoringArchive, reads them back with LoadingArchive and
// requires each record read to equal the one written, and every byte to be read.
void RequireStoredFormRoundTrip(const Records& records, MemoryFile& file);

#pragma once

class CDisplayObj;
class MemoryFile;

// Every field of the stored form equal.
bool SameStoredRecord(const CDisplayObj& a, const CDisplayObj& b);

// Writes the record's stored form with CStoringArchive, reads it back with CLoadingArchive into a
// new record and requires every stored field to be equal and every byte to be read.
void RequireStoredFormRoundTrip(const CDisplayObj& record, MemoryFile& file);

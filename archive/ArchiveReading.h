#pragma once
#include "events/EventList.h"
#include "events/LoadingArchive.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class CDisplayObj;
class QFile;

// Reading archives back: records one by one from a stream, and whole archives read for viewing.
// Nothing here touches a document or a window, so it runs on whichever thread reads.
namespace ArchiveReading {

// Which kinds of record a list takes.
struct DisplayFlags
{
    int call = 1;
    int fault = 1;
    int normal = 1;
    int system = 0;
};
// The user's display flags as they stand now.
DisplayFlags ReadDisplayFlags();

struct Outcome
{
    LoadingArchive::Status status = LoadingArchive::Ok;  // Ok or FileError
    bool corrupt = false;
    bool noHeader = false;
    QString error;
    qint64 tornAt = -1;  // where a record begins that the end of the file cut short
};

// An archive read for viewing: the records it lists and how the reading ended.
struct ArchiveRead
{
    std::shared_ptr<EventList> records = std::make_shared<EventList>();
    Outcome outcome;
};

// Takes what it keeps of a record during the call: the record is read into again after it.
using KeepRecord = std::function<void(const CDisplayObj&)>;

// Records from where the stream stands to its end, each handed to keep. Once *cancel is set it
// stops with what it has read.
Outcome ReadRecords(LoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel = nullptr);
// From the first byte: the header, then the records.
Outcome ReadWholeArchive(LoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel = nullptr);
// Reads the whole archive into a list of what flags let through, and closes the file.
ArchiveRead ReadForViewing(QFile& file, const DisplayFlags& flags, const std::atomic<bool>* cancel = nullptr);

} // namespace ArchiveReading

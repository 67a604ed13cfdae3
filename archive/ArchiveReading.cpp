#include "archive/ArchiveReading.h"

#include "archive/ArchiveFormat.h"
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"

#include <QFile>

namespace ArchiveReading {

DisplayFlags ReadDisplayFlags()
{
    DisplayFlags flags;
    ReadEventViewSettings(flags.call, flags.fault, flags.normal, flags.system);
    return flags;
}

Outcome ReadRecords(LoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel)
{
    Outcome outcome;
    // One record read into again and again: reading costs no allocation per record.
    CDisplayObj record;
    while (!cancel || !cancel->load(std::memory_order_relaxed)) {
        record.Reset();
        const qint64 start = ar.Position();
        const LoadingArchive::Status status = record.Serialize(ar);
        if (status == LoadingArchive::EndOfData) {
            if (ar.Position() + ar.Remaining() > start)
                outcome.tornAt = start;
            return outcome;
        }
        if (status == LoadingArchive::FileError) {
            outcome.status = status;
            outcome.error = ar.ErrorString();
            return outcome;
        }
        // A damaged string length: the partly read record is kept and reading goes on after it.
        if (status == LoadingArchive::Corrupt)
            outcome.corrupt = true;
        keep(record);
    }
    return outcome;
}

Outcome ReadWholeArchive(LoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel)
{
    QByteArray header(kArchiveHeaderSize, Qt::Uninitialized);
    const LoadingArchive::Status status = ar.ReadBytes(header.data(), kArchiveHeaderSize);
    Outcome outcome;
    if (status == LoadingArchive::FileError) {
        outcome.status = status;
        outcome.error = ar.ErrorString();
        return outcome;
    }
    if (status != LoadingArchive::Ok || !IsArchiveHeader(header)) {
        outcome.noHeader = true;
        return outcome;
    }
    return ReadRecords(ar, keep, cancel);
}

ArchiveRead ReadForViewing(QFile& file, const DisplayFlags& flags, const std::atomic<bool>* cancel)
{
    ArchiveRead read;
    LoadingArchive ar(file);
    read.outcome = ReadWholeArchive(ar, [&read, &flags](const CDisplayObj& record) {
        if (record.PassesFilter(flags.call, flags.fault, flags.normal, flags.system))
            read.records->Append(record);
    }, cancel);
    file.close();
    return read;
}

} // namespace ArchiveReading

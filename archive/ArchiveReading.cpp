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

Outcome ReadRecords(CLoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel)
{
    Outcome outcome;
    // One record read into again and again: reading costs no allocation per record.
    CDisplayObj record;
    while (!cancel || !cancel->load(std::memory_order_relaxed)) {
        record.Reset();
        const qint64 start = ar.Position();
        const CLoadingArchive::Status status = record.Serialize(ar);
        if (status == CLoadingArchive::EndOfData) {
            if (ar.Position() + ar.Remaining() > start)
                outcome.tornAt = start;
            return outcome;
        }
        if (status == CLoadingArchive::FileError) {
            outcome.status = status;
            outcome.error = ar.ErrorString();
            return outcome;
        }
        // A damaged string length: the partly read record is kept and reading goes on after it.
        if (status == CLoadingArchive::Corrupt)
            outcome.corrupt = true;
        keep(record);
    }
    return outcome;
}

Outcome ReadWholeArchive(CLoadingArchive& ar, const KeepRecord& keep, const std::atomic<bool>* cancel)
{
    QByteArray header(kArchiveHeaderSize, Qt::Uninitialized);
    const CLoadingArchive::Status status = ar.ReadBytes(header.data(), kArchiveHeaderSize);
    Outcome outcome;
    if (status == CLoadingArchive::FileError) {
        outcome.status = status;
        outcome.error = ar.ErrorString();
        return outcome;
    }
    if (status != CLoadingArchive::Ok || !IsArchiveHeader(header)) {
        outcome.noHeader = true;
        return outcome;
    }
    return ReadRecords(ar, keep, cancel);
}

ArchiveRead ReadForViewing(QFile& file, const DisplayFlags& flags, const std::atomic<bool>* cancel)
{
    ArchiveRead read;
    CLoadingArchive ar(file);
    read.outcome = ReadWholeArchive(ar, [&read, &flags](const CDisplayObj& record) {
        if (record.PassesFilter(flags.call, flags.fault, flags.normal, flags.system))
            read.records->Append(record);
    }, cancel);
    file.close();
    return read;
}

} // namespace ArchiveReading

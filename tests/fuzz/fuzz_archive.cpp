// The archive reader fed any file. Properties: the header is recognised exactly when the file
// starts with it; every record read takes bytes, so reading ends; each record read (whole, or
// partly when its text length is damaged) is written again with StoringArchive and reads back
// equal to itself; the document's reader lists exactly records that a plain read of the stream
// gives, in order, and warns once when a text length was damaged.
#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"
#include "tests/fuzz/FuzzStation.h"
#include "tests/fuzz/MemoryFile.h"
#include "tests/fuzz/RecordCheck.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static MemoryFile file;
    static MemoryFile scratch;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    LoadingArchive ar(file.Reset(bytes));
    QByteArray header(kArchiveHeaderSize, '\0');
    const bool hasHeader = ar.ReadBytes(header.data(), kArchiveHeaderSize) == LoadingArchive::Ok
        && IsArchiveHeader(header);
    FuzzRequire(hasHeader == bytes.startsWith(ArchiveHeader()), "the header is recognised exactly");

    // Without a header the bytes are read as records all the same: the reader must bear anything.
    LoadingArchive records(file.Reset(bytes.mid(hasHeader ? kArchiveHeaderSize : 0)));
    Records read;
    bool corrupt = false;
    for (;;) {
        const qint64 before = records.Remaining();
        auto record = std::make_unique<CDisplayObj>();
        const LoadingArchive::Status status = record->Serialize(records);
        FuzzRequire(status != LoadingArchive::FileError, "a memory file never fails to read");
        if (status == LoadingArchive::EndOfData)
            break;
        FuzzRequire(records.Remaining() < before, "every record read takes bytes");
        corrupt = corrupt || status == LoadingArchive::Corrupt;
        read.push_back(std::move(record));
    }
    RequireStoredFormRoundTrip(read, scratch);
    // Five integers and a length prefix at the least, even for a record cut short by its text length.
    FuzzRequire(read.size() <= size / 21, "no record is made of fewer bytes than its fixed fields");

    if (!hasHeader)
        return 0;
    CQuorvelDoc doc;
    const int boxes = FuzzStation::BoxesShown();
    LoadingArchive docArchive(file.Reset(bytes));
    FuzzRequire(doc.ReadArchive(docArchive) == 1, "an archive with its header is read");
    FuzzRequire(FuzzStation::BoxesShown() - boxes == (corrupt ? 1 : 0), "a damaged text length is told once");
    size_t next = 0;
    for (int i = 0; i < doc.GetEventCount(); ++i) {
        while (next < read.size() && !SameListedRecord(*read[next], doc.GetEvent(i)))
            ++next;
        FuzzRequire(next < read.size(), "the document lists records of the stream, in order");
        ++next;
    }
    return 0;
}

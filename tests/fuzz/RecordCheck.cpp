#include "tests/fuzz/RecordCheck.h"

#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"
#include "events/StoringArchive.h"
#include "tests/fuzz/FuzzStation.h"
#include "tests/fuzz/MemoryFile.h"

bool SameStoredRecord(const CDisplayObj& a, const CDisplayObj& b)
{
    return a.GetStatusColor() == b.GetStatusColor() && a.GetTextColor() == b.GetTextColor()
        && a.GetKind() == b.GetKind() && a.IsFault() == b.IsFault() && a.GetLength() == b.GetLength()
        && a.GetText() == b.GetText() && a.IsTextMessage() == b.IsTextMessage();
}

bool SameListedRecord(const CDisplayObj& record, const ListedEvent& listed)
{
    // A list keeps what a window shows: the three colour bytes, one of the four kinds, fault or not.
    return (record.GetTextColor() & 0x00FFFFFF) == listed.GetTextColor()
        && EventList::ListedKind(record.GetKind()) == listed.GetKind() && (record.IsFault() != 0) == listed.IsFault()
        && record.TextView() == listed.TextView();
}

void RequireStoredFormRoundTrip(const Records& records, MemoryFile& file)
{
    QFile& out = file.Reset();
    qsizetype expected = 0;
    {
        StoringArchive ar(out);
        for (const auto& record : records) {
            record->Serialize(ar);
            ar.EndRecord();
            const qsizetype textLength = record->GetText().size();
            expected += 24 + (textLength < 0xFF ? 1 : textLength < 0xFFFE ? 3 : 7) + textLength;
        }
        FuzzRequire(ar.Flush() && !ar.HasError(), "records are written");
    }
    const QByteArray stored = file.Contents();
    FuzzRequire(stored.size() == expected, "a stored form has its exact size");

    LoadingArchive ar(file.Reset(stored));
    for (const auto& record : records) {
        CDisplayObj back;
        FuzzRequire(back.Serialize(ar) == LoadingArchive::Ok, "a stored form reads back");
        FuzzRequire(SameStoredRecord(back, *record) && back.GetChannel() == -1,
                    "a record read back equals the record written");
    }
    FuzzRequire(ar.Remaining() == 0, "reading takes every stored byte");
}

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

void RequireStoredFormRoundTrip(const CDisplayObj& record, MemoryFile& file)
{
    QFile& out = file.Reset();
    {
        CStoringArchive ar(out);
        record.Serialize(ar);
        ar.EndRecord();
        FuzzRequire(ar.Flush() && !ar.HasError(), "a record is written");
    }
    const QByteArray stored = file.Contents();
    const qsizetype textLength = record.GetText().size();
    const int prefix = textLength < 0xFF ? 1 : textLength < 0xFFFE ? 3 : 7;
    FuzzRequire(stored.size() == 24 + prefix + textLength, "the stored form has its exact size");

    CLoadingArchive ar(file.Reset(stored));
    CDisplayObj back;
    FuzzRequire(back.Serialize(ar) == CLoadingArchive::Ok, "the stored form reads back");
    FuzzRequire(ar.Remaining() == 0, "reading takes every stored byte");
    FuzzRequire(SameStoredRecord(back, record) && back.GetChannel() == -1, "a record read back equals the record written");
}

// Record decoding: a 3-byte coded message, or a text message of any other length up to 256
// bytes, on channel 2 (40 lines), decoded with a fixed alarm table. Properties: the display line
// is made, beginning with the time and, for a coded message, naming its status, kind and alarm
// number consistently with the record's fields; a text message's own text ends its line; the
// stored form is written and read back equal to the record.
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"
#include "tests/events/AlarmFixture.h"
#include "tests/fuzz/FuzzStation.h"
#include "tests/fuzz/MemoryFile.h"
#include "tests/fuzz/RecordCheck.h"
#include "tests/fuzz/SampleAlarms.h"

#include <cstring>

namespace {

constexpr int kChannel = 2;
const QByteArray kTime = "14:05:09 ";  // the fuzz station's clock
constexpr size_t kLongestMessage = 256;

void CheckCodedRecord(const CDisplayObj& record, const uint8_t* message)
{
    const QByteArray text = record.GetText();
    FuzzRequire(text.startsWith(kTime) && text.size() >= 25, "a coded line starts with the time");
    FuzzRequire(text[9] == "LRSX"[message[0] & 3], "the status letter is the status bits'");
    const char kindLetter = text[11];
    const int kind = kindLetter == 'A' || kindLetter == 'F' ? CDisplayObj::KIND_ALARM
        : kindLetter == 'E'                                 ? CDisplayObj::KIND_EVENT
        : kindLetter == 'S'                                 ? CDisplayObj::KIND_SYSTEM
                                                            : CDisplayObj::KIND_OTHER;
    FuzzRequire(record.GetKind() == kind && record.IsFault() == (kindLetter == 'F' ? 1 : 0),
                "the kind letter tells the record's kind");
    const QByteArray number = QByteArray::number(message[1]).rightJustified(3, '0');
    FuzzRequire(text.mid(12, 11) == " Event " + number + ':', "the line names the alarm number");
    FuzzRequire(record.GetLength() == 3 && !record.IsTextMessage(), "a coded record has length 3");
}

void CheckTextRecord(const CDisplayObj& record, const uint8_t* message, size_t size)
{
    const QByteArray text = record.GetText();
    FuzzRequire(record.GetLength() == int(size) && record.IsTextMessage(), "a text record keeps its length");
    FuzzRequire(!record.IsFault(), "a text message is no fault");
    FuzzRequire(text.isEmpty() == (record.GetKind() == CDisplayObj::KIND_OTHER), "only kind 3 has no line");
    if (text.isEmpty())
        return;
    FuzzRequire(text.startsWith(kTime), "a text line starts with the time");
    FuzzRequire(size_t(text.size()) <= kTime.size() + 40 + size, "a text line is bounded by its message");
    const int type = message[0] + message[1];
    if (type == 132 || type == 148) {
        const char* own = reinterpret_cast<const char*>(message) + 2;
        FuzzRequire(text.endsWith(QByteArray(own, qsizetype(strnlen(own, size - 2)))), "the message text ends the line");
    }
}

bool SetUpStation()
{
    WriteProfileInt(QStringLiteral("Lines"), QString::number(kChannel), 40);
    return LoadAlarmFixture(SampleAlarmBlocks());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = SetUpStation();
    FuzzRequire(ready, "the sample alarm table loads");
    static MemoryFile file;
    size = std::min(size, kLongestMessage);
    Records records;
    if (size == 3) {
        records.push_back(std::make_unique<CDisplayObj>(data[0], data[1], data[2], kChannel));
        CheckCodedRecord(*records.front(), data);
    } else {
        records.push_back(std::make_unique<CDisplayObj>(reinterpret_cast<const char*>(data), int(size), kChannel));
        CheckTextRecord(*records.front(), data, size);
    }
    RequireStoredFormRoundTrip(records, file);
    return 0;
}

// The alarm-text loader fed any almdata.txt. Properties: the file loads exactly when it holds
// both marker lines as whole lines, and a refused file is told once; every field of every alarm
// number is empty or a whole line of the file; a line-state alarm names a state; decoding each
// alarm number gives a line of bounded length; loading the same file again gives the same table.
#include "core/SettingsKeys.h"
#include "events/AlarmTexts.h"
#include "events/DisplayObj.h"
#include "tests/fuzz/FuzzStation.h"

#include <QSet>

#include <array>

namespace {

constexpr int kAlarmNumbers = 256;
constexpr int kFields = 8;
using Table = std::array<QByteArray, kAlarmNumbers * kFields>;

// Whether the file holds the text as a whole line, ended by LF, CR LF or the end of the file.
bool HasWholeLine(const QByteArray& file, const QByteArray& line)
{
    for (qsizetype at = file.indexOf(line); at >= 0; at = file.indexOf(line, at + 1)) {
        const qsizetype end = at + line.size();
        const bool starts = at == 0 || file[at - 1] == '\n';
        const bool ends = end == file.size() || file[end] == '\n' || (file.mid(end, 2) == "\r\n");
        if (starts && ends && !(line.isEmpty() && at == file.size()))
            return true;
    }
    return false;
}

Table ReadTable()
{
    Table table;
    for (int n = 0; n < kAlarmNumbers; ++n) {
        for (int f = 0; f < kFields; ++f)
            table[size_t(n * kFields + f)] = GetAlarmField(n, f);
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzStation::WriteFile(QString::fromLatin1(Str::kAlarmFileName), bytes);
    const int boxes = FuzzStation::BoxesShown();
    const int loaded = LoadAlarmTexts();
    const bool valid = HasWholeLine(bytes, Str::kAlarmFileHeader) && HasWholeLine(bytes, Str::kAlarmFileEndOfHeader);
    FuzzRequire(loaded == (valid ? 1 : 0), "a file loads exactly when it holds both marker lines");
    FuzzRequire(FuzzStation::BoxesShown() - boxes == (valid ? 0 : 1), "a refused file is told once");

    const Table table = ReadTable();
    QSet<QByteArray> checked;
    for (const QByteArray& field : table) {
        if (field.isEmpty() || checked.contains(field))
            continue;
        FuzzRequire(!field.contains('\n') && HasWholeLine(bytes, field), "a field is a whole line of the file");
        checked.insert(field);
    }
    for (int n = 0; n < kAlarmNumbers; ++n) {
        if (IsLineStateAlarm(n))
            FuzzRequire(table[size_t(n * kFields + 4)].startsWith("ALM_"), "a line-state alarm names a state");
        const CDisplayObj record(quint8(n), quint8(n), 0xFF, 1);
        FuzzRequire(record.GetText().size() <= 64 + table[size_t(n * kFields + 5)].size(),
                    "a decoded line is bounded by its description");
    }

    FuzzRequire(LoadAlarmTexts() == loaded && ReadTable() == table, "loading is deterministic");
    return 0;
}

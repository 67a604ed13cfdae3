#include "tests/events/AlarmFixture.h"

#include "core/SettingsKeys.h"
#include "core/Station.h"
#include "events/AlarmTexts.h"

#include <QFile>

QByteArray AlarmFileBytes(const QMap<int, QByteArrayList>& blocks)
{
    QByteArray bytes = QByteArray("/*\n") + Str::kAlarmFileHeader + "\n" + Str::kAlarmFileEndOfHeader + "\n";
    bytes += "unread line after the marker\n";
    const int last = blocks.isEmpty() ? -1 : blocks.lastKey();
    for (int n = 0; n <= last; ++n) {
        QByteArrayList lines = blocks.value(n);
        while (lines.size() < 5)
            lines.append(QByteArray());
        bytes += "ALARM_" + QByteArray::number(n) + "\n";
        for (const QByteArray& line : lines)
            bytes += line + "\n";
        bytes += "unused\nunused\n";
    }
    return bytes;
}

bool LoadAlarmFixture(const QMap<int, QByteArrayList>& blocks)
{
    QFile file(StationPath(QString::fromLatin1(Str::kAlarmFileName)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(AlarmFileBytes(blocks));
    file.close();
    return LoadAlarmTexts() == 1;
}

#include "ArchiveName.h"

#include "core/SettingsKeys.h"

bool ParseArchiveName(const QString& fileName, ArchiveName& name)
{
    const QString extension = QLatin1Char('.') + QLatin1String(Str::kArchiveExtension);
    constexpr int kKeyLength = 8;
    // At least one character of channel name, the blank and the date key.
    if (!fileName.endsWith(extension) || fileName.size() < extension.size() + kKeyLength + 2)
        return false;
    const int keyAt = int(fileName.size() - extension.size() - kKeyLength);
    if (fileName.at(keyAt - 1) != QLatin1Char(' '))
        return false;
    const QString key = fileName.mid(keyAt, kKeyLength);
    for (const QChar c : key) {
        if (!c.isDigit() || c.unicode() > '9')
            return false;
    }
    const QDate date = QDate::fromString(key, QStringLiteral("yyyyMMdd"));
    if (!date.isValid())
        return false;
    name.channel = fileName.left(keyAt - 1);
    name.date = date;
    return true;
}

#include "core/HandWrittenValues.h"

#include "core/RegularFile.h"

#include <QFile>

namespace {

// A section or key name as QSettings writes it: %XX and %UXXXX stand for one character, and in
// a key a backslash stands for the slash of a group.
QString DecodeName(const QString& name)
{
    QString decoded;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('%')) {
            const bool wide = name.mid(i + 1, 1) == QLatin1String("U");
            const qsizetype digits = wide ? 4 : 2;
            const QString hex = name.mid(i + (wide ? 2 : 1), digits);
            bool ok = false;
            const ushort code = hex.toUShort(&ok, 16);
            if (ok && hex.size() == digits) {
                decoded += QChar(code);
                i += (wide ? 1 : 0) + digits;
                continue;
            }
        }
        decoded += c == QLatin1Char('\\') ? QLatin1Char('/') : c;
    }
    return decoded;
}

bool IsReadOtherwiseByQSettings(const QString& value)
{
    return (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char(';')))
           && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\\'))
           && !value.startsWith(QLatin1Char('@'));
}

} // namespace

QHash<QString, QString> ReadHandWrittenValues(const QString& iniPath)
{
    QHash<QString, QString> values;
    QFile file;
    if (OpenRegularFile(file, iniPath) != RegularFileOpen::Opened)
        return values;
    QString section;
    bool continued = false;  // the line before ended in a backslash: this one belongs to its value
    for (const QByteArray& bytes : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        const bool wasContinued = continued;
        continued = line.endsWith(QLatin1Char('\\'));
        if (wasContinued || line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const QString name = line.mid(1, line.indexOf(QLatin1Char(']')) - 1).trimmed();
            section = name == QLatin1String("General") ? QString() : DecodeName(name);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = DecodeName(line.left(equals).trimmed());
        const QString path = section.isEmpty() ? key : section + QLatin1Char('/') + key;
        const QString value = line.mid(equals + 1).trimmed();
        if (IsReadOtherwiseByQSettings(value))
            values.insert(path, value);
        else
            values.remove(path);
    }
    return values;
}

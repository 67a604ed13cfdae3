#include "core/MountPoints.h"

#include "core/Logging.h"

#include <QFile>

namespace {

QList<QByteArray> Lines(const QString& path)
{
    QFile table(path);
    if (!table.open(QIODevice::ReadOnly)) {
        qCDebug(lcApp) << "no mount table:" << path << table.errorString();
        return {};
    }
    return table.readAll().split('\n');
}

} // namespace

QString DecodeMountPath(const QByteArray& field)
{
    QByteArray decoded;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool octal = false;
        const int code = field[i] == '\\' ? field.mid(i + 1, 3).toInt(&octal, 8) : 0;
        if (octal && i + 3 < field.size()) {
            decoded += char(code);
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return QFile::decodeName(decoded);
}

QStringList MountedFolders(const QString& mountInfo)
{
    QStringList folders;
    // The fifth field of each line is the mount point.
    for (const QByteArray& line : Lines(mountInfo)) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 5)
            folders.append(DecodeMountPath(fields[4]));
    }
    return folders;
}

QStringList FstabFolders(const QString& fstab)
{
    QStringList folders;
    // Each line: what is mounted, where, the file system type, options; fields apart by blanks or tabs.
    for (const QByteArray& line : Lines(fstab)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3 || fields[0].startsWith('#') || fields[2] == "swap" || !fields[1].startsWith('/'))
            continue;
        folders.append(DecodeMountPath(fields[1]));
    }
    return folders;
}

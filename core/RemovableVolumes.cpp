#include "core/RemovableVolumes.h"

#include "core/Logging.h"
#include "core/MountPoints.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

QByteArray ReadAttribute(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// The sysfs folder of a mounted block device, by its device number, else by the name of its
// device file (file systems that report a device number of their own, such as btrfs).
QString DeviceFolder(const QString& sysRoot, const QByteArray& deviceNumber, const QString& source)
{
    QString folder = QFileInfo(sysRoot + QStringLiteral("/dev/block/") + QString::fromLatin1(deviceNumber)).canonicalFilePath();
    if (folder.isEmpty() && source.startsWith(QLatin1String("/dev/"))) {
        const QString device = QFileInfo(source).canonicalFilePath();
        const QString name = QFileInfo(device.isEmpty() ? source : device).fileName();
        folder = QFileInfo(sysRoot + QStringLiteral("/class/block/") + name).canonicalFilePath();
    }
    return folder;
}

bool IsRemovableDisk(const QString& sysRoot, const QString& deviceFolder)
{
    QString folder = deviceFolder;
    if (QFileInfo::exists(folder + QStringLiteral("/partition")))
        folder = QFileInfo(folder).path();
    const QString root = QFileInfo(sysRoot).canonicalFilePath();
    // The disk's own attribute is 1 or 0; a device above it says "removable", "fixed" or "unknown".
    for (; folder.startsWith(root + QLatin1Char('/')); folder = QFileInfo(folder).path()) {
        const QByteArray removable = ReadAttribute(folder + QStringLiteral("/removable"));
        if (removable == "1" || removable == "removable")
            return true;
    }
    return false;
}

} // namespace

QStringList FindRemovableVolumes(const SystemTables& tables)
{
    QFile table(tables.mountInfo);
    if (!table.open(QIODevice::ReadOnly)) {
        qCWarning(lcApp) << "no mount table:" << tables.mountInfo << table.errorString();
        return {};
    }
    QStringList mountPoints;
    QSet<QString> devices;
    // Each line: id, parent id, major:minor, root in the volume, mount point, options, optional
    // fields, "-", file system type, source, options of the file system.
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 6 || separator < 6 || separator + 2 >= fields.size())
            continue;
        if (fields[3] != "/" || fields[5].split(',').contains("ro"))
            continue;
        const QString folder = DeviceFolder(tables.sysRoot, fields[2], DecodeMountPath(fields[separator + 2]));
        if (folder.isEmpty() || devices.contains(folder) || !IsRemovableDisk(tables.sysRoot, folder))
            continue;
        devices.insert(folder);
        mountPoints.append(DecodeMountPath(fields[4]));
    }
    mountPoints.sort();
    return mountPoints;
}

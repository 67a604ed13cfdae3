#pragma once
#include <QString>
#include <QStringList>

// Where the system's tables are read from: the root of sysfs, the mount table of this process and
// the table of file systems to mount. Tests point them at a small tree of their own, since a test
// cannot plug in a memory stick or mount a share.
struct SystemTables
{
    QString sysRoot = QStringLiteral("/sys");
    QString mountInfo = QStringLiteral("/proc/self/mountinfo");
    QString fstab = QStringLiteral("/etc/fstab");
};

// The mount points of the volumes mounted for writing whose disk is removable (its "removable"
// attribute is 1, as for card readers and diskettes) or hangs off a hot-pluggable device (an
// ancestor's "removable" attribute says "removable", as for memory sticks and disks on USB).
// A partition counts by its disk. Each volume is listed once, at the first of its mount points
// that shows the whole volume; sorted by path, so the order does not depend on the order of plugging.
// Pseudo and network file systems have no block device and are never listed; neither are volumes
// mounted read-only (a mounted CD, a write-protected card), which cannot take a backup.
QStringList FindRemovableVolumes(const SystemTables& tables = SystemTables());

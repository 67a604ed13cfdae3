#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The mount tables' paths write blanks, tabs, newlines and backslashes as \ooo (octal).
QString DecodeMountPath(const QByteArray& field);

// The folders something is mounted on now, from a table in the form of /proc/self/mountinfo.
QStringList MountedFolders(const QString& mountInfo);

// The folders the system is told to mount on, from a table in the form of /etc/fstab (comments,
// blank lines and swap entries left out). An unreadable table names none.
QStringList FstabFolders(const QString& fstab);

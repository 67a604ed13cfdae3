#include "core/RemovableDrives.h"

#include "core/Logging.h"
#include "core/MountPoints.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFileInfo>

namespace {
QStringList g_astrRemovableDrives;
// Those that are a medium only while something is mounted on them: the volumes found mounted, and
// listed folders that were mount points at start-up or are named in the table of file systems.
QStringList g_astrVolumeDrives;
bool g_bBackupAvailable = false;
SystemTables g_tables;  // where IsDriveReady looks for what is mounted

bool ListsFolder(const QStringList& folders, const QString& folder)
{
    return folders.contains(folder) || folders.contains(QFileInfo(folder).canonicalFilePath());
}
}

QStringList ParseDriveFolders(const QString& value)
{
    QStringList folders;
    for (const QString& entry : value.split(QLatin1Char(';'))) {
        const QString folder = entry.trimmed();
        if (!folder.isEmpty())
            folders.append(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
    }
    return folders;
}

int FindRemovableDrives(const SystemTables& tables)
{
    g_astrRemovableDrives.clear();
    g_astrVolumeDrives.clear();
    g_tables = tables;
    const QString listed = GetProfileString(QString::fromLatin1(Str::kSectionBackup),
                                            QString::fromLatin1(Str::kBackupDrives), QString());
    const QStringList mounted = MountedFolders(tables.mountInfo);
    const QStringList toMount = FstabFolders(tables.fstab);
    for (const QString& folder : ParseDriveFolders(listed)) {
        if (QFileInfo(folder).isDir()) {
            g_astrRemovableDrives.append(folder);
            if (ListsFolder(mounted, folder) || ListsFolder(toMount, folder))
                g_astrVolumeDrives.append(folder);
            continue;
        }
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kBackupFolderMissing).arg(folder),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
    }
    for (const QString& mountPoint : FindRemovableVolumes(tables)) {
        if (g_astrRemovableDrives.contains(mountPoint))
            continue;
        g_astrRemovableDrives.append(mountPoint);
        g_astrVolumeDrives.append(mountPoint);
    }
    qCInfo(lcApp) << "removable drives:" << g_astrRemovableDrives;
    g_bBackupAvailable = !g_astrRemovableDrives.isEmpty();
    return int(g_astrRemovableDrives.size());
}

const QStringList& RemovableDrives()
{
    return g_astrRemovableDrives;
}

bool IsBackupAvailable()
{
    return g_bBackupAvailable;
}

QString GetBackupDrive()
{
    return g_astrRemovableDrives.value(0);
}

bool IsDriveReady(const QString& root)
{
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return false;
    return !g_astrVolumeDrives.contains(root) || ListsFolder(MountedFolders(g_tables.mountInfo), root);
}

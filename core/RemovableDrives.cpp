#include "core/RemovableDrives.h"

#include "core/Logging.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
QStringList g_astrRemovableDrives;
QStringList g_astrVolumeDrives;  // those found as mounted volumes
bool g_bBackupAvailable = false;
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
    const QString listed = GetProfileString(QString::fromLatin1(Str::kSectionBackup),
                                            QString::fromLatin1(Str::kBackupDrives), QString());
    for (const QString& folder : ParseDriveFolders(listed)) {
        if (QFileInfo(folder).isDir()) {
            g_astrRemovableDrives.append(folder);
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
    return !g_astrVolumeDrives.contains(root) || QStorageInfo(root).rootPath() == root;
}

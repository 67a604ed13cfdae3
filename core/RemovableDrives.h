#pragma once
#include "core/RemovableVolumes.h"

#include <QStringList>

// The drives an archive backup can be written to, found once at start-up: first the folders listed
// in the settings (section "Backup", value "Drives", separated by semicolons: a share mounted for
// backups, or a folder for tests), in the order written, then the removable volumes mounted for
// writing (see FindRemovableVolumes). The root of a drive is its folder or mount point. Returns how
// many were found and sets whether backup is available.
int FindRemovableDrives(const SystemTables& tables = SystemTables());

const QStringList& RemovableDrives();
// True when start-up found at least one drive.
bool IsBackupAvailable();
// The first drive, where backups go; empty when there is none.
QString GetBackupDrive();
// Whether a drive's medium is there to write to: its folder exists and, for a drive found as a
// mounted volume or a listed folder that was a mount point at start-up or is named in the table of
// file systems to mount, something is mounted on it now (a pulled stick or an unmounted share
// leaves an empty folder behind, and a copy into it would land on the system disk).
bool IsDriveReady(const QString& root);

// The folders of a "Drives" value: split at semicolons, blanks around each removed, relative ones
// taken from the current directory (the station's), without a trailing slash.
QStringList ParseDriveFolders(const QString& value);

#include "core/RemovableDrives.h"
#include "core/SettingsStore.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// A small sysfs: an internal disk, a memory stick and a disk on USB ports that can be unplugged,
// a card reader whose medium is removable, and a loop device. Device numbers as the kernel gives them.
const char* const kDevices[][3] = {
    // device folder under devices/, device number, "removable" attribute
    {"pci0/ata1/host0/block/sda", "8:0", "0"},
    {"pci0/ata1/host0/block/sda/sda1", "8:1", nullptr},
    {"pci0/usb1/1-1/1-1:1.0/host6/block/sdb", "8:16", "0"},
    {"pci0/usb1/1-1/1-1:1.0/host6/block/sdb/sdb1", "8:17", nullptr},
    {"pci0/usb1/1-2/1-2:1.0/host7/block/sdc", "8:32", "0"},
    {"pci0/usb1/1-2/1-2:1.0/host7/block/sdc/sdc1", "8:33", nullptr},
    {"pci0/usb1/1-2/1-2:1.0/host7/block/sdc/sdc2", "8:34", nullptr},
    {"pci0/usb1/1-3/1-3:1.0/host8/block/sdd", "8:48", "0"},
    {"pci0/ata2/host1/block/sde", "8:64", "1"},
    {"virtual/block/loop0", "7:0", "0"},
};
// What the ports above the disks say: 1-1 and 1-2 can be unplugged, 1-3 is built in.
const char* const kPorts[][2] = {
    {"pci0/usb1/1-1", "removable"}, {"pci0/usb1/1-2", "removable"}, {"pci0/usb1/1-3", "fixed"},
    {"pci0/ata1", "unknown"},
};

void WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text + '\n');
}

// Builds the tree under `root`; returns where its sysfs and mount tables are.
SystemTables MakeSystem(const QString& root, const QStringList& mounts, const QByteArray& fstab = QByteArray())
{
    const QString sys = root + QStringLiteral("/sys");
    for (const auto& device : kDevices) {
        const QString folder = sys + QStringLiteral("/devices/") + QLatin1String(device[0]);
        QDir().mkpath(folder);
        if (device[2])
            WriteText(folder + QStringLiteral("/removable"), device[2]);
        else
            WriteText(folder + QStringLiteral("/partition"), "1");
        const QString name = QFileInfo(folder).fileName();
        QDir().mkpath(sys + QStringLiteral("/dev/block"));
        QDir().mkpath(sys + QStringLiteral("/class/block"));
        QFile::link(folder, sys + QStringLiteral("/dev/block/") + QLatin1String(device[1]));
        QFile::link(folder, sys + QStringLiteral("/class/block/") + name);
    }
    for (const auto& port : kPorts)
        WriteText(sys + QStringLiteral("/devices/") + QLatin1String(port[0]) + QStringLiteral("/removable"), port[1]);
    WriteText(root + QStringLiteral("/mountinfo"), mounts.join(QLatin1Char('\n')).toUtf8());
    WriteText(root + QStringLiteral("/fstab"), fstab);
    return {sys, root + QStringLiteral("/mountinfo"), root + QStringLiteral("/fstab")};
}

// One line of a mount table.
QString Mount(const QString& number, const QString& mountPoint, const QString& type, const QString& source,
              const QString& options = QStringLiteral("rw,nosuid,nodev"), const QString& root = QStringLiteral("/"))
{
    return QStringLiteral("36 25 %1 %2 %3 %4 shared:1 - %5 %6 rw").arg(number, root, mountPoint, options, type, source);
}

const QStringList kSystemMounts = {
    Mount("0:22", "/proc", "proc", "proc"),
    Mount("0:23", "/sys", "sysfs", "sysfs"),
    Mount("0:5", "/dev", "devtmpfs", "udev"),
    Mount("0:26", "/run", "tmpfs", "tmpfs"),
    Mount("8:1", "/", "ext4", "/dev/sda1"),
    Mount("0:51", "/mnt/share", "nfs4", "server:/backup"),
};

} // namespace

class TestRemovableDrives : public QObject
{
    Q_OBJECT

private slots:
    void volumes_data();
    void volumes();
    void driveFolders_data();
    void driveFolders();
    void drivesFromSettings_data();
    void drivesFromSettings();
    void driveReady_data();
    void driveReady();
    void listedFolderNeedsItsMount_data();
    void listedFolderNeedsItsMount();
};

void TestRemovableDrives::volumes_data()
{
    QTest::addColumn<QStringList>("mounts");  // besides the system's own
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("memory stick partition")
        << QStringList{Mount("8:17", "/media/op/STICK", "vfat", "/dev/sdb1")} << QStringList{"/media/op/STICK"};
    QTest::newRow("card whose medium is removable, whole disk")
        << QStringList{Mount("8:64", "/media/card", "vfat", "/dev/sde")} << QStringList{"/media/card"};
    QTest::newRow("disk behind a built-in port")
        << QStringList{Mount("8:48", "/srv/data", "ext4", "/dev/sdd")} << QStringList{};
    QTest::newRow("loop device") << QStringList{Mount("7:0", "/snap/core", "squashfs", "/dev/loop0")} << QStringList{};
    QTest::newRow("read-only") << QStringList{Mount("8:17", "/media/cd", "iso9660", "/dev/sdb1", "ro,nosuid")}
                               << QStringList{};
    QTest::newRow("blank in the mount point, written octal")
        << QStringList{Mount("8:17", "/media/op/MY\\040STICK", "vfat", "/dev/sdb1")} << QStringList{"/media/op/MY STICK"};
    QTest::newRow("sorted by path, whatever the mount order")
        << QStringList{Mount("8:34", "/media/b", "ext4", "/dev/sdc2"), Mount("8:33", "/media/c", "ext4", "/dev/sdc1"),
                       Mount("8:17", "/media/a", "vfat", "/dev/sdb1")}
        << QStringList{"/media/a", "/media/b", "/media/c"};
    QTest::newRow("a volume mounted twice is one drive")
        << QStringList{Mount("8:17", "/media/z", "vfat", "/dev/sdb1"), Mount("8:17", "/media/a", "vfat", "/dev/sdb1")}
        << QStringList{"/media/z"};
    QTest::newRow("part of a volume bound elsewhere")
        << QStringList{Mount("8:17", "/srv/part", "vfat", "/dev/sdb1", "rw", "/backups")} << QStringList{};
    QTest::newRow("device number of the file system's own, found by device name")
        << QStringList{Mount("0:45", "/media/btrfs", "btrfs", "/dev/sdc1")} << QStringList{"/media/btrfs"};
    QTest::newRow("a line cut short") << QStringList{"36 25 8:17 / /media/x rw"} << QStringList{};
}

void TestRemovableDrives::volumes()
{
    QFETCH(QStringList, mounts);
    QFETCH(QStringList, expected);
    QTemporaryDir root;
    const SystemTables tables = MakeSystem(root.path(), kSystemMounts + mounts);
    QCOMPARE(FindRemovableVolumes(tables), expected);
}

void TestRemovableDrives::driveFolders_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("folders");  // %1: the current directory
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one") << "/mnt/backup" << QStringList{"/mnt/backup"};
    QTest::newRow("two, blanks around") << " /mnt/a ;  /mnt/b " << QStringList{"/mnt/a", "/mnt/b"};
    QTest::newRow("empty entries and trailing slash") << ";/mnt/a/;;" << QStringList{"/mnt/a"};
    QTest::newRow("comma is part of the name") << "/mnt/site a, b" << QStringList{"/mnt/site a, b"};
    QTest::newRow("relative to the station") << "backup" << QStringList{"%1/backup"};
}

void TestRemovableDrives::driveFolders()
{
    QFETCH(QString, value);
    QFETCH(QStringList, folders);
    TestStation station;
    for (QString& folder : folders)
        folder.replace(QStringLiteral("%1"), QDir::currentPath());
    QCOMPARE(ParseDriveFolders(value), folders);
}

void TestRemovableDrives::drivesFromSettings_data()
{
    QTest::addColumn<QByteArray>("typed");        // the value of Drives= as typed into the settings file
    QTest::addColumn<QStringList>("mounts");      // removable volumes mounted besides the system's (%2 as below)
    QTest::addColumn<QStringList>("drives");      // %1: the station directory, %2: the fake system's root
    QTest::addColumn<QStringList>("messages");
    const QString missing = QStringLiteral(
        "The backup folder %1/gone named in the settings (section Backup, value Drives) is not a folder; "
        "archives are not backed up there.");
    const QStringList stick{Mount("8:17", "%2/media/STICK", "vfat", "/dev/sdb1")};
    QTest::newRow("nothing") << QByteArray() << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("a stick") << QByteArray() << stick << QStringList{"%2/media/STICK"} << QStringList{};
    QTest::newRow("listed folders first, in the order written")
        << QByteArray("shareB; shareA") << stick << QStringList{"%1/shareB", "%1/shareA", "%2/media/STICK"}
        << QStringList{};
    QTest::newRow("listed folder that is not there") << QByteArray("gone;shareA") << QStringList{}
                                                     << QStringList{"%1/shareA"} << QStringList{missing};
    QTest::newRow("a stick listed as well is one drive")
        << QByteArray("%2/media/STICK") << stick << QStringList{"%2/media/STICK"} << QStringList{};
}

void TestRemovableDrives::drivesFromSettings()
{
    QFETCH(QByteArray, typed);
    QFETCH(QStringList, mounts);
    QFETCH(QStringList, drives);
    QFETCH(QStringList, messages);
    TestStation station;
    ScriptedMessages scripted;
    QDir().mkpath(station.Path(QStringLiteral("shareA")));
    QDir().mkpath(station.Path(QStringLiteral("shareB")));
    // The stick's mount point is a real folder, so a listed one finds it.
    QTemporaryDir root;
    QDir().mkpath(root.path() + QStringLiteral("/media/STICK"));
    for (QString& mount : mounts)
        mount.replace(QStringLiteral("%2"), root.path());
    const SystemTables tables = MakeSystem(root.path(), kSystemMounts + mounts);
    if (!typed.isEmpty())
        station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"),
                          "[Backup]\nDrives=" + typed.replace("%2", QFile::encodeName(root.path())) + "\n");
    for (QString& drive : drives)
        drive.replace(QStringLiteral("%1"), station.Dir()).replace(QStringLiteral("%2"), root.path());
    for (QString& message : messages)
        message.replace(QStringLiteral("%1"), station.Dir());

    QCOMPARE(FindRemovableDrives(tables), int(drives.size()));
    QCOMPARE(RemovableDrives(), drives);
    QCOMPARE(IsBackupAvailable(), !drives.isEmpty());
    QCOMPARE(GetBackupDrive(), drives.value(0));
    QCOMPARE(scripted.texts, messages);
}

void TestRemovableDrives::driveReady_data()
{
    QTest::addColumn<QString>("stickMountPoint");  // %2: the fake system's root
    QTest::addColumn<QString>("drive");            // %1: the station directory
    QTest::addColumn<bool>("removeDrive");         // its folder is gone after start-up
    QTest::addColumn<bool>("ready");
    // /proc stands for a volume that is still mounted once the stick is pulled.
    QTest::newRow("listed folder") << "%2/media/STICK" << "%1/share" << false << true;
    QTest::newRow("listed folder gone since start-up") << "%2/media/STICK" << "%1/share" << true << false;
    QTest::newRow("volume still mounted") << "/proc" << "/proc" << false << true;
    QTest::newRow("volume pulled, its mount point left") << "%2/media/STICK" << "%2/media/STICK" << false << false;
    QTest::newRow("no drive") << "%2/media/STICK" << "" << false << false;
}

void TestRemovableDrives::driveReady()
{
    QFETCH(QString, stickMountPoint);
    QFETCH(QString, drive);
    QFETCH(bool, removeDrive);
    QFETCH(bool, ready);
    TestStation station;
    ScriptedMessages scripted;
    QTemporaryDir root;
    QDir().mkpath(root.path() + QStringLiteral("/media/STICK"));
    QDir().mkpath(station.Path(QStringLiteral("share")));
    WriteProfileString(QStringLiteral("Backup"), QStringLiteral("Drives"), QStringLiteral("share"));
    stickMountPoint.replace(QStringLiteral("%2"), root.path());
    drive.replace(QStringLiteral("%1"), station.Dir()).replace(QStringLiteral("%2"), root.path());
    const SystemTables tables =
        MakeSystem(root.path(), kSystemMounts + QStringList{Mount("8:17", stickMountPoint, "vfat", "/dev/sdb1")});
    FindRemovableDrives(tables);
    if (!drive.isEmpty())
        QVERIFY(RemovableDrives().contains(drive));
    // The stick is pulled after start-up: what stays mounted is the system's own, /proc among them.
    WriteText(tables.mountInfo, kSystemMounts.join(QLatin1Char('\n')).toUtf8());
    if (removeDrive)
        QVERIFY(QDir(drive).removeRecursively());
    QCOMPARE(IsDriveReady(drive), ready);
}

// A listed folder that a share or disk is mounted on is a medium only while it is mounted: a
// folder that was a mount point at start-up, or one the table of file systems names, is missing
// once nothing is mounted on it, or the copy would land on the system disk beneath it.
void TestRemovableDrives::listedFolderNeedsItsMount_data()
{
    QTest::addColumn<QString>("folder");       // in the station directory
    QTest::addColumn<QByteArray>("fstab");     // %1: the folder's path as the table writes it
    QTest::addColumn<bool>("mountedAtStart");
    QTest::addColumn<bool>("mountedNow");
    QTest::addColumn<bool>("ready");
    const QByteArray noEntry = "# <file system> <mount point> <type> <options> <dump> <pass>\n"
                               "UUID=1234 / ext4 errors=remount-ro 0 1\n";
    const QByteArray entry = noEntry + "server:/backup\t%1  nfs4  noauto,user  0  0\n";
    QTest::newRow("plain folder") << "share" << noEntry << false << false << true;
    QTest::newRow("mounted at start, still mounted") << "share" << noEntry << true << true << true;
    QTest::newRow("mounted at start, unmounted since") << "share" << noEntry << true << false << false;
    QTest::newRow("named in the table, never mounted") << "share" << entry << false << false << false;
    QTest::newRow("named in the table, mounted since") << "share" << entry << false << true << true;
    QTest::newRow("named in the table, unmounted since") << "share" << entry << true << false << false;
    QTest::newRow("named with a blank written octal, not mounted") << "night share" << entry << false << false << false;
    QTest::newRow("commented out in the table") << "share" << noEntry + "#server:/b %1 nfs4 noauto 0 0\n" << false
                                                 << false << true;
    QTest::newRow("swap line naming no folder") << "share" << noEntry + "/swapfile none swap sw 0 0\n" << false
                                                << false << true;
}

void TestRemovableDrives::listedFolderNeedsItsMount()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, fstab);
    QFETCH(bool, mountedAtStart);
    QFETCH(bool, mountedNow);
    QFETCH(bool, ready);
    TestStation station;
    ScriptedMessages scripted;
    QTemporaryDir root;
    const QString drive = station.Path(folder);
    QVERIFY(QDir().mkpath(drive));
    QByteArray written = QFile::encodeName(drive);
    written.replace(" ", "\\040");
    WriteProfileString(QStringLiteral("Backup"), QStringLiteral("Drives"), folder);
    const QString share = Mount("0:51", QString::fromLatin1(written), "nfs4", "server:/backup");
    const SystemTables tables = MakeSystem(root.path(), kSystemMounts + (mountedAtStart ? QStringList{share} : QStringList{}),
                                           fstab.replace("%1", written));
    QCOMPARE(FindRemovableDrives(tables), 1);
    QCOMPARE(GetBackupDrive(), drive);

    WriteText(tables.mountInfo, (kSystemMounts + (mountedNow ? QStringList{share} : QStringList{})).join(QLatin1Char('\n')).toUtf8());
    QCOMPARE(IsDriveReady(drive), ready);
    QVERIFY(scripted.texts.isEmpty());
}

QTEST_GUILESS_MAIN(TestRemovableDrives)
#include "tst_removabledrives.moc"

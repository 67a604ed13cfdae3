#include "archive/ArchiveFormat.h"
#include "archive/DiskSpace.h"
#include "archive/QuorvelDoc.h"
#include "archive/VerifiedCopy.h"
#include "core/Clock.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/RemovableDrives.h"
#include "core/SettingsStore.h"
#include "core/Station.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/ui/ChannelWindows.h"
#include "ui/ArchiveDlg.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>
#include <linux/capability.h>
#include <sched.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QDate kToday(2024, 5, 6);

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What follows the system's reason when an archive's copy failed; %1 is the Archives folder.
QString Incomplete(const QString& title)
{
    return QStringLiteral("\nThe backup copy of %1/%2.krv is not complete.").arg(QStringLiteral("%1"), title);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The person at the backup dialog: each step is taken once the dialog is up and no copy is
// under way; with no step left, the dialog is cancelled.
class Operator : public QObject
{
public:
    using Step = std::function<void(CArchiveDlg&)>;

    explicit Operator(QList<Step> steps)
        : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, &Operator::Poll);
        m_timer.start(10);
    }
    int StepsLeft() const { return int(m_steps.size()); }
    bool RanOut() const { return m_ranOut; }
    QStringList firstList;  // the list as first shown

private:
    void Poll()
    {
        auto* dialog = qobject_cast<CArchiveDlg*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->IsCopying())
            return;
        if (!m_shown) {
            m_shown = true;
            for (int row = 0; row < dialog->List()->count(); ++row)
                firstList.append(dialog->List()->item(row)->text());
        }
        if (m_steps.isEmpty()) {
            m_ranOut = true;
            dialog->reject();
            return;
        }
        m_steps.takeFirst()(*dialog);
    }

    QList<Step> m_steps;
    QTimer m_timer;
    bool m_shown = false;
    bool m_ranOut = false;
};

QPushButton* Button(CArchiveDlg& dialog, const char* text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QLatin1String(text))
            return button;
    }
    return nullptr;
}

Operator::Step Choose(const QString& text)
{
    return [text](CArchiveDlg& dialog) {
        QListWidget* list = dialog.List();
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(text));
        list->scrollToItem(found[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QVERIFY(found[0]->isSelected());
    };
}

void Save(CArchiveDlg& dialog)
{
    QTest::mouseClick(Button(dialog, Str::kBackupSave), Qt::LeftButton);
}

void Cancel(CArchiveDlg& dialog)
{
    QTest::mouseClick(Button(dialog, Str::kBackupCancel), Qt::LeftButton);
}

// The archives of the test station, by file title, with their sizes after the header.
const QList<QPair<QString, int>> kArchives = {
    {QStringLiteral("North Gate 20060307"), 300},
    {QStringLiteral("North Gate 20060401"), 40000},
    {QStringLiteral("East Yard 20060307"), 40000},
};

// A station with a channel window, its archives, and a folder standing for the removable
// medium, named as the backup drive in the settings.
class BackupStation
{
public:
    BackupStation()
        : m_drive(m_media.path() + QStringLiteral("/A"))
    {
        Clock::SetNow(QDateTime(kToday, QTime(10, 0)));
        QDir().mkpath(m_drive);
        for (const auto& [title, size] : kArchives)
            WriteArchive(title, size);
        UseDrive(m_drive);
    }

    // Makes a folder the backup drive, as start-up finds it.
    void UseDrive(const QString& folder)
    {
        WriteProfileString(QString::fromLatin1(Str::kSectionBackup), QString::fromLatin1(Str::kBackupDrives), folder);
        FindRemovableDrives(SystemTables{m_media.path() + QStringLiteral("/no-sys"), m_media.path() + QStringLiteral("/no-mounts")});
        windows.Frame().SetBackupAvailable(IsBackupAvailable());
    }
    QString Drive() const { return m_drive; }
    QString ArchivePath(const QString& title) const
    {
        return StationPath(QStringLiteral("Archives/")) + title + QStringLiteral(".krv");
    }
    void WriteArchive(const QString& title, int size)
    {
        QDir().mkpath(StationPath(QStringLiteral("Archives")));
        QFile file(ArchivePath(title));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ArchiveHeader() + QByteArray(size, char('a' + size % 26)));
    }
    // Ctrl+B in the channel window; an Operator made before takes the steps in the dialog.
    void Backup()
    {
        QTest::keyClick(windows.View(1), Qt::Key_B, Qt::ControlModifier);
    }
    // The names of the files on the medium.
    QStringList OnMedium(const QString& drive) const
    {
        return QDir(drive).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    ChannelWindows windows{1};

private:
    QTemporaryDir m_media;
    QString m_drive;
};

// Takes away the process's right to write where file permissions forbid it, root's included
// (root writes into a read-only folder otherwise). Threads started while it is in force inherit it.
class WithoutPermissionOverride
{
public:
    WithoutPermissionOverride()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_set = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~WithoutPermissionOverride()
    {
        if (m_set)
            ::syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_set = false;
};

// Whether this process may mount file systems of its own (root with the right to, in a mount
// namespace of its own so that nothing outlives the test).
bool CanMount()
{
    static const bool can = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return can;
}

// A small memory file system mounted on a folder for the life of the object.
class ScratchMount
{
public:
    ScratchMount(const QString& folder, const char* options)
        : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options) == 0;
    }
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool IsMounted() const { return m_mounted; }
    bool Remount(unsigned long flags)
    {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

} // namespace

class TestArchiveDlg : public QObject
{
    Q_OBJECT
private slots:
    void listEntry_data();
    void listEntry();
    void listIsSortedByText();
    void backup_data();
    void backup();
    void retry_data();
    void retry();
    void saveWithNothingChosenComesBackFresh();
    void pipeInPlaceOfAnArchiveIsNotWaitedOn();
    void commandFollowsBackupAvailability();
    void programEndingEndsTheDialog();
};

void TestArchiveDlg::listEntry_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("roundTrip");  // the entry turns back into the archive's path
    QTest::newRow("channel and date") << "North Gate 20060307" << "North Gate : 07/03/2006" << true;
    QTest::newRow("default channel name") << "Channel 16 20241231" << "Channel 16 : 31/12/2024" << true;
    QTest::newRow("name holding a place marker") << "Gate %2 20060307" << "Gate %2 : 07/03/2006" << true;
    QTest::newRow("name with a dot") << "St. Mary 20060307" << "St. Mary : 07/03/2006" << true;
    QTest::newRow("only a date") << "20060307" << ": 07/03/2006" << true;
    QTest::newRow("shorter than a date") << "0307" << ": //0307" << false;
}

void TestArchiveDlg::listEntry()
{
    QFETCH(QString, title);
    QFETCH(QString, entry);
    QFETCH(bool, roundTrip);
    TestStation station;
    QCOMPARE(CArchiveDlg::FormatListEntry(title), entry);
    if (roundTrip)
        QCOMPARE(CArchiveDlg::ListEntryToPath(entry), StationPath(QStringLiteral("Archives/")) + title + QStringLiteral(".krv"));
}

void TestArchiveDlg::listIsSortedByText()
{
    BackupStation station;
    for (const char* title : {"Channel 2 20240101", "Channel 10 20240101", "channel 3 20231231", "North Gate 20060401",
                              "North Gate 20070301", ".Annex 20240101"})
        station.WriteArchive(QLatin1String(title), 10);
    // Not archives the list could name again.
    QFile(StationPath(QStringLiteral("Archives/notes.txt"))).open(QIODevice::WriteOnly);
    QFile(StationPath(QStringLiteral("Archives/Upper 20240101.KRV"))).open(QIODevice::WriteOnly);
    Operator person({});
    station.Backup();
    // By channel name as text, then day, month and year as text, not by date.
    const QStringList expected{
        ".Annex : 01/01/2024",     "Channel 10 : 01/01/2024", "Channel 2 : 01/01/2024",  "channel 3 : 31/12/2023",
        "East Yard : 07/03/2006",  "North Gate : 01/03/2007", "North Gate : 01/04/2006", "North Gate : 07/03/2006",
    };
    QCOMPARE(person.firstList, expected);
}

void TestArchiveDlg::backup_data()
{
    QTest::addColumn<QString>("medium");       // folder, file size limit, tmpfs, measured small
    QTest::addColumn<bool>("held");            // channel 1 has today's archive open for appending
    QTest::addColumn<QStringList>("chosen");   // list entries, in the order clicked
    QTest::addColumn<QStringList>("before");   // archives already on the medium (an older copy)
    QTest::addColumn<QStringList>("boxes");    // %1: the Archives folder
    QTest::addColumn<QStringList>("copied");   // whole copies on the medium afterwards
    QTest::addColumn<QStringList>("kept");     // older copies left as they were

    const QString gate0307 = QStringLiteral("North Gate 20060307");
    const QString gate0401 = QStringLiteral("North Gate 20060401");
    const QString yard = QStringLiteral("East Yard 20060307");
    QTest::newRow("copies the chosen archives under their own names")
        << "folder" << false << QStringList{"North Gate : 01/04/2006", "East Yard : 07/03/2006"} << QStringList{}
        << QStringList{} << QStringList{yard, gate0401} << QStringList{};
    QTest::newRow("replaces a copy already there")
        << "folder" << false << QStringList{"North Gate : 07/03/2006"} << QStringList{gate0307} << QStringList{}
        << QStringList{gate0307} << QStringList{};
    QTest::newRow("medium full part way, file size limit")
        << "file size limit" << false << QStringList{"North Gate : 07/03/2006", "North Gate : 01/04/2006"}
        << QStringList{gate0401} << QStringList{SystemText(EFBIG) + Incomplete(gate0401)} << QStringList{gate0307}
        << QStringList{gate0401};
    QTest::newRow("medium full part way, small file system")
        << "tmpfs" << false << QStringList{"East Yard : 07/03/2006", "North Gate : 01/04/2006"}
        << QStringList{gate0401} << QStringList{SystemText(ENOSPC) + Incomplete(gate0401)} << QStringList{yard}
        << QStringList{gate0401};
    QTest::newRow("not room as measured at Save")
        << "measured small" << false << QStringList{"North Gate : 07/03/2006", "North Gate : 01/04/2006"}
        << QStringList{} << QStringList{"Insufficient room for file %1/North Gate 20060401.krv on disk."}
        << QStringList{gate0307} << QStringList{};
    // The medium loses a byte of one copy: it is found when read back, and removed with its seal.
    QTest::newRow("medium that does not keep a copy")
        << "corrupting" << false << QStringList{"North Gate : 01/04/2006", "East Yard : 07/03/2006"}
        << QStringList{gate0401}
        << QStringList{"The copy of %1/North Gate 20060401.krv on the backup drive did not read back as it was "
                       "written; it has been removed."}
        << QStringList{yard} << QStringList{};
    QTest::newRow("archive a live channel holds")
        << "folder" << true << QStringList{"Channel 1 : 06/05/2024", "North Gate : 07/03/2006"} << QStringList{}
        << QStringList{"Unable to find archive %1/Channel 1 20240506.krv."} << QStringList{gate0307}
        << QStringList{};
}

void TestArchiveDlg::backup()
{
    QFETCH(QString, medium);
    QFETCH(bool, held);
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, before);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, copied);
    QFETCH(QStringList, kept);
    BackupStation station;
    QString drive = station.Drive();
    std::unique_ptr<ScratchMount> mount;
    if (medium == QLatin1String("tmpfs")) {
        if (!CanMount())
            QSKIP("mounting a small file system needs root and the right to mount");
        mount = std::make_unique<ScratchMount>(drive, "size=64k");
        QVERIFY(mount->IsMounted());
    }
    if (medium == QLatin1String("measured small"))
        SetDiskFiguresQuery([](const QString&) { return DiskFigures{true, 1000, 1440000}; });
    const auto restoreFigures = qScopeGuard([] { SetDiskFiguresQuery({}); });
    if (medium == QLatin1String("corrupting")) {
        VerifiedCopy::SetReadBackHook([](const QString& copy) {
            QFile file(copy);
            if (copy.endsWith(QLatin1String("North Gate 20060401.krv")) && file.open(QIODevice::ReadWrite)) {
                file.seek(100);
                file.write("?");
            }
        });
    }
    const auto restoreHook = qScopeGuard([] { VerifiedCopy::SetReadBackHook({}); });
    const QByteArray old("an older copy");
    for (const QString& title : before) {
        QFile file(drive + QLatin1Char('/') + title + QStringLiteral(".krv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    if (held)
        QCOMPARE(station.windows.Doc(1).HandleMessage(kBlueAlarm.constData(), 3), 1);

    std::unique_ptr<FileSizeLimit> limit;
    QList<Operator::Step> steps;
    for (const QString& entry : chosen)
        steps.append(Choose(entry));
    steps.append([&](CArchiveDlg& dialog) {
        if (medium == QLatin1String("file size limit")) {
            limit = std::make_unique<FileSizeLimit>(2048);
            QVERIFY(limit->IsSet());
        }
        Save(dialog);
    });
    Operator person(steps);
    station.windows.messages.texts.clear();
    station.Backup();
    limit.reset();

    QVERIFY(!person.RanOut());
    for (QString& box : boxes)
        box.replace(QStringLiteral("%1"), StationPath(QStringLiteral("Archives")));
    QCOMPARE(station.windows.messages.texts, boxes);
    QStringList expected;
    for (const QString& title : copied + kept)
        expected.append(title + QStringLiteral(".krv"));
    // The seals of the archives copied, all of a closed day's.
    if (!copied.isEmpty())
        expected.append(QLatin1String(Str::kSealFile));
    expected.sort();
    QCOMPARE(station.OnMedium(drive), expected);
    for (const QString& title : copied)
        QCOMPARE(ReadAll(drive + QLatin1Char('/') + title + QStringLiteral(".krv")), ReadAll(station.ArchivePath(title)));
    for (const QString& title : kept)
        QCOMPARE(ReadAll(drive + QLatin1Char('/') + title + QStringLiteral(".krv")), old);
    if (copied.isEmpty())
        return;
    // The medium is checked with nothing but coreutils.
    QProcess check;
    check.setWorkingDirectory(drive);
    check.start(QStringLiteral("sha256sum"), {QStringLiteral("-c"), QLatin1String(Str::kSealFile)});
    QVERIFY(check.waitForFinished(10000));
    QCOMPARE(check.exitCode(), 0);
    const QByteArray output = check.readAllStandardOutput();
    QCOMPARE(output.count('\n'), copied.size());
    for (const QString& title : copied)
        QVERIFY2(output.contains((title + QStringLiteral(".krv: OK\n")).toUtf8()), output.constData());
    const QByteArray stationSeals = ReadAll(StationPath(QStringLiteral("Archives/")) + QLatin1String(Str::kSealFile));
    for (const QByteArray& line : ReadAll(drive + QLatin1Char('/') + QLatin1String(Str::kSealFile)).split('\n'))
        QVERIFY(stationSeals.contains(line));
}

void TestArchiveDlg::retry_data()
{
    QTest::addColumn<QString>("obstacle");    // what stands between the dialog and the medium
    QTest::addColumn<int>("answer");          // to the box about it, which clears the obstacle first
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<bool>("staysOpen");       // the dialog is still up after the box
    const QString insert = QString::fromLatin1(Str::kInsertDisk);
    const QString protectedDisk = QString::fromLatin1(Str::kDiskWriteProtected);
    QTest::newRow("no medium, then inserted") << "missing" << int(IUserMessages::AnswerOk) << insert << true << false;
    QTest::newRow("no medium, given up") << "missing" << int(IUserMessages::AnswerCancel) << insert << false << true;
    QTest::newRow("read-only folder, then writable")
        << "read-only folder" << int(IUserMessages::AnswerRetry) << protectedDisk << true << false;
    QTest::newRow("read-only folder, given up")
        << "read-only folder" << int(IUserMessages::AnswerCancel) << protectedDisk << false << false;
    QTest::newRow("read-only mount, then writable")
        << "read-only mount" << int(IUserMessages::AnswerRetry) << protectedDisk << true << false;
}

void TestArchiveDlg::retry()
{
    QFETCH(QString, obstacle);
    QFETCH(int, answer);
    QFETCH(QString, box);
    QFETCH(bool, copied);
    QFETCH(bool, staysOpen);
    BackupStation station;
    const QString drive = station.Drive();
    std::unique_ptr<ScratchMount> mount;
    std::unique_ptr<WithoutPermissionOverride> asUser;
    std::function<void()> clear;
    if (obstacle == QLatin1String("missing")) {
        QVERIFY(QDir(drive).removeRecursively());
        clear = [drive] { QDir().mkpath(drive); };
    } else if (obstacle == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(drive, QFile::ReadOwner | QFile::ExeOwner));
        asUser = std::make_unique<WithoutPermissionOverride>();
        clear = [drive] {
            QFile::setPermissions(drive, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
    } else {
        if (!CanMount())
            QSKIP("mounting a file system read-only needs root and the right to mount");
        mount = std::make_unique<ScratchMount>(drive, "size=1m");
        QVERIFY(mount->IsMounted());
        QVERIFY(mount->Remount(MS_RDONLY));
        clear = [&mount] { QVERIFY(mount->Remount(0)); };
    }
    station.windows.messages.answers = {answer};
    station.windows.messages.onBox = [&] {
        if (clear)
            clear();
        clear = nullptr;
    };
    // After a given-up box the dialog is still there: the person then cancels it.
    Operator person({Choose(QStringLiteral("North Gate : 07/03/2006")), Save, Cancel});
    station.Backup();
    asUser.reset();

    QCOMPARE(station.windows.messages.texts, QStringList{box});
    QCOMPARE(station.windows.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    const QStringList expected = copied ? QStringList{QStringLiteral("North Gate 20060307.krv"), QLatin1String(Str::kSealFile)}
                                        : QStringList{};
    QCOMPARE(station.OnMedium(drive), expected);
    if (copied)
        QCOMPARE(ReadAll(drive + QStringLiteral("/North Gate 20060307.krv")),
                 ReadAll(station.ArchivePath(QStringLiteral("North Gate 20060307"))));
    // The last step, Cancel, is taken only when the dialog is still up.
    QCOMPARE(person.StepsLeft(), staysOpen ? 0 : 1);
}

void TestArchiveDlg::saveWithNothingChosenComesBackFresh()
{
    BackupStation station;
    QStringList second;
    Operator person({
        [&](CArchiveDlg& dialog) {
            station.WriteArchive(QStringLiteral("West Door 20060307"), 10);
            Save(dialog);
        },
        [&](CArchiveDlg& dialog) {
            for (int row = 0; row < dialog.List()->count(); ++row)
                second.append(dialog.List()->item(row)->text());
            Cancel(dialog);
        },
    });
    station.Backup();
    QCOMPARE(station.windows.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    QVERIFY(station.windows.messages.texts.isEmpty());
    QCOMPARE(person.firstList.size() + 1, second.size());
    QVERIFY(second.contains(QStringLiteral("West Door : 07/03/2006")));
    QVERIFY(station.OnMedium(station.Drive()).isEmpty());
}

void TestArchiveDlg::pipeInPlaceOfAnArchiveIsNotWaitedOn()
{
    // A pipe put in place of the archive once it is chosen would hold the copy until someone
    // writes into it: it is refused at once, and the channel goes on logging.
    BackupStation station;
    const QString title = QStringLiteral("North Gate 20060401");
    const QByteArray archive = QFile::encodeName(station.ArchivePath(title));
    const QByteArray pipe = archive + ".pipe";
    QCOMPARE(::mkfifo(pipe.constData(), 0644), 0);
    const auto swap = [&](CArchiveDlg&) { QCOMPARE(::rename(pipe.constData(), archive.constData()), 0); };
    Operator person({Choose(QStringLiteral("North Gate : 01/04/2006")), swap, Save});
    station.Backup();
    QCOMPARE(station.windows.Doc(1).HandleMessage(kBlueAlarm.constData(), 3), 1);
    QCOMPARE(station.windows.messages.texts,
             QStringList{QStringLiteral("Unable to find archive %1.").arg(QString::fromLocal8Bit(archive))});
    QVERIFY(!QFileInfo::exists(QDir(station.Drive()).filePath(title + QStringLiteral(".krv"))));
}

void TestArchiveDlg::commandFollowsBackupAvailability()
{
    BackupStation station;
    station.windows.Frame().SetBackupAvailable(false);
    QVERIFY(!station.windows.Frame().CommandAction(ID_BACKUP_ARCHIVES)->isEnabled());
    Operator person({});
    station.Backup();
    QVERIFY(!person.RanOut());  // no dialog came up
    station.windows.Frame().SetBackupAvailable(true);
    station.Backup();
    QVERIFY(person.RanOut());
}

void TestArchiveDlg::programEndingEndsTheDialog()
{
    BackupStation station;
    Operator person({[](CArchiveDlg&) { QCoreApplication::exit(0); }});
    station.Backup();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(station.windows.messages.beeps.isEmpty());
    QVERIFY(!person.RanOut());
    // The application's loop runs once, so that later loops run again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

QTEST_MAIN(TestArchiveDlg)
#include "tst_archivedlg.moc"

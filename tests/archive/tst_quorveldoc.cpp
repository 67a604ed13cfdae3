#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSeals.h"
#include "archive/DiskSpace.h"
#include "archive/IDocView.h"
#include "archive/QuorvelDoc.h"
#include "archive/ViewingMemory.h"
#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "core/StartupMessage.h"
#include "core/Strings.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"


#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QTemporaryFile>
#include <QTimer>
#include <QEventLoop>
#include <QTest>

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class RecordingView : public IDocView
{
public:
    void ScrollBy(int columns, int lines) override { scrolls.append({columns, lines}); }
    void UpdateScrollRange() override { ++scrollRanges; }
    void ResetDisplay() override { ++resets; }
    void UpdateAllViews() override { ++updates; }
    QList<QPair<int, int>> scrolls;
    int scrollRanges = 0;
    int resets = 0;
    int updates = 0;
};

const QByteArray kDoorOpen("\x01\x07\x03", 3);  // coded alarm 7: kind 0
const QByteArray kLineClear("\x92\x00" "05", 4);   // type 146: kind 1

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray StoredRecords(const QList<QByteArray>& messages)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    {
        StoringArchive ar(file);
        for (const QByteArray& m : messages) {
            std::unique_ptr<CDisplayObj> record(m.size() == 3
                ? new CDisplayObj(quint8(m[0]), quint8(m[1]), quint8(m[2]), 2)
                : new CDisplayObj(m.constData(), int(m.size()), 2));
            record->Serialize(ar);
        }
    }
    file.seek(0);
    return file.readAll();
}

QDateTime At(int day, const QTime& time)
{
    return QDateTime(QDate(2024, 5, day), time);
}

// An alarm text message whose record has the same size for every n below 1000.
QByteArray Numbered(int n)
{
    return QByteArray("\x84\x00", 2) + 'm' + QByteArray::number(n).rightJustified(3, '0');
}

// Lets the event loop wait for something to happen, as it does when no message is coming.
// The box of a day's archive that cannot be opened for writing on channel 2, North Gate.
QString NotArchived(const QString& path, const QString& why)
{
    return QStringLiteral("Unable to find archive %1.\nNorth Gate (channel 2) cannot archive its messages: %2").arg(path, why);
}

void GoIdle()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestQuorvelDoc : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dayArchiveAcrossMidnight();
    void restartSameDayAppends();
    void filteredRecordsAreArchived();
    void eventLockBusy();
    void invalidTodayFileIsKept();
    void damagedArchives_data();
    void damagedArchives();
    void viewingRefusals();
    void viewingMemoryBound_data();
    void viewingMemoryBound();
    void archiveInUseCannotBeAppended();
    void archiveThatIsALinkIsNotWritten();
    void dayArchiveUnwritable_data();
    void dayArchiveUnwritable();
    void housekeepingAge_data();
    void housekeepingAge();
    void oneRemovalPerDaySwitch();
    void freeSpace_data();
    void freeSpace();
    void clockGuard();
    void messageDuringReloadBox();
    void unreadableArchiveAtReloadIsLogged();
    void tornLastRecordIsCutAtReload_data();
    void tornLastRecordIsCutAtReload();
    void bufferReachesFileWhenIdle();
    void writeErrors_data();
    void writeErrors();

private:
    QString Archive(const QString& name) const { return m_station->Path(QStringLiteral("Archives/") + name); }
    std::unique_ptr<CQuorvelDoc> LiveDoc(const QString& title = QStringLiteral("North Gate"));

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
    RecordingView m_view;
};

void TestQuorvelDoc::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    m_view = RecordingView();
    QVERIFY(QDir().mkpath(m_station->Path(QStringLiteral("Archives"))));
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "Y", "10", "", "Door open"}}}));
    Clock::SetNow(At(6, QTime(10, 0)));
}

void TestQuorvelDoc::cleanup()
{
    ArchiveSeals::WaitForDone();
    SetDiskFiguresQuery({});
    CQuorvelDoc::SetEventLock(nullptr);
    TakeStartupMessage();
    m_messages.reset();
    m_station.reset();
}

std::unique_ptr<CQuorvelDoc> TestQuorvelDoc::LiveDoc(const QString& title)
{
    auto doc = std::make_unique<CQuorvelDoc>(title);
    doc->SetConnection(1, 2);
    doc->SetView(&m_view);
    return doc;
}

void TestQuorvelDoc::dayArchiveAcrossMidnight()
{
    auto doc = LiveDoc();
    QCOMPARE(doc->BuildArchivePath(1), Archive(QStringLiteral("North Gate *.krv")));
    Clock::SetNow(At(6, QTime(23, 59, 58)));
    QCOMPARE(doc->BuildArchivePath(0), Archive(QStringLiteral("North Gate 20240506.krv")));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(doc->GetEventCount(), 3);
    QCOMPARE(m_view.scrolls.size(), 3);
    QCOMPARE(m_view.scrolls.first(), qMakePair(0, 1));
    QVERIFY(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))).size() < 41 + 3 * 61);  // still buffered
    const QByteArray firstDay = ArchiveHeader() + StoredRecords({kDoorOpen, kDoorOpen, kDoorOpen});

    Clock::SetNow(At(7, QTime(0, 0, 1)));
    QCOMPARE(doc->HandleMessage(kLineClear), 1);
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))), firstDay);
    QCOMPARE(m_view.resets, 1);
    QCOMPARE(doc->GetEventCount(), 1);
    QCOMPARE(doc->GetEvent(0).GetText(), QByteArray("00:00:01 Operator's Line 5 Clear Down"));
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240507.krv"))), ArchiveHeader() + StoredRecords({kLineClear}));
    QVERIFY(m_messages->texts.isEmpty());
}

// Today's archive is there but is no file that can be read: the reload says nothing on the screen,
// as when there is no file yet, but the log says why the window lacks the day's records.
void TestQuorvelDoc::unreadableArchiveAtReloadIsLogged()
{
    const QString today = Archive(QStringLiteral("North Gate 20240506.krv"));
    QCOMPARE(::mkfifo(QFile::encodeName(today).constData(), 0600), 0);
    auto doc = LiveDoc();
    QLoggingCategory::setFilterRules(QStringLiteral("quorvel.archive.warning=true"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("today's records not reloaded from .*North Gate 20240506")));
    QCOMPARE(doc->ReloadToday(), 0);
    QLoggingCategory::setFilterRules({});
    QVERIFY(m_messages->texts.isEmpty());
}

void TestQuorvelDoc::restartSameDayAppends()
{
    auto doc = LiveDoc();
    QCOMPARE(doc->ReloadToday(), 0);  // no file yet, no message
    doc->HandleMessage(kDoorOpen);
    doc->HandleMessage(kLineClear);
    doc.reset();

    doc = LiveDoc();
    QCOMPARE(doc->ReloadToday(), 1);
    QCOMPARE(doc->GetEventCount(), 2);
    QCOMPARE(doc->GetEvent(0).GetText(), QByteArray("10:00:00 R A Event 007: Door open 13"));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(doc->GetEventCount(), 3);  // the reload's records stay: no file was open
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))),
             ArchiveHeader() + StoredRecords({kDoorOpen, kLineClear, kDoorOpen}));
    QVERIFY(m_messages->texts.isEmpty());
}

void TestQuorvelDoc::filteredRecordsAreArchived()
{
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Call"), 0);
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Fault"), 0);
    const QByteArray unknownType("\x01\x01xyz", 5);
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(doc->HandleMessage(unknownType), 1);
    QCOMPARE(doc->HandleMessage(kLineClear), 1);
    QCOMPARE(doc->GetEventCount(), 1);
    QCOMPARE(doc->GetEvent(0).GetKind(), int(CDisplayObj::KIND_EVENT));
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))),
             ArchiveHeader() + StoredRecords({kDoorOpen, unknownType, kLineClear}));
}

void TestQuorvelDoc::eventLockBusy()
{
    QSemaphore lock(1);
    CQuorvelDoc::SetEventLock(&lock);
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(lock.available(), 1);
    lock.acquire();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);  // archived, not listed
    lock.release();
    QCOMPARE(doc->GetEventCount(), 1);
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))).size(), 41 + 2 * 61);
}

void TestQuorvelDoc::invalidTodayFileIsKept()
{
    QByteArray other = ArchiveHeader().replace("%s", "XY") + "old bytes";
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), other);
    auto doc = LiveDoc();
    QCOMPARE(doc->ReloadToday(), 0);
    QCOMPARE(TakeStartupMessage(), QStringLiteral("The file %1 is not a valid KRV archive")
                                       .arg(Archive(QStringLiteral("North Gate 20240506.krv"))));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv.invalid"))), other);
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))), ArchiveHeader() + StoredRecords({kDoorOpen}));

    // A second invalid file the same day does not replace the first one kept.
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), "short");
    doc = LiveDoc();
    QCOMPARE(doc->ReloadToday(), 0);
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv.invalid"))), other);
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv.invalid.2"))), QByteArray("short"));
    QVERIFY(m_messages->texts.isEmpty());
}

void TestQuorvelDoc::damagedArchives_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("records");  // records listed
    QTest::addColumn<bool>("warned");
    Clock::SetNow(At(6, QTime(10, 0)));
    const QByteArray good = StoredRecords({kDoorOpen, kLineClear});
    QTest::newRow("header only") << ArchiveHeader() << 1 << 0 << false;
    QTest::newRow("two records") << ArchiveHeader() + good << 1 << 2 << false;
    QTest::newRow("record cut in its integers") << ArchiveHeader() + good + good.left(10) << 1 << 2 << false;
    QTest::newRow("record cut in its last field") << ArchiveHeader() + good + good.left(good.size() / 2 - 2) << 1 << 2
                                                  << false;
    // The partly read record is kept (kind 0 is listed), then reading goes on after the length.
    QTest::newRow("huge length") << ArchiveHeader() + good + QByteArray::fromHex("00000000 00000000 00000000 00000000 03000000 ffffffffffff7f")
                                 << 1 << 3 << true;
    QByteArray junk(5000, '\xff');
    QTest::newRow("junk after the header") << ArchiveHeader() + good + junk << 1 << 2 << true;
    QTest::newRow("shorter than the header") << ArchiveHeader().left(40) << 0 << 0 << false;
    QTest::newRow("other header") << ArchiveHeader().replace("%s", "%d") + good << 0 << 0 << false;
    QTest::newRow("header with a zero byte") << ArchiveHeader().replace('%', '\0') + good << 0 << 0 << false;
}

void TestQuorvelDoc::damagedArchives()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(bool, warned);
    const QString path = Archive(QStringLiteral("North Gate 20240101.krv"));
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240101.krv"), bytes);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    CQuorvelDoc reader;
    LoadingArchive ar(file);
    QTEST(reader.ReadArchive(ar), "result");
    QCOMPARE(reader.GetEventCount(), records);
    const QStringList warning{QString::fromLatin1(Str::kArchiveCorrupt)};
    QCOMPARE(m_messages->texts, warned ? warning : QStringList());
    if (records >= 2)
        QCOMPARE(reader.GetEvent(1).GetText(), QByteArray("10:00:00 Operator's Line 5 Clear Down"));

    // Opened for viewing, the same file gives the same list, or the invalid-archive refusal.
    m_messages->texts.clear();
    CQuorvelDoc viewer;
    viewer.SetView(&m_view);
    QTEST(viewer.OnOpenDocument(path), "result");
    QCOMPARE(viewer.GetEventCount(), records);
    QFETCH(int, result);
    const QStringList invalid{QStringLiteral("The file %1 is not a valid KRV archive").arg(path)};
    const QStringList namedWarning{warning.constFirst() + QLatin1Char('\n') + path};
    QCOMPARE(m_messages->texts, result ? (warned ? namedWarning : QStringList()) : invalid);
    QCOMPARE(m_view.scrollRanges, result);
}

void TestQuorvelDoc::viewingRefusals()
{
    const QByteArray archive = ArchiveHeader() + StoredRecords({kDoorOpen});
    m_station->WriteFile(QStringLiteral("20240506/North Gate 20240101.krv"), archive);
    CQuorvelDoc viewer;
    // Today's date anywhere in the path, a directory name too.
    const QString todayDir = m_station->Path(QStringLiteral("20240506/North Gate 20240101.krv"));
    QCOMPARE(viewer.OnOpenDocument(todayDir), 0);
    QCOMPARE(m_messages->texts.value(0), QStringLiteral("Archive %1 is already open").arg(todayDir));
    QCOMPARE(m_messages->beeps.value(0), IUserMessages::Beep::Asterisk);
    QCOMPARE(viewer.OnOpenDocument(m_station->Path(QStringLiteral("missing 20240101.krv"))), 0);
    QVERIFY(m_messages->texts.value(1).startsWith(QStringLiteral("Failed to open document.")));
    QCOMPARE(viewer.GetEventCount(), 0);
}

void TestQuorvelDoc::viewingMemoryBound_data()
{
    QTest::addColumn<bool>("beyond");  // the file is grown, without data, past what its window may take
    QTest::addColumn<int>("result");
    QTest::newRow("a day's archive") << false << 1;
    QTest::newRow("beyond a quarter of the memory") << true << 0;
}

// An archive whose records would not fit is refused before it is read, with a box that names it.
void TestQuorvelDoc::viewingMemoryBound()
{
    QFETCH(bool, beyond);
    QFETCH(int, result);
    const QString path = Archive(QStringLiteral("North Gate 20240101.krv"));
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240101.krv"), ArchiveHeader() + StoredRecords({kDoorOpen}));
    const quint64 bound = ViewingMemory::Bound();
    QVERIFY(bound > 0);
    QCOMPARE(ViewingMemory::PhysicalMemory() / bound, ViewingMemory::kShareDivisor);
    if (beyond)
        QVERIFY(QFile::resize(path, qint64(bound) + 1));  // a hole: no disk space taken

    CQuorvelDoc viewer;
    viewer.SetView(&m_view);
    QCOMPARE(viewer.OnOpenDocument(path), result);
    QCOMPARE(viewer.GetEventCount(), result);
    if (beyond) {
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY2(m_messages->texts[0].startsWith(QStringLiteral("The archive %1 is too large to view").arg(path)),
                 qPrintable(m_messages->texts[0]));
        QVERIFY(m_messages->texts[0].contains(QStringLiteral("%1 MB").arg(bound / (1024 * 1024))));
    } else {
        QVERIFY(m_messages->texts.isEmpty());
    }
}

void TestQuorvelDoc::archiveInUseCannotBeAppended()
{
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), ArchiveHeader());
    QFile other(Archive(QStringLiteral("North Gate 20240506.krv")));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(::flock(other.handle(), LOCK_SH), 0);
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 0);
    QCOMPARE(m_messages->texts, QStringList{NotArchived(Archive(QStringLiteral("North Gate 20240506.krv")),
                                                        QString::fromLocal8Bit(std::strerror(EWOULDBLOCK)))});
    QCOMPARE(m_messages->icons.value(0), IUserMessages::Icon::Stop);
    QCOMPARE(doc->GetEventCount(), 0);
    other.close();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);  // the next message tries again
    // While the live document holds the file, nobody else gets a lock on it.
    QVERIFY(other.open(QIODevice::ReadOnly));
    QVERIFY(::flock(other.handle(), LOCK_SH | LOCK_NB) != 0);
}

// A link in the archives' folder (planted by someone who may write there) is never written through.
void TestQuorvelDoc::archiveThatIsALinkIsNotWritten()
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("theirs"));
    QFile theirs(target);
    QVERIFY(theirs.open(QIODevice::WriteOnly));
    theirs.close();
    QVERIFY(QFile::link(target, Archive(QStringLiteral("North Gate 20240506.krv"))));
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 0);
    const QString link = Archive(QStringLiteral("North Gate 20240506.krv"));
    QCOMPARE(m_messages->texts, QStringList{NotArchived(link, QStringLiteral("%1 is not a file that can be viewed").arg(link))});
    doc.reset();
    QCOMPARE(FileBytes(target), QByteArray());
}

void TestQuorvelDoc::dayArchiveUnwritable_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("error");
    QTest::newRow("archives folder is a file") << "file" << ENOTDIR;
    QTest::newRow("day's name taken by a folder") << "folder" << EISDIR;
    QTest::newRow("archives folder read-only") << "read-only" << EACCES;
}

// The day's archive cannot be made: the message is refused, and the box says why, as the disk does,
// and which channel goes unarchived.
void TestQuorvelDoc::dayArchiveUnwritable()
{
    QFETCH(QString, how);
    QFETCH(int, error);
    const QString archives = m_station->Path(QStringLiteral("Archives"));
    const QString day = Archive(QStringLiteral("North Gate 20240506.krv"));
    if (how == QLatin1String("file")) {
        QVERIFY(QDir(archives).removeRecursively());
        m_station->WriteFile(QStringLiteral("Archives"), "not a folder");
    } else if (how == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(day));
    } else {
        if (::geteuid() == 0)
            QSKIP("the superuser writes in a read-only folder");
        QVERIFY(QFile::setPermissions(archives, QFile::ReadOwner | QFile::ExeOwner));
    }
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 0);
    QFile::setPermissions(archives, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_messages->texts, QStringList{NotArchived(day, QString::fromLocal8Bit(std::strerror(error)))});
    QCOMPARE(m_messages->icons.value(0), IUserMessages::Icon::Stop);
}

void TestQuorvelDoc::housekeepingAge_data()
{
    // Now is the archive's creation time in whole seconds plus the offset and now's own fraction;
    // the file keeps the fraction of its creation.
    QTest::addColumn<QString>("channel");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<int>("nowMsec");
    QTest::addColumn<bool>("removed");
    const qint64 max = DayArchive::kMaxArchiveAge;
    QTest::newRow("28 days less a second") << QStringLiteral("North Gate") << max - 1 << 999 << false;
    QTest::newRow("28 days, now at its second") << QStringLiteral("North Gate") << max << 0 << false;
    QTest::newRow("28 days, now late in its second") << QStringLiteral("North Gate") << max << 999 << false;
    QTest::newRow("a second more, now early in its second") << QStringLiteral("North Gate") << max + 1 << 0 << true;
    QTest::newRow("a second more, now late in its second") << QStringLiteral("North Gate") << max + 1 << 999 << true;
    QTest::newRow("hidden name, 28 days") << QStringLiteral(".Gate") << max << 999 << false;
    QTest::newRow("hidden name, a second more") << QStringLiteral(".Gate") << max + 1 << 0 << true;
}

void TestQuorvelDoc::housekeepingAge()
{
    QFETCH(QString, channel);
    QFETCH(qint64, offset);
    QFETCH(int, nowMsec);
    QFETCH(bool, removed);
    const QString name = channel + QStringLiteral(" 20240101.krv");
    // A creation time with a fraction of a second, where the file system keeps one.
    QDateTime created;
    for (int attempt = 0; attempt < 20; ++attempt) {
        m_station->WriteFile(QStringLiteral("Archives/") + name, ArchiveHeader());
        created = DayArchive::ArchiveCreationTime(QFileInfo(Archive(name)));
        QVERIFY(created.isValid());
        if (created.time().msec() != 0)
            break;
        QVERIFY(QFile::remove(Archive(name)));
        QTest::qSleep(3);
    }
    m_station->WriteFile(QStringLiteral("Archives/") + channel + QStringLiteral(".krv.invalid"), ArchiveHeader());
    const QDateTime createdSecond = QDateTime::fromSecsSinceEpoch(created.toSecsSinceEpoch());
    Clock::SetNow(createdSecond.addSecs(offset).addMSecs(nowMsec));
    auto doc = LiveDoc(channel);
    qint64 age = 0;
    quint64 free = 0, disk = 0, size = 0;
    QString oldest;
    doc->ScanArchives(Clock::Now(), age, free, disk, oldest, size);
    QCOMPARE(age, offset);
    QCOMPARE(oldest, Archive(name));
    QCOMPARE(size, quint64(41));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(QFileInfo::exists(Archive(name)), !removed);
    QVERIFY(QFileInfo::exists(Archive(channel + QStringLiteral(".krv.invalid"))));
    // Midnight of the date in the name stands in where the file system keeps no creation time.
    QFileInfo named(Archive(QStringLiteral("Gate 20240101.krv")));
    QCOMPARE(DayArchive::ArchiveCreationTime(named), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
}

void TestQuorvelDoc::oneRemovalPerDaySwitch()
{
    // Three old archives, oldest first; a channel whose name only starts the same is not matched.
    const QStringList old{QStringLiteral("North Gate 20240101.krv"), QStringLiteral("North Gate 20240102.krv"),
                          QStringLiteral("North Gate 20240103.krv")};
    for (const QString& name : old) {
        m_station->WriteFile(QStringLiteral("Archives/") + name, ArchiveHeader());
        QTest::qSleep(20);  // distinct creation times
    }
    m_station->WriteFile(QStringLiteral("Archives/North Gates 20231201.krv"), ArchiveHeader());
    const QDateTime newest = DayArchive::ArchiveCreationTime(QFileInfo(Archive(old.last())));
    Clock::SetNow(newest.addDays(40));
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QVERIFY(!QFileInfo::exists(Archive(old[0])));
    QVERIFY(QFileInfo::exists(Archive(old[1])));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);  // same day: no switch, no removal
    QVERIFY(QFileInfo::exists(Archive(old[1])));
    Clock::SetNow(newest.addDays(41));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QVERIFY(!QFileInfo::exists(Archive(old[1])));
    QVERIFY(QFileInfo::exists(Archive(old[2])));
    QVERIFY(QFileInfo::exists(Archive(QStringLiteral("North Gates 20231201.krv"))));
}

void TestQuorvelDoc::freeSpace_data()
{
    QTest::addColumn<quint64>("available");
    QTest::addColumn<bool>("oldArchive");  // a 41-byte archive past 28 days
    QTest::addColumn<int>("result");
    QTest::newRow("exactly a twentieth") << quint64(1000) << false << 1;
    QTest::newRow("one byte less") << quint64(999) << false << 0;
    QTest::newRow("removal brings it up") << quint64(959) << true << 1;
    QTest::newRow("removal not enough") << quint64(958) << true << 0;
}

void TestQuorvelDoc::freeSpace()
{
    QFETCH(quint64, available);
    QFETCH(bool, oldArchive);
    SetDiskFiguresQuery([available](const QString&) { return DiskFigures{true, available, 20000}; });
    if (oldArchive)
        m_station->WriteFile(QStringLiteral("Archives/North Gate 20240101.krv"), ArchiveHeader());
    Clock::SetNow(QDateTime::currentDateTime().addDays(30));
    auto doc = LiveDoc();
    QTEST(doc->HandleMessage(kDoorOpen), "result");
    QFETCH(int, result);
    QCOMPARE(QFileInfo::exists(doc->BuildArchivePath(0)), result == 1);
    QCOMPARE(doc->GetEventCount(), result);
    QVERIFY(m_messages->texts.isEmpty());  // the interpreter reports the loss
    if (!result) {
        SetDiskFiguresQuery([](const QString&) { return DiskFigures{true, 5000, 20000}; });
        QCOMPARE(doc->HandleMessage(kDoorOpen), 1);  // every later message tries again
    }
}

void TestQuorvelDoc::clockGuard()
{
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240101.krv"), ArchiveHeader());
    Clock::SetNow(QDateTime(QDate(2037, 12, 31), QTime(23, 59, 59)));
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(m_messages->texts, QStringList{QStringLiteral("MFC expires NOW! Goodbye!")});
    QCOMPARE(m_messages->beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    QVERIFY(QFileInfo::exists(Archive(QStringLiteral("North Gate 20240101.krv"))));
    QVERIFY(QFileInfo::exists(Archive(QStringLiteral("North Gate 20371231.krv"))));
    QCOMPARE(doc->GetEventCount(), 1);
}

void TestQuorvelDoc::messageDuringReloadBox()
{
    // Today's file ends in a damaged string length: the corrupt-archive warning lets a message in.
    const QByteArray damaged = ArchiveHeader() + StoredRecords({kLineClear})
        + QByteArray::fromHex("00000000 00000000 01000000 00000000 03000000 ffffffffffff7f");
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), damaged);
    auto doc = LiveDoc();
    int reentered = 0;
    m_messages->onBox = [&] {
        if (reentered++ == 0)
            QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    };
    QCOMPARE(doc->ReloadToday(), 1);
    QCOMPARE(m_messages->texts, QStringList{QString::fromLatin1(Str::kArchiveCorrupt) + QLatin1Char('\n')
                                            + Archive(QStringLiteral("North Gate 20240506.krv"))});
    QCOMPARE(doc->GetEventCount(), 3);  // the record, the partly read one, the new message
    QCOMPARE(doc->GetEvent(2).GetText(), QByteArray("10:00:00 R A Event 007: Door open 13"));
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))), damaged + StoredRecords({kDoorOpen}));
}

void TestQuorvelDoc::tornLastRecordIsCutAtReload_data()
{
    // A power cut while a record was written leaves part of it at the end of today's archive.
    QTest::addColumn<int>("kept");  // bytes of the third record that reached the file
    const int size = int(StoredRecords({kLineClear}).size());
    QTest::newRow("in the colours") << 3;
    QTest::newRow("in the integers") << 14;
    QTest::newRow("after the text's length") << 21;
    QTest::newRow("in the text") << 23;
    QTest::newRow("in the last field") << size - 2;
}

void TestQuorvelDoc::tornLastRecordIsCutAtReload()
{
    QFETCH(int, kept);
    const QByteArray whole = ArchiveHeader() + StoredRecords({kDoorOpen, kLineClear});
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"),
                         whole + StoredRecords({kLineClear}).left(kept));
    auto doc = LiveDoc();
    QCOMPARE(doc->ReloadToday(), 1);
    QCOMPARE(doc->GetEventCount(), 2);
    QCOMPARE(m_messages->texts, QStringList());
    // What the station appends after the restart follows the last whole record, so it can be read.
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    doc.reset();
    QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 20240506.krv"))), whole + StoredRecords({kDoorOpen}));
}

void TestQuorvelDoc::bufferReachesFileWhenIdle()
{
    auto doc = LiveDoc();
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(QFileInfo(doc->BuildArchivePath(0)).size(), qint64(41));
    // An event loop that waits for something to happen: the records go to the file before it waits.
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(QFileInfo(doc->BuildArchivePath(0)).size(), qint64(41 + 2 * 61));
}

void TestQuorvelDoc::writeErrors_data()
{
    enum { Record = 51 };  // bytes of a record of Numbered
    QTest::addColumn<int>("before");   // messages on file before the limit
    QTest::addColumn<int>("room");     // bytes the day's file may still grow
    QTest::addColumn<int>("during");   // messages while the limit holds
    QTest::addColumn<QString>("then"); // what happens before the limit is lifted
    QTest::addColumn<int>("after");    // messages once it is lifted
    QTest::addColumn<int>("boxes");    // file error boxes: one per failed write
    QTest::newRow("idle flush stops inside a record") << 2 << 2 * Record + Record / 2 << 5 << "idle" << 3 << 1;
    QTest::newRow("idle flush on a full file") << 2 << 0 << 3 << "idle" << 3 << 1;
    // The buffer takes 80 records; the 81st message finds it full and fails with it.
    QTest::newRow("full buffer, again and again") << 2 << 10 * Record + Record / 2 << 200 << "" << 3 << 2;
    QTest::newRow("day switch closes the day") << 2 << Record / 2 << 3 << "next day" << 3 << 1;
    QTest::newRow("program exit") << 2 << Record / 2 << 3 << "exit" << 3 << 1;
    QTest::newRow("limit inside the header") << 0 << 20 << 2 << "" << 3 << 2;
}

// Every message answered as recorded, and not reported lost since, is in the archive, with
// nothing torn; what is appended after a failure is readable.
void TestQuorvelDoc::writeErrors()
{
    QFETCH(int, before);
    QFETCH(int, room);
    QFETCH(int, during);
    QFETCH(QString, then);
    QFETCH(int, after);
    const QString fileError = QString::fromLocal8Bit(std::strerror(EFBIG));
    const QRegularExpression lostCount(
        QRegularExpression::escape(QString::fromLatin1(Str::kRecordsNotArchived).arg(QStringLiteral("North Gate")).arg(999999))
            .replace(QStringLiteral("999999"), QStringLiteral("(\\d+)")));
    QVERIFY(lostCount.isValid());

    QList<QPair<int, QByteArray>> answered;  // day and message, in the order they were answered
    m_messages->onBox = [&] {
        const QRegularExpressionMatch match = lostCount.match(m_messages->texts.last());
        if (!match.hasMatch())
            return;
        // A write takes the last records: the ones in the buffer.
        const int lost = match.captured(1).toInt();
        QVERIFY(lost <= answered.size());
        answered.resize(answered.size() - lost);
    };
    int day = 6;
    int next = 0;
    auto doc = LiveDoc();
    const auto log = [&](int count) {
        for (int i = 0; i < count; ++i, ++next) {
            if (doc->HandleMessage(Numbered(next)) == 1)
                answered.append({day, Numbered(next)});
        }
    };

    log(before);
    GoIdle();
    FileSizeLimit limit(QFileInfo(doc->BuildArchivePath(0)).size() + room);
    QVERIFY(limit.IsSet());
    log(during);
    if (then == QLatin1String("idle")) {
        GoIdle();
    } else if (then == QLatin1String("next day")) {
        Clock::SetNow(At(day = 7, QTime(10, 0)));
        log(1);
    } else if (then == QLatin1String("exit")) {
        doc.reset();  // it ends with records in its buffer
        doc = LiveDoc();
    }
    limit.Lift();
    QTEST(int(m_messages->texts.size()), "boxes");
    for (const QString& text : std::as_const(m_messages->texts))
        QVERIFY2(text.endsWith(fileError), qPrintable(text));
    log(after);
    doc.reset();

    for (int d = 6; d <= day; ++d) {
        Clock::SetNow(At(d, QTime(10, 0)));
        QList<QByteArray> expected;
        for (const auto& [messageDay, message] : std::as_const(answered)) {
            if (messageDay == d)
                expected.append(message);
        }
        QCOMPARE(FileBytes(Archive(QStringLiteral("North Gate 202405%1.krv").arg(d, 2, 10, QLatin1Char('0')))),
                 ArchiveHeader() + StoredRecords(expected));
        // A closed day is being sealed, which reads it under a shared lock.
        ArchiveSeals::WaitForDone();
        CQuorvelDoc reloaded(QStringLiteral("North Gate"));
        QCOMPARE(reloaded.ReloadToday(), 1);
        QCOMPARE(reloaded.GetEventCount(), expected.size());
    }
}

QTEST_GUILESS_MAIN(TestQuorvelDoc)
#include "tst_quorveldoc.moc"

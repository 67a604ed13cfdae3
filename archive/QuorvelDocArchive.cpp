// The daily archive of CQuorvelDoc: day switch, housekeeping, reading archives back.
#include "archive/QuorvelDoc.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSeals.h"
#include "archive/DiskSpace.h"
#include "archive/IDocView.h"
#include "core/Logging.h"
#include "core/SettingsStore.h"
#include "core/StartupMessage.h"
#include "core/Station.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopedValueRollback>

#include <sys/file.h>

namespace {

const QString kExtension = QLatin1Char('.') + QLatin1String(Str::kArchiveExtension);

// The last second the file times and date arithmetic were made for.
QDateTime EndOfClockRange()
{
    return QDateTime(QDate(2037, 12, 31), QTime(23, 59, 59));
}

// The channel name as it may stand in a file name: never a path of its own.
QString FileTitle(const QString& title)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    QString safe = title;
    return safe.replace(unsafe, QStringLiteral("_"));
}

// An invalid day archive is kept beside the valid one that replaces it, under a name that is
// not one of the channel's archives, so housekeeping never removes it.
void SetAsideInvalidArchive(const QString& path)
{
    const QString base = path + QLatin1String(Str::kInvalidArchiveSuffix);
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = base + QLatin1Char('.') + QString::number(n);
    if (!QFile::rename(path, target))
        qCWarning(lcArchive) << "could not move the invalid archive" << path << "aside";
}

} // namespace

QString CQuorvelDoc::ArchivePathFor(const QString& dateKey) const
{
    return StationPath(QLatin1String(Str::kArchivesDir)) + QLatin1Char('/') + FileTitle(GetTitle())
        + QLatin1Char(' ') + dateKey + kExtension;
}

QString CQuorvelDoc::BuildArchivePath(int wildcard) const
{
    if (wildcard)
        return ArchivePathFor(QStringLiteral("*"));
    QString key;
    GetTodayKey(key);
    return ArchivePathFor(key);
}

bool CQuorvelDoc::SwitchDay(const QString& key, const QDateTime& now)
{
    // The boxes below let messages in; they wait in m_pendingMessages until the switch is done.
    const QScopedValueRollback<bool> switching(m_bSwitching, true);
    m_strDateKey.clear();
    if (m_file.isOpen()) {
        CloseArchive();
        ClearEvents();
        CArchiveSeals::DayClosed(m_strArchivePath, key);
    }
    if (!KeepDiskInBounds(now))
        return false;

    SetArchivePath(ArchivePathFor(key));
    m_file.setFileName(m_strArchivePath);
    QString error;
    if (!OpenArchiveFile(m_file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, LOCK_EX, error)) {
        qCWarning(lcArchive) << "cannot open" << m_strArchivePath << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNotFound).arg(m_strArchivePath),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
        return false;
    }
    const QByteArray header = ArchiveHeader();
    if (m_file.size() == 0 && CStoringArchive::WriteAll(m_file, header.constData(), header.size()) < header.size()) {
        error = m_file.errorString();
        // Part of a header would make the file no archive at all.
        if (!m_file.resize(0))
            qCWarning(lcArchive) << "could not empty" << m_strArchivePath << m_file.errorString();
        m_file.close();
        UserMessages().MessageBox(error);
        return false;
    }
    m_pArchive = std::make_unique<CStoringArchive>(m_file);
    // Records wait in the buffer only while messages keep coming: a crash must not take the
    // last ones with it.
    if (!m_idleFlush) {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
            m_idleFlush = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CQuorvelDoc::FlushArchive);
    }
    m_strDateKey = key;
    qCDebug(lcArchive) << "day archive" << m_strArchivePath;
    return true;
}

QDateTime CQuorvelDoc::ArchiveCreationTime(const QFileInfo& info)
{
    const QDateTime born = info.birthTime();
    if (born.isValid())
        return born;
    const QString name = info.fileName();
    const QDate date = QDate::fromString(name.mid(name.size() - kExtension.size() - 8, 8), QStringLiteral("yyyyMMdd"));
    return date.isValid() ? date.startOfDay() : info.lastModified();
}

void CQuorvelDoc::ScanArchives(const QDateTime& now, qint64& age, quint64& free, quint64& diskSize,
                               QString& oldestPath, quint64& oldestSize)
{
    // The channel's archives are "<name> *.krv"; the name is matched as it stands, not as a pattern.
    const QString prefix = FileTitle(GetTitle()) + QLatin1Char(' ');
    const QDir archives(StationPath(QLatin1String(Str::kArchivesDir)));
    const QFileInfoList files = archives.entryInfoList({QLatin1Char('*') + kExtension}, QDir::Files | QDir::Hidden,
                                                       QDir::Unsorted);

    QDateTime oldest = EndOfClockRange();
    bool found = false;
    for (const QFileInfo& info : files) {
        const QString name = info.fileName();
        if (!name.startsWith(prefix) || name.size() < prefix.size() + kExtension.size())
            continue;
        found = true;
        const QDateTime created = ArchiveCreationTime(info);
        if (created < oldest) {
            oldest = created;
            oldestPath = info.absoluteFilePath();
            oldestSize = quint64(info.size());
        }
    }
    if (!found)
        oldest = now;
    // In whole seconds of both times: a file one second past the limit is past it, whatever
    // fractions of a second the two times carry.
    age = now.toSecsSinceEpoch() - oldest.toSecsSinceEpoch();

    const DiskFigures disk = QueryDiskFigures(StationDir());
    free = disk.valid ? disk.available : 0;
    if (disk.valid)
        diskSize = disk.total;

    if (now >= EndOfClockRange()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kClockExpired));
        age = -1;
    }
}

// Removes the channel's oldest archive past 28 days, then asks for a twentieth of the disk free.
bool CQuorvelDoc::KeepDiskInBounds(const QDateTime& now)
{
    qint64 age = 0;
    quint64 free = 0;
    quint64 diskSize = 0;  // stays 0 when the disk cannot be measured: logging goes on then
    QString oldestPath;
    quint64 oldestSize = 0;
    ScanArchives(now, age, free, diskSize, oldestPath, oldestSize);
    if (age > kMaxArchiveAge && !oldestPath.isEmpty()) {
        if (QFile::remove(oldestPath)) {
            qCDebug(lcArchive) << "removed old archive" << oldestPath;
            free += oldestSize;
        } else {
            qCWarning(lcArchive) << "could not remove old archive" << oldestPath;
        }
    }
    if (free < diskSize / 20) {
        qCWarning(lcArchive) << "too little free space:" << free << "of" << diskSize;
        return false;
    }
    return true;
}

CQuorvelDoc::ReadOutcome CQuorvelDoc::ReadRecords(CLoadingArchive& ar, const KeepRecord& keep,
                                                  const std::atomic<bool>* cancel)
{
    ReadOutcome outcome;
    while (!cancel || !cancel->load(std::memory_order_relaxed)) {
        auto record = std::make_unique<CDisplayObj>();
        const qint64 start = ar.Position();
        const CLoadingArchive::Status status = record->Serialize(ar);
        if (status == CLoadingArchive::EndOfData) {
            if (ar.Position() + ar.Remaining() > start)
                outcome.tornAt = start;
            return outcome;
        }
        if (status == CLoadingArchive::FileError) {
            outcome.status = status;
            outcome.error = ar.ErrorString();
            return outcome;
        }
        // A damaged string length: the partly read record is kept and reading goes on after it.
        if (status == CLoadingArchive::Corrupt)
            outcome.corrupt = true;
        keep(std::move(record));
    }
    return outcome;
}

CQuorvelDoc::KeepRecord CQuorvelDoc::AddingEvents()
{
    return [this](std::unique_ptr<CDisplayObj> record) { AddEvent(record.release()); };
}

CQuorvelDoc::ReadOutcome CQuorvelDoc::ReadWholeArchive(CLoadingArchive& ar, const KeepRecord& keep,
                                                       const std::atomic<bool>* cancel)
{
    QByteArray header(kArchiveHeaderSize, Qt::Uninitialized);
    const CLoadingArchive::Status status = ar.ReadBytes(header.data(), kArchiveHeaderSize);
    ReadOutcome outcome;
    if (status == CLoadingArchive::FileError) {
        outcome.status = status;
        outcome.error = ar.ErrorString();
        return outcome;
    }
    if (status != CLoadingArchive::Ok || !IsArchiveHeader(header)) {
        outcome.noHeader = true;
        return outcome;
    }
    return ReadRecords(ar, keep, cancel);
}

// Boxes come after reading, once the file is closed: a message let in by a box must find the
// day's file free for its day switch.
int CQuorvelDoc::ReportReadOutcome(const ReadOutcome& outcome)
{
    if (outcome.corrupt)
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveCorrupt), IUserMessages::Buttons::Ok,
                                  IUserMessages::Icon::Exclamation);
    if (outcome.status == CLoadingArchive::FileError) {
        UserMessages().MessageBox(outcome.error);
        return 0;
    }
    return outcome.noHeader ? 0 : 1;
}

int CQuorvelDoc::ReloadToday()
{
    QString key;
    GetTodayKey(key);
    SetArchivePath(ArchivePathFor(key));
    // A file of its own: the day switch never shares the day's append file with this reader.
    QFile file(m_strArchivePath);
    QString error;
    if (!OpenArchiveFile(file, QIODevice::ReadOnly, LOCK_EX, error))
        return 0;
    const QByteArray header = file.read(kArchiveHeaderSize);
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        file.close();
        UserMessages().MessageBox(error);
        return 0;
    }
    if (!IsArchiveHeader(header)) {
        file.close();
        SetAsideInvalidArchive(m_strArchivePath);
        SetStartupMessage(QString::fromLatin1(Str::kArchiveInvalid).arg(m_strArchivePath));
        return 0;
    }
    CLoadingArchive ar(file);
    const ReadOutcome outcome = ReadRecords(ar, AddingEvents());
    // Records appended today must not follow the unreadable part of one that a power cut left at
    // the end: every record after it would be read from the wrong byte.
    if (outcome.tornAt >= 0) {
        if (QFile::resize(m_strArchivePath, outcome.tornAt))
            qCWarning(lcArchive) << "unreadable end of a record removed from byte" << outcome.tornAt << "of"
                                 << m_strArchivePath;
        else
            qCWarning(lcArchive) << "could not remove the unreadable end of" << m_strArchivePath;
    }
    file.close();
    return ReportReadOutcome(outcome);
}

int CQuorvelDoc::ReadArchive(CLoadingArchive& ar)
{
    return ReportReadOutcome(ReadWholeArchive(ar, AddingEvents()));
}

CQuorvelDoc::DisplayFlags CQuorvelDoc::ReadDisplayFlags()
{
    DisplayFlags flags;
    ReadEventViewSettings(flags.call, flags.fault, flags.normal, flags.system);
    return flags;
}

std::unique_ptr<QFile> CQuorvelDoc::OpenForViewing(const QString& path)
{
    QString key;
    GetTodayKey(key);
    if (path.contains(key)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveAlreadyOpen).arg(path));
        return nullptr;
    }
    auto file = std::make_unique<QFile>(path);
    QString error;
    bool notRegular = false;
    if (!OpenArchiveFile(*file, QIODevice::ReadOnly, LOCK_SH, error, &notRegular)) {
        UserMessages().MessageBox(notRegular ? error
                                             : QString::fromLatin1(Str::kFailedToOpenDocument) + QLatin1Char('\n') + error);
        return nullptr;
    }
    if (!IsArchiveHeader(file->read(kArchiveHeaderSize))) {
        file->close();
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveInvalid).arg(path));
        return nullptr;
    }
    file->seek(0);
    SetArchivePath(path);
    SetTitle(QFileInfo(path).fileName());
    return file;
}

CQuorvelDoc::ArchiveRead CQuorvelDoc::ReadForViewing(QFile& file, const DisplayFlags& flags,
                                                     const std::atomic<bool>* cancel)
{
    ArchiveRead read;
    CLoadingArchive ar(file);
    read.outcome = ReadWholeArchive(ar, [&read, &flags](std::unique_ptr<CDisplayObj> record) {
        if (record->PassesFilter(flags.call, flags.fault, flags.normal, flags.system))
            read.records->Append(*record);
    }, cancel);
    file.close();
    return read;
}

int CQuorvelDoc::FinishOpenDocument(ArchiveRead read)
{
    ReplaceEvents(std::move(read.records));
    ReportReadOutcome(read.outcome);
    if (m_pView)
        m_pView->UpdateScrollRange();
    return 1;
}

int CQuorvelDoc::OnOpenDocument(const QString& path)
{
    const std::unique_ptr<QFile> file = OpenForViewing(path);
    if (!file)
        return 0;
    return FinishOpenDocument(ReadForViewing(*file, ReadDisplayFlags()));
}

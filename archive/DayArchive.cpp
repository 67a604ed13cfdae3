#include "archive/DayArchive.h"

#include "archive/ArchiveFormat.h"
#include "archive/DiskSpace.h"
#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/StationHealth.h"
#include "core/Station.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/file.h>

#include <utility>

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

} // namespace

DayArchive::DayArchive(TitleSource title, ChannelSource channel)
    : m_pfnTitle(std::move(title))
    , m_pfnChannel(std::move(channel))
{
}

DayArchive::~DayArchive()
{
    Close();
}

QString DayArchive::PathFor(const QString& dateKey) const
{
    return StationPath(QLatin1String(Str::kArchivesDir)) + QLatin1Char('/') + FileTitle(m_pfnTitle()) + QLatin1Char(' ')
        + dateKey + kExtension;
}

void DayArchive::Close()
{
    m_strDateKey.clear();
    const QString text = FlushFails() ? WriteErrorText() : QString();
    m_pArchive.reset();
    if (m_file.isOpen())
        m_file.close();
    if (!text.isEmpty())
        ReportWriteError(text);
}

void DayArchive::ReportWriteError(const QString& text) const
{
    ChannelHealth& health = StationHealth::Channel(m_pfnChannel());
    health.Count(health.archiveWriteErrors);
    UserMessages().ReportError(text);
}

bool DayArchive::Open(const QString& dateKey, const QDateTime& now)
{
    Close();
    if (!KeepDiskInBounds(now))
        return false;

    const QString path = PathFor(dateKey);
    m_strPath = path;
    m_file.setFileName(path);
    QString error;
    if (!OpenArchiveFile(m_file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, LOCK_EX, error)) {
        qCWarning(lcArchive) << "cannot open" << path << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        // The disk's own reason, and whose messages go unarchived: a read-only or unwritable disk
        // is not an archive that went missing.
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNotFound).arg(path) + QLatin1Char('\n')
                                      + QString::fromLatin1(Str::kChannelNotArchived).arg(m_pfnTitle()).arg(m_pfnChannel()).arg(error),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
        return false;
    }
    const QByteArray header = ArchiveHeader();
    if (m_file.size() == 0 && StoringArchive::WriteAll(m_file, header.constData(), header.size()) < header.size()) {
        error = m_file.errorString();
        // Part of a header would make the file no archive at all.
        if (!m_file.resize(0))
            qCWarning(lcArchive) << "could not empty" << path << m_file.errorString();
        m_file.close();
        ReportWriteError(error);
        return false;
    }
    m_pArchive = std::make_unique<StoringArchive>(m_file);
    m_strDateKey = dateKey;
    qCDebug(lcArchive) << "day archive" << path;
    return true;
}

bool DayArchive::Store(const CDisplayObj& record)
{
    if (!m_pArchive || m_strDateKey.isEmpty())
        return false;
    record.Serialize(*m_pArchive);
    if (m_pArchive->HasError()) {
        // The next record opens the file again, after its last whole record.
        m_strDateKey.clear();
        ReportWriteError(WriteErrorText());
        return false;
    }
    m_pArchive->EndRecord();
    return true;
}

void DayArchive::Flush()
{
    if (!FlushFails())
        return;
    m_strDateKey.clear();
    ReportWriteError(WriteErrorText());
}

bool DayArchive::FlushFails()
{
    // A stream that failed before has been reported then, and is left to the next day switch.
    return m_pArchive && !m_pArchive->HasError() && !m_pArchive->Flush();
}

// The file error, and above it how many of the records listed already it kept from the archive.
QString DayArchive::WriteErrorText() const
{
    if (m_pArchive->LostRecords() == 0)
        return m_pArchive->ErrorString();
    return QString::fromLatin1(Str::kRecordsNotArchived).arg(m_pfnTitle()).arg(m_pArchive->LostRecords())
        + QLatin1Char('\n') + m_pArchive->ErrorString();
}

QDateTime DayArchive::ArchiveCreationTime(const QFileInfo& info)
{
    const QDateTime born = info.birthTime();
    if (born.isValid())
        return born;
    const QString name = info.fileName();
    const QDate date = QDate::fromString(name.mid(name.size() - kExtension.size() - 8, 8), QStringLiteral("yyyyMMdd"));
    return date.isValid() ? date.startOfDay() : info.lastModified();
}

void DayArchive::ScanArchives(const QDateTime& now, qint64& age, quint64& free, quint64& diskSize,
                              QString& oldestPath, quint64& oldestSize) const
{
    // The channel's archives are "<name> *.krv"; the name is matched as it stands, not as a pattern.
    const QString prefix = FileTitle(m_pfnTitle()) + QLatin1Char(' ');
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
bool DayArchive::KeepDiskInBounds(const QDateTime& now) const
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

// CQuorvelDoc reading archives back: today's at start-up, earlier days' for viewing.
#include "archive/QuorvelDoc.h"

#include "archive/ArchiveFormat.h"
#include "archive/IDocView.h"
#include "archive/ViewingMemory.h"
#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/StartupMessage.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"

#include <QFileInfo>

#include <sys/file.h>

namespace {

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

QString CQuorvelDoc::BuildArchivePath(int wildcard) const
{
    if (wildcard)
        return m_day.PathFor(QStringLiteral("*"));
    QString key;
    GetTodayKey(key);
    return m_day.PathFor(key);
}

void CQuorvelDoc::ScanArchives(const QDateTime& now, qint64& age, quint64& free, quint64& diskSize,
                               QString& oldestPath, quint64& oldestSize) const
{
    m_day.ScanArchives(now, age, free, diskSize, oldestPath, oldestSize);
}

ArchiveReading::KeepRecord CQuorvelDoc::AddingEvents()
{
    return [this](const CDisplayObj& record) { ListEvent(record); };
}

// Boxes come after reading, once the file is closed.
int CQuorvelDoc::ReportReadOutcome(const ArchiveReading::Outcome& outcome)
{
    if (outcome.corrupt) {
        const QString path = GetArchivePath();
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveCorrupt) + (path.isEmpty() ? QString() : QLatin1Char('\n') + path),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
    }
    if (outcome.status == LoadingArchive::FileError) {
        UserMessages().MessageBox(outcome.error);
        return 0;
    }
    return outcome.noHeader ? 0 : 1;
}

int CQuorvelDoc::ReloadToday()
{
    m_bReloadDue = false;
    QString key;
    GetTodayKey(key);
    SetArchivePath(m_day.PathFor(key));
    // A file of its own: the day switch never shares the day's append file with this reader.
    QFile file(m_strArchivePath);
    QString error;
    if (!OpenArchiveFile(file, QIODevice::ReadOnly, LOCK_EX, error)) {
        // No file yet is the usual case; one that is there and cannot be read leaves the window
        // without the day's earlier records, which the log says why.
        if (QFileInfo::exists(m_strArchivePath))
            qCWarning(lcArchive) << "today's records not reloaded from" << m_strArchivePath << error;
        return 0;
    }
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
    LoadingArchive ar(file);
    const ArchiveReading::Outcome outcome = ArchiveReading::ReadRecords(ar, AddingEvents());
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

int CQuorvelDoc::ReadArchive(LoadingArchive& ar)
{
    return ReportReadOutcome(ArchiveReading::ReadWholeArchive(ar, AddingEvents()));
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
        // Named: a recent entry or a file another copy handed over may be gone since it was named.
        UserMessages().MessageBox(notRegular ? error
                                             : QString::fromLatin1(Str::kFailedToOpenDocument) + QLatin1Char('\n')
                                                 + QString::fromLatin1(Str::kFileAndReason).arg(path, error));
        return nullptr;
    }
    if (!IsArchiveHeader(file->read(kArchiveHeaderSize))) {
        file->close();
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveInvalid).arg(path));
        return nullptr;
    }
    // Refused before it is read: its records would take the memory the logging needs.
    const quint64 needed = ViewingMemory::EstimatedListBytes(file->size());
    const quint64 bound = ViewingMemory::Bound();
    if (bound > 0 && needed > bound) {
        file->close();
        constexpr quint64 kMiB = 1024 * 1024;
        qCWarning(lcArchive) << "archive too large to view:" << path << needed << "bytes, bound" << bound;
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveTooLarge)
                                      .arg(path)
                                      .arg((needed + kMiB - 1) / kMiB)
                                      .arg(bound / kMiB),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
        return nullptr;
    }
    file->seek(0);
    SetArchivePath(path);
    SetTitle(QFileInfo(path).fileName());
    return file;
}

int CQuorvelDoc::FinishOpenDocument(ArchiveReading::ArchiveRead read)
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
    return FinishOpenDocument(ArchiveReading::ReadForViewing(*file, ArchiveReading::ReadDisplayFlags()));
}

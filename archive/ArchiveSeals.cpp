#include "archive/ArchiveSeals.h"

#include "archive/ArchiveFormat.h"
#include "archive/SealFile.h"
#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/Station.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>

#include <atomic>
#include <sys/file.h>

namespace {

// One thread: seals go into the file in the order they were asked for.
QThreadPool& SealThread()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setObjectName(QStringLiteral("seals"));
        return p;
    }();
    return *pool;
}

// The seal thread and a backup on the user-interface thread both seal.
QMutex s_sealing;
std::atomic<bool> s_finishing{false};

const QString kExtension = QLatin1Char('.') + QLatin1String(Str::kArchiveExtension);

void Report(const QString& path, const QString& error)
{
    qCWarning(lcArchive) << "could not seal" << path << error;
    UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    UserMessages().MessageBox(QString::fromLatin1(Str::kSealFailed).arg(path, error), IUserMessages::Buttons::Ok,
                              IUserMessages::Icon::Stop);
}

} // namespace

bool ArchiveSeals::IsEarlierDay(const QString& fileName, const QString& todayKey)
{
    // "<channel> <yyyyMMdd>.krv"; the key compares as text.
    constexpr int kKeySize = 8;
    if (!fileName.endsWith(kExtension) || fileName.size() < kKeySize + 1 + kExtension.size())
        return false;
    const qsizetype keyAt = fileName.size() - kExtension.size() - kKeySize;
    if (fileName.at(keyAt - 1) != QLatin1Char(' '))
        return false;
    const QString key = fileName.mid(keyAt, kKeySize);
    for (const QChar c : key) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return key < todayKey;
}

void ArchiveSeals::DayClosed(const QString& path, const QString& todayKey)
{
    if (IsEarlierDay(QFileInfo(path).fileName(), todayKey))
        Queue(path, todayKey);
}

void ArchiveSeals::SealEarlierDays()
{
    QString todayKey;
    GetTodayKey(todayKey);
    const QDir archives(StationPath(QLatin1String(Str::kArchivesDir)));
    const QString folder = archives.absolutePath();
    SealThread().start([folder, todayKey] {
        SealFile::Seals seals;
        QString error;
        const QString sealFile = QDir(folder).filePath(QLatin1String(Str::kSealFile));
        if (!SealFile::Read(sealFile, seals, error)) {
            Report(sealFile, error);
            return;
        }
        const QStringList files = QDir(folder).entryList({QLatin1Char('*') + kExtension}, QDir::Files | QDir::Hidden,
                                                         QDir::Name);
        for (const QString& file : files) {
            if (s_finishing.load())
                return;
            if (IsEarlierDay(file, todayKey) && seals.count(QFile::encodeName(file)) == 0) {
                QByteArray lines;
                // One box for a seal file that cannot be written, not one per archive.
                if (Seal(QDir(folder).filePath(file), todayKey, lines, error) == Result::Failed) {
                    Report(QDir(folder).filePath(file), error);
                    return;
                }
            }
        }
    });
}

void ArchiveSeals::WaitForDone()
{
    SealThread().waitForDone();
}

void ArchiveSeals::Finish()
{
    s_finishing = true;
    SealThread().waitForDone();
    s_finishing = false;
}

void ArchiveSeals::Queue(const QString& path, const QString& todayKey)
{
    SealThread().start([path, todayKey] {
        QByteArray lines;
        QString error;
        if (Seal(path, todayKey, lines, error) == Result::Failed)
            Report(path, error);
    });
}

ArchiveSeals::Result ArchiveSeals::SealNow(const QString& path, QByteArray& lines, QString& error)
{
    QString todayKey;
    GetTodayKey(todayKey);
    return Seal(path, todayKey, lines, error);
}

ArchiveSeals::Result ArchiveSeals::Seal(const QString& path, const QString& todayKey, QByteArray& lines,
                                          QString& error)
{
    const QString fileName = QFileInfo(path).fileName();
    if (!IsEarlierDay(fileName, todayKey))
        return Result::NotSealable;
    const QMutexLocker lock(&s_sealing);
    // Gone before its turn came (removed by hand, or its station with it): nothing to seal.
    if (!QFileInfo::exists(path)) {
        qCInfo(lcArchive) << "not sealed, gone:" << path;
        return Result::NotSealable;
    }
    const QString sealFile = SealFile::BesideFile(path);
    SealFile::Seals seals;
    if (!SealFile::Read(sealFile, seals, error))
        return Result::Failed;
    const auto sealed = seals.find(QFile::encodeName(fileName));
    if (sealed != seals.end()) {
        lines.clear();
        for (const QByteArray& hash : sealed->second)
            lines += SealFile::Line(hash, fileName);
        return Result::Sealed;
    }
    // Shared-locked while it is hashed: a channel that has the file open for appending holds it
    // locked, and one that wants to open it now finds it in use and says so.
    QFile file(path);
    if (!OpenArchiveFile(file, QIODevice::ReadOnly, LOCK_SH, error)) {
        qCInfo(lcArchive) << "not sealed, in use:" << path << error;
        return Result::NotSealable;
    }
    const QByteArray hash = SealFile::HashOf(file, error);
    if (hash.isEmpty())
        return Result::Failed;
    lines = SealFile::Line(hash, fileName);
    if (!SealFile::Append(sealFile, lines, error))
        return Result::Failed;
    qCDebug(lcArchive) << "sealed" << path;
    return Result::Sealed;
}

#include "archive/ArchiveFormat.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray ArchiveHeader()
{
    return QByteArray(Str::kArchiveHeader);
}

bool IsArchiveHeader(const QByteArray& bytes)
{
    static_assert(sizeof(Str::kArchiveHeader) == kArchiveHeaderSize + 1, "the header is 41 characters");
    return bytes == QByteArrayView(Str::kArchiveHeader, kArchiveHeaderSize);
}

namespace {

QString KeyOf(const QDate& date)
{
    // Asked for with every message: the text is made once a day.
    thread_local QDate keyDate;
    thread_local QString keyText;
    if (date != keyDate) {
        keyText = date.toString(QStringLiteral("yyyyMMdd"));
        keyDate = date;
    }
    return keyText;
}

} // namespace

QDateTime GetTodayKey(QString& key)
{
    const QDateTime now = Clock::Now();
    key = KeyOf(now.date());
    return now;
}

QString TodayKey()
{
    return KeyOf(Clock::NowLocalSecond().date);
}

bool OpenArchiveFile(QFile& file, int openMode, int lockOperation, QString& error, bool* notRegular)
{
    if (notRegular)
        *notRegular = false;
    // Never through a link: someone who may write in the archives' folder could otherwise have
    // the station create or write a file of their choosing. Opened without waiting, and then only
    // kept when it is a regular file: a named pipe or a device in an archive's place would hold
    // the open, or the read, for as long as nobody is at its other end.
    const QString name = file.fileName();
    const QIODevice::OpenMode mode(openMode);
    int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    if (mode & (QIODevice::WriteOnly | QIODevice::Append)) {
        flags = (mode & QIODevice::ReadOnly ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
        flags |= mode & QIODevice::Append ? O_APPEND : O_TRUNC;
    }
    const int fd = ::open(QFile::encodeName(name).constData(), flags, 0666);
    struct stat status {};
    if (fd < 0 && errno != ELOOP) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        error = QString::fromLatin1(Str::kArchiveNotViewable).arg(name);
        if (notRegular)
            *notRegular = true;
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        error = file.errorString();
        ::close(fd);
        return false;
    }
    if (::flock(fd, lockOperation | LOCK_NB) == 0)
        return true;
    error = QString::fromLocal8Bit(std::strerror(errno));
    qCDebug(lcArchive) << "flock failed on" << name << error;
    file.close();
    return false;
}

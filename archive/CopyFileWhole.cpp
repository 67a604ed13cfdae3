#include "archive/CopyFileWhole.h"

#include "core/Logging.h"
#include "core/SettingsKeys.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunkSize = 64 * 1024;  // a diskette takes about this in two seconds

int CopyBytes(int in, int out, qint64 total, const CopyProgress& progress)
{
    QByteArray buffer(int(kChunkSize), Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        if (progress && !progress(copied, total))
            return ECANCELED;
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (const int error = WriteAllBytes(out, buffer.constData(), got))
            return error;
        copied += got;
    }
}

// Makes the new name last through a power cut; some file systems cannot sync a folder, which
// costs nothing but that assurance.
void SyncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fsync(fd) != 0)
        qCDebug(lcArchive) << "folder of" << path << "not synced, errno" << errno;
    ::close(fd);
}

} // namespace

int WriteAllBytes(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

QString PartialCopyName(const QString& destination)
{
    return destination + QLatin1String(Str::kPartialCopySuffix);
}

int CopyFileWhole(const QString& source, const QString& destination, const CopyProgress& progress)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat status {};
    if (::fstat(in, &status) != 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    // The medium may be written by others: whatever has the part file's name, a link to a file
    // of someone else's too, is removed (not followed), and the part file is made new. The rename
    // below likewise replaces a link at the final name instead of writing through it.
    const QByteArray partial = QFile::encodeName(PartialCopyName(destination));
    ::unlink(partial.constData());
    const int out = ::open(partial.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, status.st_mode & 0666);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = CopyBytes(in, out, qint64(status.st_size), progress);
    // Only bytes on the device count: a medium pulled now must not leave a whole-looking file.
    if (!error && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && !error)
        error = errno;
    ::close(in);
    if (!error && ::rename(partial.constData(), QFile::encodeName(destination).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(partial.constData());
        qCInfo(lcArchive) << "copy of" << source << "to" << destination << "failed, errno" << error;
        return error;
    }
    SyncFolder(destination);
    return 0;
}

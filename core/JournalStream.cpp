#include "core/JournalStream.h"

#include <QtGlobal>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Matches(int fd)
{
    const QByteArray named = qgetenv("JOURNAL_STREAM");
    const qsizetype colon = named.indexOf(':');
    if (colon <= 0)
        return false;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = named.left(colon).toULongLong(&deviceOk);
    const qulonglong inode = named.mid(colon + 1).toULongLong(&inodeOk);
    struct stat info {};
    return deviceOk && inodeOk && ::fstat(fd, &info) == 0 && qulonglong(info.st_dev) == device
        && qulonglong(info.st_ino) == inode;
}

} // namespace

bool JournalStream::IsJournal(int fd)
{
    // Standard output and error are what the program writes its lines to; they do not change.
    static const bool output = Matches(STDOUT_FILENO);
    static const bool error = Matches(STDERR_FILENO);
    if (fd == STDOUT_FILENO)
        return output;
    if (fd == STDERR_FILENO)
        return error;
    return Matches(fd);
}

QByteArray JournalStream::Prefix(int fd, Priority priority)
{
    if (!IsJournal(fd))
        return {};
    return '<' + QByteArray::number(int(priority)) + '>';
}

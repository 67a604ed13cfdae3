#include "archive/ArchiveFormat.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "core/RegularFile.h"
#include "core/Strings.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/file.h>

QByteArray ArchiveHeader()
{
    return QByteArray(Str::kArchiveHeader);
}

bool IsArchiveHeader(const QByteArray& bytes)
{
    static_assert(sizeof(Str::kArchiveHeader) == kArchiveHeaderSize + 1, "the header is 41 characters");
    return bytes == QByteArrayView(Str::kArchiveHeader, kArchiveHeaderSize);
}

QDateTime GetTodayKey(QString& key)
{
    const QDateTime now = Clock::Now();
    // Asked for with every message: the text is made once a day.
    thread_local QDate keyDate;
    thread_local QString keyText;
    const QDate today = now.date();
    if (today != keyDate) {
        keyText = today.toString(QStringLiteral("yyyyMMdd"));
        keyDate = today;
    }
    key = keyText;
    return now;
}

bool OpenArchiveFile(QFile& file, int openMode, int lockOperation, QString& error, bool* notRegular)
{
    if (notRegular)
        *notRegular = false;
    if (openMode == QIODevice::ReadOnly) {
        switch (OpenRegularFile(file, file.fileName())) {
        case RegularFileOpen::Opened:
            break;
        case RegularFileOpen::Failed:
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        case RegularFileOpen::NotRegular:
            error = QString::fromLatin1(Str::kArchiveNotViewable).arg(file.fileName());
            if (notRegular)
                *notRegular = true;
            return false;
        }
    } else if (!file.open(QIODevice::OpenMode(openMode))) {
        error = file.errorString();
        return false;
    }
    if (::flock(file.handle(), lockOperation | LOCK_NB) == 0)
        return true;
    error = QString::fromLocal8Bit(std::strerror(errno));
    qCDebug(lcArchive) << "flock failed on" << file.fileName() << error;
    file.close();
    return false;
}

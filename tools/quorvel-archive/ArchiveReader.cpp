#include "ArchiveReader.h"

#include "ToolTexts.h"

#include "archive/ArchiveFormat.h"
#include "core/RegularFile.h"

#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool ArchiveReader::TakeSharedLock()
{
    for (int attempt = 1;; ++attempt) {
        if (::flock(m_file.handle(), LOCK_SH | LOCK_NB) == 0)
            return true;
        // A file system without locks: nothing to keep out, nothing to wait for.
        if (errno != EWOULDBLOCK || attempt == kLockAttempts)
            return false;
        QThread::msleep(kLockRetryMs);
    }
}

bool ArchiveReader::Open(const QString& path, bool mayBeAppended, QString& error)
{
    switch (OpenRegularFile(m_file, path)) {
    case RegularFileOpen::Opened:
        break;
    case RegularFileOpen::Failed:
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    case RegularFileOpen::NotRegular:
        error = QString::fromLatin1(Tool::kNotRegularFile);
        return false;
    }
    const bool locked = TakeSharedLock();
    m_inUse = !locked;
    m_ar = std::make_unique<LoadingArchive>(m_file);
    m_size = m_ar->Remaining();
    if (locked && mayBeAppended)
        ::flock(m_file.handle(), LOCK_UN);

    QByteArray header(kArchiveHeaderSize, Qt::Uninitialized);
    const LoadingArchive::Status status = m_ar->ReadBytes(header.data(), kArchiveHeaderSize);
    if (status == LoadingArchive::FileError) {
        error = m_ar->ErrorString();
        return false;
    }
    if (status != LoadingArchive::Ok || !IsArchiveHeader(header)) {
        m_notArchive = true;
        error = QString::fromLatin1(Tool::kNotArchive);
        return false;
    }
    m_bufferEnd = kArchiveHeaderSize;
    return true;
}

void ArchiveReader::Damage(const QString& what, qint64 offset, int record)
{
    m_damaged = true;
    if (m_onDamage)
        m_onDamage(what, offset, record);
}

// Moves the bytes not yet used to the front of the buffer and reads more after them; false
// when none can be had: the size taken at the start is reached, the buffer is full, the file
// ends early or cannot be read.
bool ArchiveReader::ReadMore()
{
    if (m_buffer.empty())
        m_buffer.resize(size_t(kBufferSize));
    const qsizetype kept = m_end - m_used;
    std::memmove(m_buffer.data(), m_buffer.data() + m_used, size_t(kept));
    m_used = 0;
    m_end = kept;
    const qint64 want = qMin<qint64>(kBufferSize - kept, m_size - m_bufferEnd);
    if (want <= 0)
        return false;
    const ssize_t got = ::pread(m_file.handle(), m_buffer.data() + m_end, size_t(want), m_bufferEnd);
    if (got <= 0)
        return false;
    m_end += got;
    m_bufferEnd += got;
    return true;
}

bool ArchiveReader::Scan(RecordView& record)
{
    for (;;) {
        qsizetype size = 0;
        switch (RecordScanner::Scan(QByteArrayView(m_buffer.data() + m_used, m_end - m_used), record, size)) {
        case RecordScanner::Ok:
            m_used += size;
            return true;
        case RecordScanner::Short:
            if (!ReadMore())
                return false;
            break;
        case RecordScanner::Unusual:
            return false;
        }
    }
}

ArchiveReader::Outcome ArchiveReader::NextAfterBuffer(RecordView& record)
{
    if (m_scanning) {
        if (Scan(record)) {
            ++m_records;
            return Outcome::Record;
        }
        m_scanning = false;
        if (m_ar->Seek(m_bufferEnd - (m_end - m_used)) != LoadingArchive::Ok) {
            m_error = m_ar->ErrorString();
            return Outcome::Error;
        }
    }
    return ReadGeneral(record);
}

ArchiveReader::Outcome ArchiveReader::ReadGeneral(RecordView& record)
{
    const qint64 offset = m_size - m_ar->Remaining();
    const CDisplayObj& read = m_record.emplace();
    const LoadingArchive::Status status = m_record->Serialize(*m_ar);
    record = RecordView{read.GetStatusColor(), read.GetTextColor(), read.GetKind(),      read.IsFault(),
                        read.GetLength(),      read.TextView(),     read.IsTextMessage()};
    switch (status) {
    case LoadingArchive::Ok:
        ++m_records;
        return Outcome::Record;
    case LoadingArchive::Corrupt:
        ++m_records;
        Damage(QString::fromLatin1(Tool::kDamagedLength), offset, m_records);
        return Outcome::Record;
    case LoadingArchive::EndOfData: {
        // Bytes of a record still being appended are no damage, nor is a failed append cut back.
        if (offset >= m_size || m_inUse)
            return Outcome::End;
        // A file cut shorter while it was read ends where it now ends; what is missing is not
        // part of a record at its end.
        struct stat now {};
        if (::fstat(m_file.handle(), &now) == 0 && now.st_size < m_size)
            Damage(QString::fromLatin1(Tool::kShrank).arg(m_size).arg(qint64(now.st_size)), offset, m_records + 1);
        else
            Damage(QString::fromLatin1(Tool::kDamagedCut).arg(m_size - offset), offset, m_records + 1);
        return Outcome::End;
    }
    case LoadingArchive::FileError:
        break;
    }
    m_error = m_ar->ErrorString();
    return Outcome::Error;
}

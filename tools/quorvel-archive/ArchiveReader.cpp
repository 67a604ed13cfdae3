#include "ArchiveReader.h"

#include "ToolTexts.h"

#include "archive/ArchiveFormat.h"

#include <QThread>

#include <cerrno>
#include <sys/file.h>

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
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        error = m_file.errorString();
        return false;
    }
    const bool locked = TakeSharedLock();
    m_inUse = !locked;
    m_ar = std::make_unique<CLoadingArchive>(m_file);
    m_size = m_ar->Remaining();
    if (locked && mayBeAppended)
        ::flock(m_file.handle(), LOCK_UN);

    QByteArray header(kArchiveHeaderSize, Qt::Uninitialized);
    const CLoadingArchive::Status status = m_ar->ReadBytes(header.data(), kArchiveHeaderSize);
    if (status == CLoadingArchive::FileError) {
        error = m_ar->ErrorString();
        return false;
    }
    if (status != CLoadingArchive::Ok || !IsArchiveHeader(header)) {
        m_notArchive = true;
        error = QString::fromLatin1(Tool::kNotArchive);
        return false;
    }
    return true;
}

void ArchiveReader::Damage(const QString& what, qint64 offset, int record)
{
    m_damaged = true;
    if (m_onDamage)
        m_onDamage(what, offset, record);
}

ArchiveReader::Outcome ArchiveReader::Next(std::optional<CDisplayObj>& record)
{
    const qint64 offset = m_size - m_ar->Remaining();
    record.emplace();
    const CLoadingArchive::Status status = record->Serialize(*m_ar);
    switch (status) {
    case CLoadingArchive::Ok:
        ++m_records;
        return Outcome::Record;
    case CLoadingArchive::Corrupt:
        ++m_records;
        Damage(QString::fromLatin1(Tool::kDamagedLength), offset, m_records);
        return Outcome::Record;
    case CLoadingArchive::EndOfData:
        record.reset();
        // Bytes of a record still being appended are no damage.
        if (offset < m_size && !m_inUse)
            Damage(QString::fromLatin1(Tool::kDamagedCut).arg(m_size - offset), offset, m_records + 1);
        return Outcome::End;
    case CLoadingArchive::FileError:
        break;
    }
    record.reset();
    m_error = m_ar->ErrorString();
    return Outcome::Error;
}

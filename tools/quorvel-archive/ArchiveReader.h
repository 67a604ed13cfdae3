#pragma once
#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"
#include "events/RecordScanner.h"

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Reads one archive file record by record with the program's own reader.
//
// Locking: a live channel holds an exclusive flock on the archive it appends to for the whole
// day, and its day switch and start-up reload take an exclusive lock without waiting, so a
// reader that holds a shared lock at the wrong moment makes the channel lose a message. The
// reader therefore asks for a shared lock a few times, briefly, and:
// - gets it: for an archive a channel may still open for appending (today's or yesterday's,
//   or any name that is not a day archive's) it lets go again at once, having taken the size;
//   an older archive stays locked while it is read, keeping out anyone who locks to write;
// - does not get it: a channel is appending, so the file is read without the lock. Appends
//   only add bytes after the size taken at the start and a failed append cuts back only bytes
//   beyond the last whole record, so every whole record up to that size is read as written;
//   a record cut short at that size is one still being written, not damage.
//
// Records are taken in place from large reads of the file (RecordScanner). From the first record
// the scanner does not take (16-bit text, damage, the end of the data, a short read) to the end,
// the program's own LoadingArchive reads them, so what is read and reported is the same.
class ArchiveReader
{
public:
    enum class Outcome { Record, End, Error };
    // damage: what is wrong, at which byte of the file and in which record (1-based).
    using DamageHandler = std::function<void(const QString& what, qint64 offset, int record)>;

    static constexpr int kLockAttempts = 5;
    static constexpr int kLockRetryMs = 20;
    static constexpr qsizetype kBufferSize = 256 * 1024;

    void SetDamageHandler(DamageHandler handler) { m_onDamage = std::move(handler); }

    // Opens the file and checks its header; false with error when it cannot be read, is no
    // regular file (a pipe or device is refused at once, never waited on) or is no archive
    // (NotArchive() tells which).
    bool Open(const QString& path, bool mayBeAppended, QString& error);
    // The next record, valid until the next call. A record whose text length was damaged is
    // delivered as far as it was read, as the program lists it.
    Outcome Next(RecordView& record)
    {
        // Inline for the common case, a whole record in the buffer.
        qsizetype size = 0;
        if (m_scanning
            && RecordScanner::Scan(QByteArrayView(m_buffer.data() + m_used, m_end - m_used), record, size)
                == RecordScanner::Ok) {
            m_used += size;
            ++m_records;
            return Outcome::Record;
        }
        return NextAfterBuffer(record);
    }

    bool NotArchive() const { return m_notArchive; }
    bool IsDamaged() const { return m_damaged; }
    bool InUse() const { return m_inUse; }
    qint64 Size() const { return m_size; }
    int Records() const { return m_records; }
    QString ErrorString() const { return m_error; }

private:
    bool TakeSharedLock();
    Outcome NextAfterBuffer(RecordView& record);
    bool Scan(RecordView& record);
    bool ReadMore();
    Outcome ReadGeneral(RecordView& record);
    void Damage(const QString& what, qint64 offset, int record);

    QFile m_file;
    std::unique_ptr<LoadingArchive> m_ar;
    bool m_scanning = true;  // until the first record the scanner leaves to m_ar
    std::vector<char> m_buffer;
    qsizetype m_used = 0;    // of the bytes in m_buffer
    qsizetype m_end = 0;
    qint64 m_bufferEnd = 0;  // the file offset of m_buffer[m_end]
    std::optional<CDisplayObj> m_record;  // what m_ar reads
    DamageHandler m_onDamage;
    qint64 m_size = 0;
    int m_records = 0;
    bool m_notArchive = false;
    bool m_damaged = false;
    bool m_inUse = false;
    QString m_error;
};

#pragma once
#include "events/DisplayObj.h"
#include "events/LoadingArchive.h"

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

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
class ArchiveReader
{
public:
    enum class Outcome { Record, End, Error };
    // damage: what is wrong, at which byte of the file and in which record (1-based).
    using DamageHandler = std::function<void(const QString& what, qint64 offset, int record)>;

    static constexpr int kLockAttempts = 5;
    static constexpr int kLockRetryMs = 20;

    void SetDamageHandler(DamageHandler handler) { m_onDamage = std::move(handler); }

    // Opens the file and checks its header; false with error when it cannot be read or is
    // no archive (NotArchive() tells which).
    bool Open(const QString& path, bool mayBeAppended, QString& error);
    // The next record. A record whose text length was damaged is delivered as far as it was
    // read, as the program lists it.
    Outcome Next(std::optional<CDisplayObj>& record);

    bool NotArchive() const { return m_notArchive; }
    bool IsDamaged() const { return m_damaged; }
    bool InUse() const { return m_inUse; }
    qint64 Size() const { return m_size; }
    int Records() const { return m_records; }
    QString ErrorString() const { return m_error; }

private:
    bool TakeSharedLock();
    void Damage(const QString& what, qint64 offset, int record);

    QFile m_file;
    std::unique_ptr<CLoadingArchive> m_ar;
    DamageHandler m_onDamage;
    qint64 m_size = 0;
    int m_records = 0;
    bool m_notArchive = false;
    bool m_damaged = false;
    bool m_inUse = false;
    QString m_error;
};

#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

class QFile;

// The archive file: the 41-byte header text, then records back to back, nothing else.
inline constexpr int kArchiveHeaderSize = 41;

// True when the bytes are exactly the header text (a shorter read never matches).
bool IsArchiveHeader(const QByteArray& bytes);
QByteArray ArchiveHeader();

// Sets key to the local date of now as "yyyyMMdd" and returns now.
QDateTime GetTodayKey(QString& key);
// The same key alone, without making "now": asked for with every message.
QString TodayKey();

// Opens an archive file and locks it with flock (LOCK_EX: no other opener that locks; LOCK_SH:
// readers together, no writer), not waiting. On failure the file is closed again and error
// tells why. The file must be a regular file and not a link: anything else in its place is
// refused at once (*notRegular true), never waited on or written through.
bool OpenArchiveFile(QFile& file, int openMode, int lockOperation, QString& error, bool* notRegular = nullptr);

#pragma once
#include <QString>

#include <functional>

// Told how far a copy has come; returns false to stop it.
using CopyProgress = std::function<bool(qint64 copied, qint64 total)>;

// Copies a file so that the destination is never a part of it: the bytes go to the destination's
// name plus a suffix, are flushed to the device, and only then take the destination's name,
// replacing a file of that name in one step. On failure (medium full or pulled, stopped by
// `progress`) the partial file is removed and an earlier file of that name stays as it was.
// Returns 0 when the copy is in place, else the errno of the failure (ECANCELED when stopped).
int CopyFileWhole(const QString& source, const QString& destination, const CopyProgress& progress = {});

// Writes all of a buffer to a file descriptor, as far as the medium takes it; 0 or the errno.
int WriteAllBytes(int fd, const char* data, qint64 size);

// The name a copy is written under until it is whole.
QString PartialCopyName(const QString& destination);

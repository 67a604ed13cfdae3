#pragma once
#include "archive/CopyFileWhole.h"

#include <QString>

#include <functional>

// A backup copy that is checked: the archive is sealed first when its day is over (ArchiveSeals),
// copied whole (CopyFileWhole), and once it has its name on the medium read back from there and
// compared with the archive's SHA-256. A copy that does not read back as the archive is removed.
// The SHA256SUMS beside the copy then holds the archive's seal lines in place of any it had for
// that name, so the medium can be checked anywhere with "sha256sum -c".
class VerifiedCopy
{
public:
    // errno values, and this one for a copy that did not read back as the archive.
    static constexpr int kCopyDiffers = -1;

    // 0 when the copy is in place and checked, else kCopyDiffers or the errno of the failure.
    static int Copy(const QString& source, const QString& destination, const CopyProgress& progress = {});

    // Tests only: runs on the copy's name between its rename and its reading back, standing for
    // a medium that does not keep what was written.
    static void SetReadBackHook(std::function<void(const QString& copy)> hook);
};

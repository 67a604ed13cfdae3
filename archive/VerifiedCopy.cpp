#include "archive/VerifiedCopy.h"

#include "archive/ArchiveSeals.h"
#include "archive/SealFile.h"
#include "core/Logging.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

std::function<void(const QString&)>& ReadBackHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

} // namespace

void VerifiedCopy::SetReadBackHook(std::function<void(const QString& copy)> hook)
{
    ReadBackHook() = std::move(hook);
}

int VerifiedCopy::Copy(const QString& source, const QString& destination, const CopyProgress& progress)
{
    QByteArray sealLines;
    QString error;
    if (ArchiveSeals::SealNow(source, sealLines, error) == ArchiveSeals::Result::Failed) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kSealFailed).arg(source, error));
    }
    const QByteArray expected = SealFile::HashOf(source, error);
    if (expected.isEmpty()) {
        qCInfo(lcArchive) << "cannot read" << source << error;
        return EIO;
    }
    if (const int failure = CopyFileWhole(source, destination, progress))
        return failure;

    if (ReadBackHook())
        ReadBackHook()(destination);
    const QByteArray copied = SealFile::HashOf(destination, error);
    const QString sealFile = SealFile::BesideFile(destination);
    const QString name = QFileInfo(destination).fileName();
    if (copied != expected) {
        qCWarning(lcArchive) << "copy" << destination << "does not read back as" << source << error;
        QFile::remove(destination);
        // The seal of the copy it replaced goes with it.
        SealFile::Replace(sealFile, name, {});
        return kCopyDiffers;
    }
    return SealFile::Replace(sealFile, name, sealLines);
}

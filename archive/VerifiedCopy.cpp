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

void CVerifiedCopy::SetReadBackHook(std::function<void(const QString& copy)> hook)
{
    ReadBackHook() = std::move(hook);
}

int CVerifiedCopy::Copy(const QString& source, const QString& destination, const CopyProgress& progress)
{
    QByteArray sealLines;
    QString error;
    if (CArchiveSeals::SealNow(source, sealLines, error) == CArchiveSeals::Result::Failed) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kSealFailed).arg(source, error));
    }
    const QByteArray expected = CSealFile::HashOf(source, error);
    if (expected.isEmpty()) {
        qCInfo(lcArchive) << "cannot read" << source << error;
        return EIO;
    }
    if (const int failure = CopyFileWhole(source, destination, progress))
        return failure;

    if (ReadBackHook())
        ReadBackHook()(destination);
    const QByteArray copied = CSealFile::HashOf(destination, error);
    const QString sealFile = CSealFile::BesideFile(destination);
    const QString name = QFileInfo(destination).fileName();
    if (copied != expected) {
        qCWarning(lcArchive) << "copy" << destination << "does not read back as" << source << error;
        QFile::remove(destination);
        // The seal of the copy it replaced goes with it.
        CSealFile::Replace(sealFile, name, {});
        return kCopyDiffers;
    }
    return CSealFile::Replace(sealFile, name, sealLines);
}

#include "archive/SealFile.h"

#include "archive/CopyFileWhole.h"
#include "core/SettingsKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHashHexSize = 64;
constexpr qint64 kReadSize = 256 * 1024;

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Unescaped(const QByteArray& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size()) {
            ++i;
            out += name[i] == 'n' ? '\n' : name[i];
        } else {
            out += name[i];
        }
    }
    return out;
}

bool IsHex(const QByteArray& text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

} // namespace

QString SealFile::BesideFile(const QString& path)
{
    return QFileInfo(path).absoluteDir().filePath(QLatin1String(Str::kSealFile));
}

// The name a line seals, or an empty one for a line that is no seal.
QByteArray SealFile::NameOf(QByteArray line, QByteArray* hash)
{
    const bool escaped = line.startsWith('\\');
    if (escaped)
        line.remove(0, 1);
    // "<hash>  <name>", or "<hash> *<name>" as sha256sum writes in binary mode.
    if (line.size() < kHashHexSize + 3 || line[kHashHexSize] != ' '
        || (line[kHashHexSize + 1] != ' ' && line[kHashHexSize + 1] != '*') || !IsHex(line.left(kHashHexSize)))
        return {};
    if (hash)
        *hash = line.left(kHashHexSize).toLower();
    const QByteArray name = line.mid(kHashHexSize + 2);
    return escaped ? Unescaped(name) : name;
}

bool SealFile::Read(const QString& sealFile, Seals& seals, QString& error)
{
    seals.clear();
    QFile file(sealFile);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    for (const QByteArray& line : all.split('\n')) {
        QByteArray hash;
        const QByteArray name = NameOf(line, &hash);
        if (!name.isEmpty())
            seals[name].append(hash);
    }
    return true;
}

QByteArray SealFile::Line(const QByteArray& hash, const QString& fileName)
{
    QByteArray name = QFile::encodeName(fileName);
    if (!name.contains('\\') && !name.contains('\n'))
        return hash + "  " + name + '\n';
    name.replace('\\', "\\\\").replace('\n', "\\n");
    return '\\' + hash + "  " + name + '\n';
}

bool SealFile::Append(const QString& sealFile, const QByteArray& lines, QString& error)
{
    // Never through a link: the station writes only files of its own.
    const int fd = ::open(QFile::encodeName(sealFile).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error = ErrnoText(errno);
        return false;
    }
    int failure = 0;
    struct stat status {};
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &status) != 0)
        failure = errno;
    else if (!S_ISREG(status.st_mode))
        failure = EINVAL;
    QByteArray bytes = lines;
    char last = '\n';
    if (!failure && status.st_size > 0 && ::pread(fd, &last, 1, status.st_size - 1) == 1 && last != '\n')
        bytes.prepend('\n');
    if (!failure)
        failure = WriteAllBytes(fd, bytes.constData(), bytes.size());
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (failure) {
        error = ErrnoText(failure);
        return false;
    }
    return true;
}

QByteArray SealFile::HashOf(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return {};
    }
    return HashOf(file, error);
}

QByteArray SealFile::HashOf(QFile& file, QString& error)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(kReadSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0) {
            error = file.errorString();
            return {};
        }
        if (got == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), got));
    }
    return hash.result().toHex();
}

int SealFile::Replace(const QString& sealFile, const QString& fileName, const QByteArray& lines)
{
    QByteArray kept;
    QFile old(sealFile);
    if (!old.exists() && lines.isEmpty())
        return 0;
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return EIO;
        const QByteArray name = QFile::encodeName(fileName);
        for (const QByteArray& line : old.readAll().split('\n')) {
            if (!line.isEmpty() && NameOf(line) != name)
                kept += line + '\n';
        }
    }
    const QByteArray partial = QFile::encodeName(sealFile + QLatin1String(Str::kPartialCopySuffix));
    // Whatever stands at the part name, a link too, is removed rather than written through.
    ::unlink(partial.constData());
    const int fd = ::open(partial.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    const QByteArray bytes = kept + lines;
    int failure = WriteAllBytes(fd, bytes.constData(), bytes.size());
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(partial.constData(), QFile::encodeName(sealFile).constData()) != 0)
        failure = errno;
    if (failure)
        ::unlink(partial.constData());
    return failure;
}

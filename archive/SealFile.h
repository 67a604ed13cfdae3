#pragma once
#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <map>

class QFile;

// A folder's seal file, SHA256SUMS, in the form sha256sum writes and checks: one line per file,
// the SHA-256 in lower-case hex, two blanks and the file name. A name holding a backslash or a
// line break is written as sha256sum does: the line starts with a backslash and the name has
// them as \\ and \n.
class SealFile
{
public:
    // Seal hashes by file name, as the file's lines give them; a name sealed more than once has
    // every hash. A missing file holds no seals.
    using Seals = std::map<QByteArray, QByteArrayList>;

    // The seal file of the folder that holds path.
    static QString BesideFile(const QString& path);
    static bool Read(const QString& sealFile, Seals& seals, QString& error);
    // Appends whole lines, flushed to the device before it returns; a line left without its end
    // by an earlier crash is ended first, so the new lines stand on their own.
    static bool Append(const QString& sealFile, const QByteArray& lines, QString& error);
    static QByteArray Line(const QByteArray& hash, const QString& fileName);
    // The file name a line seals (hash set to its hash), empty for a line that is no seal.
    static QByteArray NameOf(QByteArray line, QByteArray* hash = nullptr);
    // The file's SHA-256 in lower-case hex; empty with error when it cannot be read.
    static QByteArray HashOf(const QString& path, QString& error);
    static QByteArray HashOf(QFile& file, QString& error);
    // Puts lines in place of every line the seal file has for fileName (none: the name's lines
    // go), writing the file anew beside itself and renaming it over the old one; 0 or the errno.
    // Without lines and without a seal file, nothing is written.
    static int Replace(const QString& sealFile, const QString& fileName, const QByteArray& lines);
};

// quorvel-archive verify: each sealed archive against its seal in the SHA256SUMS beside it, and
// every record read.
#include "ArchiveReader.h"
#include "Commands.h"
#include "DamageReport.h"
#include "StationArchives.h"
#include "ToolTexts.h"

#include "archive/SealFile.h"

#include <QFileInfo>

#include <algorithm>
#include <map>
#include <cstdio>

namespace {

enum class Verdict { Ok, Changed, Damaged, NotSealed, Error };

// The seal files read so far, by path: a station's archives share one.
using SealFiles = std::map<QString, SealFile::Seals>;

// Damage first: a file whose records no longer read whole is damaged whatever its hash says, and
// one cut short has changed too.
Verdict Check(const QString& path, SealFiles& sealFiles, QString& error)
{
    const QString sealFile = SealFile::BesideFile(path);
    auto seals = sealFiles.find(sealFile);
    if (seals == sealFiles.end()) {
        SealFile::Seals read;
        if (!SealFile::Read(sealFile, read, error)) {
            error = QString::fromLatin1(Tool::kFileProblem).arg(sealFile, error);
            return Verdict::Error;
        }
        seals = sealFiles.emplace(sealFile, std::move(read)).first;
    }
    const auto sealed = seals->second.find(QFile::encodeName(QFileInfo(path).fileName()));
    if (sealed == seals->second.end())
        return Verdict::NotSealed;
    const QByteArrayList& hashes = sealed->second;

    ArchiveReader reader;
    if (!reader.Open(path, MayBeAppended(path), error)) {
        if (reader.NotArchive())
            return Verdict::Damaged;
        error = QString::fromLatin1(Tool::kFileProblem).arg(path, error);
        return Verdict::Error;
    }
    {
        const DamageReport damage(reader, path);
        RecordView record;
        ArchiveReader::Outcome outcome;
        while ((outcome = reader.Next(record)) == ArchiveReader::Outcome::Record) {
        }
        if (outcome == ArchiveReader::Outcome::Error) {
            error = QString::fromLatin1(Tool::kFileProblem).arg(path, reader.ErrorString());
            return Verdict::Error;
        }
    }
    if (reader.IsDamaged())
        return Verdict::Damaged;
    const QByteArray hash = SealFile::HashOf(path, error);
    if (hash.isEmpty()) {
        error = QString::fromLatin1(Tool::kFileProblem).arg(path, error);
        return Verdict::Error;
    }
    return std::all_of(hashes.cbegin(), hashes.cend(), [&hash](const QByteArray& h) { return h == hash; })
        ? Verdict::Ok
        : Verdict::Changed;
}

// The archives a station or file argument names; false with error for one that names neither.
bool ArchivesOf(const QString& target, QStringList& paths, QString& error)
{
    const QFileInfo info(target);
    if (!info.isDir()) {
        if (!info.exists()) {
            error = QString::fromLatin1(Tool::kFileProblem).arg(target, QLatin1String(Tool::kNoSuchFile));
            return false;
        }
        paths << target;
        return true;
    }
    std::vector<StationArchive> archives;
    if (!FindArchives(target, archives, error))
        return false;
    QStringList found;
    for (const StationArchive& archive : archives)
        found << archive.path;
    found.sort();
    paths << found;
    return true;
}

} // namespace

int RunVerify(const QStringList& targets)
{
    SealFiles sealFiles;
    bool failed = false;
    bool errors = false;
    for (const QString& target : targets) {
        QStringList paths;
        QString error;
        if (!ArchivesOf(target, paths, error)) {
            PrintError(error);
            errors = true;
            continue;
        }
        for (const QString& path : paths) {
            const Verdict verdict = Check(path, sealFiles, error);
            const char* word = nullptr;
            switch (verdict) {
            case Verdict::Ok: word = Tool::kVerifyOk; break;
            case Verdict::Changed: word = Tool::kVerifyChanged; break;
            case Verdict::Damaged: word = Tool::kVerifyDamaged; break;
            case Verdict::NotSealed: word = Tool::kVerifyNotSealed; break;
            case Verdict::Error:
                PrintError(error);
                errors = true;
                continue;
            }
            failed = failed || verdict == Verdict::Changed || verdict == Verdict::Damaged;
            std::printf("%s\n", qPrintable(QString::fromLatin1(Tool::kFileProblem).arg(path, QLatin1String(word))));
        }
    }
    if (errors)
        return kError;
    return failed ? kNothingFound : kFound;
}

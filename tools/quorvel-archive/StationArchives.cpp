#include "StationArchives.h"

#include "ToolTexts.h"

#include "core/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>

bool FindArchives(const QString& station, std::vector<StationArchive>& archives, QString& error)
{
    const QDir dir(QDir(station).filePath(QLatin1String(Str::kArchivesDir)));
    if (!dir.exists() || !dir.isReadable()) {
        error = QString::fromLatin1(Tool::kFileProblem)
                    .arg(dir.path(), QLatin1String(dir.exists() ? Tool::kFolderUnreadable : Tool::kNoSuchFolder));
        return false;
    }
    const QStringList files = dir.entryList({QStringLiteral("*.") + QLatin1String(Str::kArchiveExtension)},
                                            QDir::Files | QDir::Hidden, QDir::Unsorted);
    archives.clear();
    archives.reserve(size_t(files.size()));
    for (const QString& file : files) {
        StationArchive archive;
        archive.fileName = file;
        archive.path = dir.filePath(file);
        archive.named = ParseArchiveName(file, archive.name);
        archives.push_back(std::move(archive));
    }
    return true;
}

bool MayBeAppended(const StationArchive& archive)
{
    return !archive.named || archive.name.date >= QDate::currentDate().addDays(-1);
}

bool MayBeAppended(const QString& path)
{
    StationArchive archive;
    archive.named = ParseArchiveName(QFileInfo(path).fileName(), archive.name);
    return MayBeAppended(archive);
}

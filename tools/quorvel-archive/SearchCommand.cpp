// quorvel-archive search: the records of all a station's archives that meet the conditions.
#include "ArchiveReader.h"
#include "Commands.h"
#include "DamageReport.h"
#include "ListedFlags.h"
#include "SearchCriteria.h"
#include "StationArchives.h"
#include "ToolTexts.h"

#include <algorithm>

int RunSearch(const QString& station, SearchCriteria& criteria, RecordWriter::Format format)
{
    std::vector<StationArchive> archives;
    QString error;
    if (!FindArchives(station, archives, error)) {
        PrintError(error);
        return kError;
    }
    bool failed = false;
    std::vector<StationArchive> wanted;
    for (StationArchive& archive : archives) {
        if (!archive.named)
            PrintError(QString::fromLatin1(Tool::kNotDayArchiveName).arg(archive.path));
        else if (criteria.ArchiveWanted(archive.name))
            wanted.push_back(std::move(archive));
    }
    std::sort(wanted.begin(), wanted.end(), [](const StationArchive& a, const StationArchive& b) {
        return a.name.date != b.name.date ? a.name.date < b.name.date : a.name.channel < b.name.channel;
    });

    const ListedFlags flags;
    RecordWriter writer(format, stdout, true);
    writer.Begin();
    for (const StationArchive& archive : wanted) {
        ArchiveReader reader;
        if (!reader.Open(archive.path, MayBeAppended(archive), error)) {
            PrintError(QString::fromLatin1(Tool::kFileProblem).arg(archive.path, error));
            failed = true;
            continue;
        }
        RecordPlace place{archive.name.channel, archive.name.date, 0};
        const DamageReport damage(reader, archive.path);
        RecordView record;
        ArchiveReader::Outcome outcome;
        while ((outcome = reader.Next(record)) == ArchiveReader::Outcome::Record) {
            if (!criteria.RecordWanted(record))
                continue;
            place.number = reader.Records();
            writer.Write(record, place, flags.Listed(record));
        }
        if (outcome == ArchiveReader::Outcome::Error) {
            PrintError(QString::fromLatin1(Tool::kFileProblem).arg(archive.path, reader.ErrorString()));
            failed = true;
        }
    }
    if (failed)
        return kError;
    return writer.Written() ? kFound : kNothingFound;
}

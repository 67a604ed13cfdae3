// quorvel-archive search: the records of all a station's archives that meet the conditions.
#include "ArchiveReader.h"
#include "Commands.h"
#include "DamageReport.h"
#include "ListedFlags.h"
#include "SearchCriteria.h"
#include "StationArchives.h"
#include "ToolTexts.h"

#include <algorithm>

namespace {

// A channel asked for that no archive has, though one differs from it only in case: names are
// compared exactly, and finding nothing would be taken for "no such records".
bool ChannelsExist(const QString& station, const QStringList& channels, const std::vector<StationArchive>& archives)
{
    for (const QString& channel : channels) {
        QString other;
        for (const StationArchive& archive : archives) {
            if (!archive.named)
                continue;
            if (archive.name.channel == channel) {
                other.clear();
                break;
            }
            if (archive.name.channel.compare(channel, Qt::CaseInsensitive) == 0)
                other = archive.name.channel;
        }
        if (!other.isEmpty()) {
            PrintError(QString::fromLatin1(Tool::kChannelCase).arg(channel, station, other));
            return false;
        }
    }
    return true;
}

} // namespace

int RunSearch(const QString& station, SearchCriteria& criteria, RecordWriter::Format format)
{
    std::vector<StationArchive> archives;
    QString error;
    if (!FindArchives(station, archives, error)) {
        PrintError(error);
        return kError;
    }
    if (!ChannelsExist(station, criteria.channels, archives))
        return kError;
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
            // A stray file that only has an archive's name holds no records to search.
            if (reader.NotArchive()) {
                PrintError(QString::fromLatin1(Tool::kNotArchiveSkipped).arg(archive.path));
            } else {
                PrintError(QString::fromLatin1(Tool::kFileProblem).arg(archive.path, error));
                failed = true;
            }
            continue;
        }
        RecordPlace place{archive.name.channel, archive.name.date, 0};
        const DamageReport damage(reader, archive.path);
        RecordView record;
        ArchiveReader::Outcome outcome;
        while ((outcome = reader.Next(record)) == ArchiveReader::Outcome::Record) {
            if (!criteria.RecordWanted(record)) {
                if (!criteria.MatchFailed())
                    continue;
                PrintError(QString::fromLatin1(Tool::kMatchFailed)
                               .arg(archive.path)
                               .arg(reader.Records())
                               .arg(criteria.MatchFailure()));
                return kError;
            }
            place.number = reader.Records();
            writer.Write(record, place, flags.Listed(record));
            if (writer.Failed())
                return kError;
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

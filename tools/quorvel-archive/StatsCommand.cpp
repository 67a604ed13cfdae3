// quorvel-archive stats: per channel and day, records by kind and status; alarm floods, the most
// frequent alarm texts and the longest time without a frame per channel.
#include "ArchiveReader.h"
#include "ChannelStats.h"
#include "Commands.h"
#include "DamageReport.h"
#include "SearchCriteria.h"
#include "StationArchives.h"
#include "StatsWriter.h"
#include "ToolTexts.h"

#include <algorithm>
#include <iterator>

int RunStats(const QString& station, const SearchCriteria& criteria, RecordWriter::Format format)
{
    std::vector<StationArchive> archives;
    QString error;
    if (!FindArchives(station, archives, error)) {
        PrintError(error);
        return kError;
    }
    // Files not named as day archives are told of and left out, as search does.
    const auto unnamed = std::stable_partition(archives.begin(), archives.end(),
                                               [](const StationArchive& a) { return a.named; });
    std::for_each(unnamed, archives.end(), [](const StationArchive& a) {
        PrintError(QString::fromLatin1(Tool::kNotDayArchiveName).arg(a.path));
    });
    archives.erase(unnamed, archives.end());
    std::vector<StationArchive> wanted;
    std::copy_if(std::make_move_iterator(archives.begin()), std::make_move_iterator(archives.end()),
                 std::back_inserter(wanted), [&criteria](const StationArchive& a) { return criteria.ArchiveWanted(a.name); });
    // A channel's days in order, so that floods and gaps run on across midnight.
    std::sort(wanted.begin(), wanted.end(), [](const StationArchive& a, const StationArchive& b) {
        return a.name.channel != b.name.channel ? a.name.channel < b.name.channel : a.name.date < b.name.date;
    });

    bool failed = false;
    StatsWriter writer(format, stdout);
    writer.Begin();
    for (auto first = wanted.cbegin(); first != wanted.cend();) {
        const auto end = std::find_if(first, wanted.cend(), [first](const StationArchive& a) {
            return a.name.channel != first->name.channel;
        });
        ChannelStats stats(first->name.channel);
        for (auto archive = first; archive != end; ++archive) {
            stats.BeginDay(archive->name.date);
            ArchiveReader reader;
            if (!reader.Open(archive->path, MayBeAppended(*archive), error)) {
                PrintError(QString::fromLatin1(Tool::kFileProblem).arg(archive->path, error));
                failed = true;
                continue;
            }
            const DamageReport damage(reader, archive->path);
            RecordView record;
            ArchiveReader::Outcome outcome;
            while ((outcome = reader.Next(record)) == ArchiveReader::Outcome::Record)
                stats.Add(record);
            if (outcome == ArchiveReader::Outcome::Error) {
                PrintError(QString::fromLatin1(Tool::kFileProblem).arg(archive->path, reader.ErrorString()));
                failed = true;
            }
        }
        stats.Finish();
        writer.Write(stats);
        first = end;
    }
    if (failed)
        return kError;
    return wanted.empty() ? kNothingFound : kFound;
}

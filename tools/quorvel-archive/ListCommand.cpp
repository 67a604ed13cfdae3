// quorvel-archive list: every archive of a station with its records, size and state.
#include "ArchiveReader.h"
#include "Commands.h"
#include "DamageReport.h"
#include "StationArchives.h"
#include "ToolTexts.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace {

// Reads the whole archive to count its records and find damage; the state column.
QString ReadState(const StationArchive& archive, ArchiveReader& reader)
{
    QString error;
    if (!reader.Open(archive.path, MayBeAppended(archive), error))
        return reader.NotArchive() ? QString::fromLatin1(Tool::kStateNotArchive)
                                   : QString::fromLatin1(Tool::kStateUnreadable).arg(error);
    RecordView record;
    ArchiveReader::Outcome outcome;
    while ((outcome = reader.Next(record)) == ArchiveReader::Outcome::Record) {
    }
    if (outcome == ArchiveReader::Outcome::Error)
        return QString::fromLatin1(Tool::kStateUnreadable).arg(reader.ErrorString());
    QString state = QLatin1String(reader.IsDamaged() ? Tool::kStateDamaged : Tool::kStateOk);
    if (reader.InUse())
        state += QLatin1String(Tool::kStateInUse);
    return state;
}

} // namespace

int RunList(const QString& station)
{
    std::vector<StationArchive> archives;
    QString error;
    if (!FindArchives(station, archives, error)) {
        PrintError(error);
        return kError;
    }
    // By channel, then by day; files named otherwise last, by name.
    std::sort(archives.begin(), archives.end(), [](const StationArchive& a, const StationArchive& b) {
        if (a.named != b.named)
            return a.named;
        if (!a.named || a.name.channel == b.name.channel)
            return a.named ? a.name.date < b.name.date : a.fileName < b.fileName;
        return a.name.channel < b.name.channel;
    });

    std::printf("%s\n", Tool::kListHeading);
    for (const StationArchive& archive : archives) {
        ArchiveReader reader;
        const QString state = ReadState(archive, reader);
        const QString channel = archive.named ? archive.name.channel : archive.fileName;
        const QString date = archive.named ? archive.name.date.toString(Qt::ISODate) : QStringLiteral("-");
        const QString records = reader.NotArchive() ? QStringLiteral("-") : QString::number(reader.Records());
        std::printf("%s\t%s\t%s\t%lld\t%s\n", qPrintable(channel), qPrintable(date), qPrintable(records),
                    static_cast<long long>(QFileInfo(archive.path).size()), qPrintable(state));
    }
    return archives.empty() ? kNothingFound : kFound;
}

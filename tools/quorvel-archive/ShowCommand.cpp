// quorvel-archive show: the records of one archive.
#include "ArchiveReader.h"
#include "Commands.h"
#include "DamageReport.h"
#include "ListedFlags.h"
#include "StationArchives.h"
#include "ToolTexts.h"

#include <QFileInfo>

int RunShow(const QString& path, RecordWriter::Format format)
{
    ArchiveReader reader;
    QString error;
    if (!reader.Open(path, MayBeAppended(path), error)) {
        PrintError(QString::fromLatin1(Tool::kFileProblem).arg(path, error));
        return kError;
    }
    RecordPlace place;
    ArchiveName name;
    if (ParseArchiveName(QFileInfo(path).fileName(), name)) {
        place.channel = name.channel;
        place.date = name.date;
    }
    const ListedFlags flags;
    RecordWriter writer(format, stdout, false);
    writer.Begin();
    ArchiveReader::Outcome outcome = ArchiveReader::Outcome::End;
    {
        const DamageReport damage(reader, path);
        RecordView record;
        while (!writer.Failed() && (outcome = reader.Next(record)) == ArchiveReader::Outcome::Record) {
            place.number = reader.Records();
            writer.Write(record, place, flags.Listed(record));
        }
    }
    if (outcome == ArchiveReader::Outcome::Error) {
        PrintError(QString::fromLatin1(Tool::kFileProblem).arg(path, reader.ErrorString()));
        return kError;
    }
    return writer.Written() ? kFound : kNothingFound;
}

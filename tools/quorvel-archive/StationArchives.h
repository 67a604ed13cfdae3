#pragma once
#include "ArchiveName.h"

#include <QString>

#include <vector>

// One *.krv file of a station's Archives folder.
struct StationArchive
{
    QString path;
    QString fileName;
    bool named = false;  // named like a channel's day archive; then name holds what it says
    ArchiveName name;
};

// Every *.krv file in STATION/Archives, hidden names included, in no particular order. False
// with error when the folder cannot be read.
bool FindArchives(const QString& station, std::vector<StationArchive>& archives, QString& error);

// Whether a running station may still open the archive to append to it: today's or yesterday's
// (a station may run in another time zone), or any name that is no day archive's.
bool MayBeAppended(const StationArchive& archive);
bool MayBeAppended(const QString& path);

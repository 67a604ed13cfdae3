#pragma once
#include <QByteArrayList>
#include <QString>

// What the archive benchmarks share: a large station written with the program's own writer, and
// a timed run of the archive tool with its output going into a pipe.

// Writes channels x days archives of records each into STATION/Archives ("Channel N YYYYMMDD.krv"
// from 1 April 2024), from a pool of a thousand event lines of typical length, half of them alarms.
bool GenerateArchives(const QString& station, int channels, int days, int records, qint64& bytes);

struct TimedRun
{
    int exitStatus = -1;
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user and system
    qint64 outBytes = 0;
    qint64 outLines = 0;
};
// Runs the program (argv[0] a path) with standard output into a pipe that is drained.
TimedRun RunTimed(const QByteArrayList& argv);

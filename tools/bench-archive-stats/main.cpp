// bench-archive-stats [--station DIR] [--records N] [--format text|csv|json] [--keep]
//
// Writes 16 channels x 28 days of N records each (100,000 by default) with the program's own
// writer, unless the station already holds archives, then times `quorvel-archive stats STATION`
// with its output going into a pipe, and prints the wall-clock and CPU times. Without --station a
// temporary station is made and removed unless --keep is given. Goal: under 3 s for the default
// set on one core.
#include "BenchArchives.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kChannels = 16;
    constexpr int kDays = 28;
    QCommandLineParser parser;
    const QCommandLineOption stationOption(QStringLiteral("station"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption recordsOption(QStringLiteral("records"), QString(), QStringLiteral("N"),
                                           QStringLiteral("100000"));
    const QCommandLineOption formatOption(QStringLiteral("format"), QString(), QStringLiteral("F"), QStringLiteral("text"));
    const QCommandLineOption keepOption(QStringLiteral("keep"));
    parser.addOptions({stationOption, recordsOption, formatOption, keepOption});
    bool valid = parser.parse(QCoreApplication::arguments()) && parser.positionalArguments().isEmpty();
    bool numeric = false;
    const int records = parser.value(recordsOption).toInt(&numeric);
    valid = valid && numeric;
    if (!valid || records < 0) {
        std::fprintf(stderr, "usage: bench-archive-stats [--station DIR] [--records N] [--format text|csv|json] [--keep]\n");
        return 2;
    }
    QString station = parser.value(stationOption);
    std::unique_ptr<QTemporaryDir> temporary;
    if (station.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        temporary->setAutoRemove(!parser.isSet(keepOption));
        station = temporary->path();
    }
    if (!QDir(station + QStringLiteral("/Archives")).exists()) {
        QElapsedTimer timer;
        timer.start();
        qint64 bytes = 0;
        if (!GenerateArchives(station, kChannels, kDays, records, bytes)) {
            std::fprintf(stderr, "could not write the archives in %s\n", qPrintable(station));
            return 2;
        }
        std::printf("generated: %d channels x %d days x %d records, %.2f GB in %.1f s\n", kChannels, kDays, records,
                    bytes / 1e9, timer.elapsed() / 1000.0);
    }
    std::printf("station: %s\n", qPrintable(station));
    std::fflush(stdout);

    const TimedRun run = RunTimed({ARCHIVE_TOOL, "stats", station.toLocal8Bit(), "--format", parser.value(formatOption).toUtf8()});
    const double all = double(kChannels) * kDays * records;
    std::printf("stats --format %s: exit %d, %lld lines (%lld bytes) out\n", qPrintable(parser.value(formatOption)),
                run.exitStatus, static_cast<long long>(run.outLines), static_cast<long long>(run.outBytes));
    std::printf("stats time: %.2f s wall, %.2f s CPU (%.0f ns CPU per record)\n", run.wallSeconds, run.cpuSeconds,
                all > 0 ? run.cpuSeconds * 1e9 / all : 0.0);
    return run.exitStatus == 0 ? 0 : 1;
}

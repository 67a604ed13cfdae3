// bench-archive-search [--station DIR] [--channels N] [--days N] [--records N] [--text REGEX] [--keep]
//
// Writes channels x days archives of records each into a station (the program's own record
// writer, a pool of a thousand different event lines of typical length), unless the station
// already holds them, then runs `quorvel-archive search STATION --text REGEX` with its output
// going into a pipe that this program drains, and prints the generation time, the search's
// wall-clock and CPU times, and how much it printed. Without --station a temporary station is
// made and removed unless --keep is given.
#include "BenchArchives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

struct Settings
{
    QString station;
    int channels = 16;
    int days = 28;
    int records = 100000;
    QString text = QStringLiteral("Zone 12 door contact 2[0-9]$");
    bool keep = false;
};

bool ParseArgs(const QStringList& args, Settings& s)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--keep"))
            s.keep = true;
        else if (a == QLatin1String("--station") && hasValue)
            s.station = args.at(++i);
        else if (a == QLatin1String("--channels") && hasValue)
            s.channels = args.at(++i).toInt();
        else if (a == QLatin1String("--days") && hasValue)
            s.days = args.at(++i).toInt();
        else if (a == QLatin1String("--records") && hasValue)
            s.records = args.at(++i).toInt();
        else if (a == QLatin1String("--text") && hasValue)
            s.text = args.at(++i);
        else
            return false;
    }
    return s.channels > 0 && s.days > 0 && s.records >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Settings s;
    if (!ParseArgs(QCoreApplication::arguments(), s)) {
        std::fprintf(stderr, "usage: bench-archive-search [--station DIR] [--channels N] [--days N] "
                             "[--records N] [--text REGEX] [--keep]\n");
        return 2;
    }
    std::unique_ptr<QTemporaryDir> temporary;
    if (s.station.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        temporary->setAutoRemove(!s.keep);
        s.station = temporary->path();
    }
    const qint64 records = qint64(s.channels) * s.days * s.records;
    if (!QDir(s.station + QStringLiteral("/Archives")).exists()) {
        QElapsedTimer timer;
        timer.start();
        qint64 bytes = 0;
        if (!GenerateArchives(s.station, s.channels, s.days, s.records, bytes)) {
            std::fprintf(stderr, "could not write the archives in %s\n", qPrintable(s.station));
            return 2;
        }
        std::printf("generated: %d channels x %d days x %d records = %lld records, %.2f GB in %.1f s\n", s.channels,
                    s.days, s.records, static_cast<long long>(records), bytes / 1e9, timer.elapsed() / 1000.0);
    }
    std::printf("station: %s\n", qPrintable(s.station));
    std::fflush(stdout);

    const TimedRun run = RunTimed({ARCHIVE_TOOL, "search", s.station.toLocal8Bit(), "--text", s.text.toUtf8()});
    std::printf("search --text '%s': exit %d, %lld lines (%lld bytes) out\n", qPrintable(s.text), run.exitStatus,
                static_cast<long long>(run.outLines), static_cast<long long>(run.outBytes));
    std::printf("search time: %.2f s wall, %.2f s CPU (%.0f ns CPU per record)\n", run.wallSeconds, run.cpuSeconds,
                records ? run.cpuSeconds * 1e9 / double(records) : 0.0);
    return run.exitStatus == 0 || run.exitStatus == 1 ? 0 : 1;
}

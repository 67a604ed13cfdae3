// bench-archive-search [--station DIR] [--channels N] [--days N] [--records N] [--text REGEX] [--keep]
//
// Writes channels x days archives of records each into a station (the program's own record
// writer, a pool of a thousand different event lines of typical length), unless the station
// already holds them, then runs `quorvel-archive search STATION --text REGEX` with its output
// going into a pipe that this program drains, and prints the generation time, the search's
// wall-clock and CPU times, and how much it printed. Without --station a temporary station is
// made and removed unless --keep is given.
#include "archive/ArchiveFormat.h"
#include "core/Clock.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// Event lines as a station logs them: alarm texts, clear-downs and line events over a day.
std::vector<std::unique_ptr<CDisplayObj>> RecordPool()
{
    std::vector<std::unique_ptr<CDisplayObj>> pool;
    const QDateTime midnight(QDate(2024, 4, 1), QTime(0, 0));
    for (int i = 0; i < 1000; ++i) {
        Clock::SetNow(midnight.addSecs(qint64(i) * 86));
        QByteArray message;
        switch (i % 4) {
        case 0: message = QByteArray("\x80\x04", 2); break;  // 132: alarm clear
        case 1: message = QByteArray("\x90\x04", 2); break;  // 148: alarm
        case 2: message = QByteArray("\x92\x00", 2) + QByteArray::number(10 + i % 90); break;  // 146
        case 3: message = QByteArray("\x9B\x00", 2) + QByteArray::number(10 + i % 90); break;  // 155
        }
        if (i % 4 < 2)
            message += "Zone " + QByteArray::number(i / 10 % 40) + " door contact " + QByteArray::number(i % 100);
        pool.push_back(std::make_unique<CDisplayObj>(message.constData(), int(message.size()), 1));
    }
    Clock::Reset();
    return pool;
}

bool Generate(const Settings& s, qint64& bytes)
{
    const QString archives = s.station + QStringLiteral("/Archives");
    if (!QDir().mkpath(archives))
        return false;
    const auto pool = RecordPool();
    const QByteArray header = ArchiveHeader();
    bytes = 0;
    for (int channel = 1; channel <= s.channels; ++channel) {
        for (int day = 0; day < s.days; ++day) {
            const QString name = QStringLiteral("%1/Channel %2 %3.krv")
                                     .arg(archives)
                                     .arg(channel)
                                     .arg(QDate(2024, 4, 1).addDays(day).toString(QStringLiteral("yyyyMMdd")));
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return false;
            file.write(header);
            {
                CStoringArchive ar(file);
                for (int r = 0; r < s.records; ++r)
                    pool[size_t((r + channel * 37 + day * 11) % pool.size())]->Serialize(ar);
                if (!ar.Flush())
                    return false;
            }
            bytes += file.size();
        }
    }
    return true;
}

// Runs the search with its standard output on a pipe; returns its exit status.
int TimeSearch(const Settings& s, double& wallSeconds, double& cpuSeconds, qint64& outBytes, qint64& outLines)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        const QByteArray station = s.station.toLocal8Bit();
        const QByteArray text = s.text.toUtf8();
        ::execl(ARCHIVE_TOOL, ARCHIVE_TOOL, "search", station.constData(), "--text", text.constData(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char buffer[1 << 16];
    outBytes = 0;
    outLines = 0;
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        outBytes += n;
        for (ssize_t i = 0; i < n; ++i)
            outLines += buffer[i] == '\n';
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    wallSeconds = timer.nsecsElapsed() / 1e9;
    cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
        if (!Generate(s, bytes)) {
            std::fprintf(stderr, "could not write the archives in %s\n", qPrintable(s.station));
            return 2;
        }
        std::printf("generated: %d channels x %d days x %d records = %lld records, %.2f GB in %.1f s\n", s.channels,
                    s.days, s.records, static_cast<long long>(records), bytes / 1e9, timer.elapsed() / 1000.0);
    }
    std::printf("station: %s\n", qPrintable(s.station));
    std::fflush(stdout);

    double wall = 0, cpu = 0;
    qint64 outBytes = 0, outLines = 0;
    const int status = TimeSearch(s, wall, cpu, outBytes, outLines);
    std::printf("search --text '%s': exit %d, %lld lines (%lld bytes) out\n", qPrintable(s.text), status,
                static_cast<long long>(outLines), static_cast<long long>(outBytes));
    std::printf("search time: %.2f s wall, %.2f s CPU (%.0f ns CPU per record)\n", wall, cpu,
                records ? cpu * 1e9 / double(records) : 0.0);
    return status == 0 || status == 1 ? 0 : 1;
}

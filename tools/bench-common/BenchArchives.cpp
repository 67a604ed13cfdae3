#include "BenchArchives.h"

#include "archive/ArchiveFormat.h"
#include "core/Clock.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

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

} // namespace

bool GenerateArchives(const QString& station, int channels, int days, int records, qint64& bytes)
{
    const QString archives = station + QStringLiteral("/Archives");
    if (!QDir().mkpath(archives))
        return false;
    const auto pool = RecordPool();
    const QByteArray header = ArchiveHeader();
    bytes = 0;
    for (int channel = 1; channel <= channels; ++channel) {
        for (int day = 0; day < days; ++day) {
            const QString name = QStringLiteral("%1/Channel %2 %3.krv")
                                     .arg(archives)
                                     .arg(channel)
                                     .arg(QDate(2024, 4, 1).addDays(day).toString(QStringLiteral("yyyyMMdd")));
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return false;
            file.write(header);
            {
                StoringArchive ar(file);
                for (int r = 0; r < records; ++r)
                    pool[size_t((r + channel * 37 + day * 11) % pool.size())]->Serialize(ar);
                if (!ar.Flush())
                    return false;
            }
            bytes += file.size();
        }
    }
    return true;
}

TimedRun RunTimed(const QByteArrayList& argv)
{
    TimedRun run;
    int fds[2];
    if (::pipe(fds) != 0)
        return run;
    std::vector<char*> args;
    for (const QByteArray& arg : argv)
        args.push_back(const_cast<char*>(arg.constData()));
    args.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        run.outBytes += n;
        for (ssize_t i = 0; i < n; ++i)
            run.outLines += buffer[i] == '\n';
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.wallSeconds = timer.nsecsElapsed() / 1e9;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

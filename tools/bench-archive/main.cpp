// Writes an archive of one million records of typical length, then reloads it into a channel
// document and prints the reload time, the resident memory added per listed record and the heap
// allocations per record; then the same number of messages through a channel's live path.
#include "HeapCount.h"
#include "LivePath.h"
#include "ThreadCpu.h"

#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Station.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 1000000;
    QTemporaryDir station;
    SetStationDir(station.path());
    QDir().mkpath(StationPath(QStringLiteral("Archives")));
    Clock::SetNow(QDateTime::currentDateTime());

    CQuorvelDoc doc(QStringLiteral("Bench"));
    doc.SetConnection(1, 1);
    {
        QFile file(doc.BuildArchivePath(0));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(ArchiveHeader());
        StoringArchive ar(file);
        // A 45-character line: "hh:mm:ss Alarm Clear: " and 23 characters of text.
        const QByteArray message = QByteArray("\x80\x04", 2) + "Zone 12 door contact 17";
        const CDisplayObj record(message.constData(), int(message.size()), 1);
        for (int i = 0; i < count; ++i)
            record.Serialize(ar);
        std::printf("line: %s (%d characters)\n", record.GetText().constData(), int(record.GetText().size()));
    }

    const long before = ResidentBytes();
    const quint64 allocationsBefore = HeapCount::Allocations();
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = ThreadCpuNsecs();
    const int loaded = doc.ReloadToday();
    const qint64 cpu = ThreadCpuNsecs() - cpuBefore;
    const qint64 ms = timer.elapsed();
    const quint64 allocations = HeapCount::Allocations() - allocationsBefore;
    const long after = ResidentBytes();
    std::printf("reloaded: %d, records listed: %d\n", loaded, doc.GetEventCount());
    std::printf("reload time: %lld ms (CPU %lld ms)\n", static_cast<long long>(ms), static_cast<long long>(cpu / 1000000));
    std::printf("memory per listed record: %.1f bytes\n",
                doc.GetEventCount() ? double(after - before) / doc.GetEventCount() : 0.0);
    if (HeapCount::Available())
        std::printf("heap allocations per record, reload: %.3f (%llu in all)\n", count ? double(allocations) / count : 0.0,
                    static_cast<unsigned long long>(allocations));
    else
        std::printf("heap allocations are not counted in a sanitized build\n");

    MeasureLivePath(count);
    return 0;
}

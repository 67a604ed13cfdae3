#include "LivePath.h"

#include "HeapCount.h"
#include "ThreadCpu.h"

#include "app/HeadlessConsole.h"
#include "app/OutputQueue.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Station.h"
#include "events/AlarmTexts.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// Messages as a panel sends them: coded alarms and events of the demo station's table, alarm
// texts, clear-downs and line events.
std::vector<QByteArray> Messages()
{
    std::vector<QByteArray> messages;
    for (int i = 0; i < 48; ++i)
        messages.push_back(QByteArray(1, char(i % 4)) + char(i) + char(i * 7 % 100));
    for (int i = 0; i < 16; ++i) {
        messages.push_back(QByteArray("\x80\x04", 2) + "Zone " + QByteArray::number(i) + " door contact 17");
        messages.push_back(QByteArray("\x90\x04", 2) + "Smoke detector " + QByteArray::number(i));
        messages.push_back(QByteArray("\x92\x00", 2) + QByteArray::number(10 + i));
        messages.push_back(QByteArray("\x9B\x00", 2) + QByteArray::number(20 + i));
    }
    return messages;
}

} // namespace

void MeasureLivePath(int records)
{
    QFile::remove(StationPath(QStringLiteral("almdata.txt")));
    if (!QFile::copy(QStringLiteral(QUORVEL_DEMO_STATION "/almdata.txt"), StationPath(QStringLiteral("almdata.txt")))
        || !LoadAlarmTexts()) {
        std::printf("live path: the demo station's alarm texts could not be read\n");
        return;
    }
    const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    OutputQueue output(sink);
    ::close(sink);
    HeadlessConsole::SetOutput(&output);
    // Stamped as the logging thread stamps each message: with the time its frame arrived.
    Clock::Reset();
    const auto handle = [](CQuorvelDoc& doc, const QByteArray& message) {
        const Clock::ArrivalScope arrived(QDateTime::currentMSecsSinceEpoch());
        doc.HandleMessage(message);
    };
    {
        CQuorvelDoc doc(QStringLiteral("Live"));
        doc.SetConnection(1, 2);
        HeadlessConsole console(doc);
        doc.SetView(&console);
        const std::vector<QByteArray> messages = Messages();
        // The first records open the day's archive and make what is made once.
        for (const QByteArray& message : messages)
            handle(doc, message);

        const quint64 before = HeapCount::Allocations();
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuBefore = ThreadCpuNsecs();
        for (int i = 0; i < records; ++i)
            handle(doc, messages[size_t(i) % messages.size()]);
        const qint64 ns = timer.nsecsElapsed();
        const qint64 cpu = ThreadCpuNsecs() - cpuBefore;
        const quint64 allocations = HeapCount::Allocations() - before;
        std::printf("live path: %d records, %d listed, %.0f ns per record (CPU %.0f ns)\n", records,
                    doc.GetEventCount() - int(messages.size()), double(ns) / records, double(cpu) / records);
        if (HeapCount::Available())
            std::printf("heap allocations per record, live path: %.3f (%llu in all)\n", double(allocations) / records,
                        static_cast<unsigned long long>(allocations));
        doc.SetView(nullptr);
    }
    output.WaitWritten(std::chrono::seconds(5));
    HeadlessConsole::SetOutput(nullptr);
}

// Printing benchmark, offscreen: a window of many lines printed to PDF and written with Print to
// File, while channel 1 takes a busy line on a real pseudo-terminal. The far end sends an alarm
// frame, waits for its ACK, and sends the next a few milliseconds later; the longest wait for an
// ACK in each phase shows whether printing held the line up past the 3300 ms frame timer. The
// print preview of the same window is timed and its memory shown.
//   bench-print [lines] [pdf]   (default 100000 lines; pdf keeps the printed pages there)
#include "app/MessageInterpreter.h"
#include "app/StationThreads.h"
#include "archive/QuorvelDoc.h"
#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "core/Station.h"
#include "events/DisplayObj.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "tools/bench-common/BenchLine.h"
#include "ui/UserDialogs.h"
#include "ui/PrintToFile.h"
#include "ui/ViewPrinting.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kPort = 1;
constexpr int kFrameTimerMs = 3300;
constexpr int kPhases = 4;
const char* const kPhaseNames[kPhases] = {"idle", "printing to PDF", "print to file", "print preview"};

// The remote system: one alarm frame at a time, each waiting for its ACK.
class FarEnd
{
public:
    explicit FarEnd(int master) : m_master(master), m_thread([this] { Run(); }) {}
    ~FarEnd()
    {
        m_stop = true;
        m_thread.join();
    }
    std::atomic<int> phase{0};
    std::atomic<qint64> maxWaitUs[kPhases] = {};
    std::atomic<qint64> sent[kPhases] = {};
    std::atomic<qint64> lost{0};

private:
    void Run()
    {
        const QByteArray frame = SimFrames::BlockFrame(QByteArray("\x01\x02\x00", 3), false);
        const QByteArray ack = SimFrames::TerminalAck();
        while (!m_stop) {
            const int p = phase;
            QElapsedTimer wait;
            wait.start();
            if (::write(m_master, frame.constData(), size_t(frame.size())) != frame.size())
                return;
            ++sent[p];
            QByteArray in;
            while (!in.contains(ack) && wait.elapsed() < 2 * kFrameTimerMs && !m_stop) {
                pollfd fd{m_master, POLLIN, 0};
                char buffer[256];
                if (::poll(&fd, 1, 20) > 0) {
                    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                    if (n > 0)
                        in.append(buffer, int(n));
                }
            }
            if (!in.contains(ack))
                ++lost;
            const qint64 us = wait.nsecsElapsed() / 1000;
            if (us > maxWaitUs[p])
                maxWaitUs[p] = us;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Answers every dialog at once; boxes go to standard error.
class SaveTo : public IUserDialogs
{
public:
    explicit SaveTo(QString path) : m_path(std::move(path)) {}
    void MessageBeep(Beep kind) override { m_console.MessageBeep(kind); }
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override
    {
        return m_console.MessageBox(text, buttons, icon);
    }
    void ReportError(const QString& text, Icon icon) override { m_console.ReportError(text, icon); }
    bool ExecPrintDialog(QPrinter&, QWidget*) override { return true; }
    bool ExecPrintSetup(QPrinter&, QWidget*) override { return true; }
    void ExecPreview(QPrinter&, QWidget*, const std::function<void(QPrinter&)>&) override {}
    QString GetSaveFileName(QWidget*, const SaveFileRequest&) override { return m_path; }
    QString GetOpenFileName(QWidget*, const OpenFileRequest&) override { return {}; }

private:
    ConsoleMessages m_console;
    QString m_path;
};

long ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir station;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, station.filePath(QStringLiteral("config")));
    ResetProfileStore();
    SetStationDir(station.path());
    QDir(station.path()).mkpath(QStringLiteral("Archives"));
    QDir(station.path()).mkpath(QStringLiteral("Print"));
    WritePortSettings(kPort, PortSettingsRecord{kPort, LineSettings{11, 3, 0, 0, 0}});  // 256000 8N1

    const int master = OpenBenchLine(kPort);
    if (master < 0)
        return 1;

    // Channel 1 runs as in the station: its stack on the comms thread, its document on the logging thread.
    CQuorvelDoc live(QStringLiteral("Channel 1"));
    live.SetConnection(1, 1);
    CMessageInterpreter channel(3, 3, 3, &live);
    StationThreads threads;
    live.moveToThread(threads.Logging());
    channel.moveToThread(threads.Comms());
    if (!channel.OpenPort(kPort)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(ComPortDevices::DevicePath(kPort)));
        return 1;
    }

    CQuorvelDoc window(QStringLiteral("Channel 2"));
    const QByteArray alarm("\x94\x00" "Intruder zone 4, ground floor east", 36);
    for (int i = 0; i < lines; ++i)
        window.AddEvent(new CDisplayObj(alarm.constData(), int(alarm.size()), 2));

    FarEnd farEnd(master);
    Wait(1000);

    farEnd.phase = 1;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : station.filePath(QStringLiteral("Print/pages.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    QElapsedTimer clock;
    clock.start();
    const bool printed = PrintDocument(&window, printer, nullptr);
    const double printSeconds = clock.nsecsElapsed() / 1e9;

    farEnd.phase = 2;
    const QString text = station.filePath(QStringLiteral("Print/Channel 2.txt"));
    SaveTo dialogs(text);
    SetUserDialogs(&dialogs);
    clock.start();
    OnPrintToFile(&window, nullptr);
    const double fileSeconds = clock.nsecsElapsed() / 1e9;
    SetUserDialogs(nullptr);

    // The preview keeps every page it made; the growth of the resident set is its memory.
    farEnd.phase = 3;
    const long before = ResidentKb();
    QPrinter previewPrinter(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&previewPrinter);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* target) {
        PrintDocument(&window, *target, nullptr);
    });
    clock.start();
    preview.updatePreview();
    const double previewSeconds = clock.nsecsElapsed() / 1e9;
    const long previewKb = ResidentKb() - before;

    farEnd.phase = 0;
    Wait(500);
    channel.ClosePort();
    threads.Stop({&channel}, {&live});

    std::printf("%d lines\n", lines);
    std::printf("print to PDF    %s in %.2f s, %lld bytes\n", printed ? "done" : "FAILED", printSeconds,
                QFileInfo(printer.outputFileName()).size());
    std::printf("print to file   %.3f s, %lld bytes\n", fileSeconds, QFileInfo(text).size());
    std::printf("print preview   %.2f s, %d pages, %.1f MB more resident\n", previewSeconds, preview.pageCount(),
                previewKb / 1024.0);
    for (int p = 0; p < kPhases; ++p)
        std::printf("while %-16s %6lld frames sent, longest wait for ACK %8.1f ms%s\n", kPhaseNames[p],
                    qint64(farEnd.sent[p]), farEnd.maxWaitUs[p] / 1000.0,
                    farEnd.maxWaitUs[p] / 1000 > kFrameTimerMs ? "  PAST THE FRAME TIMER" : "");
    qint64 archived = 0;
    for (const QFileInfo& file : QDir(station.filePath(QStringLiteral("Archives"))).entryInfoList(QDir::Files))
        archived += file.size();
    std::printf("frames without ACK: %lld; channel 1 archive: %lld bytes\n", qint64(farEnd.lost), archived);
    return 0;
}

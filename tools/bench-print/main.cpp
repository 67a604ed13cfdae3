// Printing benchmark, offscreen: a window of many lines printed to PDF and written with Print to
// File, while channel 1 takes a busy line on a real pseudo-terminal. The far end sends an alarm
// frame, waits for its ACK, and sends the next a few milliseconds later; the longest wait for an
// ACK in each phase shows whether printing held the line up past the 3300 ms frame timer. The
// print preview of the same window is timed and its memory shown.
//   bench-print [lines] [pdf]   (default 100000 lines; pdf keeps the printed pages there)
#include "archive/QuorvelDoc.h"
#include "core/SettingsStore.h"
#include "core/Station.h"
#include "events/DisplayObj.h"
#include "tools/bench-common/BenchChannel.h"
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

#include <cstdio>


namespace {

constexpr int kPhases = 4;
const char* const kPhaseNames[kPhases] = {"idle", "printing to PDF", "print to file", "print preview"};

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
    BenchChannel channel;
    if (!channel.IsRunning())
        return 1;

    CQuorvelDoc window(QStringLiteral("Channel 2"));
    const QByteArray alarm("\x94\x00" "Intruder zone 4, ground floor east", 36);
    for (int i = 0; i < lines; ++i)
        window.AddEvent(new CDisplayObj(alarm.constData(), int(alarm.size()), 2));

    ProcessEventsFor(1000);

    channel.SetPhase(1);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : station.filePath(QStringLiteral("Print/pages.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    QElapsedTimer clock;
    clock.start();
    const bool printed = PrintDocument(&window, printer, nullptr);
    const double printSeconds = clock.nsecsElapsed() / 1e9;

    channel.SetPhase(2);
    const QString text = station.filePath(QStringLiteral("Print/Channel 2.txt"));
    SaveTo dialogs(text);
    SetUserDialogs(&dialogs);
    clock.start();
    OnPrintToFile(&window, nullptr);
    const double fileSeconds = clock.nsecsElapsed() / 1e9;
    SetUserDialogs(nullptr);

    // The preview keeps every page it made; the growth of the resident set is its memory.
    channel.SetPhase(3);
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

    channel.SetPhase(0);
    ProcessEventsFor(500);
    channel.Stop();

    std::printf("%d lines\n", lines);
    std::printf("print to PDF    %s in %.2f s, %lld bytes\n", printed ? "done" : "FAILED", printSeconds,
                QFileInfo(printer.outputFileName()).size());
    std::printf("print to file   %.3f s, %lld bytes\n", fileSeconds, QFileInfo(text).size());
    std::printf("print preview   %.2f s, %d pages, %.1f MB more resident\n", previewSeconds, preview.pageCount(),
                previewKb / 1024.0);
    channel.Report(kPhaseNames, kPhases);
    qint64 archived = 0;
    for (const QFileInfo& file : QDir(station.filePath(QStringLiteral("Archives"))).entryInfoList(QDir::Files))
        archived += file.size();
    std::printf("channel 1 archive: %lld bytes\n", archived);
    return 0;
}

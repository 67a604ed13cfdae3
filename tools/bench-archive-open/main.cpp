// Opening an archive window, offscreen: writes yesterday's archive of a channel with the given
// number of records of typical length, then opens it as the program does (read on a worker
// thread, window made, first paint) and prints how long the user-interface thread was held by
// each step, and the longest wait for an ACK on a busy line of the station meanwhile.
//   bench-archive-open [records]
#include "app/QuorvelApp.h"
#include "app/WindowViews.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Station.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "tools/bench-common/BenchChannel.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kPhases = 2;
const char* const kPhaseNames[kPhases] = {"idle", "opening"};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir station;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, station.path() + QStringLiteral("/config"));
    SetStationDir(station.path());
    QDir::setCurrent(station.path());
    QDir().mkpath(StationPath(QStringLiteral("Archives")));

    const QString path = StationPath(QStringLiteral("Archives/Channel 1 %1.krv")
                                         .arg(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd"))));
    {
        // Written by a channel's document on that day, as the station writes it.
        Clock::SetNow(QDateTime(QDate::currentDate().addDays(-1), QTime(12, 0)));
        CQuorvelDoc writer(QStringLiteral("Channel 1"));
        writer.SetConnection(1, 1);
        const QByteArray message = QByteArray("\x84\x00", 2) + "Zone 12 door contact 17";
        for (int i = 0; i < count; ++i)
            writer.HandleMessage(message);
        Clock::Reset();
    }
    std::printf("archive: %d records, %lld bytes\n", count, static_cast<long long>(QFileInfo(path).size()));

    CQuorvelApp app;
    auto windows = std::make_unique<WindowViews>(app);
    WindowViews* views = windows.get();
    app.SetChannelViews(std::move(windows));
    views->Frame().resize(1600, 1000);
    views->Frame().show();

    BenchChannel channel;
    if (!channel.IsRunning())
        return 1;
    ProcessEventsFor(1000);

    QElapsedTimer timer;
    timer.start();
    CQuorvelDoc reader;
    reader.OnOpenDocument(path);
    const double readMs = timer.nsecsElapsed() / 1e6;

    // The records are read beside the event loop: what holds the user-interface thread is the
    // call itself, then each turn of the loop until the window is there (the longest of them hands
    // the records over and makes the window).
    channel.SetPhase(1);
    timer.restart();
    QElapsedTimer wall;
    wall.start();
    if (!app.OpenDocumentFile(path))
        return 1;
    const double openMs = timer.nsecsElapsed() / 1e6;
    double longestTurnMs = 0;
    while (views->Frame().ChildFrames().isEmpty()) {
        timer.restart();
        QCoreApplication::processEvents();
        longestTurnMs = std::max(longestTurnMs, timer.nsecsElapsed() / 1e6);
    }
    const double untilShownMs = wall.nsecsElapsed() / 1e6;
    CChildFrame* window = views->Frame().ActiveChildFrame();
    timer.restart();
    window->View()->viewport()->grab();
    const double paintMs = timer.nsecsElapsed() / 1e6;
    ProcessEventsFor(200);
    channel.SetPhase(0);
    ProcessEventsFor(300);
    channel.Stop();

    std::printf("document read alone: %.1f ms (%d records listed)\n", readMs, reader.GetEventCount());
    std::printf("OpenDocumentFile (checks, read started): %.1f ms\n", openMs);
    std::printf("until the window is there: %.1f ms; longest turn of the event loop meanwhile: %.1f ms\n",
                untilShownMs, longestTurnMs);
    std::printf("first paint of the window: %.1f ms\n", paintMs);
    std::printf("user-interface thread held at most: %.1f ms at once\n",
                std::max({openMs, longestTurnMs, paintMs}));
    channel.Report(kPhaseNames, kPhases);
    return 0;
}

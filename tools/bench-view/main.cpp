// Channel view benchmark, offscreen: a view holding one million lines, the time of a repaint and
// of a scroll step (line, page, thumb jump) each with its paint; then sixteen channel windows fed
// together from another thread, as the station's logging thread feeds them, at the event rate of
// sixteen lines at 256000 baud, with the longest stall of the user-interface thread's event loop
// and the paints it took.
//   bench-view [lines] [seconds]
#include "archive/QuorvelDoc.h"
#include "events/DisplayObj.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QByteArray kAlarm("\x94\x00" "Intruder zone 4, ground floor east", 36);  // an alarm text line
const QByteArray kLine("\x92\x00" "05", 4);                                     // an event line

void AddRecord(CQuorvelDoc& doc, int i)
{
    const QByteArray& m = i % 3 ? kLine : kAlarm;
    doc.AddEvent(new CDisplayObj(m.constData(), int(m.size()), 1));
}

int ChannelName(int index, QString& name)
{
    if (index < 0 || index >= 16)
        return 0;
    name = QStringLiteral("Channel %1").arg(index + 1);
    return 1;
}

// Counts the paints of a viewport.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

struct Timing
{
    double meanMs = 0;
    double maxMs = 0;
};

template <typename Step>
Timing TimeSteps(int steps, Step step)
{
    Timing t;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer one;
        one.start();
        step(i);
        t.maxMs = std::max(t.maxMs, one.nsecsElapsed() / 1e6);
    }
    t.meanMs = total.nsecsElapsed() / 1e6 / steps;
    return t;
}

void Report(const char* what, const Timing& t)
{
    std::printf("%-34s mean %7.3f ms   max %7.3f ms\n", what, t.meanMs, t.maxMs);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;

    {
        CQuorvelDoc doc(QStringLiteral("Channel 1"));
        doc.SetConnection(1, 1);
        CQuorvelView view(&doc, ChannelName);
        view.resize(1000, 800);
        view.show();
        QElapsedTimer fill;
        fill.start();
        for (int i = 0; i < lines; ++i)
            AddRecord(doc, i);
        std::printf("%d lines appended with the view open: %.3f us per line\n", lines,
                    fill.nsecsElapsed() / 1e3 / lines);
        QApplication::processEvents();
        std::printf("view: %dx%d, %d lines visible\n", view.viewport()->width(), view.viewport()->height(),
                    view.VisibleLines());

        QScrollBar* bar = view.verticalScrollBar();
        Report("repaint", TimeSteps(500, [&](int) { view.viewport()->repaint(); }));
        Report("line up + repaint", TimeSteps(500, [&](int) {
                   bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                   view.viewport()->repaint();
               }));
        Report("page down + repaint", TimeSteps(500, [&](int) {
                   bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                   view.viewport()->repaint();
               }));
        QRandomGenerator random(1);
        Report("thumb jump + repaint", TimeSteps(500, [&](int) {
                   bar->setValue(int(random.bounded(bar->maximum() + 1)));
                   view.viewport()->repaint();
               }));
    }

    // Sixteen windows, each line at 256000 baud: about 4000 six-byte frames a second per line.
    std::vector<std::unique_ptr<CQuorvelDoc>> docs;
    CMainFrame frame(ChannelName);
    frame.resize(1600, 1000);
    frame.show();
    PaintCounter paints;
    for (int n = 16; n >= 1; --n) {
        QString name;
        ChannelName(n - 1, name);
        docs.push_back(std::make_unique<CQuorvelDoc>(name));
        docs.back()->SetConnection(1, n);
        frame.CreateChannelWindow(docs.back().get())->View()->viewport()->installEventFilter(&paints);
    }
    frame.MDITile(Qt::Horizontal);
    QApplication::processEvents();
    paints.paints = 0;

    // Records are listed on a thread of their own, as the station's logging thread lists them; the
    // windows follow on their beat.
    constexpr int kPerLinePerSecond = 4000;
    std::atomic<long long> added{0};
    std::atomic<bool> stop{false};
    QElapsedTimer clock;
    clock.start();
    std::thread logging([&] {
        long long done = 0;
        while (!stop) {
            // Catch up to the rate: what the lines would have brought by now.
            const long long due = (long long)(clock.nsecsElapsed() / 1e9 * kPerLinePerSecond * 16);
            for (; done < due; ++done)
                AddRecord(*docs[size_t(done % 16)], int(done));
            added = done;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    double longestStallMs = 0;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestStallMs = std::max(longestStallMs, (now - lastTick) / 1e6);
        lastTick = now;
        if (now > seconds * 1e9)
            QApplication::exit(0);  // quit() would ask the main frame to close
    });
    ticker.start(1);
    QApplication::exec();
    stop = true;
    logging.join();
    const double elapsed = clock.nsecsElapsed() / 1e9;
    long long listed = 0;
    for (const auto& doc : docs)
        listed += doc->GetEventCount();
    std::printf("16 windows fed %.0f events/s for %.1f s: %lld events added, %lld listed, %d paints (%.0f per window per s), "
                "longest event-loop stall %.1f ms\n",
                added / elapsed, elapsed, added.load(), listed, paints.paints, paints.paints / elapsed / 16, longestStallMs);
    return 0;
}

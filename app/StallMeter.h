#pragma once
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

// Measures how responsive the user-interface thread stays: a timer due every tick notes the
// longest time between two of its runs beyond that interval, which is the longest pass of the
// event loop (a paint, a burst of records). It measures from the first pass of an event loop (a
// start-up box's or the program's), so the set-up before it does not count. Every run is noted in
// the station's figures, for the watchdog and the metrics file (a tick of kCoarseTickMs is fine
// enough there). With the quorvel.stall category enabled at info level it ticks every kTickMs,
// reports each second's longest pass with the wall-clock time the second ended (so a benchmark
// can take the figure over the span it measures, leaving start-up out), and the whole run's when
// it ends.
class StallMeter : public QObject
{
public:
    static constexpr int kTickMs = 10;
    static constexpr int kCoarseTickMs = 100;
    static constexpr int kLongMs = 50;  // passes longer than this are counted

    StallMeter();
    ~StallMeter() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ReportSecond(qint64 now, qint64 stall);

    bool m_report = false;
    int m_tickMs = kCoarseTickMs;
    QBasicTimer m_timer;
    QElapsedTimer m_running;
    qint64 m_firstNs = -1;  // first run of the timer
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
    int m_longStalls = 0;
    qint64 m_secondStartNs = 0;
    qint64 m_secondLongestNs = 0;
};

#pragma once
#include <QtGlobal>

#include <deque>
#include <vector>

// Finds alarm floods on one channel: periods in which a 10-minute window holds more than 10
// alarms. Each alarm whose window (itself and the alarms of the 600 seconds up to it, its own
// second included) holds more than 10 marks those alarms as flooding; a flood is a run of marked
// alarms with no other alarm between them. It starts at the first and ends at the last; its
// peak is the most alarms any one of its windows held.
class FloodDetector
{
public:
    static constexpr qint64 kWindowSeconds = 600;
    static constexpr int kMostWithoutFlood = 10;

    struct Flood
    {
        qint64 start = 0;  // seconds, as the times given
        qint64 end = 0;
        qint64 count = 0;
        int peak = 0;
    };

    // The alarms' times in whole seconds, in order; a time before the one before it (the clock
    // put back) ends any flood and starts afresh.
    void Add(qint64 time);
    // Ends the flood under way, if any.
    void Finish();
    const std::vector<Flood>& Floods() const { return m_floods; }

private:
    void Close();

    std::deque<qint64> m_window;  // the times of the alarms in the window up to the last one
    qint64 m_alarms = 0;          // alarms so far: the index of the next one
    bool m_open = false;
    Flood m_current;
    qint64 m_firstIndex = 0;      // of the flood under way
    qint64 m_lastIndex = 0;
    std::vector<Flood> m_floods;
};

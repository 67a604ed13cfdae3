#include "FloodDetector.h"

#include <algorithm>

void FloodDetector::Add(qint64 time)
{
    if (!m_window.empty() && time < m_window.back()) {
        Close();
        m_window.clear();
    }
    const qint64 index = m_alarms++;
    m_window.push_back(time);
    while (time - m_window.front() >= kWindowSeconds)
        m_window.pop_front();
    const qint64 inWindow = qint64(m_window.size());
    if (inWindow <= kMostWithoutFlood)
        return;
    const qint64 first = index - inWindow + 1;
    if (!m_open || first > m_lastIndex + 1) {
        Close();
        m_open = true;
        m_firstIndex = first;
        m_current = Flood{m_window.front(), time, 0, 0};
    }
    m_lastIndex = index;
    m_current.end = time;
    m_current.peak = std::max(m_current.peak, int(inWindow));
}

void FloodDetector::Finish()
{
    Close();
}

void FloodDetector::Close()
{
    if (!m_open)
        return;
    m_current.count = m_lastIndex - m_firstIndex + 1;
    m_floods.push_back(m_current);
    m_open = false;
}

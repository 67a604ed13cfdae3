#include "SimMonitor.h"

#include "SimChannel.h"
#include "SimFrames.h"

#include <cstdio>

namespace {
constexpr int kFrameBytes = 10;
constexpr int kSequences = 255;  // 0..254
}

SimMonitor::SimMonitor(bool silent, bool verbose, const QHash<int, SimChannel*>& channels)
    : m_silent(silent)
    , m_verbose(verbose)
    , m_channels(channels)
{
}

void SimMonitor::OnBytes(const char* bytes, int count)
{
    static const QByteArray start("\xFF\x02", 2);
    m_rx.append(bytes, count);
    for (;;) {
        const qsizetype begin = m_rx.indexOf(start);
        if (begin != 0) {
            if (begin < 0) {
                const bool keep = !m_rx.isEmpty() && m_rx.back() == char(0xFF);
                m_bad += m_rx.size() > (keep ? 1 : 0) ? 1 : 0;
                m_rx = keep ? QByteArray(1, char(0xFF)) : QByteArray();
                return;
            }
            ++m_bad;
            m_rx.remove(0, begin);
        }
        if (m_rx.size() < kFrameBytes)
            return;
        // No byte is escaped in these frames, so a frame is the ten bytes from its FF 02.
        const QByteArray frame = m_rx.left(kFrameBytes);
        char check = 0;
        for (int i = 0; i < 7; ++i)
            check = char(check ^ frame.at(i));
        if (frame.at(7) != check || frame.at(8) != char(0xFF) || frame.at(9) != char(0x03)
            || quint8(frame.at(2)) >= kSequences) {
            ++m_bad;
            if (m_verbose)
                std::printf("monitor: bad %s\n", frame.toHex(' ').constData());
            m_rx.remove(0, 1);
            continue;
        }
        m_rx.remove(0, kFrameBytes);
        OnFrame(frame);
    }
}

void SimMonitor::OnFrame(const QByteArray& frame)
{
    ++m_frames;
    const quint8 sequence = quint8(frame.at(2));
    QByteArray verdict;
    if (frame == m_last) {
        ++m_repeats;
        verdict = "repeat";
    } else {
        if (!m_last.isEmpty() && sequence != (quint8(m_last.at(2)) + 1) % kSequences) {
            ++m_gaps;
            verdict = "gap ";
        }
        SimChannel* channel = m_channels.value(quint8(frame.at(4)) + 1);
        if (channel && channel->TakeForwarded(frame.at(3), frame.at(5), frame.at(6))) {
            ++m_matched;
            verdict += "matched";
        } else {
            ++m_unknown;
            verdict += "unknown";
        }
    }
    m_last = frame;
    if (m_verbose)
        std::printf("monitor: frame %s %s\n", frame.toHex(' ').constData(), verdict.constData());
    if (!m_silent) {
        Queue(SimFrames::MonitorAck(sequence));
        Flush();
        ++m_answered;
    }
}

QString SimMonitor::Summary() const
{
    return QStringLiteral("monitor: frames %1 answered %2 bad %3 repeats %4 gaps %5 matched %6 unknown %7")
        .arg(m_frames).arg(m_answered).arg(m_bad).arg(m_repeats).arg(m_gaps).arg(m_matched).arg(m_unknown);
}

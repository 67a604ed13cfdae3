#pragma once
#include "SimLine.h"

#include <QHash>

class SimChannel;

// The remote monitoring device: takes the terminal's 10-byte frames
// (FF 02 sequence status channel-index alarm value XOR FF 03), answers each with FF 02 sequence 06
// FF 03 unless silent, and checks numbering, check byte and that each record is a message one of
// the simulated channels sent.
class SimMonitor : public SimLine
{
public:
    SimMonitor(bool silent, bool verbose, const QHash<int, SimChannel*>& channels);
    bool Busy() const { return HasOutput(); }
    QString Summary() const;

private:
    void OnBytes(const char* bytes, int count) override;
    void OnFrame(const QByteArray& frame);

    const bool m_silent;
    const bool m_verbose;
    const QHash<int, SimChannel*>& m_channels;  // by channel number
    QByteArray m_rx;
    QByteArray m_last;
    qint64 m_frames = 0, m_answered = 0, m_bad = 0, m_repeats = 0, m_gaps = 0, m_matched = 0, m_unknown = 0;
};

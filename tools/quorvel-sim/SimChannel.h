#pragma once
#include "SimLine.h"
#include "SimOptions.h"

#include <deque>
#include <random>

// A remote alarm system on one channel's line: sends paced, framed messages and checks every
// acknowledgement the terminal writes back against what the frame it answers called for.
class SimChannel : public SimLine
{
public:
    struct Counts
    {
        qint64 sent = 0, acked = 0, naked = 0, missing = 0, unexpected = 0;
        qint64 block = 0, crc = 0, corrupt = 0, text = 0;
        Counts& operator+=(const Counts& other);
    };

    SimChannel(int channel, const SimOptions& options);

    int Channel() const { return m_channel; }
    void OnOpened(qint64 nowNs);
    // Sends what is due at nowNs; returns when the next piece of work is due (0: nothing planned).
    void Tick(qint64 nowNs);
    bool Finished() const;                 // sent all it was to send
    bool Started(qint64 nowNs) const { return IsOpened() && m_startAt >= 0 && nowNs >= m_startAt; }
    bool AwaitingReplies() const { return !m_expected.empty(); }
    void StopSending() { m_stopped = true; }
    Counts Totals() const;

    // The monitor saw a record from this channel: true when it is one of the messages sent and not
    // yet seen. The terminal forwards the messages waiting at once in its queue's order (highest
    // status byte first), not in the order they were sent.
    bool TakeForwarded(char status, char alarm, char value);

private:
    void OnBytes(const char* bytes, int count) override;
    // A frame built ahead of the line's room for it; it counts as sent only once it is queued.
    struct Outgoing
    {
        QByteArray frame;
        bool corrupt = false;
        bool block = false;
        bool text = false;
        quint32 record = 0;
    };
    QByteArray NextMessage(bool& text);
    Outgoing NextFrame();
    void Commit(const Outgoing& outgoing);
    void Reply(bool ack);
    void Log(const QString& what) const;

    const int m_channel;
    const SimOptions& m_options;
    const double m_bytesPerNs;
    std::mt19937 m_random;
    qint64 m_startAt = -1;
    qint64 m_lastTick = 0;
    qint64 m_nextDue = 0;
    double m_credit = 0;
    bool m_stopped = false;
    Outgoing m_pending;                    // the next frame, built but not yet written
    QList<QByteArray> m_pieces;            // the rest of a frame being written in pieces
    qint64 m_pieceDue = 0;
    QByteArray m_rx;
    std::deque<char> m_expected;           // 'A' or 'N' per block-check frame not yet answered
    std::deque<quint32> m_forwardable;     // first three bytes of each good message sent
    Counts m_counts;
};

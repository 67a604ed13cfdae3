#include "SimChannel.h"

#include "SimFrames.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kNsPerSecond = 1000000000;
constexpr int kBitsPerByte = 10;             // start bit, eight data bits, stop bit
constexpr int kTextOneIn = 8;                // with --text, one message in eight is a text message
constexpr size_t kForwardableKept = 65536;
constexpr int kLongestReply = 256;

// Text message types: the sum of the two type bytes.
constexpr int kTextTypes[] = {132, 146, 155, 158};
constexpr int kAlarmClear = 132;

const char* const kClearedTexts[] = {"Zone 3 restored", "Front door closed", "Mains restored", "Tamper cleared"};

quint32 Record(char status, char alarm, char value)
{
    return quint32(quint8(status)) << 16 | quint32(quint8(alarm)) << 8 | quint8(value);
}

} // namespace

SimChannel::Counts& SimChannel::Counts::operator+=(const Counts& o)
{
    sent += o.sent;
    acked += o.acked;
    naked += o.naked;
    missing += o.missing;
    unexpected += o.unexpected;
    block += o.block;
    crc += o.crc;
    corrupt += o.corrupt;
    text += o.text;
    return *this;
}

SimChannel::SimChannel(int channel, const SimOptions& options)
    : m_channel(channel)
    , m_options(options)
    , m_bytesPerNs(double(options.baud) / kBitsPerByte / kNsPerSecond)
    , m_random(options.seed * 7919u + quint32(channel))
{
}

void SimChannel::OnOpened(qint64 nowNs)
{
    m_startAt = nowNs + qint64(m_options.startDelayMs) * 1000000;
    m_lastTick = m_startAt;
    m_nextDue = m_startAt;
    m_credit = 0;
}

bool SimChannel::Finished() const
{
    return m_stopped || (m_options.count >= 0 && m_counts.sent >= m_options.count && m_pieces.isEmpty());
}

void SimChannel::Tick(qint64 now)
{
    if (!IsOpened() || m_startAt < 0 || now < m_startAt)
        return;
    // The line's bytes accrue with time; a short reserve only, so a stall is not followed by a burst.
    m_credit = qMin(m_credit + double(now - m_lastTick) * m_bytesPerNs, m_bytesPerNs * 20e6 + 64);
    m_lastTick = now;

    if (!m_pieces.isEmpty()) {
        if (now >= m_pieceDue && !HasOutput()) {
            Queue(m_pieces.takeFirst());
            m_pieceDue = now + qint64(1 + m_random() % 3) * 1000000;
        }
        Flush();
        return;
    }
    // Bytes the line has not taken yet hold new frames back: the far end is not reading.
    if (HasOutput()) {
        Flush();
        return;
    }
    const qint64 period = m_options.rate > 0 ? qint64(kNsPerSecond / m_options.rate) : 0;
    while (!Finished() && now >= m_nextDue) {
        if (m_pending.frame.isEmpty())
            m_pending = NextFrame();
        const QByteArray frame = m_pending.frame;
        if (m_credit < frame.size())
            break;
        m_credit -= frame.size();
        m_nextDue = qMax(m_nextDue + period, now - kNsPerSecond);
        Commit(m_pending);
        m_pending = Outgoing();
        if (m_options.split && frame.size() > 1) {
            // Two or three pieces, cut at random places, with a pause of a few milliseconds between.
            const int cuts = 1 + int(m_random() % 2);
            int from = 0;
            for (int i = 0; i < cuts && from < frame.size() - 1; ++i) {
                const int at = from + 1 + int(m_random() % quint32(frame.size() - from - 1));
                m_pieces << frame.mid(from, at - from);
                from = at;
            }
            m_pieces << frame.mid(from);
            Queue(m_pieces.takeFirst());
            m_pieceDue = now + qint64(1 + m_random() % 3) * 1000000;
            break;
        }
        Queue(frame);
    }
    Flush();
}

QByteArray SimChannel::NextMessage(bool& text)
{
    QByteArray message;
    text = false;
    if (m_options.text && m_random() % kTextOneIn == 0) {
        const int type = kTextTypes[m_random() % 4];
        message.append(char(0x80)).append(char(type - 0x80));
        if (type == kAlarmClear)
            message.append(kClearedTexts[m_random() % 4]);
        else
            message.append(QByteArray::number(1 + m_random() % 64).rightJustified(2, '0'));
        text = true;
        return message;
    }
    const int alarm = m_options.alarms.at(int(m_random() % quint32(m_options.alarms.size())));
    message.append(char(m_random() % 4)).append(char(alarm)).append(char(m_random() % 256));
    return message;
}

SimChannel::Outgoing SimChannel::NextFrame()
{
    Outgoing out;
    const QByteArray message = NextMessage(out.text);
    out.corrupt = m_options.corruptEvery > 0 && (m_counts.sent + 1) % m_options.corruptEvery == 0;
    out.block = m_options.form == SimOptions::Form::Block
        || (m_options.form == SimOptions::Form::Mixed && m_random() % 2 == 0);
    // The block form is delimited by ETX, check byte, CR: data holding ETX, a byte and CR would be cut short.
    if (out.block && !SimFrames::BlockFrameIsDelimited(SimFrames::BlockFrame(message, out.corrupt)))
        out.block = false;
    out.record = Record(message.at(0), message.at(1), message.at(2));
    out.frame = out.block ? SimFrames::BlockFrame(message, out.corrupt) : SimFrames::CrcFrame(message, out.corrupt);
    return out;
}

void SimChannel::Commit(const Outgoing& out)
{
    ++m_counts.sent;
    if (out.text)
        ++m_counts.text;
    if (out.corrupt) {
        ++m_counts.corrupt;
    } else {
        m_forwardable.push_back(out.record);
        if (m_forwardable.size() > kForwardableKept)
            m_forwardable.pop_front();
    }
    if (out.block) {
        ++m_counts.block;
        m_expected.push_back(out.corrupt ? 'N' : 'A');
    } else {
        ++m_counts.crc;
    }
    if (m_options.verbose)
        Log(QStringLiteral("sent%1 %2").arg(out.corrupt ? QStringLiteral(" corrupt") : QString(),
                                            QString::fromLatin1(out.frame.toHex(' '))));
}

void SimChannel::OnBytes(const char* bytes, int count)
{
    static const QByteArray ack = SimFrames::TerminalAck();
    static const QByteArray nak = SimFrames::TerminalNak();
    static const QByteArray start("\xFF\x02", 2);
    m_rx.append(bytes, count);
    for (;;) {
        const qsizetype begin = m_rx.indexOf(start);
        if (begin < 0) {
            // Keep a last FF: it may start the next frame.
            const bool keep = !m_rx.isEmpty() && m_rx.back() == char(0xFF);
            if (m_rx.size() > (keep ? 1 : 0)) {
                ++m_counts.unexpected;
                if (m_options.verbose)
                    Log(QStringLiteral("unexpected %1").arg(QString::fromLatin1(m_rx.toHex(' '))));
            }
            m_rx = keep ? QByteArray(1, char(0xFF)) : QByteArray();
            return;
        }
        if (begin > 0) {
            ++m_counts.unexpected;
            m_rx.remove(0, begin);
        }
        // The end is FF 03; FF FF inside stands for one FF.
        qsizetype end = -1;
        for (qsizetype i = 2; i + 1 < m_rx.size(); ++i) {
            if (m_rx.at(i) != char(0xFF))
                continue;
            if (m_rx.at(i + 1) == char(0x03)) {
                end = i + 2;
                break;
            }
            ++i;
        }
        if (end < 0) {
            if (m_rx.size() > kLongestReply) {
                ++m_counts.unexpected;
                m_rx.clear();
            }
            return;
        }
        const QByteArray frame = m_rx.left(end);
        m_rx.remove(0, end);
        if (frame == ack) {
            Reply(true);
        } else if (frame == nak) {
            Reply(false);
        } else {
            ++m_counts.unexpected;
            if (m_options.verbose)
                Log(QStringLiteral("unexpected %1").arg(QString::fromLatin1(frame.toHex(' '))));
        }
    }
}

void SimChannel::Reply(bool ack)
{
    ++(ack ? m_counts.acked : m_counts.naked);
    const char wanted = m_expected.empty() ? 0 : m_expected.front();
    if (!m_expected.empty())
        m_expected.pop_front();
    const bool expected = wanted == (ack ? 'A' : 'N');
    if (!expected)
        ++m_counts.unexpected;
    if (m_options.verbose)
        Log(QStringLiteral("%1%2").arg(ack ? QStringLiteral("ack") : QStringLiteral("nak"),
                                       expected ? QString() : QStringLiteral(" unexpected")));
}

bool SimChannel::TakeForwarded(char status, char alarm, char value)
{
    const quint32 record = Record(status, alarm, value);
    const auto found = std::find(m_forwardable.begin(), m_forwardable.end(), record);
    if (found == m_forwardable.end())
        return false;
    m_forwardable.erase(found);
    return true;
}

SimChannel::Counts SimChannel::Totals() const
{
    Counts counts = m_counts;
    counts.missing = qint64(m_expected.size());
    return counts;
}

void SimChannel::Log(const QString& what) const
{
    std::printf("channel %d: %s\n", m_channel, qPrintable(what));
}

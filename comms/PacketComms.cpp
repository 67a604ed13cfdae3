#include "comms/PacketComms.h"

#include "comms/Crc16.h"
#include "comms/PortWorker.h"

#include <QTimerEvent>

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMarker = char(0xFF);
constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kCr = 0x0D;

enum FrameState {
    Idle = 0,
    AfterMarker = 1,
    InCrcFrame = 2,
    AfterMarkerInCrcFrame = 3,
    InBlockFrame = 5,
    AfterEtx = 6,
    AfterCheckByte = 7,
};

// The most bytes a frame that fits the receive buffer can take on the line: markers, and every
// stored byte doubled as FF FF.
constexpr int kLongestFrameOnLine = 2 + 2 * FrameBuffer::kCapacity + 2;

} // namespace

CPacketComms::CPacketComms(QObject* parent)
    : CSerialComms(parent)
{
}

int CPacketComms::ReceiveByte(char ch, int reset)
{
    if (reset) {
        m_nFrameState = Idle;
        return NoFrame;
    }
    switch (m_nFrameState) {
    case Idle:
        if (ch == kMarker)
            m_nFrameState = AfterMarker;
        else if (ch == kStx)
            StartFrame(InBlockFrame);
        break;
    case AfterMarker:
        if (ch == kStx)
            StartFrame(InCrcFrame);
        else
            m_nFrameState = Idle;
        break;
    case InCrcFrame:
        if (ch == kMarker)
            m_nFrameState = AfterMarkerInCrcFrame;
        else
            m_rxFrame.PutByte(ch);
        break;
    case AfterMarkerInCrcFrame:
        if (ch == kMarker) {
            m_rxFrame.PutByte(ch);
            m_nFrameState = InCrcFrame;
        } else if (ch == kEtx) {
            m_nFrameState = Idle;
            return CrcFrameComplete;
        } else if (ch == kStx) {
            // An unescaped FF 02 can only be the start of the next frame: the one before broke off.
            StartFrame(InCrcFrame);
        } else {
            m_rxFrame.ResetBuffer();
            m_nFrameState = Idle;
        }
        break;
    case InBlockFrame:
        m_rxFrame.PutByte(ch);
        if (ch == kEtx)
            m_nFrameState = AfterEtx;
        break;
    case AfterEtx:
        m_rxFrame.PutByte(ch);
        m_chCheckByte = ch;
        m_nFrameState = AfterCheckByte;
        break;
    case AfterCheckByte:
        // The data may hold ETX bytes, so a CR is taken as the end of the frame when the check
        // it closes matches, and also when it does not, since the far end waits for the answer
        // after its CR - unless the CR can itself be the check byte of a longer reading that
        // matches (the check byte was an ETX): then the next byte decides.
        if (ch == kCr && (CheckBlock() || !CrMayBeCheckByte())) {
            m_nFrameState = Idle;
            return BlockFrameComplete;
        }
        // Not the end: the ETX becomes data, and the check byte is looked at again as an ETX.
        m_rxFrame.PutByte(ch);
        if (m_chCheckByte == kEtx) {
            m_chCheckByte = ch;
        } else {
            m_nFrameState = ch == kEtx ? AfterEtx : InBlockFrame;
        }
        break;
    default:
        break;
    }
    return NoFrame;
}

void CPacketComms::StartFrame(int nextState)
{
    // A frame starts clean: bytes of one that broke off never run into it.
    m_rxFrame.ResetBuffer();
    m_nFrameState = nextState;
    ++m_nFrameSerial;
    if (!m_frameTimer.isActive()) {
        // The timer ticks at the CRC frame's time; a block-check frame gets the ticks its own
        // time takes. The line settings cannot change while frames arrive.
        m_nFrameTickMs = FrameTimeoutMs(kCrcFrameTimeMs);
        m_nBlockFrameTicks = (FrameTimeoutMs(kBlockFrameTimeMs) + m_nFrameTickMs - 1) / m_nFrameTickMs;
        m_nTimedFrame = m_nFrameSerial;
        m_nFrameTicks = 0;
        m_frameTimer.start(m_nFrameTickMs, this);
    }
    m_nFrameTicksAllowed = nextState == InBlockFrame ? m_nBlockFrameTicks : 1;
}

void CPacketComms::UpdateCrc(quint16* crc, quint8 b)
{
    *crc = Crc16::Update(*crc, b);
}

void CPacketComms::ComputeCrc(int count, quint16* crc, const quint8* data)
{
    for (int i = 0; i < count; ++i)
        UpdateCrc(crc, data[i]);
}

int CPacketComms::CheckCrc() const
{
    const int n = m_rxFrame.length - 2;
    if (n < 0)
        return 0;
    const quint16 received = quint16(quint8(m_rxFrame.data[n]) << 8 | quint8(m_rxFrame.data[n + 1]));
    return received == m_wRxCrc ? 1 : 0;
}

int CPacketComms::CheckCrcFrame()
{
    // Of a frame that overran the buffer the last bytes kept are data, not its CRC: a match
    // would be chance.
    if (m_rxFrame.length < 2 || m_rxFrame.overflowed)
        return 0;
    ComputeCrc(m_rxFrame.length - 2, &m_wRxCrc, reinterpret_cast<const quint8*>(m_rxFrame.data));
    return CheckCrc();
}

int CPacketComms::CheckBlock() const
{
    const int n = m_rxFrame.length - 2;  // the data, without ETX and check byte
    if (n < 0 || m_rxFrame.overflowed)
        return 0;
    quint8 check = 0;
    for (int i = 0; i < n; ++i)
        check ^= quint8(m_rxFrame.data[i]);
    return check == quint8(m_rxFrame.data[n + 1]) ? 1 : 0;
}

bool CPacketComms::CrMayBeCheckByte() const
{
    if (m_chCheckByte != kEtx || m_rxFrame.overflowed)
        return false;
    quint8 check = 0;
    for (int i = 0; i < m_rxFrame.length - 1; ++i)
        check ^= quint8(m_rxFrame.data[i]);
    return check == quint8(kCr);
}

int CPacketComms::ExtractFrame(char* out)
{
    const int n = m_rxFrame.length - 2;
    if (m_nFrameState != Idle || n <= 0)
        return 0;
    std::memcpy(out, m_rxFrame.data, size_t(n));
    m_rxFrame.ResetBuffer();
    return n;
}

const char* CPacketComms::BuildFrame(const char* data, int count, int* frameLength)
{
    m_txFrame.ResetBuffer();
    m_txFrame.PutByte(kMarker);
    m_txFrame.PutByte(kStx);
    quint16 crc = 0;
    for (int i = 0; i < std::min(count, FrameBuffer::kCapacity); ++i) {
        if (data[i] == kMarker)
            m_txFrame.PutByte(kMarker);
        UpdateCrc(&crc, quint8(data[i]));
        m_txFrame.PutByte(data[i]);
    }
    m_txFrame.PutByte(char(crc & 0xFF));
    m_txFrame.PutByte(char(crc >> 8));
    m_txFrame.PutByte(kMarker);
    m_txFrame.PutByte(kEtx);
    *frameLength = m_txFrame.length;
    return m_txFrame.data;
}

int CPacketComms::FrameTimeoutMs(int minimumMs) const
{
    const LineSettings line = Line();
    const int rate = line.BaudRate();
    if (!line.IsValid() || rate <= 0)
        return minimumMs;
    const int bitsPerChar = 1 + PortTables::kDataBits[line.dataBits] + (line.parity ? 1 : 0) + (line.stopBits ? 2 : 1);
    const qint64 lineMs = (qint64(kLongestFrameOnLine) * bitsPerChar * 1000 + rate - 1) / rate;
    // The reader holds a line's bytes back for a moment after each read (up to one and a half
    // hold-offs, to meet the shared grid); that is no stalled frame.
    const qint64 holdOffMs = 2 * std::chrono::ceil<std::chrono::milliseconds>(PortWorker::kReadHoldOff).count();
    return int(std::max<qint64>(minimumMs, 2 * lineMs) + holdOffMs);
}

void CPacketComms::OnTimer(int id)
{
    if (id != kFrameTimerId)
        return;
    if (m_nFrameState == Idle) {
        m_frameTimer.stop();
        return;
    }
    if (m_nTimedFrame != m_nFrameSerial) {
        m_nTimedFrame = m_nFrameSerial;  // started since the last tick: counting starts now
        m_nFrameTicks = 0;
        return;
    }
    if (++m_nFrameTicks < m_nFrameTicksAllowed)
        return;
    // The frame stopped arriving: its bytes go, and nothing of it runs into a later frame.
    m_frameTimer.stop();
    m_nFrameState = Idle;
    m_rxFrame.ResetBuffer();
}

void CPacketComms::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_frameTimer.timerId())
        OnTimer(kFrameTimerId);
    else
        CSerialComms::timerEvent(event);
}

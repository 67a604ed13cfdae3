#include "SimFrames.h"

namespace SimFrames {

namespace {

void AppendStuffed(QByteArray& out, char byte)
{
    if (byte == char(0xFF))
        out.append(byte);
    out.append(byte);
}

QByteArray TerminalReply(char byte)
{
    const QByteArray payload(1, byte);
    const quint16 crc = Crc16(payload);
    // The terminal sends its CRC low byte first.
    QByteArray frame("\xFF\x02", 2);
    frame.append(payload).append(char(crc & 0xFF)).append(char(crc >> 8)).append("\xFF\x03", 2);
    return frame;
}

} // namespace

quint16 Crc16(const QByteArray& data)
{
    quint16 crc = 0;
    for (char c : data) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QByteArray BlockFrame(const QByteArray& data, bool corrupt)
{
    char check = 0;
    for (char c : data)
        check = char(check ^ c);
    if (corrupt)
        check = char(check ^ 0x01);
    QByteArray frame;
    frame.reserve(data.size() + 4);
    frame.append(kStx).append(data).append(kEtx).append(check).append(kCr);
    return frame;
}

bool BlockFrameIsDelimited(const QByteArray& frame)
{
    char check = 0;  // of the bytes before i
    for (qsizetype i = 1; i + 2 < frame.size(); ++i) {
        if (frame.at(i) == kEtx && frame.at(i + 2) == kCr) {
            const bool matches = check == frame.at(i + 1);
            const bool crMayBeCheckByte = frame.at(i + 1) == kEtx && char(check ^ kEtx) == kCr;
            if (matches || !crMayBeCheckByte)
                return i + 3 == frame.size();
        }
        check = char(check ^ frame.at(i));
    }
    return false;
}

QByteArray CrcFrame(const QByteArray& data, bool corrupt)
{
    quint16 crc = Crc16(data);
    if (corrupt)
        crc ^= 0x0001;
    QByteArray frame("\xFF\x02", 2);
    for (char c : data)
        AppendStuffed(frame, c);
    AppendStuffed(frame, char(crc >> 8));
    AppendStuffed(frame, char(crc & 0xFF));
    frame.append("\xFF\x03", 2);
    return frame;
}

QByteArray TerminalAck()
{
    return TerminalReply(kAckByte);
}

QByteArray TerminalNak()
{
    return TerminalReply(kNakByte);
}

QByteArray MonitorAck(quint8 sequence)
{
    QByteArray frame("\xFF\x02", 2);
    frame.append(char(sequence)).append(kAckByte).append("\xFF\x03", 2);
    return frame;
}

} // namespace SimFrames

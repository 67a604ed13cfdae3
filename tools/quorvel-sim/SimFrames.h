#pragma once
#include <QByteArray>

// The byte forms on the lines, written out from the forms the remote systems use, independently of
// the program: the simulator is the other party on the line and must not share the program's framer.
namespace SimFrames {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kCr = 0x0D;
constexpr char kAckByte = 0x06;
constexpr char kNakByte = 0x15;

// CRC-16/XMODEM: polynomial 0x1021, start 0, no reflection, no final XOR.
quint16 Crc16(const QByteArray& data);

// 02, data, 03, XOR of the data, 0D. A corrupt frame carries a wrong check byte.
QByteArray BlockFrame(const QByteArray& data, bool corrupt);
// True when a block-check frame ends at its own CR: a receiver tries each 03 in turn as the ETX,
// and a CR two bytes after it ends the frame when the check matches, or when the CR cannot be the
// check byte of a reading one byte longer that matches.
bool BlockFrameIsDelimited(const QByteArray& frame);
// FF 02, data, CRC high byte then low byte, FF 03; every FF inside is doubled. A corrupt frame
// carries a wrong CRC.
QByteArray CrcFrame(const QByteArray& data, bool corrupt);

// What the terminal answers to a block-check frame: FF 02 06 C6 60 FF 03 and FF 02 15 94 42 FF 03.
QByteArray TerminalAck();
QByteArray TerminalNak();

// The remote monitor's acknowledgement of a frame: FF 02 sequence 06 FF 03.
QByteArray MonitorAck(quint8 sequence);

} // namespace SimFrames

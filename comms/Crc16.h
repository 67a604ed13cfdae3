#pragma once
#include <QtGlobal>

#include <array>

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, most significant bit first, no final XOR.
// The check value of the ASCII digits 1 to 9 is 0x31C3.
namespace Crc16 {

constexpr std::array<quint16, 256> MakeTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = quint16(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        table[size_t(i)] = crc;
    }
    return table;
}

// Entry i is the register after feeding i into its high byte.
inline constexpr std::array<quint16, 256> kTable = MakeTable();

constexpr quint16 Update(quint16 crc, quint8 byte)
{
    return quint16((crc << 8) ^ kTable[size_t(((crc >> 8) ^ byte) & 0xFF)]);
}

} // namespace Crc16

#pragma once
#include <QByteArray>

#include <cstdarg>

// printf into `room` bytes at `out`: event lines are built from bytes of the alarm file and of
// messages, which are not text in any particular encoding. No terminating zero and no allocation
// for the conversions event lines are made of. Returns the length of the whole line; the line was written
// only when that is at most `room` (else `out` holds some of it).
// A control character of Latin-1 (C0, DEL or C1), which event lines and texts shown or printed
// from them make visible or leave to a text layout: a record must stay one line.
inline constexpr bool IsControlByte(unsigned char c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

qsizetype FormatBytesInto(char* out, qsizetype room, const char* format, va_list args);

#pragma once
#include <QByteArray>

#include <cstdarg>

// printf into `room` bytes at `out`: event lines are built from bytes of the alarm file and of
// messages, which are not text in any particular encoding. No terminating zero and no allocation
// for the conversions event lines are made of. Returns the length of the whole line; the line was written
// only when that is at most `room` (else `out` holds some of it).
qsizetype FormatBytesInto(char* out, qsizetype room, const char* format, va_list args);

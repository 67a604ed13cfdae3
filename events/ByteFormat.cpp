#include "events/ByteFormat.h"

#include <cstdarg>
#include <cstdio>

QByteArray FormatBytes(const char* format, ...)
{
    char small[128];
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0)
        return {};
    if (size_t(needed) < sizeof small)
        return QByteArray(small, needed);

    QByteArray result(needed, Qt::Uninitialized);
    va_start(args, format);
    std::vsnprintf(result.data(), size_t(needed) + 1, format, args);
    va_end(args);
    return result;
}

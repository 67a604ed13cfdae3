#include "events/ByteFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A line put together in the caller's room; what does not fit is counted but not written.
class PlainLine
{
public:
    PlainLine(char* out, qsizetype room)
        : m_out(out)
        , m_room(room)
    {
    }
    void Append(const char* bytes, size_t count)
    {
        if (m_used <= m_room && qsizetype(count) <= m_room - m_used)
            std::memcpy(m_out + m_used, bytes, count);
        m_used += qsizetype(count);
    }
    void Repeat(char byte, int count)
    {
        for (; count > 0; --count)
            Append(&byte, 1);
    }
    void AppendNumber(int value, int width, bool zeros)
    {
        char digits[12];
        int count = 0;
        unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
        do {
            digits[sizeof digits - 1 - count++] = char('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        const int length = count + (value < 0 ? 1 : 0);
        if (!zeros)
            Repeat(' ', width - length);
        if (value < 0)
            Append("-", 1);
        if (zeros)
            Repeat('0', width - length);
        Append(digits + sizeof digits - count, size_t(count));
    }
    qsizetype Length() const { return m_used; }

private:
    char* m_out;
    qsizetype m_room;
    qsizetype m_used = 0;
};

// The conversions event lines are made of: %s, %c, %d with an optional zero flag and width, and %%.
// These are put together directly, as the general printf machinery costs more than the rest of a
// record. False for any other conversion.
bool FormatPlain(char* out, qsizetype room, const char* format, va_list args, qsizetype& length)
{
    PlainLine line(out, room);
    for (const char* p = format; *p; ++p) {
        const char* percent = std::strchr(p, '%');
        const char* end = percent ? percent : p + std::strlen(p);
        line.Append(p, size_t(end - p));
        if (!percent)
            break;
        p = percent + 1;
        switch (*p) {
        case '%': line.Append("%", 1); break;
        case 's': {
            const char* text = va_arg(args, const char*);
            line.Append(text, std::strlen(text));
            break;
        }
        case 'c': {
            const char byte = char(va_arg(args, int));
            line.Append(&byte, 1);
            break;
        }
        default: {
            const bool zeros = *p == '0';
            int width = 0;
            for (; *p >= '0' && *p <= '9'; ++p)
                width = width * 10 + (*p - '0');
            if (*p != 'd')
                return false;
            line.AppendNumber(va_arg(args, int), width, zeros);
        }
        }
    }
    length = line.Length();
    return true;
}

// Any other format, through vsnprintf, which wants room for a terminating zero.
qsizetype FormatGeneral(char* out, qsizetype room, const char* format, va_list args)
{
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    if (needed > 0 && needed <= room) {
        std::vector<char> line(size_t(needed) + 1);
        std::vsnprintf(line.data(), line.size(), format, again);
        std::memcpy(out, line.data(), size_t(needed));
    }
    va_end(again);
    return qMax(0, needed);
}

} // namespace

qsizetype FormatBytesInto(char* out, qsizetype room, const char* format, va_list args)
{
    va_list again;
    va_copy(again, args);
    qsizetype length = 0;
    if (!FormatPlain(out, room, format, args, length))
        length = FormatGeneral(out, room, format, again);
    va_end(again);
    return length;
}

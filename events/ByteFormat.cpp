#include "events/ByteFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// A line of up to kRoom bytes put together on the stack; a longer one goes to vsnprintf.
class PlainLine
{
public:
    void Append(const char* bytes, size_t count)
    {
        if (count > kRoom - m_used) {
            m_full = true;
            return;
        }
        std::memcpy(m_bytes + m_used, bytes, count);
        m_used += count;
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
    bool Full() const { return m_full; }
    QByteArray Bytes() const { return QByteArray(m_bytes, qsizetype(m_used)); }

private:
    static constexpr size_t kRoom = 256;
    char m_bytes[kRoom];
    size_t m_used = 0;
    bool m_full = false;
};

// The conversions event lines are made of: %s, %c, %d with an optional zero flag and width, and %%.
// These are put together directly, as the general printf machinery costs more than the rest of a
// record. False for any other conversion, or a line that does not fit on the stack.
bool FormatPlain(const char* format, va_list args, QByteArray& result)
{
    PlainLine line;
    for (const char* p = format; *p && !line.Full(); ++p) {
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
    if (line.Full())
        return false;
    result = line.Bytes();
    return true;
}

QByteArray FormatGeneral(const char* format, va_list args)
{
    char small[128];
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    QByteArray result;
    if (needed >= 0 && size_t(needed) < sizeof small) {
        result = QByteArray(small, needed);
    } else if (needed >= 0) {
        result.resize(needed);
        std::vsnprintf(result.data(), size_t(needed) + 1, format, again);
    }
    va_end(again);
    return result;
}

} // namespace

QByteArray FormatBytes(const char* format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    QByteArray result;
    if (!FormatPlain(format, args, result))
        result = FormatGeneral(format, again);
    va_end(again);
    va_end(args);
    return result;
}

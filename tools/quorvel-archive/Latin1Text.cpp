#include "Latin1Text.h"

#include "events/ByteFormat.h"

void AppendLatin1AsUtf8(QByteArray& out, QByteArrayView text, bool controlsVisible)
{
    // Written in place: a byte becomes at most two.
    const qsizetype start = out.size();
    out.resize(start + 2 * text.size());
    char* to = out.data() + start;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (controlsVisible && IsControlByte(c)) {
            *to++ = '?';
        } else if (c < 0x80) {
            *to++ = char(c);
        } else {
            *to++ = char(0xC0 | (c >> 6));
            *to++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(to - out.constData());
}

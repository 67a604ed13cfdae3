#include "core/LeadingNumber.h"

qint64 LeadingNumber(QByteArrayView text)
{
    const char* p = text.begin();
    const char* const end = text.end();
    while (p != end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    qint64 value = 0;
    // Bounded, so a long run of digits cannot overflow.
    for (; p != end && *p >= '0' && *p <= '9' && value < (qint64(1) << 40); ++p)
        value = value * 10 + (*p - '0');
    return negative ? -value : value;
}

#pragma once
#include <QByteArrayView>

// A decimal number at the start of a text, read the way the station's files have always been
// read: leading blanks and one sign allowed, reading stops at the first character that is not a
// digit, 0 when there is no digit.
qint64 LeadingNumber(QByteArrayView text);
